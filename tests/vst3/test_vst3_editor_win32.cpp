// The VST 3 view in a Windows host's window, run under Wine.
#include "tests/vst3/Vst3TestHost.h"

#include <fstream>

#include "tests/editor/Win32TestSupport.h"

namespace tarn::vst3test {
namespace {

constexpr int kSize = 600;

int children(HWND parent) {
    int n = 0;
    EnumChildWindows(parent, [](HWND, LPARAM n) { return ++*reinterpret_cast<int *>(n), TRUE; },
                     reinterpret_cast<LPARAM>(&n));
    return n;
}

TEST(Vst3EditorWin32, AttachedAndRemoved) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.start();
    IPlugView *view = a.controller->createView(kEditorViewType);
    ASSERT_TRUE(view);
    EXPECT_EQ(kResultTrue, view->isPlatformTypeSupported(kPlatformTypeHwnd));
    HWND parent = wintest::makeParentWindow(kSize, kSize);
    ASSERT_TRUE(parent);
    ASSERT_EQ(kResultOk, view->attached(parent, kPlatformTypeHwnd));
    EXPECT_EQ(1, children(parent));
    wintest::pump(100);
    ASSERT_EQ(kResultOk, view->removed());
    EXPECT_EQ(0, children(parent));
    view->release();
    DestroyWindow(parent);
    wintest::pump(50);
}

}  // namespace
}  // namespace tarn::vst3test

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    char dir[MAX_PATH] = {};
    if (GetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", dir, MAX_PATH) > 0)
        std::ofstream(hostPath(dir) + "/tarnwell.cfg.txt") << "size 600 600\n";
    return RUN_ALL_TESTS();
}
