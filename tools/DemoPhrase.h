// The phrase played when no MIDI file is given.
#pragma once

#include "tools/Performance.h"

namespace tarn {

constexpr double kDemoTempo = 120.0;

// Five bars of 4/4 (ten seconds at 120 beats per minute): chords under a
// melody that climbs and falls across two octaves, with varied velocities,
// overlapping notes and a mod-wheel sweep up and back down.
Performance demoPhrase(double tempo = kDemoTempo);

}  // namespace tarn
