#include "dsp/VoiceLanes.h"

#include "dsp/LaneKernel.h"
#include "dsp/Voice.h"

namespace tarn {

void VoiceLanes::renderPairs(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out, Hook &hook) {
    LaneKernel<2>::renderAll(voices, count, lfo1, lfo2, n, out, hook);
}

void VoiceLanes::renderScalar(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                              double *out, Hook &hook) {
    // Voice after voice between one hook sample and the next.
    for (int from = 0; from < n;) {
        const int to = hook.at >= from && hook.at < n ? hook.at + 1 : n;
        for (int i = 0; i < count; ++i)
            for (int k = from; k < to; ++k) out[k * kMaxVoices + i] = voices[i]->render(lfo1[k], lfo2[k]);
        if (to - 1 == hook.at) hook.at = hook.run(hook.context, hook.at);
        from = to;
    }
}

#if defined(__x86_64__)
VoiceLanes::Width VoiceLanes::widest() {
    static const Width width = __builtin_cpu_supports("avx2") ? kQuads : kPairs;
    return width;
}
#else
// Quads are built for x86-64 only (VoiceLanesQuads.cpp).
void VoiceLanes::renderQuads(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out, Hook &hook) {
    renderPairs(voices, count, lfo1, lfo2, n, out, hook);
}

VoiceLanes::Width VoiceLanes::widest() { return kPairs; }
#endif

VoiceLanes::Width VoiceLanes::available(Width wanted) {
    if (wanted == kScalar || wanted == kPairs) return wanted;
    return widest();
}

void VoiceLanes::render(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n, double *out,
                        Width width, Hook hook) {
    if (n <= 0) return;
    if (count < 0) count = 0;
    if (count > kMaxVoices) count = kMaxVoices;
    if (n > kMaxSamples) n = kMaxSamples;
    // A lone voice has no other to share its vectors with, and its own
    // code, whose branches the processor predicts, is the quicker one.
    // Without voices only the hook runs.
    if (count <= 1) width = kScalar;
    switch (available(width)) {
        case kQuads:
            renderQuads(voices, count, lfo1, lfo2, n, out, hook);
            break;
        case kPairs:
            renderPairs(voices, count, lfo1, lfo2, n, out, hook);
            break;
        default:
            renderScalar(voices, count, lfo1, lfo2, n, out, hook);
            break;
    }
}

}  // namespace tarn
