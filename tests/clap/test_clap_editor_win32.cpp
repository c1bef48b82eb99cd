// The CLAP editor as a child of a host's window under Windows, drawing while
// the host pumps its messages.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/clap/ClapTestHost.h"
#include "tests/editor/Win32TestSupport.h"

namespace tarn::claptest {
namespace {

TEST(ClapEditorWin32, OpensAndCloses) {
    const ClapModule &m = ClapModule::shared();
    ASSERT_NE(m.factory, nullptr) << m.path;
    Settings settings("size 600 600\n");  // not the first run: no message box
    TestHost h;
    Plugin p(h);
    ASSERT_NE(p.gui, nullptr);
    const clap_plugin_gui_t &gui = *p.gui;
    char className[32];
    std::snprintf(className, sizeof className, "VSTGLWindow%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(m.module.handle)));
    HWND parent = wintest::makeParentWindow(600, 600);
    ASSERT_NE(parent, nullptr);
    auto editor = [&] { return FindWindowExA(parent, nullptr, className, nullptr); };
    clap_window_t window{};
    window.api = clapid::kWindowWin32;
    window.win32 = parent;
    ASSERT_TRUE(gui.create(p.p, "win32", false));
    ASSERT_TRUE(gui.set_parent(p.p, &window));
    ASSERT_TRUE(gui.show(p.p));
    HWND child = editor();
    ASSERT_NE(child, nullptr);
    wintest::pump(400);
    EXPECT_GT(wintest::captureWindow(child).distinctColours(), 8) << "the editor drew nothing";
    gui.destroy(p.p);
    wintest::pump(50);
    EXPECT_EQ(editor(), nullptr);
    DestroyWindow(parent);
}

}  // namespace
}  // namespace tarn::claptest
