// The VST 3 view in X windows of a host's making: attached and removed again
// and again, with and without the host's run loop, two at once, the host's
// window destroyed first, and the editor's own changes told to the host.
#include <fstream>

// Google Test before Xlib, whose macros would rename its types.
#include "tests/vst3/Vst3TestHost.h"

#include "tests/editor/X11TestHost.h"

namespace tarn::vst3test {
namespace {

using x11test::waitFor;

constexpr int kSize = 600;

struct View {
    explicit View(Vst3Instance &a) : view(a.controller->createView(kEditorViewType)) {}
    ~View() {
        if (view) view->release();
    }
    IPlugView *view;
};

TEST(Vst3Editor, AttachedAndRemovedRepeatedlyWithTheHostsRunLoop) {
    x11test::XHost x;
    ASSERT_TRUE(x.ok()) << "no X display with the test extension";
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.initialize();
    EXPECT_EQ(nullptr, a.controller->createView("other"));
    const int threads = x11test::threadCount();
    int sockets = -1;
    {
        View v(a);
        ASSERT_TRUE(v.view);
        EXPECT_EQ(kResultTrue, v.view->isPlatformTypeSupported(kPlatformTypeX11));
        EXPECT_EQ(kResultFalse, v.view->isPlatformTypeSupported(kPlatformTypeHwnd));
        ViewRect size{};
        ASSERT_EQ(kResultOk, v.view->getSize(&size));
        EXPECT_EQ(kSize, size.right - size.left);
        EXPECT_EQ(kSize, size.bottom - size.top);
        EXPECT_EQ(kResultFalse, v.view->canResize());
        ViewRect wish{10, 10, 900, 300};
        EXPECT_EQ(kResultTrue, v.view->checkSizeConstraint(&wish));
        EXPECT_EQ(10 + kSize, wish.right);
        EXPECT_EQ(10 + kSize, wish.bottom);
        // A view made only to be asked opens nothing.
        EXPECT_EQ(threads, x11test::threadCount());

        RunLoopFrame frame;
        ASSERT_EQ(kResultOk, v.view->setFrame(&frame));
        for (int round = 0; round < 3; ++round) {
            const Window parent = x.makeParent(0, 0, kSize, kSize);
            EXPECT_EQ(kInvalidArgument, v.view->attached(reinterpret_cast<void *>(parent), kPlatformTypeHwnd));
            ASSERT_EQ(kResultOk, v.view->attached(reinterpret_cast<void *>(parent), kPlatformTypeX11));
            // The host finds the child the moment the call returns.
            EXPECT_NE(0u, x.onlyChild(parent)) << round;
            EXPECT_EQ(1u, frame.timers.size());
            frame.fire();
            ASSERT_EQ(kResultOk, v.view->removed());
            EXPECT_TRUE(frame.timers.empty());
            EXPECT_TRUE(waitFor([&] { return x.children(parent).empty(); })) << round;
            x.destroy(parent);
            // The text renderer keeps one connection for the process from
            // the first editor on.
            if (round == 0) sockets = x11test::socketCount();
        }
        EXPECT_EQ(kResultOk, v.view->setFrame(nullptr));
        EXPECT_EQ(1u, frame.count);
    }
    EXPECT_TRUE(waitFor([&] { return x11test::threadCount() == threads; })) << "a thread stayed behind";
    EXPECT_EQ(sockets, x11test::socketCount()) << "a connection stayed open";
}

TEST(Vst3Editor, TwoAtOnceWithoutRunLoopAndTheHostsWindowGoneFirst) {
    x11test::XHost x;
    ASSERT_TRUE(x.ok());
    Vst3Instance a, b;
    ASSERT_TRUE(a.ok() && b.ok());
    a.initialize();
    b.initialize();
    View va(a), vb(b);
    ASSERT_TRUE(va.view && vb.view);
    RunLoopFrame plain;
    plain.offerRunLoop = false;
    va.view->setFrame(&plain);
    const Window pa = x.makeParent(0, 0, kSize, kSize), pb = x.makeParent(kSize, 0, kSize, kSize);
    ASSERT_EQ(kResultOk, va.view->attached(reinterpret_cast<void *>(pa), kPlatformTypeX11));
    ASSERT_EQ(kResultOk, vb.view->attached(reinterpret_cast<void *>(pb), kPlatformTypeX11));
    EXPECT_NE(0u, x.onlyChild(pa));
    EXPECT_NE(0u, x.onlyChild(pb));
    EXPECT_TRUE(plain.timers.empty());
    // No run loop drives either view, and the mesh still moves where it was
    // clicked, frame after frame.
    const Window ca = x.onlyChild(pa);
    x11test::sleepMs(300);
    const editorcheck::Point node = editorcheck::nodePoint(5, 3);
    x.click(ca, node.x, node.y);
    x11test::Capture previous = x.capture(ca);
    int moving = 0;
    for (int frame = 0; frame < 40 && moving < 3; ++frame) {
        x11test::sleepMs(40);
        const x11test::Capture now = x.capture(ca);
        moving += now.differences(previous, 0, 0, kSize, kSize) > 0;
        previous = now;
    }
    EXPECT_GE(moving, 3) << "the mesh does not animate without the host's run loop";
    x.destroy(pa);
    x11test::sleepMs(200);
    EXPECT_EQ(kResultOk, va.view->removed());
    EXPECT_NE(0u, x.onlyChild(pb)) << "the other editor must stay";
    EXPECT_EQ(kResultOk, vb.view->removed());
    EXPECT_TRUE(waitFor([&] { return x.children(pb).empty(); }));
    va.view->setFrame(nullptr);
    x.destroy(pb);
    // The instance may end while its view still exists.
    a.stop();
    EXPECT_EQ(kResultFalse, va.view->removed());
    ViewRect size{};
    EXPECT_NE(kResultOk, va.view->getSize(&size));
}

TEST(Vst3Editor, TheEditorsChangesReachTheHostOnItsTimer) {
    x11test::XHost x;
    ASSERT_TRUE(x.ok());
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.start();
    View v(a);
    ASSERT_TRUE(v.view);
    RunLoopFrame frame;
    v.view->setFrame(&frame);
    const Window parent = x.makeParent(0, 0, kSize, kSize);
    ASSERT_EQ(kResultOk, v.view->attached(reinterpret_cast<void *>(parent), kPlatformTypeX11));
    const Window child = x.onlyChild(parent);
    ASSERT_NE(0u, child);
    double old[88];
    for (ParamID i = 0; i < 88; ++i) old[i] = a.controller->getParamNormalized(i);
    x11test::sleepMs(300);
    // The random button gives every parameter a new value.
    x.click(child, kSize - 34 + 4, kSize - 1 - (kSize - 30 + 7));
    int changed = 0;
    waitFor([&] {
        changed = 0;
        for (ParamID i = 0; i < 88; ++i) changed += a.controller->getParamNormalized(i) != old[i];
        return changed > 60;
    });
    EXPECT_GT(changed, 60);
    // The instrument notices them as the next block ends; the host hears of
    // them on its timer.
    EXPECT_TRUE(a.handler.calls.empty());
    a.render(64);
    frame.fire();
    EXPECT_FALSE(a.handler.calls.empty());
    int edits = 0;
    for (ParamID i = 0; i < 88; ++i)
        if (a.controller->getParamNormalized(i) != old[i]) {
            EXPECT_EQ(1, a.handler.count('b', i)) << i;
            EXPECT_EQ(1, a.handler.count('e', i)) << i;
            edits += a.handler.count('p', i);
        }
    EXPECT_EQ(changed, edits);
    for (const HandlerCall &c : a.handler.calls) EXPECT_EQ(std::this_thread::get_id(), c.thread);
    // A host's value reaches the editor's model, which the sliders draw.
    a.processor->setProcessing(0);
    a.controller->setParamNormalized(0, 0.0);
    EXPECT_EQ(0.0, a.controller->getParamNormalized(0));
    EXPECT_EQ(kResultOk, v.view->removed());
    v.view->setFrame(nullptr);
    x.destroy(parent);
}

}  // namespace
}  // namespace tarn::vst3test

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A settings file from an earlier run: no first-run tip over the view.
    if (const char *dir = std::getenv("TARNWELL_SETTINGS_DIR"))
        std::ofstream(std::string(dir) + "/tarnwell.cfg.txt") << "size 600 600\n";
    return RUN_ALL_TESTS();
}
