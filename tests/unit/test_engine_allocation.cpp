// The audio thread must never allocate after its first block: a replaced
// global operator new counts every allocation made while counting is on.
#include <random>

#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "tests/support/AllocationCounter.h"

using tarn::testing::allocationCount;
using tarn::testing::countingAllocations;
using tarn::Tarnwell;
using tarn::testing::Engine;

TEST(EngineAllocation, ALongRandomSessionAllocatesNothingAfterTheFirstBlock) {
    Engine e;
    e.host.record = false;  // the recording host itself would allocate
    Tarnwell &fx = *e.fx;
    fx.vendorSpecific(Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    fx.assignController(20, 0);
    fx.assignController(21, 3);
    fx.assignController(22, 40);
    constexpr int kLongest = 4096;
    std::vector<float> l(kLongest), r(kLongest);
    float *out[2] = {l.data(), r.data()};
    fx.processReplacing(nullptr, out, kLongest);

    std::mt19937 rng(1234);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    VstMidiEvent events[16];
    VstEvent *pointers[16];
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent *events[16];
    } block{};

    countingAllocations = true;
    for (int b = 0; b < 1000; ++b) {
        const int n = pick(9);
        for (int i = 0; i < n; ++i) {
            VstMidiEvent &m = events[i];
            m = VstMidiEvent{};
            m.type = kVstMidiType;
            m.byteSize = sizeof(VstMidiEvent);
            const int kind = pick(4);
            m.midiData[0] = static_cast<char>((kind == 0 ? 0x90 : kind == 1 ? 0x80 : kind == 2 ? 0xB0 : 0xE0) |
                                              pick(16));
            m.midiData[1] = static_cast<char>(kind == 2 ? 18 + pick(8) : 30 + pick(60));
            m.midiData[2] = static_cast<char>(pick(128));
            pointers[i] = reinterpret_cast<VstEvent *>(&m);
            block.events[i] = pointers[i];
        }
        block.numEvents = n;
        fx.processEvents(reinterpret_cast<VstEvents *>(&block));
        if (pick(10) == 0) fx.setParameter(pick(88), static_cast<float>(pick(1001)) / 1000.0f);
        if (pick(200) == 0) fx.setProgram(pick(9));
        if (pick(300) == 0) fx.setSampleRate(pick(2) ? 48000.0f : 44100.0f);
        if (pick(100) == 0) fx.setFxOn(!fx.fxOn());
        if (pick(50) == 0) e.host.setTempo(40.0 + pick(200), b * 0.5);
        const int frames = pick(kLongest + 1);
        if (pick(2))
            fx.processReplacing(nullptr, out, frames);
        else
            fx.process(nullptr, out, frames);
    }
    countingAllocations = false;
    EXPECT_EQ(allocationCount.load(), 0);
    for (float s : l) EXPECT_TRUE(std::isfinite(s));
}
