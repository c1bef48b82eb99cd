// Low-frequency sine from a rotating pair of values: four multiplications
// per sample, with the rotation angle re-evaluated once per control period.
#pragma once

#include <cstdint>

#include "dsp/LibmMemo.h"
#include "dsp/param.h"

namespace tarn {

class SineLfo final {
public:
    SineLfo();

    // Recomputes the angle at once, so the rate is right from the next
    // sample. Non-finite or absurd rates fall back to 44100 Hz.
    void setSampleRate(double sr);

    inline double next(int controlPhase);

    // n values of each of two LFOs as n calls of next(k & 7) would give
    // them, their state held in locals and their chains interleaved.
    static void fill(SineLfo &a, SineLfo &b, double *outA, double *outB, int32_t n);

    double sampleRate = 44100.0;
    lfop speed;
    double sinPart = 0.0;
    double cosPart = 1.0;
    double sinAngle = 0.0;
    double cosAngle = 1.0;

private:
    void computeAngle();

    SinCosMemo angle_;
};

inline double SineLfo::next(int controlPhase) {
    const double y = cosPart;
    const double c = cosAngle * cosPart - sinAngle * sinPart;
    const double s = sinAngle * cosPart + cosAngle * sinPart;
    cosPart = c;
    sinPart = s;
    if (controlPhase != 0) return y;
    speed.tick();
    computeAngle();
    return y;
}

}  // namespace tarn
