// The voice's filter: a ladder whose cutoff (mapped onto 80 Hz .. 8.1 kHz
// through the note-frequency table) and resonance are smoothed parameters,
// re-evaluated once per control period.
#pragma once

#include "dsp/LadderFilter.h"
#include "dsp/param.h"

namespace tarn {

class VoiceFilter final {
public:
    static constexpr int kControlInterval = 16;
    static constexpr int kControlMask = 15;

    VoiceFilter();

    void updateCoefficients();
    inline double processSample(double x);
    // The control work before and after the ladder in processSample, for
    // voices whose ladders run side by side.
    inline void beginSample();
    inline void endSample();

    // The note-frequency table entry for a cutoff value, kept inside the
    // table whatever the value.
    static int tableIndex(double c);

    gparam cutoff;
    gparam resonance;
    LadderFilter ladder;
    double sampleRate = 44100.0;
    int controlCounter = 0;
    int controlInterval = kControlInterval;
    int controlMask = kControlMask;

private:
    const double *noteFreqs;
};

inline double VoiceFilter::processSample(double x) {
    beginSample();
    const double y = ladder.processSample(x);
    endSample();
    return y;
}

inline void VoiceFilter::beginSample() {
    if (controlCounter == 0) updateCoefficients();
}

inline void VoiceFilter::endSample() {
    if (controlCounter == 0) {
        cutoff.tick();
        resonance.tick();
    }
    controlCounter = (controlCounter + 1) & controlMask;
}

}  // namespace tarn
