// End to end: a host loads tarnwell.dll through its entry point, opens the
// editor in a window of its own and uses it as a musician would: the
// first-run tip, the resting mesh, a click that moves the mesh under the
// pointer, a right click that stills it, the sliders, the four buttons,
// closing and reopening, and two instances with their editors open at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "plugin/VstAbi.h"
#include "tests/editor/PngWriter.h"
#include "tests/editor/Win32TestSupport.h"

namespace tarn {
namespace {

using wintest::Capture;
using wintest::captureWindow;
using wintest::pump;

std::string gModulePath;

// The editor's size and its widgets' places in drawing space (y upward).
constexpr int kSize = editorcheck::kEditorSize;
constexpr int kFrictionStrip = 187 + 45 + 4;  // HSlide at (W / 2 - 113, 10), label "Frict" 5 × 9 pixels
constexpr int kRowsBars = 10 + 8;             // VSlide at (10, H / 2 - 40)
constexpr int kRowsStrip = 260 + 15 + 4;

VstIntPtr VSTCALLBACK hostCallback(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

typedef AEffect *(VSTCALLBACK *EntryPoint)(audioMasterCallback);

struct Instance {
    AEffect *effect = nullptr;
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    float parameter(int index) { return effect->getParameter(effect, index); }
};

// Answers every modal box and dialog of this process as a user would: OK on
// message boxes, Cancel on learn dialogs; keeps what each one said.
class BoxAnswerer {
public:
    struct Answer {
        std::string caption, text;
    };
    BoxAnswerer() : worker([this] { run(); }) {}
    ~BoxAnswerer() {
        done = true;
        worker.join();
    }
    std::vector<Answer> answers() {
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    }
    // Waits up to a few seconds for the count of answers to reach n.
    bool waitFor(size_t n) {
        for (int waited = 0; waited < 5000; waited += 20) {
            if (answers().size() >= n) return true;
            pump(20);
        }
        return false;
    }

private:
    void run() {
        std::set<HWND> answered;
        while (!done) {
            HWND box = nullptr;
            while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
                DWORD process = 0;
                GetWindowThreadProcessId(box, &process);
                if (process != GetCurrentProcessId() || !IsWindowVisible(box) || !answered.insert(box).second)
                    continue;
                char caption[128] = {}, text[1024] = {};
                GetWindowTextA(box, caption, sizeof caption);
                const bool learn = std::string(caption) == "MIDI Learn";
                GetDlgItemTextA(box, learn ? 30201 : 0xFFFF, text, sizeof text);
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    seen.push_back({caption, text});
                }
                PostMessageA(box, WM_COMMAND, learn ? IDCANCEL : IDOK, 0);
            }
            Sleep(20);
        }
    }
    std::atomic<bool> done{false};
    std::mutex mutex;
    std::vector<Answer> seen;
    std::thread worker;
};

// Window coordinates of a point given in drawing space.
LPARAM at(int x, int yUp) { return MAKELPARAM(x, kSize - 1 - yUp); }

LPARAM nodePoint(int row, int column) {
    const editorcheck::Point p = editorcheck::nodePoint(row, column);
    return MAKELPARAM(p.x, p.y);
}

bool lit(const Capture &frame, int x, int yUp) {
    const Capture::Rgb p = frame.at(x, kSize - 1 - yUp);
    return p.r == 0 && p.g == 0 && p.b == 255;
}

void click(HWND child, UINT down, UINT up, LPARAM where) {
    PostMessageA(child, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, where);
    PostMessageA(child, up, 0, where);
}
void leftClick(HWND child, LPARAM where) { click(child, WM_LBUTTONDOWN, WM_LBUTTONUP, where); }

// Where two frames differ, on average, in window coordinates.
bool changedCentre(const Capture &a, const Capture &b, double &x, double &y) {
    double sx = 0, sy = 0;
    long n = 0;
    for (int row = 0; row < a.height; ++row)
        for (int column = 0; column < a.width; ++column)
            if (a.differences(b, column, row, column + 1, row + 1) > 0) sx += column, sy += row, ++n;
    if (n == 0) return false;
    x = sx / n;
    y = sy / n;
    return true;
}

class EditorHostWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(gModulePath.empty()) << "pass the path of tarnwell.dll";
        settingsDir = wintest::tempDirectory("tarnwell-editor-host-");
        settingsFile = settingsDir + "\\tarnwell.cfg.txt";
        DeleteFileA(settingsFile.c_str());
        SetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", settingsDir.c_str());
        dll = LoadLibraryA(gModulePath.c_str());
        ASSERT_NE(dll, nullptr) << gModulePath;
        entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "VSTPluginMain")));
        ASSERT_NE(entry, nullptr);
        std::snprintf(className, sizeof className, "VSTGLWindow%08x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(dll)));
    }
    void TearDown() override {
        for (HWND w : parents) DestroyWindow(w);
        if (dll) FreeLibrary(dll);
        DeleteFileA(settingsFile.c_str());
        RemoveDirectoryA(settingsDir.c_str());
        SetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", nullptr);
    }
    Instance make() {
        Instance i{entry(hostCallback)};
        EXPECT_NE(i.effect, nullptr);
        if (i.effect) i.call(effOpen);
        return i;
    }
    HWND parent() {
        parents.push_back(wintest::makeParentWindow(kSize, kSize));
        return parents.back();
    }
    HWND editorIn(HWND parentWindow) { return FindWindowExA(parentWindow, nullptr, className, "VSTGLEditor"); }

    std::string settingsDir, settingsFile;
    HMODULE dll = nullptr;
    EntryPoint entry = nullptr;
    char className[32] = {};
    std::vector<HWND> parents;
};

