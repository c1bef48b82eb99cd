#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "dsp/NoteFreqTable.h"
#include "dsp/Voice.h"
#include "dsp/VoiceLanes.h"

namespace tarn {
namespace {

// Render n samples, returning the largest magnitude.
double run(Voice &v, int n, double lfo1 = 0.0, double lfo2 = 0.0) {
    double peak = 0.0;
    for (int s = 0; s < n; ++s) peak = std::fmax(peak, std::fabs(v.render(lfo1, lfo2)));
    return peak;
}

TEST(DspVoice, VelocityGain) {
    Voice v;
    v.noteOn(60, 0);
    EXPECT_EQ(v.velocityGain, 0.75);
    v.noteOn(60, 127);
    EXPECT_EQ(v.velocityGain, 1.0);
    v.noteOn(60, 64);
    EXPECT_EQ(v.velocityGain, 64 / 127.0 * 0.25 + 0.75);  // not a whole-number division
    v.noteOn(60, 300);
    EXPECT_EQ(v.velocityGain, 1.0);
    v.noteOn(60, -9);
    EXPECT_EQ(v.velocityGain, 0.75);
    EXPECT_TRUE(v.active);
    EXPECT_FALSE(v.released);
    v.noteOff();
    EXPECT_TRUE(v.released);
}

TEST(DspVoice, VoicesRenderedSideBySideMatchOneAtATime) {
    // Seven voices fill whole and part groups at either width. Resonance,
    // detune, LFO depths, staggered starts (so each lane meets its control
    // work on a different sample), stretches of every length, releases
    // mid-way and a voice that runs out make every lane differ.
    constexpr int kCount = 7;
    for (VoiceLanes::Width width : {VoiceLanes::kPairs, VoiceLanes::available(VoiceLanes::kQuads)}) {
        Voice alone[kCount], together[kCount];
        Voice *listed[kCount];
        for (int i = 0; i < kCount; ++i) {
            for (Voice *v : {&alone[i], &together[i]}) {
                v->setSynthParam(4, 0.15f * static_cast<float>(i));
                v->setSynthParam(2, 0.1f * static_cast<float>(i));
                v->setSynthParam(12, i == 3 ? 0.0f : 0.5f);
                v->setSynthParam(13, 0.1f);
                v->setSynthParam(15, 0.9f);
                v->setSynthParam(17, 0.2f);
                v->setSynthParam(18, 0.7f);
                v->noteOn(30 + 9 * i, 20 + 15 * i);
                for (int s = 0; s < 3 * i; ++s) v->render(0.25, -0.5);
            }
            listed[i] = &together[i];
        }
        double lfo1[VoiceLanes::kMaxSamples], lfo2[VoiceLanes::kMaxSamples];
        double out[VoiceLanes::kMaxSamples * VoiceLanes::kMaxVoices];
        for (int k = 0, stretch = 0; k < 12000; ++stretch) {
            const int n = 1 + (stretch * 7) % VoiceLanes::kMaxSamples;
            for (int s = 0; s < n; ++s) {
                lfo1[s] = std::sin((k + s) * 0.001);
                lfo2[s] = std::cos((k + s) * 0.0007);
            }
            if (stretch == 300)
                for (int i = 0; i < kCount; i += 2) {
                    alone[i].noteOff();
                    together[i].noteOff();
                }
            VoiceLanes::render(listed, kCount, lfo1, lfo2, n, out, width);
            for (int s = 0; s < n; ++s, ++k)
                for (int i = 0; i < kCount; ++i) {
                    const double want = alone[i].render(lfo1[s], lfo2[s]);
                    const double got = out[s * VoiceLanes::kMaxVoices + i];
                    ASSERT_EQ(std::memcmp(&got, &want, sizeof want), 0)
                        << "width " << width << " voice " << i << " sample " << k;
                }
            for (int i = 0; i < kCount; ++i) ASSERT_EQ(alone[i].active, together[i].active) << i;
        }
        EXPECT_FALSE(together[0].active);
        EXPECT_TRUE(together[1].active);
    }
}

TEST(DspVoice, GlideFromConstructionPitch) {
    // Three octaves below 440 Hz: 0.28125 in pitch units, 29 ticks of 0.01.
    Voice v;
    v.noteOn(33, 100);
    EXPECT_EQ(v.osc1.pitch.target, 33 / 128.0);
    run(v, 28 * 16);
    EXPECT_GT(v.osc1.pitch.value, 33 / 128.0);
    run(v, 1);  // the 29th tick
    EXPECT_EQ(v.osc1.pitch.value, 33 / 128.0);
    EXPECT_NEAR(v.osc1.pitch.freq, 55.0, 1e-9);
}

TEST(DspVoice, DetuneSpreadsTheOscillators) {
    Voice v;
    v.setSynthParam(2, 1.0f);  // largest detune
    for (int t = 0; t < 101; ++t) run(v, 16);
    EXPECT_EQ(v.detune.get(), 0.00390625);
    v.noteOn(127, 100);
    EXPECT_EQ(v.osc1.pitch.target, 127 / 128.0);
    EXPECT_EQ(v.osc2.pitch.target, 0.00390625 + 127 / 128.0);
    EXPECT_EQ(v.osc3.pitch.target, 1.0);
}

TEST(DspVoice, IgnoredParameterIndices) {
    Voice ref, probe;
    for (Voice *v : {&ref, &probe}) {
        v->setSynthParam(0, 0.3f);
        v->setSynthParam(3, 0.6f);
        v->setSynthParam(4, 0.5f);
        v->setSynthParam(12, 0.7f);
    }
    for (int index : {14, 16, 20, 21, -1, 1000}) probe.setSynthParam(index, 0.9f);
    ref.noteOn(57, 90);
    probe.noteOn(57, 90);
    for (int s = 0; s < 3000; ++s) ASSERT_EQ(ref.render(0.3, -0.4), probe.render(0.3, -0.4)) << s;
}

TEST(DspVoice, GarbageParameterValuesAreLimited) {
    Voice v;
    v.setSynthParam(3, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(v.cutBase, 0.0);
    v.setSynthParam(0, 7.0f);
    EXPECT_EQ(v.shapeBase, 1.0);
    v.setSynthParam(4, -2.0f);
    EXPECT_EQ(v.filter.resonance.target, 0.0);
    v.noteOn(60, 100);
    const double peak = run(v, 4000, std::numeric_limits<double>::quiet_NaN(), 0.0);
    EXPECT_TRUE(std::isfinite(peak));
}

TEST(DspVoice, CutoffTargetIsLimitedBelow) {
    Voice v;
    v.setSynthParam(3, 0.0f);  // Cut 0
    v.setSynthParam(9, 0.0f);  // Flt Env Mod fully negative
    v.setSynthParam(7, 1.0f);  // filter envelope sustains at 1
    v.noteOn(60, 100);
    run(v, 16 * 60);
    EXPECT_LT(v.fltEnvMod.get() * v.filterEnvValue + v.cutBase, 0.0);
    EXPECT_EQ(v.filter.cutoff.target, 0.0);
    EXPECT_EQ(v.filter.cutoff.value, 0.0);
    LadderFilter expected;
    expected.setup(NoteFreqTable::table()[39487], v.filter.resonance.get(), 44100.0);
    EXPECT_EQ(v.filter.ladder.tune, expected.tune);
    EXPECT_EQ(v.filter.ladder.feedback, 0.0001);  // Res 0
}

TEST(DspVoice, FreesItselfAtTheNextControlTick) {
    Voice v;
    v.setSynthParam(12, 0.5f);
    v.setSynthParam(3, 1.0f);
    v.noteOn(69, 127);
    for (int t = 0; t < 60; ++t) run(v, 16);
    EXPECT_GT(run(v, 200), 0.01);
    v.noteOff();
    // Render until the amplitude envelope is idle, then check the rest of
    // the control period: silent but still active.
    int s = 0;
    while (v.ampEnv.stage() != eg::kIdle && s < 100000) v.render(0.0, 0.0), ++s;
    ASSERT_EQ(v.ampEnv.stage(), eg::kIdle);
    ASSERT_NE(v.controlCounter, 0) << "pick a length that ends off the tick";
    while (v.controlCounter != 0) {
        EXPECT_TRUE(v.active);
        EXPECT_EQ(v.render(0.0, 0.0), 0.0);
    }
    EXPECT_TRUE(v.active);
    EXPECT_EQ(v.render(0.0, 0.0), 0.0);
    EXPECT_FALSE(v.active);
}

TEST(DspVoice, ZeroSustainStillFreesEveryVoice) {
    // Sustain 0 gives a release slope of zero; without an end to such a
    // release twelve notes would use up every voice for good.
    Voice voices[12];
    for (int i = 0; i < 12; ++i) {
        voices[i].setSynthParam(12, 0.0f);
        voices[i].noteOn(48 + i, 100);
    }
    for (Voice &v : voices) run(v, 4000);  // well into sustain
    for (Voice &v : voices) {
        v.noteOff();
        run(v, 32);
        EXPECT_FALSE(v.active);
    }

    // Released during the attack, too.
    Voice early;
    early.setSynthParam(12, 0.0f);
    early.setSynthParam(10, 0.5f);  // slow attack
    early.noteOn(60, 100);
    run(early, 1000);
    ASSERT_EQ(early.ampEnv.stage(), eg::kAttack);
    early.noteOff();
    run(early, 32);
    EXPECT_FALSE(early.active);
}

TEST(DspVoice, SampleRateReachesEveryPart) {
    Voice v;
    v.setSampleRate(48000.0);
    for (const WavetableOsc *o : {&v.osc1, &v.osc2, &v.osc3}) EXPECT_EQ(o->sampleRate, 48000.0);
    EXPECT_EQ(v.filter.sampleRate, 48000.0);
    EXPECT_EQ(v.ampEnv.sampleRate, 48000.0);
    EXPECT_EQ(v.filterEnv.sampleRate, 48000.0);
    v.noteOn(69, 100);
    EXPECT_EQ(v.ampEnv.attackStep, 1.0 / (0.0025 * 48000.0));

    // The nominal rate set again changes nothing at all.
    Voice plain, reset;
    reset.setSampleRate(96000.0);
    reset.setSampleRate(44100.0);
    plain.noteOn(64, 80);
    reset.noteOn(64, 80);
    for (int s = 0; s < 2000; ++s) ASSERT_EQ(plain.render(0.1, 0.2), reset.render(0.1, 0.2));

    Voice garbage;
    garbage.setSampleRate(-1.0);
    EXPECT_EQ(garbage.sampleRate, 44100.0);
    EXPECT_EQ(garbage.osc1.sampleRate, 44100.0);
    EXPECT_EQ(garbage.ampEnv.sampleRate, 44100.0);
}

TEST(DspVoice, NoteSoundsAtItsPitchAtAnyRate) {
    // A bright, open sawtooth note at A4: count the fundamental's rising
    // zero crossings over one second of output.
    for (double sr : {44100.0, 48000.0}) {
        Voice v;
        v.setSampleRate(sr);
        v.setSynthParam(2, 0.5f);   // no detune: the three oscillators agree
        v.setSynthParam(3, 0.25f);  // a low cutoff leaves mostly the fundamental
        v.setSynthParam(12, 1.0f);
        v.noteOn(69, 127);
        const int settle = static_cast<int>(sr / 4);
        for (int s = 0; s < settle; ++s) v.render(0.0, 0.0);
        int crossings = 0;
        double prev = v.render(0.0, 0.0);
        for (int s = 1; s < static_cast<int>(sr); ++s) {
            const double y = v.render(0.0, 0.0);
            if (prev < 0.0 && y >= 0.0) ++crossings;
            prev = y;
        }
        EXPECT_NEAR(crossings, 440, 2) << sr;
    }
}

}  // namespace
}  // namespace tarn
