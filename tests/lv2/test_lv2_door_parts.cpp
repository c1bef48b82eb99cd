// The door's transport clock: between positions, and a position mid-piece;
// the host test sends only one position at the start.
#include <gtest/gtest.h>

#include <cmath>

#include "lv2/TransportClock.h"

using tarn::lv2door::TransportClock;

TEST(Lv2TransportClock, RunsOnBetweenPositionsAndTakesOneMidPieceWhereItFalls) {
    TransportClock c;
    c.setSampleRate(48000.0);
    c.advance(256);
    EXPECT_EQ(c.current(), nullptr);

    // Bar 2, beat 1 of 3/8 at 90 eighths a minute: in quarter notes (2 * 3 + 1) / 2.
    TransportClock::Position p;
    p.hasSpeed = p.hasTempo = p.hasBar = p.hasBarBeat = p.hasBeatsPerBar = p.hasBeatUnit = true;
    p.speed = 1.0;
    p.tempo = 90.0;
    p.bar = 2;
    p.barBeat = 1.0;
    p.beatsPerBar = 3;
    p.beatUnit = 8;
    c.receive(p, 0);
    ASSERT_NE(c.current(), nullptr);
    EXPECT_TRUE(c.current()->playing);
    EXPECT_DOUBLE_EQ(c.current()->beats, 3.5);
    c.advance(48000);  // 1.5 eighths
    EXPECT_DOUBLE_EQ(c.current()->beats, 4.25);

    // Stopped at frame 100 of a 200-frame piece, at the running beat 10 (eighths).
    TransportClock::Position stop;
    stop.hasSpeed = stop.hasBeat = true;
    stop.beat = 10.0;
    c.receive(stop, 100);
    EXPECT_DOUBLE_EQ(c.current()->beats, 4.25) << "a position later in the piece waits for it";
    c.advance(200);
    EXPECT_FALSE(c.current()->playing);
    c.advance(48000);
    EXPECT_DOUBLE_EQ(c.current()->beats, 5.0);

    // Garbage changes nothing it cannot use.
    TransportClock::Position bad;
    bad.hasTempo = bad.hasBeat = bad.hasBeatUnit = true;
    bad.tempo = std::nan("");
    bad.beat = INFINITY;
    c.receive(bad, 0);
    EXPECT_EQ(c.current()->tempo, 90.0);
    EXPECT_DOUBLE_EQ(c.current()->beats, 5.0);
}
