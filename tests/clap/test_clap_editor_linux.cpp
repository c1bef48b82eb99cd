// The CLAP editor in a real X window: a host with its own connection embeds
// it, shows, hides and destroys it in the orders hosts use, and hears of the
// changes a click makes. The host never drives a timer: the editor draws on
// its own.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "tests/clap/ClapTestHost.h"
#include "tests/editor/X11TestHost.h"

namespace tarn::claptest {
namespace {

using x11test::waitFor;
using x11test::XHost;

constexpr int kSize = 600;

int hostErrors = 0;
int countError(Display *, XErrorEvent *) {
    ++hostErrors;
    return 0;
}

TEST(ClapEditorLinux, OpensClosesReopensTellsTheHostOfClicksAndOutlivesItsWindow) {
    XHost x;
    if (!x.ok()) GTEST_SKIP() << "no X display with the XTest extension";
    ASSERT_NE(ClapModule::shared().factory, nullptr) << ClapModule::shared().module.error;
    Settings settings("size 600 600\n");  // not the first run: no tip over the view
    XErrorHandler previous = XSetErrorHandler(countError);
    TestHost h;
    Plugin p(h);
    ASSERT_NE(p.gui, nullptr);
    const clap_plugin_gui_t &gui = *p.gui;
    EXPECT_TRUE(gui.is_api_supported(p.p, "x11", false));
    EXPECT_FALSE(gui.is_api_supported(p.p, "x11", true));
    EXPECT_FALSE(gui.create(p.p, "x11", true));
    EXPECT_FALSE(gui.show(p.p)) << "shown before it was created";

    const Window parent = x.makeParent(0, 0, kSize, kSize);
    clap_window_t window{};
    window.api = clapid::kWindowX11;
    window.x11 = parent;
    auto drawn = [&] {
        const Window child = x.onlyChild(parent);
        return child && waitFor([&] { return x.capture(child).distinctColours() > 8; });
    };
    int threads = 0, sockets = 0;
    for (int round = 0; round < 2; ++round) {
        // As Qtractor: create, set_parent before can_resize and get_size.
        ASSERT_TRUE(gui.create(p.p, "x11", false));
        EXPECT_FALSE(gui.show(p.p)) << "shown without a parent";
        ASSERT_TRUE(gui.set_parent(p.p, &window));
        EXPECT_FALSE(gui.can_resize(p.p));
        uint32_t w = 0, hgt = 0;
        ASSERT_TRUE(gui.get_size(p.p, &w, &hgt));
        EXPECT_EQ(w, 600u);
        EXPECT_EQ(hgt, 600u);
        EXPECT_TRUE(x.children(parent).empty()) << "nothing before show";
        ASSERT_TRUE(gui.show(p.p));
        EXPECT_TRUE(drawn()) << "the editor drew nothing";
        EXPECT_TRUE(gui.show(p.p)) << "shown twice";
        ASSERT_TRUE(gui.hide(p.p));
        EXPECT_TRUE(x.children(parent).empty());
        ASSERT_TRUE(gui.show(p.p));
        EXPECT_TRUE(drawn()) << x.children(parent).size() << " children in round " << round;
        gui.destroy(p.p);
        EXPECT_TRUE(x.children(parent).empty());
        // The first round may leave the module's one text connection open.
        if (round == 0) {
            threads = x11test::threadCount();
            sockets = x11test::socketCount();
        }
    }
    EXPECT_EQ(x11test::threadCount(), threads);
    EXPECT_EQ(x11test::socketCount(), sockets);

    // Destroyed without show, twice; then shown for the clicks.
    ASSERT_TRUE(gui.create(p.p, "x11", false));
    ASSERT_TRUE(gui.set_parent(p.p, &window));
    gui.destroy(p.p);
    gui.destroy(p.p);
    ASSERT_TRUE(gui.create(p.p, "x11", false));
    ASSERT_TRUE(gui.set_parent(p.p, &window));
    ASSERT_TRUE(gui.show(p.p));
    ASSERT_TRUE(drawn());
    const Window child = x.onlyChild(parent);

    // The random button sets values in the editor; the host's timer asks for
    // a flush from the main thread, which tells each as gesture, value, end.
    EXPECT_EQ(h.timerIds.size(), 1u) << "a timer while the editor shows";
    auto pressRandom = [&] {
        float before[88];
        for (clap_id i = 0; i < 88; ++i) before[i] = static_cast<float>(p.value(i));
        x.click(child, kSize - 34 + 4, kSize - 1 - (kSize - 30 + 7));
        int changed = 0;
        EXPECT_TRUE(waitFor([&] {
            changed = 0;
            for (clap_id i = 0; i < 88; ++i) changed += static_cast<float>(p.value(i)) != before[i];
            return changed > 60;
        })) << changed << " changed";
        return changed;
    };
    auto expectTold = [&](const EventList &out, int changed) {
        ASSERT_EQ(out.size() % 3, 0u);
        EXPECT_GE(out.size(), 3u * changed);
        for (size_t k = 0; k + 2 < out.size(); k += 3) {
            ASSERT_EQ(out.at(k).type, kClapEventParamGestureBegin);
            ASSERT_EQ(out.at(k + 1).type, kClapEventParamValue);
            ASSERT_EQ(out.at(k + 2).type, kClapEventParamGestureEnd);
            const auto &v = out.as<clap_event_param_value_t>(k + 1);
            EXPECT_EQ(out.as<clap_event_param_gesture_t>(k).param_id, v.param_id);
            EXPECT_EQ(v.value, p.value(v.param_id)) << v.param_id;
        }
    };
    int changed = pressRandom();
    x11test::sleepMs(100);
    const int requests = h.flushRequests;
    p.fireTimers();
    EXPECT_GT(h.flushRequests, requests);
    EXPECT_EQ(h.flushRequestsOnAudio, 0);
    EventList in, out;
    p.flush(in, out);
    expectTold(out, changed);
    out.clear();
    p.flush(in, out);
    EXPECT_EQ(out.size(), 0u) << "told once";

    // While the host processes, the blocks tell the editor's changes.
    ASSERT_TRUE(p.activate(48000, 1, 256));
    ASSERT_TRUE(p.start());
    p.process(256);
    changed = pressRandom();
    x11test::sleepMs(100);
    out.clear();
    p.process(256, nullptr, &out);
    expectTold(out, changed);
    EXPECT_EQ(h.flushRequestsOnAudio, 0);

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
