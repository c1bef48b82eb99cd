// A minimal host that walks the whole MIDI-learn sequence through the real
// module: it opens the editor in a window of its own, clicks the MIDI
// button, moves controllers 20 and 21 through effProcessEvents while the
// first learn dialog is open, presses Assign there and Cancel on the other
// three, then checks the settings file and that controller 21 now moves
// Friction. The user-interface thread only pumps messages (the dialogs run
// their modal loops inside it); a driver thread plays the user and the
// host's audio thread.
//
// Usage: learn_e2e_host <path to tarnwell.dll>. Exit code 0 on success.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "plugin/VstAbi.h"
#include "tests/support/MidiBlock.h"

namespace {

constexpr int kDialogWaitMs = 15000;
constexpr int kTextWaitMs = 3000;
constexpr DWORD kWatchdogMs = 100000;
constexpr int kParamFriction = 0;
constexpr int kParamViscosity = 1;
constexpr UINT kFinished = WM_APP + 1;  // the driver is done: leave the message loop

AEffect *effect = nullptr;
HWND hostWindow = nullptr;
DWORD uiThread = 0;
int failures = 0;
VstTimeInfo timeInfo{};

void fail(const std::string &what) {
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
    std::fflush(stdout);
}
void note(const std::string &what) {
    std::printf("  %s\n", what.c_str());
    std::fflush(stdout);
}

VstIntPtr VSTCALLBACK hostCallback(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&timeInfo);
    return 0;
}

VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr, float opt = 0) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void sendController(int cc, int value, int channel = 0) {
    tarn::testing::MidiBlock block(0xB0 | channel, cc, value);
    dispatch(effProcessEvents, 0, 0, block.events());
}

// Top-level learn dialogs of the user-interface thread, oldest first in
// creation order is not guaranteed, hence the set of those already seen.
BOOL CALLBACK collectDialog(HWND window, LPARAM list) {
    char title[64] = {};
    char cls[64] = {};
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(title, "MIDI Learn") == 0 && std::strcmp(cls, "#32770") == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}
std::vector<HWND> learnDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(uiThread, collectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND waitForNewDialog(std::set<HWND> &seen) {
    for (int waited = 0; waited < kDialogWaitMs; waited += 20) {
        for (HWND d : learnDialogs())
            if (seen.insert(d).second) return d;
        Sleep(20);
    }
    return nullptr;
}

std::string itemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return "<no control " + std::to_string(id) + ">";
    char text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    return text;
}

bool waitForText(HWND dialog, int id, const std::string &expected) {
    for (int waited = 0; waited < kTextWaitMs; waited += 10) {
        if (itemText(dialog, id) == expected) return true;
        Sleep(10);
    }
    return false;
}

void expectText(HWND dialog, int id, const std::string &expected) {
    const std::string got = itemText(dialog, id);
    if (got != expected) fail("control " + std::to_string(id) + " shows \"" + got + "\", expected \"" + expected + "\"");
}

void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string readFile(const std::string &path) {
    std::string text;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char chunk[512];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
        std::fclose(f);
    }
    return text;
}

struct DriverArgs {
    HWND editorWindow;
    int width;
    int height;
    std::string settingsPath;
};

void closeEverything() {
    for (int tries = 0; tries < 50; ++tries) {
        std::vector<HWND> open = learnDialogs();
        if (open.empty()) break;
        for (HWND d : open) press(d, 2);
        Sleep(100);
    }
    PostMessageA(hostWindow, kFinished, 0, 0);
}

