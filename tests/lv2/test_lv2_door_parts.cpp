// The door's own pieces that no host test reaches in every case: port
// symbols from names, and the transport clock between positions.
#include <gtest/gtest.h>

#include <cmath>

#include "lv2/PortSymbols.h"
#include "lv2/TransportClock.h"

using namespace tarn::lv2door;

TEST(Lv2PortSymbols, ReadableValidAndUnique) {
    const auto s = portSymbols({"Env Mod", "env-mod", "3 Osc", "", "Ünïcode!", "events"}, {"events"});
    ASSERT_EQ(s.size(), 6u);
    EXPECT_EQ(s[0], "env_mod");
    EXPECT_EQ(s[1], "env_mod_2");
    EXPECT_EQ(s[2], "_3_osc");
    EXPECT_EQ(s[3], "param");
    EXPECT_EQ(s[4], "n_code");
    EXPECT_EQ(s[5], "events_2");
}

TEST(Lv2TransportClock, RunsOnBetweenPositionsAndTakesOneMidPieceWhereItFalls) {
    TransportClock c;
    c.setSampleRate(48000.0);
    EXPECT_EQ(c.current(), nullptr);
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
    c.advance(48000);  // one second: 1.5 eighths, 0.75 quarters
    EXPECT_DOUBLE_EQ(c.current()->beats, 4.25);

    // Stopped at frame 100 of the next 200-frame piece, at the running beat 10 (eighths).
    TransportClock::Position stop;
    stop.hasSpeed = stop.hasBeat = true;
    stop.speed = 0.0;
    stop.beat = 10.0;
    c.receive(stop, 100);
    EXPECT_DOUBLE_EQ(c.current()->beats, 4.25) << "a position later in the piece waits for it";
    c.advance(200);
    EXPECT_FALSE(c.current()->playing);
    EXPECT_DOUBLE_EQ(c.current()->beats, 5.0);
    c.advance(48000);
    EXPECT_DOUBLE_EQ(c.current()->beats, 5.0);

    // Garbage changes nothing it cannot use.
    TransportClock::Position bad;
    bad.hasTempo = bad.hasBeat = bad.hasBeatUnit = true;
    bad.tempo = std::nan("");
    bad.beat = INFINITY;
    bad.beatUnit = 0;
    c.receive(bad, 0);
    EXPECT_EQ(c.current()->tempo, 90.0);
    EXPECT_DOUBLE_EQ(c.current()->beats, 5.0);
}
