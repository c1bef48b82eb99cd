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
    // As updateCoefficients, but when `last` (a filter whose coefficients
    // were set this control period, or null) was set from the same cutoff,
    // resonance and rate bits, its coefficients are taken as they are: they
    // are what the same computation gives. The voices of a chord share them.
    void updateCoefficientsLike(const VoiceFilter *last);
    inline double processSample(double x);
    // The smoothing step after a sample on which the control counter is 0.
    inline void controlTick();

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
    // The cutoff and resonance values of the last coefficients.
    double coefficientCutoff = 0.0;
    double coefficientResonance = 0.0;
};

inline double VoiceFilter::processSample(double x) {
    if (controlCounter == 0) updateCoefficients();
    const double y = ladder.processSample(x);
    if (controlCounter == 0) controlTick();
    controlCounter = (controlCounter + 1) & controlMask;
    return y;
}

inline void VoiceFilter::controlTick() {
    cutoff.tick();
    resonance.tick();
}

}  // namespace tarn
