#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dsp/param.h"

namespace tarn {
namespace {

TEST(DspParam, SetTargetLimitsAndChoosesDirection) {
    gparam p;
    p.setTarget(1.5);
    EXPECT_EQ(p.target, 1.0);
    EXPECT_EQ(p.step, 0.01);
    p.setTarget(-0.2);
    EXPECT_EQ(p.target, 0.0);
    // Equal to value: still +0.01, and the next tick snaps back without drift.
    EXPECT_EQ(p.step, 0.01);
    p.tick();
    EXPECT_EQ(p.value, 0.0);
    EXPECT_EQ(p.step, 0.0);

    p.setNow(0.7);
    p.setTarget(0.2);
    EXPECT_EQ(p.step, -0.01);
    EXPECT_EQ(p.value, 0.7);  // setTarget alone moves nothing
}

TEST(DspParam, UndefinedTargetCannotRunAway) {
    gparam p;
    p.setNow(0.3);
    p.setTarget(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(p.target, 0.0);
    for (int t = 0; t < 200; ++t) p.tick();
    EXPECT_EQ(p.value, 0.0);
    EXPECT_EQ(p.step, 0.0);
}

TEST(DspParam, WalkEndsExactlyOnTarget) {
    gparam p;
    p.setTarget(0.5);
    for (int t = 0; t < 49; ++t) p.tick();
    EXPECT_NE(p.step, 0.0);
    p.tick();
    EXPECT_EQ(p.value, 0.5);
    EXPECT_EQ(p.step, 0.0);

    // A full sweep takes 100 ticks.
    gainp g;
    g.setTarget(1.0);
    for (int t = 0; t < 99; ++t) g.tick();
    EXPECT_LT(g.value, 1.0);
    g.tick();
    EXPECT_EQ(g.value, 1.0);
    EXPECT_EQ(g.out, 4.0);
}

TEST(DspParam, SetNowIsUnlimitedAndOffsetsLastOneTick) {
    gainp g;
    g.setNow(2.0);
    EXPECT_EQ(g.value, 2.0);
    EXPECT_EQ(g.out, std::pow(2.0, 13.0));

    pct2p d;
    d.setNow(0.5);
    d.addOffset(0.25);
    EXPECT_EQ(d.out, 0.0);  // not until the next tick
    d.tick();
    EXPECT_EQ(d.out, 0.5);
    EXPECT_EQ(d.offset, 0.0);
    d.tick();
    EXPECT_EQ(d.out, 0.0);

    d.addOffset(0.9);  // limited so that value + offset stays within 0..1
    EXPECT_EQ(d.offset, 0.5);
    d.addOffset(-3.0);
    EXPECT_EQ(d.offset, -0.5);

    offsetp w;
    w.setNow(0.5);
    w.addOffset(0.3);
    w.tick();
    EXPECT_EQ(w.out, 8032.0 * 0.5 + 80.0);

    gparam s;
    s.setNow(0.25);
    s.addOffset(0.5);
    EXPECT_EQ(s.get(), 0.75);  // no update involved
}

TEST(DspParam, MappingEndpoints) {
    pitchp pitch;
    EXPECT_NEAR(pitch.freq, 8.1758, 1e-4);
    pitch.setNow(1.0);
    EXPECT_NEAR(pitch.freq, 13289.75, 1e-2);
    pitch.setNow(69.0 / 128.0);
    EXPECT_NEAR(pitch.freq, 440.0, 1e-9);

    offsetp w;
    EXPECT_EQ(w.out, 80.0);
    w.setNow(1.0);
    EXPECT_EQ(w.out, 8112.0);

    gainp g;
    EXPECT_EQ(g.out, 0.001953125);
    gain3p g3;
    EXPECT_EQ(g3.out, 0.0625);
    g3.setNow(1.0);
    EXPECT_NEAR(g3.out, 0.70711, 1e-5);

    eparam e;
    EXPECT_EQ(e.out, 0.0025);
    e.setNow(1.0);
    EXPECT_EQ(e.out, 2.0);

    springp sp;
    sp.setNow(1.0);
    EXPECT_EQ(sp.get(), 18.0);
    frictp fr;
    fr.setNow(1.0);
    EXPECT_EQ(fr.get(), 0.5);

    detunep dt;
    EXPECT_EQ(dt.get(), -0.00390625);
    dt.setNow(1.0);
    EXPECT_EQ(dt.get(), 0.00390625);

    lfop l;
    EXPECT_EQ(l.get(), 0.1);
    l.setNow(1.0);
    EXPECT_NEAR(l.get(), 14.9998, 1e-4);
    EXPECT_EQ(l.range, 7.2288);
}

}  // namespace
}  // namespace tarn
