// Sample rates come from the host and can be garbage. A usable rate is a
// finite number between 1 Hz and 10 MHz: below 1 Hz the LFO angle and the
// envelope steps overflow, above 10 MHz the longest envelope stage has a step
// that no longer moves its level. The engine judges the host's rate by this
// rule once, where it arrives, and keeps its last usable rate otherwise; each
// sound class still runs its own rate through saneSampleRate, so one used on
// its own takes the nominal 44100 Hz instead of garbage.
#pragma once

namespace tarn {

constexpr double kNominalSampleRate = 44100.0;
constexpr double kLowestSampleRate = 1.0;
constexpr double kHighestSampleRate = 1.0e7;

// Written so that NaN fails the test too.
inline bool isUsableSampleRate(double sr) { return sr >= kLowestSampleRate && sr <= kHighestSampleRate; }

inline double saneSampleRate(double sr) { return isUsableSampleRate(sr) ? sr : kNominalSampleRate; }

}  // namespace tarn
