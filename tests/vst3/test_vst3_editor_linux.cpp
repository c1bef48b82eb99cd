// The VST 3 view in X windows of a host's making, attached and removed again.
#include <fstream>

// Google Test before Xlib, whose macros would rename its types.
#include "tests/vst3/Vst3TestHost.h"

#include "tests/editor/X11TestHost.h"

namespace tarn::vst3test {
namespace {

using x11test::waitFor;

constexpr int kSize = 600;

// A frame that may offer a run loop, as some Linux hosts do.
class RunLoopFrame final : public IPlugFrame, public IRunLoop {
public:
    tresult TARN_VST3_API queryInterface(const TUID iid, void **obj) override {
        *obj = kFUnknownIid == iid || kIPlugFrameIid == iid ? static_cast<void *>(static_cast<IPlugFrame *>(this))
               : kIRunLoopIid == iid && offerRunLoop         ? static_cast<IRunLoop *>(this)
                                                             : nullptr;
        if (!*obj) return kNoInterface;
        ++count;
        return kResultOk;
    }
    uint32 TARN_VST3_API addRef() override { return ++count; }
    uint32 TARN_VST3_API release() override { return --count; }
    tresult TARN_VST3_API resizeView(IPlugView *, ViewRect *) override { return kResultOk; }
    tresult TARN_VST3_API registerEventHandler(IEventHandler *, FileDescriptor) override { return kResultOk; }
    tresult TARN_VST3_API unregisterEventHandler(IEventHandler *) override { return kResultOk; }
    tresult TARN_VST3_API registerTimer(ITimerHandler *h, TimerInterval ms) override {
        if (ms == 0) return kInvalidArgument;
        timers.push_back(h);
        return kResultOk;
    }
    tresult TARN_VST3_API unregisterTimer(ITimerHandler *h) override {
        const auto at = std::find(timers.begin(), timers.end(), h);
        if (at == timers.end()) return kInvalidArgument;
        timers.erase(at);
        return kResultOk;
    }
    bool offerRunLoop = true;
    uint32 count = 1;
    std::vector<ITimerHandler *> timers;
};

TEST(Vst3Editor, ReopenedAndOutlivingTheHostsWindow) {
    x11test::XHost x;
    ASSERT_TRUE(x.ok()) << "no X display with the test extension";
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.start();
    const int threads = x11test::threadCount();
    int sockets = -1;
    {
        IPlugView *view = a.controller->createView(kEditorViewType);
        ASSERT_TRUE(view);
        ViewRect size{};
        ASSERT_EQ(kResultOk, view->getSize(&size));
        EXPECT_EQ(kSize, size.right - size.left);
        EXPECT_EQ(threads, x11test::threadCount()) << "a view made only to be asked opens nothing";

        RunLoopFrame frame, plain;
        plain.offerRunLoop = false;
        for (int round = 0; round < 3; ++round) {
            // The last round has no run loop, and the host's window goes first.
            const bool last = round == 2;
            ASSERT_EQ(kResultOk, view->setFrame(last ? &plain : &frame));
            const Window parent = x.makeParent(0, 0, kSize, kSize);
            ASSERT_EQ(kResultOk, view->attached(reinterpret_cast<void *>(parent), kPlatformTypeX11));
            // The host finds the child the moment the call returns.
            EXPECT_NE(0u, x.onlyChild(parent)) << round;
            EXPECT_EQ(last ? 0u : 1u, frame.timers.size() + plain.timers.size());
            if (last) x.destroy(parent), x11test::sleepMs(200);
            ASSERT_EQ(kResultOk, view->removed());
            EXPECT_TRUE(frame.timers.empty());
            if (!last) {
                EXPECT_TRUE(waitFor([&] { return x.children(parent).empty(); })) << round;
                x.destroy(parent);
            }
            // The text renderer keeps one connection for the process from
            // the first editor on.
            if (round == 0) sockets = x11test::socketCount();
        }
        EXPECT_EQ(kResultOk, view->setFrame(nullptr));
        EXPECT_EQ(1u, frame.count);
        EXPECT_EQ(1u, plain.count);
        // The instance may end while its view still exists.
        a.stop();
        EXPECT_EQ(kResultFalse, view->removed());
        EXPECT_NE(kResultOk, view->getSize(&size));
        view->release();
    }
    EXPECT_TRUE(waitFor([&] { return x11test::threadCount() == threads; })) << "a thread stayed behind";
    EXPECT_EQ(sockets, x11test::socketCount()) << "a connection stayed open";
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
