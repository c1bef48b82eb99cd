#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "dsp/TempoDelay.h"
#include "engine/MeshStage.h"

using tarn::Tarnwell;
using tarn::TempoDelay;
using tarn::testing::Engine;

TEST(EngineRender, EmptyBlocksStillAskTheTempoAndWriteNothing) {
    Engine e;
    e.host.calls.clear();
    float sentinel[2] = {7.0f, 7.0f};
    float *out[2] = {&sentinel[0], &sentinel[1]};
    e.fx->processReplacing(nullptr, out, 0);
    EXPECT_EQ(sentinel[0], 7.0f);
    EXPECT_EQ(e.host.count(audioMasterGetTime), 1);
    e.fx->processReplacing(nullptr, nullptr, 64);  // no buffers at all: nothing to write
    e.fx->processReplacing(nullptr, out, -3);
    EXPECT_EQ(sentinel[1], 7.0f);
}

TEST(EngineRender, WorkBuffersGrowToTheLongestBlockAndNeverShrink) {
    Engine e;
    e.render(40000);
    EXPECT_EQ(e.fx->mixBufferSamples(), 40000);
    EXPECT_EQ(e.fx->lfoBufferSamples(), 40000);
    e.render(100);
    EXPECT_EQ(e.fx->mixBufferSamples(), 40000);
}

TEST(EngineRender, ReplacingOverwritesAndAccumulatingAdds) {
    Engine e;
    e.fx->setFxOn(false);
    std::vector<float> l(256, 0.5f), r(256, -0.25f);
    float *out[2] = {l.data(), r.data()};
    e.fx->process(nullptr, out, 256);  // silence added: the host's values stay
    for (int k = 0; k < 256; ++k) {
        EXPECT_EQ(l[k], 0.5f);
        EXPECT_EQ(r[k], -0.25f);
    }
    const int a = e.fx->tempoDelay().indexA, b = e.fx->tempoDelay().indexB;
    e.fx->processReplacing(nullptr, out, 256);
    for (int k = 0; k < 256; ++k) EXPECT_EQ(l[k], 0.0f);
    EXPECT_EQ(e.fx->tempoDelay().indexA, a);  // the delay is frozen while off
    EXPECT_EQ(e.fx->tempoDelay().indexB, b);
}

