// Turns a performance timed in seconds into MIDI messages on sample positions,
// in the order they reach the plug-in.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/Performance.h"

namespace tarn {

struct ScheduledEvent {
    int64_t sample = 0;
    MidiMessage message;
};

// Positions beyond this are clamped; it keeps every later sum in range.
constexpr int64_t kLatestSchedulableSample = int64_t(1) << 50;

// Nearest sample to a time. Negative, NaN and infinite times cannot be
// played where they claim to be, so they go to the nearest playable place.
int64_t secondsToSample(double seconds, double sampleRate);

// Sorted by sample. Messages on one sample keep this order: releases of notes
// that began earlier, then controllers and other channel messages, then note
// starts, then releases of notes that began on that very sample. A note
// released and struck again on one sample is thus retriggered, not cut, and a
// zero-length note still starts before it stops. Within each group the input
// order is kept.
std::vector<ScheduledEvent> scheduleEvents(const Performance &performance, double sampleRate);

}  // namespace tarn
