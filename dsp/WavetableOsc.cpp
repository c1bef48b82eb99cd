#include "dsp/WavetableOsc.h"

#include "dsp/SampleRate.h"

namespace tarn {

namespace {

// Periods at or below two samples are at or above half the sample rate and
// play the silent level 0. The phase increment is computed as if the period
// were never shorter than that, so the phase always stays within one cycle
// even when the pitch far exceeds a very low sample rate.
constexpr double kShortestPeriod = 2.0;

}  // namespace

WavetableOsc::WavetableOsc() : tables(WaveTableSet::instance().level(0)) {
    pitch.setNow(0.5390625);
    shape.setNow(0.0);
    width.setNow(0.5);
    period = 44100.0 / 440.0;
    selectLevel();
}

void WavetableOsc::setSampleRate(double sr) {
    sampleRate = saneSampleRate(sr);
    selectLevel();
}

void WavetableOsc::selectLevel() {
    double P = sampleRate / pitch.freq;
    // Only a garbage pitch (not one reached through the parameter mapping)
    // can give an infinite or undefined period; it plays silence.
    if (!(P >= 0.0 && P <= 1.0e12)) P = 0.0;
    period = P;

    // b is a power of two, so P / b is exact and P / b > 2 says the same as
    // P > 2 b, without a division per octave.
    int n = 9;
    double b = 512.0;
    while (!(P > 2.0 * b)) {
        n = n - 1;
        b = b * 0.5;
        if (n < 0) break;
    }

    if (n <= 0) {
        upperTable = tables;
        lowerTable = tables;
        upperWeight = 1.0;
        lowerWeight = 0.0;
        upperLevel = 0;
    } else {
        const double low = 2.0 * b;   // 2^(n+1)
        upperTable = tables + n * WaveTableSet::kLength;
        lowerTable = tables + (n - 1) * WaveTableSet::kLength;
        // high - low is the power of two 2 b: dividing by it and multiplying
        // by its reciprocal give the same bits, without a division.
        upperWeight = (P - low) * (0.5 / b);
        lowerWeight = 1.0 - upperWeight;
        upperLevel = n;
    }

    increment = 8192.0 / (P > kShortestPeriod ? P : kShortestPeriod);
}

}  // namespace tarn