TEST(EngineRender, TwoFreshInstancesRenderBitIdentically) {
    auto play = [](Engine &e) {
        std::vector<float> all;
        const int notes[] = {48, 55, 60, 64, 67, 72};
        for (int round = 0; round < 6; ++round) {
            e.noteOn(notes[round], 40 + 15 * round);
            e.midi(0xB0, 1, 20 * round);
            e.render(700 + 37 * round);
            all.insert(all.end(), e.left.begin(), e.left.end());
            all.insert(all.end(), e.right.begin(), e.right.end());
            if (round % 2) e.noteOff(notes[round - 1]);
        }
        return all;
    };
    Engine a;
    a.fx->vendorSpecific(Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    std::vector<float> first = play(a);
    Engine b;
    b.fx->vendorSpecific(Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    std::vector<float> second = play(b);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(0, std::memcmp(first.data(), second.data(), first.size() * sizeof(float)));
    double peak = 0;
    for (float s : first) peak = std::max(peak, static_cast<double>(std::abs(s)));
    EXPECT_GT(peak, 0.01);
}

// The renderer's audio clock moves the mesh as an open editor does with its
// frames exactly 30 ms apart: the same steps of the same length.
TEST(EngineRender, RendererFramesAreViewFrames) {
    tarn::MeshStage view, renderer;
    view.setViewShowing(true);
    renderer.requestAudioClock(true);
    ASSERT_TRUE(renderer.audioClockRunning());
    for (tarn::MeshStage *s : {&view, &renderer}) {
        s->mesh().setFrictionTarget(0.2);
        s->mesh().poke(4, 3, 1.0);
    }
    constexpr int kFrames = 20;
    for (int f = 0; f < kFrames; ++f) view.advanceFrame(0.03);
    // 44100 × 0.03 is a hair over 1323 in binary: a few samples more make
    // sure the last frame has come, and fewer than a frame's worth.
    for (int k = 0; k < kFrames * 1323 + 10; ++k) renderer.advanceAudioSample(44100.0);
    int moving = 0;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c) {
            EXPECT_EQ(view.mesh().heightAt(r, c), renderer.mesh().heightAt(r, c)) << r << "," << c;
            moving += view.mesh().heightAt(r, c) != 0.0;
        }
    EXPECT_GT(moving, 10);
}

TEST(EngineRender, TempoFromTheHost) {
    Engine e;
    e.host.setTempo(90.75);
    EXPECT_EQ(e.fx->hostTempo(), 90);
    e.host.setTempo(200.0, 0.0, 0);  // not marked valid
    EXPECT_EQ(e.fx->hostTempo(), 128);
    e.host.answerTime = false;
    EXPECT_EQ(e.fx->hostTempo(), 128);
    e.host.answerTime = true;
    for (double t : {0.0, -50.0, 1e300, std::nan(""), 0.3, 100000.0}) {
        e.host.setTempo(t);
        e.noteOn(60);
        e.render(512);  // any tempo: the delay stays inside its lines
        for (float s : e.left) ASSERT_TRUE(std::isfinite(s));
    }
}

TEST(TempoDelay, ImpulseEchoesCrossBetweenTheSides) {
    TempoDelay delay;
    delay.send.setNow(0.5);
    delay.feedback.setNow(0.75);
    const double s = delay.send.out, f = delay.feedback.out;
    EXPECT_EQ(TempoDelay::eighthNoteLength(120, 44100.0), 11025);
    EXPECT_EQ(TempoDelay::eighthNoteLength(128, 44100.0), 10335);
    EXPECT_EQ(TempoDelay::eighthNoteLength(0, 44100.0), 10335);
    EXPECT_EQ(TempoDelay::eighthNoteLength(1, 384000.0), TempoDelay::kMaxLength);

    const int n = 40000;
    std::vector<double> l(n, 0.0), r(n, 0.0);
    l[0] = 1.0;
    delay.process(l.data(), r.data(), n, 120, 44100.0);
    EXPECT_EQ(l[0], 1.0);
    for (int k = 1; k < n; ++k) {
        if (k == 11025) {
            EXPECT_EQ(l[k], s);
        } else {
            EXPECT_EQ(l[k], 0.0) << k;
        }
        if (k == 11025 + 22050) {
            EXPECT_EQ(r[k], s * f);
        } else {
            EXPECT_EQ(r[k], 0.0) << k;
        }
    }
}

TEST(EngineRender, HostSampleRateReachesTheVoices) {
    // A4 at 48000 Hz must still be 440 Hz: count the cycles of a held
    // sawtooth through a wide-open filter.
    Engine e;
    Tarnwell &fx = *e.fx;
    fx.setSampleRate(48000.0f);
    // Rates the voices would refuse are refused by the whole engine alike.
    for (float garbage : {0.5f, 2.0e7f, -1.0f, NAN}) {
        fx.setSampleRate(garbage);
        EXPECT_EQ(fx.getSampleRateValue(), 48000.0);
        EXPECT_EQ(fx.voice(0).sampleRate, 48000.0);
    }
    fx.setProgram(8);  // blank slate: sawtooth, filter open, no modulation
    fx.setFxOn(false);
    fx.setParameter(8, 0.5f);
    e.render(64);
    e.noteOn(69, 127);
    e.render(48000);  // settle the glide
    e.render(48000);
    int crossings = 0;
    for (int k = 1; k < 48000; ++k) crossings += (e.left[k - 1] < 0.0f) && (e.left[k] >= 0.0f);
    EXPECT_NEAR(crossings, 440, 2);
}

namespace {

// A performance with the mesh in motion, so controllers keep moving the
// sound parameters: chords beyond twelve voices, releases, all-notes-off,
// events inside blocks of 1, 7, 64, 512 and ragged sizes. Programs 0..8,
// then program 8 with random sound and controller settings.
std::vector<float> perform(Engine &e, int setting) {
    std::uint32_t seed = 2654435761u * static_cast<std::uint32_t>(setting + 1);
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    e.fx->setProgram(setting < 9 ? setting : 8);
    if (setting >= 9)
        for (int p = Tarnwell::kFirstSynthParam; p < Tarnwell::kNumParams; ++p)
            e.fx->setParameter(p, static_cast<float>(next(1001)) / 1000.0f);
    e.fx->vendorSpecific(Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    const int sizes[] = {1, 7, 64, 512, 37, 300, 3, 129};
    std::vector<float> out;
    for (int block = 0; block < 120; ++block) {
        const int n = sizes[block % 8];
        for (int events = next(4); events > 0; --events) {
            const int delta = static_cast<int>(next(static_cast<std::uint32_t>(n) + 2)) - 1;
            const int kind = static_cast<int>(next(10));
            if (kind < 6) e.midi(0x90, 36 + static_cast<int>(next(48)), 1 + static_cast<int>(next(127)), delta);
            else if (kind < 9) e.midi(0x80, 36 + static_cast<int>(next(48)), 0, delta);
            else e.midi(0xB0, 123, 0, delta);
        }
        e.renderInto(n, out);
    }
    return out;
}

}  // namespace

TEST(EngineRender, EveryWayOfRenderingTheVoicesGivesTheSameBits) {
    // Voice after voice with every value passed on at every control pass is
    // the reference; skipping unchanged values and the vector lanes of either
    // width must match it bit for bit.
    struct Way {
        tarn::VoiceLanes::Width width;
        bool reapplyUnchanged;
    };
    const Way ways[] = {{tarn::VoiceLanes::kScalar, true},
                        {tarn::VoiceLanes::kScalar, false},
                        {tarn::VoiceLanes::kPairs, false},
                        {tarn::VoiceLanes::kQuads, false}};
    for (int setting = 0; setting < 12; ++setting) {
        std::vector<float> reference;
        for (const Way &way : ways) {
            Engine e;
            e.fx->setVoiceWidth(way.width);
            e.fx->setReapplyUnchanged(way.reapplyUnchanged);
            const std::vector<float> out = perform(e, setting);
            if (reference.empty()) {
                reference = out;
                continue;
            }
            ASSERT_EQ(out.size(), reference.size());
            EXPECT_EQ(0, std::memcmp(out.data(), reference.data(), out.size() * sizeof(float)))
                << "setting " << setting << ", width " << way.width << ", reapply " << way.reapplyUnchanged;
        }
        double peak = 0;
        for (float s : reference) peak = std::max(peak, static_cast<double>(std::abs(s)));
        EXPECT_GT(peak, 0.001) << setting;
    }
}
