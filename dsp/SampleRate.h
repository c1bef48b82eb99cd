// Sample rates come from the host and can be garbage. Every sound class runs
// its rate through here, so a rate that is not a finite number between 1 Hz
// and 10 MHz is taken as the nominal 44100 Hz instead: below 1 Hz the LFO
// angle and the envelope steps overflow, above 10 MHz the longest envelope
// stage has a step that no longer moves its level.
#pragma once

namespace tarn {

constexpr double kNominalSampleRate = 44100.0;
constexpr double kLowestSampleRate = 1.0;
constexpr double kHighestSampleRate = 1.0e7;

inline double saneSampleRate(double sr) {
    // Written so that NaN fails the test and falls back as well.
    if (sr >= kLowestSampleRate && sr <= kHighestSampleRate) return sr;
    return kNominalSampleRate;
}

}  // namespace tarn
