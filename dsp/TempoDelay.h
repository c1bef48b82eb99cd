// The stereo delay with crossed feedback: line A an eighth note long feeds
// the left output, line B a quarter note long the right, and what leaves
// one line enters the other.
#pragma once

#include <cstdint>

#include "dsp/SampleBuffer.h"
#include "dsp/param.h"

namespace tarn {

class TempoDelay {
public:
    static constexpr int32_t kLineSamples = 192000;
    static constexpr int32_t kMaxLength = kLineSamples / 2;  // line B holds twice the length
    static constexpr int32_t kFallbackTempo = 128;
    static constexpr int kGainTickMask = 31;

    TempoDelay();

    // Eighth-note length in samples, limited so that line B always fits;
    // a tempo of 0 or below is the fallback tempo.
    static int32_t eighthNoteLength(int32_t tempo, double sampleRate);

    void process(double *left, double *right, int32_t n, int32_t tempo, double sampleRate);

    gain3p send;
    gain3p feedback;
    int32_t indexA = 0;
    int32_t indexB = 0;

private:
    SampleBuffer lineA;
    SampleBuffer lineB;
};

}  // namespace tarn
