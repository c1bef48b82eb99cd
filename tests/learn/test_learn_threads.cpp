// Controller messages arrive on the audio thread while the user-interface
// thread changes the bindings and runs learn dialogs. Built with
// -DTARNWELL_SANITIZE=thread this proves the sharing is free of data races;
// in any build it checks that no binding ever reaches a parameter that does
// not exist and that the last assignment is the one that holds.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <thread>
#include <vector>

#include "engine/Tarnwell.h"
#include "learn/ControllerMap.h"
#include "learn/LearnSequence.h"
#include "learn/Settings.h"

namespace tarn {
namespace {

class Lcg final {
public:
    explicit Lcg(uint32_t seed) : state(seed) {}
    int32_t range(int32_t lo, int32_t hi) {
        state = state * 1664525u + 1013904223u;
        return lo + static_cast<int32_t>((state >> 8) % static_cast<uint32_t>(hi - lo + 1));
    }

private:
    uint32_t state;
};

VstIntPtr VSTCALLBACK quietHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

constexpr int32_t kFirstCc = 2;
constexpr int32_t kLastCc = 40;
constexpr int kRounds = 20000;

TEST(LearnThreads, ControllersThroughTheEngineWhileBindingsChange) {
#ifdef _WIN32
    _putenv_s("TARNWELL_SETTINGS_DIR", "C:\\nonexistent-tarnwell-thread-test");
#else
    setenv("TARNWELL_SETTINGS_DIR", "/nonexistent-tarnwell-thread-test", 1);
#endif
    Tarnwell fx(quietHost);
    std::atomic<bool> stop{false};
    std::atomic<int> batches{0};

    std::thread audio([&] {
        VstMidiEvent events[16] = {};
        VstEvents *batch = static_cast<VstEvents *>(std::calloc(1, sizeof(VstEvents) + 16 * sizeof(VstEvent *)));
        batch->numEvents = 16;
        Lcg rng(11);
        while (!stop.load(std::memory_order_relaxed)) {
            for (int i = 0; i < 16; ++i) {
                events[i].type = kVstMidiType;
                events[i].byteSize = sizeof(VstMidiEvent);
                events[i].midiData[0] = static_cast<char>(0xB0 | rng.range(0, 15));
                events[i].midiData[1] = static_cast<char>(rng.range(kFirstCc, kLastCc));
                events[i].midiData[2] = static_cast<char>(rng.range(0, 127));
                batch->events[i] = reinterpret_cast<VstEvent *>(&events[i]);
            }
            fx.processEvents(batch);
            batches.fetch_add(1, std::memory_order_relaxed);
        }
        std::free(batch);
    });

    Lcg rng(5);
    int32_t lastParam[kLastCc + 1];
    for (auto &p : lastParam) p = ControllerMap::kNoParameter;
    for (int round = 0; round < kRounds; ++round) {
        const int32_t cc = rng.range(kFirstCc, kLastCc);
        const int32_t param = rng.range(-2, 90);
        fx.assignController(cc, param);
        lastParam[cc] = (param >= 0 && param < Tarnwell::kNumParams) ? param : ControllerMap::kNoParameter;
        if (fx.controllerFor(param) != cc) ADD_FAILURE() << "paramToCc lost " << param;
        fx.getParameter(param);
    }
    while (batches.load(std::memory_order_relaxed) < 100) std::this_thread::yield();
    stop.store(true, std::memory_order_relaxed);
    audio.join();

    for (int32_t cc = kFirstCc; cc <= kLastCc; ++cc) EXPECT_EQ(fx.controllers().parameterFor(cc), lastParam[cc]) << cc;
    for (VstInt32 p = 0; p < Tarnwell::kNumParams; ++p) {
        const float v = fx.getParameter(p);
        EXPECT_TRUE(v >= 0.0f && v <= 1.0f) << p;
    }
}

// A learn dialog that polls and answers on one thread while the MIDI thread
// reports controllers and reads the bindings it changes.
class BusyTarget final : public LearnTarget {
public:
    void parameterName(int32_t, char *text, size_t capacity) override { std::snprintf(text, capacity, "p"); }
    ControllerMap *controllers() override { return &map; }
    void saveSettings() override { ++saves; }
    ControllerMap map;
    int saves = 0;
};

std::atomic<bool> *dialogStop = nullptr;

class BusyDialog final : public LearnDialogDriver {
public:
    bool modal() const override { return true; }
    void run(LearnPrompt &prompt) override {
        prompt.attach(&prompt);
        int updates = 0;
        while (updates < 500 && !dialogStop->load(std::memory_order_relaxed)) {
            if (prompt.poll()) ++updates;
            (void)prompt.heardText();
        }
        prompt.assign();
    }
    void close(LearnPrompt &) override {}
};
BusyDialog kBusyDialog;

TEST(LearnThreads, DialogPollsWhileTheMidiThreadReports) {
    BusyTarget target;
    LearnSequence sequence(target, kBusyDialog);
    std::atomic<bool> stop{false};
    dialogStop = &stop;
    std::atomic<int32_t> badBinding{0};

    std::thread midi([&] {
        Lcg rng(3);
        while (!stop.load(std::memory_order_relaxed)) {
            const int32_t cc = rng.range(-5, 140);
            sequence.controllerSeen(cc);
            const int32_t p = target.map.parameterFor(cc);
            if (p != ControllerMap::kNoParameter && (p < 0 || p > 3)) badBinding.store(p, std::memory_order_relaxed);
        }
    });
    for (int run = 0; run < 5; ++run) sequence.start();
    stop.store(true, std::memory_order_relaxed);
    midi.join();
    dialogStop = nullptr;

    EXPECT_EQ(badBinding.load(), 0);
    EXPECT_EQ(target.saves, 5 * 5);
    for (int32_t param = 0; param < 4; ++param) {
        const int32_t cc = target.map.controllerFor(param);
        EXPECT_TRUE(cc >= 0 && cc < ControllerMap::kNumControllers) << cc;
    }
}

// Instances save the one settings file from their own editor threads while
// another instance is being built and reads it: every read sees one whole
// file, never a mixture or an emptied one.
TEST(LearnThreads, SavesAndLoadsOfTheSharedFileNeverMix) {
    char pattern[] = "/tmp/tarnwell-settings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/tarnwell.cfg.txt";
    ControllerMap many, one;
    for (int32_t cc = 2; cc < 100; ++cc) many.assign(cc, cc % 4);
    one.assign(7, 1);
    ASSERT_TRUE(saveSettingsFile(path, 600, 600, one));

    constexpr int kRounds = 300;
    std::thread a([&] {
        for (int i = 0; i < kRounds; ++i) saveSettingsFile(path, 600, 600, many);
    });
    std::thread b([&] {
        for (int i = 0; i < kRounds; ++i) saveSettingsFile(path, 600, 600, one);
    });
    int mixed = 0;
    for (int i = 0; i < kRounds; ++i) {
        SettingsData data;
        ControllerMap read;
        loadSettingsFile(path, data, read);
        const size_t n = read.ccToParam().size();
        if (!(n == 98 || (n == 1 && read.parameterFor(7) == 1))) ++mixed;
    }
    a.join();
    b.join();
    EXPECT_EQ(mixed, 0);
    std::remove(path.c_str());
    rmdir(pattern);
}

}  // namespace
}  // namespace tarn
