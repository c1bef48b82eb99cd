#include "dsp/SineLfo.h"

#include <cmath>

#include "dsp/SampleRate.h"

namespace tarn {

SineLfo::SineLfo() { computeAngle(); }

void SineLfo::setSampleRate(double sr) {
    sampleRate = saneSampleRate(sr);
    computeAngle();
}

void SineLfo::fill(SineLfo &a, SineLfo &b, double *outA, double *outB, int32_t n) {
    double ac = a.cosPart, as = a.sinPart, bc = b.cosPart, bs = b.sinPart;
    for (int32_t k = 0; k < n; ++k) {
        outA[k] = ac;
        outB[k] = bc;
        const double nac = a.cosAngle * ac - a.sinAngle * as;
        const double nas = a.sinAngle * ac + a.cosAngle * as;
        const double nbc = b.cosAngle * bc - b.sinAngle * bs;
        const double nbs = b.sinAngle * bc + b.cosAngle * bs;
        ac = nac;
        as = nas;
        bc = nbc;
        bs = nbs;
        if ((k & 7) == 0) {
            a.speed.tick();
            a.computeAngle();
            b.speed.tick();
            b.computeAngle();
        }
    }
    a.cosPart = ac;
    a.sinPart = as;
    b.cosPart = bc;
    b.sinPart = bs;
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
