// The seam every door stands on: it sounds as the VST 2.4 door does, keeps
// its state and tells the door what the instrument changed by itself.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "editor/InstrumentBuilder.h"
#include "engine/Instrument.h"
#include "tests/unit/EngineFixture.h"

namespace tarn::testing {
namespace {

constexpr int kRate = 48000, kBlock = 256, kBlocks = 64;

// Notes and a controller at random frames; every fifth block a parameter
// changes at frame 100 (the VST door splits the block there).
std::vector<std::vector<InstrumentEvent>> performance(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::vector<InstrumentEvent>> s(kBlocks);
    for (int b = 0; b < 60; b += 3) {
        const int note = 40 + static_cast<int>(rng() % 40);
        s[b].push_back(InstrumentEvent::midi(static_cast<int>(rng() % kBlock), 0x90, note, 30 + rng() % 97));
        s[b + 2].push_back(InstrumentEvent::midi(static_cast<int>(rng() % kBlock), 0x80, note, 0));
        s[b + 1].push_back(InstrumentEvent::midi(static_cast<int>(rng() % kBlock), 0xB0, 1, rng() % 128));
    }
    return s;
}

std::vector<float> renderThroughVst(int program, unsigned seed) {
    Engine e(97.0);
    e.host.setTempo(97.0, 1.37);
    e.fx.reset();
    e.fx.reset(buildInstrument(fakeHostCallback));
    e.fx->setSampleRate(kRate);
    e.fx->setBlockSize(kBlock);
    e.fx->setProgram(program);
    e.fx->vendorSpecific(Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    std::vector<float> out;
    const auto script = performance(seed);
    for (int b = 0; b < kBlocks; ++b) {
        auto send = [&](int from, int to) {
            for (const auto &m : script[b])  // at most one a block
                if (m.frame >= from && m.frame < to) e.midi(m.status, m.data1, m.data2, m.frame - from);
            e.renderInto(to - from, out);
        };
        const bool split = b % 5 == 4;
        send(0, split ? 100 : kBlock);
        if (split) {
            e.fx->setParameter(6 + b % 22, (b % 7) / 7.0f);
            send(100, kBlock);
        }
    }
    return out;
}

std::vector<float> renderThroughSeam(int program, unsigned seed) {
    ProgramBank::shared().restoreFactory();
    auto in = createInstrument();
    in->activate(kRate, kBlock);
    in->loadProgram(program);
    in->setMeshInAudioTime(true);
    Transport t;
    t.hasTempo = t.hasBeats = true;
    t.tempo = 97.0;
    t.beats = 1.37;
    std::vector<float> out, left(kBlock), right(kBlock);
    auto script = performance(seed);
    for (int b = 0; b < kBlocks; ++b) {
        auto &events = script[b];
        if (b % 5 == 4) events.push_back(InstrumentEvent::parameter(100, 6 + b % 22, (b % 7) / 7.0f));
        std::stable_sort(events.begin(), events.end(),
                         [](const InstrumentEvent &a, const InstrumentEvent &c) { return a.frame < c.frame; });
        in->process(events.data(), static_cast<int32_t>(events.size()), left.data(), right.data(), kBlock, &t);
        t.beats += kBlock * 97.0 / 60.0 / kRate;
        for (int k = 0; k < kBlock; ++k) out.insert(out.end(), {left[k], right[k]});
    }
    return out;
}

TEST(InstrumentSeam, SoundsAsTheVstDoorForSomePrograms) {
    for (int program : {0, 4, 8}) {
        const auto vst = renderThroughVst(program, 11u + program);
        const auto seam = renderThroughSeam(program, 11u + program);
        ASSERT_EQ(vst.size(), seam.size());
        EXPECT_EQ(0, std::memcmp(vst.data(), seam.data(), vst.size() * sizeof(float))) << "program " << program;
        double energy = 0;
        for (float x : seam) energy += x * x;
        EXPECT_GT(energy, 0.0);
    }
}

TEST(InstrumentSeam, StateRoundTripsAndBadStreamsChangeNothing) {
    ProgramBank::shared().restoreFactory();
    auto a = createInstrument(), b = createInstrument(), c = createInstrument();
    a->loadProgram(5);
    for (int i = 0; i < 88; ++i) a->setParameter(i, (i * 37 % 101) / 100.0f);
    std::vector<unsigned char> saved(Instrument::kStateBytes), again(Instrument::kStateBytes);
    a->saveState(saved.data());
    ASSERT_TRUE(b->loadState(saved.data(), saved.size()));
    EXPECT_EQ(5, b->program());
    b->saveState(again.data());
    EXPECT_EQ(saved, again);

    const float before = c->parameter(10);
    std::vector<std::vector<unsigned char>> bad = {{}, {saved.begin(), saved.begin() + 10}, saved, saved, saved};
    bad[2].push_back(0);
    bad[3][4] = 2;                      // a version we do not know
    std::memset(&bad[4][40], 0xFF, 4);  // a value that is no number
    for (const auto &blob : bad) EXPECT_FALSE(c->loadState(blob.data(), blob.size()));
    EXPECT_FALSE(c->loadState(nullptr, Instrument::kStateBytes));
    EXPECT_EQ(before, c->parameter(10));
    EXPECT_EQ(0, c->program());
}

TEST(InstrumentSeam, OnlyTheInstrumentsOwnChangesAreTold) {
    int told = 0;
    auto in = createInstrument([](void *n) { ++*static_cast<int *>(n); }, &told);
    // The door's own edits are not echoed back to it.
    in->activate(kRate, kBlock);
    std::vector<float> l(kBlock), r(kBlock);
    in->setParameter(20, 0.3f);
    in->loadProgram(2);
    in->process(nullptr, 0, l.data(), r.data(), kBlock, nullptr);
    EXPECT_FALSE(in->changes().any());
    EXPECT_EQ(0, told);
    // A learned controller and the editor move parameters inside the engine.
    in->engine().assignController(20, 1);
    const InstrumentEvent cc = InstrumentEvent::midi(10, 0xB0, 20, 64);
    in->process(&cc, 1, l.data(), r.data(), kBlock, nullptr);
    int32_t which[8];
    ASSERT_EQ(1, in->changes().take(which, 8));
    EXPECT_EQ(1, which[0]);
    EXPECT_GT(told, 0);
    in->engine().setParameterAutomated(3, 0.9f);
    ASSERT_EQ(1, in->changes().take(which, 8));
    EXPECT_EQ(3, which[0]);
}

}  // namespace
}  // namespace tarn::testing
