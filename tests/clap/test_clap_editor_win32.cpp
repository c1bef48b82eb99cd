// The CLAP editor as a child of a host's window under Windows: opened,
// closed and reopened, drawing while the host pumps its messages.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/clap/ClapTestHost.h"
#include "tests/editor/Win32TestSupport.h"

namespace tarn::claptest {
namespace {

constexpr int kSize = 600;

TEST(ClapEditorWin32, OpensClosesAndReopens) {
    const ClapModule &m = ClapModule::shared();
    ASSERT_NE(m.factory, nullptr) << m.path;
    Settings settings("size 600 600\n");  // not the first run: no message box
    TestHost h;
    Plugin p(h);
    ASSERT_NE(p.gui, nullptr);
    const clap_plugin_gui_t &gui = *p.gui;
    EXPECT_TRUE(gui.is_api_supported(p.p, "win32", false));
    EXPECT_FALSE(gui.is_api_supported(p.p, "x11", false));

    char className[32];
    std::snprintf(className, sizeof className, "VSTGLWindow%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(m.module.handle)));
    HWND parent = wintest::makeParentWindow(kSize, kSize);
    ASSERT_NE(parent, nullptr);
    auto editor = [&] { return FindWindowExA(parent, nullptr, className, nullptr); };
    clap_window_t window{};
    window.api = clapid::kWindowWin32;
    window.win32 = parent;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(gui.create(p.p, "win32", false));
        EXPECT_FALSE(gui.show(p.p)) << "shown without a parent";
        ASSERT_TRUE(gui.set_parent(p.p, &window));
        ASSERT_TRUE(gui.show(p.p));
        HWND child = editor();
        ASSERT_NE(child, nullptr);
        wintest::pump(400);
        EXPECT_GT(wintest::captureWindow(child).distinctColours(), 8) << "the editor drew nothing";
        ASSERT_TRUE(gui.hide(p.p));
        wintest::pump(50);
        EXPECT_EQ(editor(), nullptr);
        ASSERT_TRUE(gui.show(p.p));
        ASSERT_NE(editor(), nullptr);
        wintest::pump(100);
        gui.destroy(p.p);
        wintest::pump(50);
        EXPECT_EQ(editor(), nullptr);
    }
    // Destroyed without show, then without hide.
    ASSERT_TRUE(gui.create(p.p, "win32", false));
    ASSERT_TRUE(gui.set_parent(p.p, &window));
    gui.destroy(p.p);
    ASSERT_TRUE(gui.create(p.p, "win32", false));
    ASSERT_TRUE(gui.set_parent(p.p, &window));
    ASSERT_TRUE(gui.show(p.p));
    wintest::pump(100);
    gui.destroy(p.p);
    EXPECT_EQ(editor(), nullptr);
    DestroyWindow(parent);
}

}  // namespace
}  // namespace tarn::claptest
