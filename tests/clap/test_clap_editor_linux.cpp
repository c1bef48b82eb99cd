// The CLAP editor in a real X window: a host with its own connection embeds
// it, closes and reopens it, and takes its window away first.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "tests/clap/ClapTestHost.h"
#include "tests/editor/X11TestHost.h"

namespace tarn::claptest {
namespace {

int hostErrors = 0;
int countError(Display *, XErrorEvent *) {
    ++hostErrors;
    return 0;
}

TEST(ClapEditorLinux, OpensClosesReopensAndOutlivesItsWindow) {
    x11test::XHost x;
    if (!x.ok()) GTEST_SKIP() << "no X display with the XTest extension";
    ASSERT_NE(ClapModule::shared().factory, nullptr) << ClapModule::shared().module.error;
    Settings settings("size 600 600\n");  // not the first run: no tip over the view
    XErrorHandler previous = XSetErrorHandler(countError);
    TestHost h;
    Plugin p(h);
    ASSERT_NE(p.gui, nullptr);
    const clap_plugin_gui_t &gui = *p.gui;
    const Window parent = x.makeParent(0, 0, 600, 600);
    clap_window_t window{};
    window.api = clapid::kWindowX11;
    window.x11 = parent;
    auto drawn = [&] {
        const Window child = x.onlyChild(parent);
        return child && x11test::waitFor([&] { return x.capture(child).distinctColours() > 8; });
    };
    for (int round = 0; round < 2; ++round) {
        // As Qtractor: create, set_parent before get_size.
        ASSERT_TRUE(gui.create(p.p, "x11", false));
        ASSERT_TRUE(gui.set_parent(p.p, &window));
        uint32_t w = 0, hgt = 0;
        ASSERT_TRUE(gui.get_size(p.p, &w, &hgt));
        EXPECT_EQ(w, 600u);
        ASSERT_TRUE(gui.show(p.p));
        EXPECT_TRUE(drawn()) << "the editor drew nothing in round " << round;
        if (round == 0) {
            gui.destroy(p.p);
            EXPECT_TRUE(x.children(parent).empty());
        }
    }
    // The host takes its window away while the editor shows; then destroy.
    x.destroy(parent);
    x11test::sleepMs(100);
    gui.destroy(p.p);
    EXPECT_TRUE(h.timerIds.empty());
    XSync(x.dpy(), False);
    EXPECT_EQ(hostErrors, 0) << "an X error reached the host";
    XSetErrorHandler(previous);
}

}  // namespace
}  // namespace tarn::claptest
