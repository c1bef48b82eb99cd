// JACK's transport position as plain numbers, and what the instrument is
// told of it. Kept apart from JACK so that garbage positions can be tested.
#pragma once

#include "engine/Transport.h"

namespace tarn {

struct BarBeatTick {
    bool valid = false;  // the timebase master filled the bar-beat-tick fields
    bool rolling = false;
    int bar = 1, beat = 1, tick = 0;  // bar and beat count from 1
    double ticksPerBeat = 0.0;
    float beatsPerBar = 0.0f, beatType = 0.0f;
    double beatsPerMinute = 0.0;

    // A transport only when the position is valid and usable: no master, or
    // one that sends nonsense, means the instrument's fallback tempo. The
    // song position is in quarter notes, counted from bar 1, beat 1.
    bool toTransport(Transport &out) const;
};

}  // namespace tarn
