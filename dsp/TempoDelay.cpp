#include "dsp/TempoDelay.h"

namespace tarn {

TempoDelay::TempoDelay() : lineA(kLineSamples, true), lineB(kLineSamples, true) {}

int32_t TempoDelay::eighthNoteLength(int32_t tempo, double sampleRate) {
    if (tempo <= 0) tempo = kFallbackTempo;
    const double length = 240.0 / tempo * 0.125 * sampleRate;
    if (!(length < kMaxLength)) return kMaxLength;  // NaN too
    const int32_t len = static_cast<int32_t>(length);
    return len < 1 ? 1 : len;
}

void TempoDelay::process(double *left, double *right, int32_t n, int32_t tempo, double sampleRate) {
    const int32_t len = eighthNoteLength(tempo, sampleRate);
    const int32_t lenB = 2 * len;
    double *a = lineA.data;
    double *b = lineB.data;
    // Send is held for the block; feedback follows its smoothing per sample.
    const double sendGain = send.out;
    // Feedback changes only at its ticks; held in locals, neither it nor the
    // indices are read back from memory after every store to the lines.
    double fb = feedback.out;
    int32_t ia = indexA, ib = indexB;
    int c = 0;
    for (int32_t k = 0; k < n; ++k) {
        const double outA = a[ia];
        const double outB = b[ib];
        a[ia] = left[k] * sendGain + outB * fb;
        b[ib] = right[k] * sendGain + outA * fb;
        // After a tempo change an index may lie beyond the new end; it is
        // still inside the line and wraps at its next step.
        ia += 1;
        if (ia >= len) ia = 0;
        ib += 1;
        if (ib >= lenB) ib = 0;
        left[k] += outA;
        right[k] += outB;
        if (c == 0) {
            send.tick();
            feedback.tick();
            fb = feedback.out;
        }
        c = (c + 1) & kGainTickMask;
    }
    indexA = ia;
    indexB = ib;
}

}  // namespace tarn