DWORD WINAPI drive(void *argument) {
    const DriverArgs &args = *static_cast<DriverArgs *>(argument);
    Sleep(300);

    // The MIDI button: label "MIDI" anchored at (W - 48, 10) in drawing
    // space, 9-pixel characters, 15 pixels high; y is flipped for the window.
    const int x = args.width - 48 + 18;
    const int y = args.height - 1 - (10 + 7);
    note("clicking MIDI at window (" + std::to_string(x) + ", " + std::to_string(y) + ")");
    PostMessageA(args.editorWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(args.editorWindow, WM_LBUTTONUP, 0, MAKELPARAM(x, y));

    std::set<HWND> seen;
    HWND first = waitForNewDialog(seen);
    if (!first) {
        fail("no learn dialog appeared after the MIDI button was clicked");
        closeEverything();
        return 0;
    }
    expectText(first, 30201, "Friction");
    expectText(first, 30202, "Current MIDI CC: none");
    expectText(first, 30203, "New MIDI CC: none");
    RECT placed{};
    GetWindowRect(first, &placed);
    if (placed.left != 100 || placed.top != 100)
        fail("dialog at (" + std::to_string(placed.left) + ", " + std::to_string(placed.top) + "), not (100, 100)");

    sendController(20, 64);
    if (!waitForText(first, 30203, "New MIDI CC: 20")) fail("controller 20 was not shown");
    sendController(1, 100);  // the modulation wheel is not offered
    sendController(21, 64, 15);
    if (!waitForText(first, 30203, "New MIDI CC: 21"))
        fail("after controllers 20 and 21 the dialog shows \"" + itemText(first, 30203) + "\"");
    else
        note("dialog shows \"New MIDI CC: 21\"");
    press(first, 1);

    const char *names[] = {"Viscosity", "Rows", "Columns"};
    for (int i = 0; i < 3; ++i) {
        HWND next = waitForNewDialog(seen);
        if (!next) {
            fail(std::string("no dialog for ") + names[i]);
            closeEverything();
            return 0;
        }
        expectText(next, 30201, names[i]);
        expectText(next, 30202, i == 0 ? "Current MIDI CC: 10" : "Current MIDI CC: none");
        expectText(next, 30203, "New MIDI CC: none");
        if (learnDialogs().size() != static_cast<size_t>(i + 2))
            fail("the answered dialogs should stay on screen under the new one");
        press(next, 2);
    }
    for (int waited = 0; waited < kDialogWaitMs && !learnDialogs().empty(); waited += 20) Sleep(20);
    if (!learnDialogs().empty()) fail("learn dialogs still open after the sequence");

    const std::string saved = readFile(args.settingsPath);
    note("settings file: " + saved);
    if (saved.find("cc 21 0\r\n") == std::string::npos) fail("\"cc 21 0\" missing from the settings file");
    if (saved.find("cc 10 1\r\n") == std::string::npos) fail("\"cc 10 1\" missing from the settings file");
    if (saved.rfind("size 600 600\r\n", 0) != 0) fail("the settings file does not start with its size line");
    if (saved.find("cc 20 ") != std::string::npos) fail("controller 20 was bound too");

    sendController(21, 127);
    if (effect->getParameter(effect, kParamFriction) != 1.0f) fail("controller 21 at 127 did not set Friction to 1");
    sendController(21, 0, 9);
    if (effect->getParameter(effect, kParamFriction) != 0.0f) fail("controller 21 at 0 did not set Friction to 0");
    sendController(10, 127);
    if (effect->getParameter(effect, kParamViscosity) != 1.0f) fail("controller 10 no longer moves Viscosity");

    closeEverything();
    return 0;
}

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFinished || message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI watchdog(void *) {
    Sleep(kWatchdogMs);
    std::printf("FAIL: the learn sequence did not finish in time\n");
    std::fflush(stdout);
    ExitProcess(3);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::printf("usage: learn_e2e_host <tarnwell.dll>\n");
        return 2;
    }
    CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
    timeInfo.sampleRate = 44100.0;
    timeInfo.tempo = 120.0;
    timeInfo.flags = kVstTempoValid;

    // A scratch directory for the settings file, pre-filled so the first-run
    // tip (a modal message box) stays away and Viscosity has a controller.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string dir = std::string(temp) + "tarnwell-learn-e2e-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string settingsPath = dir + "\\tarnwell.cfg.txt";
    if (FILE *f = std::fopen(settingsPath.c_str(), "w")) {
        std::fputs("size 600 600\ncc 10 1\n", f);
        std::fclose(f);
    }
    SetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", dir.c_str());

    HMODULE module = LoadLibraryA(argv[1]);
    if (!module) {
        std::printf("FAIL: cannot load %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    using Entry = AEffect *(VSTCALLBACK *)(audioMasterCallback);
    Entry entry = reinterpret_cast<Entry>(reinterpret_cast<void *>(GetProcAddress(module, "VSTPluginMain")));
    if (!entry) entry = reinterpret_cast<Entry>(reinterpret_cast<void *>(GetProcAddress(module, "main")));
    effect = entry ? entry(hostCallback) : nullptr;
    if (!effect || effect->magic != kEffectMagic) {
        std::printf("FAIL: the module gave no effect\n");
        return 1;
    }
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effSetBlockSize, 0, 512);
    dispatch(effMainsChanged, 0, 1);

    ERect *rect = nullptr;
    dispatch(effEditGetRect, 0, 0, &rect);
    const int width = rect ? rect->right - rect->left : 600;
    const int height = rect ? rect->bottom - rect->top : 600;

    uiThread = GetCurrentThreadId();
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LearnTestHostWindow";
    RegisterClassA(&wc);
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    hostWindow = CreateWindowA(wc.lpszClassName, "learn test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 50,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, wc.hInstance,
                               nullptr);
    dispatch(effEditOpen, 0, 0, hostWindow);
    HWND editorWindow = GetWindow(hostWindow, GW_CHILD);
    if (!editorWindow) {
        fail("the editor made no child window");
    } else {
        note("editor " + std::to_string(width) + " x " + std::to_string(height));
        static DriverArgs args;
        args = DriverArgs{editorWindow, width, height, settingsPath};
        HANDLE driver = CreateThread(nullptr, 0, drive, &args, 0, nullptr);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        WaitForSingleObject(driver, INFINITE);
        CloseHandle(driver);
    }
    dispatch(effEditClose);
    DestroyWindow(hostWindow);
    dispatch(effMainsChanged, 0, 0);
    dispatch(effClose);
    FreeLibrary(module);
    DeleteFileA(settingsPath.c_str());
    RemoveDirectoryA(dir.c_str());

    std::printf(failures == 0 ? "learn end-to-end: passed\n" : "learn end-to-end: %d failure(s)\n", failures);
    return failures == 0 ? 0 : 1;
}
