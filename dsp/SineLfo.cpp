#include "dsp/SineLfo.h"

#include <cmath>

#include "dsp/SampleRate.h"

namespace tarn {

SineLfo::SineLfo() { computeAngle(); }

void SineLfo::setSampleRate(double sr) {
    sampleRate = saneSampleRate(sr);
    computeAngle();
}

void SineLfo::computeAngle() {
    const double rate = speed.get();
    // The mapping only gives 0.1 to 15 Hz; a rate that is not positive or
    // not finite would divide by zero or make the angle undefined, so the
    // LFO holds still instead.
    const double w = (rate > 0.0 && rate <= kHighestSampleRate) ? 6.283185307179586 / (sampleRate / rate) : 0.0;
    angle_(w, sinAngle, cosAngle);
}

}  // namespace tarn
