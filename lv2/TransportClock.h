// The host's transport as LV2 tells it: a time:Position arrives only when
// something changed (a jump, a new tempo, start or stop), so between
// positions the clock runs on by itself, and each piece of a block gets the
// transport at its first sample.
#pragma once

#include <cstdint>

#include "engine/Transport.h"

namespace tarn::lv2door {

class TransportClock final {
public:
    // What one time:Position carried; each part only if it was there.
    struct Position {
        bool hasSpeed = false, hasTempo = false, hasBeat = false, hasBar = false, hasBarBeat = false;
        bool hasBeatsPerBar = false, hasBeatUnit = false;
        double speed = 0, tempo = 0, beat = 0, bar = 0, barBeat = 0, beatsPerBar = 0, beatUnit = 0;
    };

    void setSampleRate(double rate) { sampleRate = rate > 0 ? rate : 48000.0; }
    // A position offset frames into the piece now running takes effect there.
    void receive(const Position &position, int32_t offset);
    // Null until a position has come.
    const Transport *current() const { return known ? &transport : nullptr; }
    // The piece now running ended frames after its start.
    void advance(int32_t frames);
    void reset();

private:
    void apply(const Position &position);
    void run(int32_t frames);

    double sampleRate = 48000.0;
    Transport transport;
    bool known = false;
    double speed = 0.0;
    double beatsPerBar = 4.0, beatUnit = 4.0;
    Position pending;
    int32_t pendingOffset = -1;
};

}  // namespace tarn::lv2door
