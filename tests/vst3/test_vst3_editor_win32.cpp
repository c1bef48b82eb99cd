// The VST 3 view in a Windows host's window (run under Wine), attached again
// and again; its thread timer tells the host, on the host's thread, of what
// the instrument changed by itself.
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

TEST(Vst3EditorWin32, AttachedAndRemovedAndTellingTheHostOnItsTimer) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.start();
    IPlugView *view = a.controller->createView(kEditorViewType);
    ASSERT_TRUE(view);
    EXPECT_EQ(kResultTrue, view->isPlatformTypeSupported(kPlatformTypeHwnd));
    HWND parent = wintest::makeParentWindow(kSize, kSize);
    ASSERT_TRUE(parent);
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(kResultOk, view->attached(parent, kPlatformTypeHwnd)) << round;
        EXPECT_EQ(1, children(parent)) << round;
        wintest::pump(100);
        if (round == 1) {
            // A learned controller (see main) moves its parameter in a block.
            ParamChanges cc;
            cc.point(2000 + 20, 0, 64 / 127.0);
            a.render(64, nullptr, &cc);
            EXPECT_TRUE(a.handler.calls.empty());
            wintest::pump(200);
            EXPECT_EQ(1, a.handler.count('p', 7));
            EXPECT_EQ(1, a.handler.count('b', 7));
            EXPECT_EQ(1, a.handler.count('e', 7));
        }
        ASSERT_EQ(kResultOk, view->removed()) << round;
        EXPECT_EQ(0, children(parent)) << round;
    }
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
        std::ofstream(hostPath(dir) + "/tarnwell.cfg.txt") << "size 600 600\ncc 20 7\n";
    return RUN_ALL_TESTS();
}
