// End to end: a host loads tarnwell.dll through its entry point, opens the
// editor in a window of its own, lets the timer draw, clicks the mesh and the
// FX button, closes and reopens, and keeps a screenshot.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "plugin/VstAbi.h"
#include "tests/editor/PngWriter.h"
#include "tests/editor/Win32TestSupport.h"

namespace tarn {
namespace {

using wintest::Capture;
using wintest::captureWindow;
using wintest::pump;

std::string gModulePath;

VstIntPtr VSTCALLBACK hostCallback(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

typedef AEffect *(VSTCALLBACK *EntryPoint)(audioMasterCallback);

struct Instance {
    AEffect *effect = nullptr;
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr) {
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
};

// Dismisses every first-run tip that appears, as a user pressing OK would.
class TipDismisser {
public:
    TipDismisser() : worker([this] { run(); }) {}
    ~TipDismisser() {
        done = true;
        worker.join();
    }
    int dismissed() const { return count.load(); }
    std::string lastText() const { return text; }

private:
    void run() {
        while (!done) {
            HWND box = FindWindowA("#32770", "Tarnwell!");
            if (box) {
                char buffer[1024] = {};
                GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
                text = buffer;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                ++count;
                while (!done && IsWindow(box)) Sleep(10);
            }
            Sleep(20);
        }
    }
    std::atomic<bool> done{false};
    std::atomic<int> count{0};
    std::string text;
    std::thread worker;
};

// Window coordinates of node (row, column) on a 600 × 600 editor with a 10 × 10 mesh.
LPARAM nodePoint(int row, int column) {
    const editorcheck::Point p = editorcheck::nodePoint(row, column);
    return MAKELPARAM(p.x, p.y);
}

void click(HWND child, UINT down, UINT up, LPARAM where) {
    PostMessageA(child, down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, where);
    PostMessageA(child, up, 0, where);
}

TEST(EditorHostWin32, OpenDrawClickCloseReopen) {
    ASSERT_FALSE(gModulePath.empty()) << "pass the path of tarnwell.dll";
    const std::string settingsDir = wintest::tempDirectory("tarnwell-editor-host-");
    const std::string settingsFile = settingsDir + "\\tarnwell.cfg.txt";
    DeleteFileA(settingsFile.c_str());
    SetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", settingsDir.c_str());

    HMODULE dll = LoadLibraryA(gModulePath.c_str());
    ASSERT_NE(dll, nullptr) << gModulePath;
    EntryPoint entry = reinterpret_cast<EntryPoint>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "VSTPluginMain")));
    ASSERT_NE(entry, nullptr);
    char className[32];
    std::snprintf(className, sizeof className, "VSTGLWindow%08x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(dll)));

    Instance a{entry(hostCallback)};
    Instance b{entry(hostCallback)};
    ASSERT_NE(a.effect, nullptr);
    ASSERT_NE(b.effect, nullptr);
    ASSERT_TRUE(a.effect->flags & effFlagsHasEditor);
    a.call(effOpen);
    b.call(effOpen);

    ERect *rect = nullptr;
    ASSERT_EQ(a.call(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 600);
    EXPECT_EQ(rect->bottom - rect->top, 600);

    HWND parent = wintest::makeParentWindow(600, 600);
    TipDismisser tips;
    ASSERT_EQ(a.call(effEditOpen, 0, 0, parent), 1);
    EXPECT_EQ(tips.dismissed(), 1);
    EXPECT_EQ(tips.lastText().rfind("It looks like this is your first time trying Tarnwell.", 0), 0u);
    EXPECT_TRUE(wintest::fileExists(settingsFile));

    HWND child = FindWindowExA(parent, nullptr, className, "VSTGLEditor");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(wintest::countChildren(parent, className), 1);

    pump(300);
    const Capture rest1 = captureWindow(child);
    pump(150);
    const Capture rest2 = captureWindow(child);
    ASSERT_EQ(rest1.width, 600);
    EXPECT_GT(rest1.distinctColours(), 8) << "the frames never reached the screen";
    EXPECT_TRUE(rest1 == rest2) << "a mesh at rest must draw the same frame";

    // A left click on an interior node sets the mesh moving.
    click(child, WM_LBUTTONDOWN, WM_LBUTTONUP, nodePoint(4, 4));
    pump(120);
    const Capture moving1 = captureWindow(child);
    pump(120);
    const Capture moving2 = captureWindow(child);
    EXPECT_TRUE(moving1 != rest1);
    EXPECT_TRUE(moving1 != moving2);
    pump(250);
    const Capture screenshot = captureWindow(child);

    // A right click stills it at once.
    click(child, WM_RBUTTONDOWN, WM_RBUTTONUP, nodePoint(5, 5));
    pump(120);
    const Capture still1 = captureWindow(child);
    pump(150);
    const Capture still2 = captureWindow(child);
    EXPECT_TRUE(still1 == still2);
    EXPECT_TRUE(still1 == rest1);

    // The FX button's label changes with each press: "FX on", "FX off", "FX on".
    const LPARAM fx = MAKELPARAM(12, 600 - 12 - 1);
    click(child, WM_LBUTTONDOWN, WM_LBUTTONUP, fx);
    pump(120);
    const Capture fxOff = captureWindow(child);
    const int *label = editorcheck::kFxLabel;
    const int *mesh = editorcheck::kMeshAndTop;
    EXPECT_GT(fxOff.differences(rest1, label[0], label[1], label[2], label[3]), 0);
    EXPECT_EQ(fxOff.differences(rest1, mesh[0], mesh[1], mesh[2], mesh[3]), 0) << "the FX button must not poke the mesh";
    click(child, WM_LBUTTONDOWN, WM_LBUTTONUP, fx);
    pump(120);
    EXPECT_EQ(captureWindow(child).differences(rest1, label[0], label[1], label[2], label[3]), 0);

    // Close and reopen: a fresh window, no second tip, nothing left behind.
    a.call(effEditClose);
    pump(50);
    EXPECT_EQ(wintest::countChildren(parent, className), 0);
    ASSERT_EQ(a.call(effEditOpen, 0, 0, parent), 1);
    EXPECT_EQ(wintest::countChildren(parent, className), 1);
    pump(200);
    EXPECT_EQ(tips.dismissed(), 1);
    EXPECT_GT(captureWindow(FindWindowExA(parent, nullptr, className, "VSTGLEditor")).distinctColours(), 8);
    a.call(effEditClose);
    EXPECT_EQ(wintest::countChildren(parent, className), 0);

    // The second instance shares the window class; closing the first
    // instance must not take it away.
    HWND parentB = wintest::makeParentWindow(600, 600);
    ASSERT_EQ(b.call(effEditOpen, 0, 0, parentB), 1);
    b.call(effEditClose);
    a.call(effClose);
    ASSERT_EQ(b.call(effEditOpen, 0, 0, parentB), 1);
    EXPECT_EQ(wintest::countChildren(parentB, className), 1);
    pump(100);
    // Closing the instance with its editor still open takes the window down too.
    b.call(effClose);
    EXPECT_EQ(wintest::countChildren(parentB, className), 0);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    EXPECT_FALSE(GetClassInfoExA(dll, className, &wc)) << "the last editor unregisters the class";

    // TARNWELL_SCREENSHOT names where to keep a frame of the moving mesh.
    char shotPath[MAX_PATH] = {};
    if (GetEnvironmentVariableA("TARNWELL_SCREENSHOT", shotPath, MAX_PATH) > 0) {
        std::string shot = shotPath;
        if (shot[0] == '/') shot = "Z:" + shot;
        EXPECT_TRUE(pngtest::writePng(shot, screenshot.width, screenshot.height, screenshot.rgb));
    }

    DestroyWindow(parent);
    DestroyWindow(parentB);
    FreeLibrary(dll);
    DeleteFileA(settingsFile.c_str());
    RemoveDirectoryA(settingsDir.c_str());
    SetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", nullptr);
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