TEST_F(EditorHostWin32, OneEditorFromFirstRunToClose) {
    Instance a = make();
    ASSERT_TRUE(a.effect->flags & effFlagsHasEditor);
    ERect *rect = nullptr;
    ASSERT_EQ(a.call(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, kSize);
    EXPECT_EQ(rect->bottom - rect->top, kSize);

    // The first opening shows the tip once and writes the settings file.
    HWND host = parent();
    BoxAnswerer boxes;
    ASSERT_EQ(a.call(effEditOpen, 0, 0, host), 1);
    ASSERT_EQ(boxes.answers().size(), 1u);
    EXPECT_EQ(boxes.answers()[0].caption, "Tarnwell!");
    EXPECT_EQ(boxes.answers()[0].text.rfind("It looks like this is your first time trying Tarnwell.", 0), 0u);
    EXPECT_TRUE(wintest::fileExists(settingsFile));
    HWND child = editorIn(host);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(wintest::countChildren(host, className), 1);

    // The resting mesh draws the same frame again and again, and that frame
    // is what the X server shows for the window.
    pump(300);
    const Capture rest1 = captureWindow(child);
    pump(150);
    const Capture rest2 = captureWindow(child);
    ASSERT_EQ(rest1.width, kSize);
    EXPECT_GT(rest1.distinctColours(), 8) << "the editor drew nothing";
    EXPECT_TRUE(rest1 == rest2) << "a mesh at rest must draw the same frame";
    if (wintest::xGrabAvailable()) {
        Capture x;
        EXPECT_TRUE(wintest::grabXWindow(kSize, kSize, x)) << "no off-screen X window holds the editor's frames";
        EXPECT_TRUE(x == rest1) << "the frames do not reach the X window";
    } else {
        std::printf("the X side of the editor window is not checked (no TARNWELL_X_GRAB)\n");
    }
    pump(100);  // frames at their usual pace again before the click

    // A left click sets the mesh moving where it lands.
    leftClick(child, nodePoint(2, 6));
    pump(60);
    const Capture moving1 = captureWindow(child);
    double pushX = 0, pushY = 0;
    ASSERT_TRUE(changedCentre(rest1, moving1, pushX, pushY)) << "a click did not move the mesh";
    const editorcheck::Point pushed = editorcheck::nodePoint(2, 6);
    EXPECT_NEAR(pushX, pushed.x, 5.0) << "the push is not under the pointer";
    EXPECT_NEAR(pushY, pushed.y, 5.0) << "the push is not under the pointer";
    pump(120);
    const Capture moving2 = captureWindow(child);
    EXPECT_TRUE(moving1 != moving2);
    pump(250);
    const Capture screenshot = captureWindow(child);

    // A right click stills it at once.
    click(child, WM_RBUTTONDOWN, WM_RBUTTONUP, nodePoint(5, 5));
    pump(120);
    const Capture still1 = captureWindow(child);
    pump(150);
    EXPECT_TRUE(still1 == captureWindow(child));
    EXPECT_TRUE(still1 == rest1);

    // The FX button's label changes with each press: "FX on", "FX off", "FX on".
    const LPARAM fx = at(12, 12);
    leftClick(child, fx);
    pump(120);
    const Capture fxOff = captureWindow(child);
    const int *label = editorcheck::kFxLabel;
    const int *mesh = editorcheck::kMeshAndTop;
    EXPECT_GT(fxOff.differences(rest1, label[0], label[1], label[2], label[3]), 0);
    EXPECT_EQ(fxOff.differences(rest1, mesh[0], mesh[1], mesh[2], mesh[3]), 0) << "the FX button must not poke the mesh";
    leftClick(child, fx);
    pump(120);
    EXPECT_EQ(captureWindow(child).differences(rest1, label[0], label[1], label[2], label[3]), 0);

    // The Friction slider follows a drag, pins at its end and lets go on release.
    PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, at(kFrictionStrip + 30, 17));
    pump(60);
    EXPECT_EQ(a.parameter(0), 0.5f);
    PostMessageA(child, WM_MOUSEMOVE, MK_LBUTTON, at(kFrictionStrip + 200, 17));
    PostMessageA(child, WM_LBUTTONUP, 0, at(kFrictionStrip + 200, 17));
    PostMessageA(child, WM_MOUSEMOVE, 0, at(kFrictionStrip, 17));
    pump(120);
    EXPECT_EQ(a.parameter(0), 1.0f);
    const Capture frictionFull = captureWindow(child);
    EXPECT_TRUE(lit(frictionFull, kFrictionStrip + 6 * 9 + 2, 17)) << "the tenth bar is not lit";
    // The Rows slider takes a press on its bars: the bottom one is 0, and the mesh shrinks to three rows.
    leftClick(child, at(kRowsBars + 10, kRowsStrip));
    pump(120);
    EXPECT_EQ(a.parameter(2), 0.0f);
    EXPECT_GT(captureWindow(child).differences(frictionFull, 50, 50, 550, 550), 0);

    // About shows its box; MIDI walks the four learn dialogs; ? changes every parameter.
    leftClick(child, at(15, 577));
    ASSERT_TRUE(boxes.waitFor(2));
    EXPECT_EQ(boxes.answers()[1].caption, "About Tarnwell");
    EXPECT_EQ(boxes.answers()[1].text.rfind("Tarnwell 1.0", 0), 0u);
    leftClick(child, at(kSize - 48 + 18, 17));
    ASSERT_TRUE(boxes.waitFor(6));
    const char *learned[] = {"Friction", "Viscosity", "Rows", "Columns"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(boxes.answers()[2 + i].caption, "MIDI Learn");
        EXPECT_EQ(boxes.answers()[2 + i].text, learned[i]);
    }
    std::vector<float> before;
    for (int p = 0; p < 88; ++p) before.push_back(a.parameter(p));
    leftClick(child, at(kSize - 34 + 4, 577));
    pump(120);
    int changed = 0;
    for (int p = 0; p < 88; ++p) changed += a.parameter(p) != before[p];
    EXPECT_GE(changed, 80);

    // Close and reopen: a fresh window, no second tip, nothing left behind.
    a.call(effEditClose);
    pump(50);
    EXPECT_EQ(wintest::countChildren(host, className), 0);
    ASSERT_EQ(a.call(effEditOpen, 0, 0, host), 1);
    EXPECT_EQ(wintest::countChildren(host, className), 1);
    pump(200);
    EXPECT_EQ(boxes.answers().size(), 6u);
    EXPECT_GT(captureWindow(editorIn(host)).distinctColours(), 8);
    a.call(effEditClose);
    EXPECT_EQ(wintest::countChildren(host, className), 0);
    a.call(effClose);

    // TARNWELL_SCREENSHOT names where to keep a frame of the moving mesh.
    char shotPath[MAX_PATH] = {};
    if (GetEnvironmentVariableA("TARNWELL_SCREENSHOT", shotPath, MAX_PATH) > 0) {
        std::string shot = shotPath;
        if (shot[0] == '/') shot = "Z:" + shot;
        EXPECT_TRUE(pngtest::writePng(shot, screenshot.width, screenshot.height, screenshot.rgb));
    }
}

