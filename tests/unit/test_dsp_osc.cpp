#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dsp/WaveTableSet.h"
#include "dsp/WavetableOsc.h"

namespace tarn {
namespace {

// The oscillator plays 440 Hz from construction, so a chosen sample rate
// gives a chosen period: P = sr / 440.
WavetableOsc oscWithPeriod(double period) {
    WavetableOsc osc;
    osc.setSampleRate(period * 440.0);
    return osc;
}

int risingCrossings(WavetableOsc &osc, int samples) {
    int count = 0;
    double prev = osc.render();
    for (int s = 1; s < samples; ++s) {
        const double y = osc.render();
        if (prev < 0.0 && y >= 0.0) ++count;
        prev = y;
    }
    return count;
}

TEST(DspOscillator, LevelSelectionAndWeights) {
    const WaveTableSet &set = WaveTableSet::instance();

    WavetableOsc fresh;
    EXPECT_NEAR(fresh.pitch.freq, 440.0, 1e-9);
    EXPECT_EQ(fresh.period, 44100.0 / 440.0);
    EXPECT_EQ(fresh.upperLevel, 5);  // 64 < 100.2 <= 128
    EXPECT_EQ(fresh.upperWeight, (fresh.period - 64.0) / 64.0);
    EXPECT_EQ(fresh.increment, 8192.0 / fresh.period);

    for (int n = 1; n < 9; ++n) {  // period exactly 2^(n+2): all on level n
        WavetableOsc osc = oscWithPeriod(std::ldexp(1.0, n + 2));
        EXPECT_EQ(osc.upperLevel, n);
        EXPECT_EQ(osc.upperTable, set.level(n));
        EXPECT_EQ(osc.lowerTable, set.level(n - 1));
        EXPECT_EQ(osc.upperWeight, 1.0);
        EXPECT_EQ(osc.lowerWeight, 0.0);
    }

    WavetableOsc mid = oscWithPeriod(6.0);  // level 1 halfway against silence
    EXPECT_EQ(mid.upperLevel, 1);
    EXPECT_EQ(mid.upperWeight, 0.5);

    WavetableOsc deep = oscWithPeriod(4096.0);  // extrapolated beyond level 9
    EXPECT_EQ(deep.upperLevel, 9);
    EXPECT_EQ(deep.upperWeight, 3.0);
    EXPECT_EQ(deep.lowerWeight, -2.0);

    for (double period : {2.0, 3.0, 4.0}) {  // at or above half the rate: silent
        WavetableOsc osc = oscWithPeriod(period);
        EXPECT_EQ(osc.upperTable, set.level(0));
        EXPECT_EQ(osc.lowerTable, set.level(0));
        EXPECT_EQ(osc.upperWeight, 1.0);
        EXPECT_EQ(osc.lowerWeight, 0.0);
        osc.controlCounter = 1;  // keep the chosen rate's level
        for (int s = 0; s < 15; ++s) EXPECT_EQ(osc.render(), 0.0);
    }
}

TEST(DspOscillator, PhaseWrapAndWidthTruncation) {
    WavetableOsc osc;
    osc.controlCounter = 1;  // no control work during the check
    osc.phase = 8000.0;
    osc.increment = 192.0;
    osc.render();
    EXPECT_EQ(osc.phase, 8192.0);  // the wrap test is strict
    osc.increment = 10.0;
    osc.render();
    EXPECT_EQ(osc.phase, 10.0);

    // Full pulse: the second read sits trunc(width) samples later.
    WavetableOsc pulse;
    pulse.controlCounter = 1;
    pulse.shape.setNow(1.0);
    pulse.width.out = 4096.9;
    pulse.phase = 100.2;
    const double *U = pulse.upperTable;
    const double *L = pulse.lowerTable;
    const double wu = pulse.upperWeight, wl = pulse.lowerWeight;
    const double s1 = wu * U[100] + wl * L[100];
    const double s2 = wu * U[4196] + wl * L[4196];
    EXPECT_EQ(pulse.render(), 0.5 * (s1 - 1.0 * s2));
}

TEST(DspOscillator, SawAndSquareLevels) {
    WavetableOsc saw = oscWithPeriod(2048.0);  // level 9 alone
    saw.controlCounter = 1;
    saw.phase = 2048.0 - saw.increment;  // reads sample 2048 next
    saw.render();
    EXPECT_NEAR(saw.render(), 0.125, 1e-3);  // half of the ramp's 0.25

    WavetableOsc square = oscWithPeriod(2048.0);
    square.controlCounter = 1;
    square.shape.setNow(1.0);  // width 0.5 from construction: offset 4096
    double sum = 0.0, hi = -1.0, lo = 1.0;
    for (int s = 0; s < 2048; ++s) {
        const double y = square.render();
        sum += y;
        if (s > 200 && s < 800) hi = std::fmax(hi, y), lo = std::fmin(lo, y);
    }
    EXPECT_NEAR(sum / 2048.0, 0.0, 1e-3);
    EXPECT_NEAR(hi, 0.25, 2e-3);
    EXPECT_NEAR(lo, 0.25, 2e-3);
}

TEST(DspOscillator, PlaysItsPitchAtEverySampleRate) {
    for (double sr : {44100.0, 48000.0, 96000.0}) {
        WavetableOsc osc;
        osc.setSampleRate(sr);
        const int crossings = risingCrossings(osc, static_cast<int>(sr));
        EXPECT_NEAR(crossings, 440, 1) << sr;
    }
    for (double garbage : {0.0, -48000.0, std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), 1e-300}) {
        WavetableOsc osc;
        osc.setSampleRate(garbage);
        EXPECT_EQ(osc.sampleRate, 44100.0);
        EXPECT_NEAR(risingCrossings(osc, 44100), 440, 1);
    }

    // Far above a very low rate the oscillator is silent and its phase
    // still stays within one cycle.
    WavetableOsc high;
    high.setSampleRate(1.0);
    for (int s = 0; s < 1000; ++s) EXPECT_EQ(high.render(), 0.0);
    EXPECT_GT(high.phase, 0.0);
    EXPECT_LE(high.phase, 8192.0);
}

}  // namespace
}  // namespace tarn
