#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dsp/SineLfo.h"
#include "dsp/eg.h"

namespace tarn {
namespace {

constexpr int kNoControl = 1;  // a control phase at which nothing is re-evaluated

// Runs an envelope with the given sustain target until it sits in sustain.
void toSustain(eg &env, double sustain) {
    env.sustainLevel.setNow(sustain);
    env.trigger();
    for (int s = 0; s < 100000 && env.stage() != eg::kSustain; ++s) env.next(kNoControl);
    ASSERT_EQ(env.stage(), eg::kSustain);
}

TEST(DspEnvelope, AttackStepCountAtMinimumTime) {
    eg env;
    env.trigger();
    EXPECT_EQ(env.attackStep, 1.0 / 110.25);
    EXPECT_EQ(env.next(kNoControl), 0.0);  // the first sample is the start level
    for (int s = 2; s <= 110; ++s) EXPECT_LT(env.next(kNoControl), 1.0);
    EXPECT_EQ(env.stage(), eg::kAttack);
    EXPECT_LT(env.next(kNoControl), 1.0);  // sample 111: this step exceeds 1
    EXPECT_EQ(env.stage(), eg::kDecay);
    EXPECT_EQ(env.next(kNoControl), 1.0);  // sample 112
}

TEST(DspEnvelope, StagesFollowTheirRules) {
    eg full;
    full.sustainLevel.setNow(1.0);
    full.trigger();
    EXPECT_EQ(full.decayStep, 0.0);
    for (int s = 0; s < 5000; ++s) full.next(kNoControl);
    EXPECT_EQ(full.stage(), eg::kDecay);  // decay never ends with S = 1
    EXPECT_EQ(full.next(kNoControl), 1.0);

    // Sustain output follows the parameter; release starts from the stored level.
    eg env;
    toSustain(env, 0.5);
    EXPECT_EQ(env.level(), 0.5);
    env.sustainLevel.setNow(0.8);
    EXPECT_EQ(env.next(kNoControl), 0.8);
    env.release(123);
    EXPECT_EQ(env.stage(), eg::kRelease);
    EXPECT_EQ(env.next(kNoControl), 0.5);

    // Release on an idle envelope moves the old level down to idle.
    eg idle;
    toSustain(idle, 0.5);
    idle.release(0);
    while (idle.stage() != eg::kIdle) idle.next(kNoControl);
    EXPECT_EQ(idle.level(), 0.0);
    idle.release(0);
    EXPECT_EQ(idle.stage(), eg::kRelease);
    EXPECT_EQ(idle.next(kNoControl), 0.0);
    EXPECT_EQ(idle.stage(), eg::kIdle);

    // A retrigger during release restarts at 0.
    eg again;
    toSustain(again, 0.5);
    again.release(0);
    again.next(kNoControl);
    again.trigger();
    EXPECT_EQ(again.stage(), eg::kAttack);
    EXPECT_EQ(again.next(kNoControl), 0.0);
}

TEST(DspEnvelope, ControlWorkOnlyAtPhaseZero) {
    eg env;
    env.trigger();
    env.attackTime.setTarget(1.0);
    const double before = env.attackStep;
    for (int phase = 1; phase < 16; ++phase) env.next(phase);
    EXPECT_EQ(env.attackStep, before);
    EXPECT_EQ(env.attackTime.value, 0.0);
    env.next(0);
    EXPECT_EQ(env.attackTime.value, 0.01);
    EXPECT_EQ(env.attackStep, 1.0 / (env.attackTime.out * 44100.0));
}

TEST(DspEnvelope, ReleaseWithZeroSustainEnds) {
    // Sustain 0 gives a release slope of -0: the envelope must still end.
    eg atZero;
    toSustain(atZero, 0.0);
    EXPECT_EQ(atZero.releaseStep, 0.0);
    atZero.release(0);
    EXPECT_EQ(atZero.next(kNoControl), 0.0);
    EXPECT_EQ(atZero.stage(), eg::kIdle);

    // Released half-way up the attack: one more sample at its level, then 0.
    eg early;
    early.sustainLevel.setNow(0.0);
    early.trigger();
    for (int s = 0; s < 50; ++s) early.next(kNoControl);
    const double level = early.level();
    ASSERT_GT(level, 0.4);
    early.release(0);
    EXPECT_EQ(early.next(kNoControl), level);
    EXPECT_EQ(early.stage(), eg::kIdle);
    EXPECT_EQ(early.level(), 0.0);
    EXPECT_EQ(early.next(kNoControl), 0.0);
}

TEST(DspEnvelope, SampleRateChangesStepsAtOnce) {
    eg env;
    env.trigger();
    env.setSampleRate(48000.0);
    EXPECT_EQ(env.attackStep, 1.0 / (0.0025 * 48000.0));
    env.setSampleRate(44100.0);
    EXPECT_EQ(env.attackStep, 1.0 / 110.25);  // back to the nominal figure exactly
    for (double garbage : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(), 1e300}) {
        env.setSampleRate(garbage);
        EXPECT_EQ(env.sampleRate, 44100.0);
        EXPECT_TRUE(std::isfinite(env.attackStep));
    }
}

TEST(DspLfo, StartsAtOneAndCyclesAtItsRate) {
    SineLfo lfo;
    EXPECT_EQ(lfo.speed.get(), 0.1);
    // At 0.1 Hz one cycle is 441000 samples: a minimum half way, back at 1.
    double lowest = 2.0;
    int lowestAt = -1;
    double y = 0.0;
    for (int s = 0; s <= 441000; ++s) {
        y = lfo.next(s & 7);
        if (s == 0) {
            EXPECT_EQ(y, 1.0);
        }
        if (y < lowest) lowest = y, lowestAt = s;
    }
    EXPECT_NEAR(lowest, -1.0, 1e-9);
    EXPECT_NEAR(lowestAt, 220500, 2);
    EXPECT_NEAR(y, 1.0, 1e-9);

    SineLfo fast;
    fast.setSampleRate(48000.0);
    EXPECT_EQ(fast.cosAngle, std::cos(6.283185307179586 / (48000.0 / 0.1)));
    fast.speed.setTarget(1.0);
    for (int s = 0; s < 100 * 8; ++s) fast.next(s & 7);
    EXPECT_NEAR(fast.speed.get(), 14.9998, 1e-4);
    // The pair stays on the unit circle, so the amplitude holds.
    for (int s = 0; s < 48000; ++s) fast.next(s & 7);
    EXPECT_NEAR(std::hypot(fast.cosPart, fast.sinPart), 1.0, 1e-9);

    SineLfo garbage;
    garbage.setSampleRate(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(garbage.sampleRate, 44100.0);
    EXPECT_EQ(garbage.cosAngle, std::cos(6.283185307179586 / (44100.0 / 0.1)));
}

}  // namespace
}  // namespace tarn