TEST_F(EditorHostWin32, TwoInstancesWithEditorsOpenAtOnce) {
    if (FILE *f = std::fopen(settingsFile.c_str(), "w")) {  // not a first run: no tip
        std::fputs("size 600 600\n", f);
        std::fclose(f);
    }
    Instance a = make();
    Instance b = make();
    HWND hostA = parent(), hostB = parent();
    ASSERT_EQ(a.call(effEditOpen, 0, 0, hostA), 1);
    ASSERT_EQ(b.call(effEditOpen, 0, 0, hostB), 1);
    HWND childA = editorIn(hostA), childB = editorIn(hostB);
    ASSERT_NE(childA, nullptr);
    ASSERT_NE(childB, nullptr);
    pump(300);
    const Capture restA = captureWindow(childA);
    const Capture restB = captureWindow(childB);
    EXPECT_GT(restA.distinctColours(), 8);
    EXPECT_TRUE(restA == restB) << "two fresh instances draw the same resting mesh";

    // A click in one editor moves only that instance's mesh.
    leftClick(childB, nodePoint(4, 4));
    pump(150);
    EXPECT_TRUE(captureWindow(childA) == restA);
    EXPECT_TRUE(captureWindow(childB) != restB);

    // Either editor closes without stopping the other.
    a.call(effEditClose);
    EXPECT_EQ(wintest::countChildren(hostA, className), 0);
    const Capture b1 = captureWindow(childB);
    pump(120);
    EXPECT_TRUE(captureWindow(childB) != b1) << "the other editor stopped drawing";

    // The window class is shared: closing the first instance must not take it
    // away, and the last editor to go unregisters it.
    b.call(effEditClose);
    a.call(effClose);
    ASSERT_EQ(b.call(effEditOpen, 0, 0, hostB), 1);
    EXPECT_EQ(wintest::countChildren(hostB, className), 1);
    pump(100);
    EXPECT_GT(captureWindow(editorIn(hostB)).distinctColours(), 8);
    // Closing the instance with its editor still open takes the window down too.
    b.call(effClose);
    EXPECT_EQ(wintest::countChildren(hostB, className), 0);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    EXPECT_FALSE(GetClassInfoExA(dll, className, &wc)) << "the last editor unregisters the class";
}

}  // namespace
}  // namespace tarn

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("--", 0) == 0) continue;
        // A Unix path handed over by the test runner is reached through Wine's Z: drive.
        if (!arg.empty() && arg[0] == '/') arg = "Z:" + arg;
        tarn::gModulePath = arg;
    }
    return RUN_ALL_TESTS();
}
