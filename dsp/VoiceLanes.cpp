#include "dsp/VoiceLanes.h"

#include "dsp/LaneKernel.h"
#include "dsp/Voice.h"

namespace tarn {

void VoiceLanes::renderPairs(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out) {
    LaneKernel<2>::renderAll(voices, count, lfo1, lfo2, n, out);
}

#if defined(__x86_64__)
VoiceLanes::Width VoiceLanes::widest() {
    static const Width width = __builtin_cpu_supports("avx2") ? kQuads : kPairs;
    return width;
}
#else
// Quads are built for x86-64 only (VoiceLanesQuads.cpp).
void VoiceLanes::renderQuads(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out) {
    renderPairs(voices, count, lfo1, lfo2, n, out);
}

VoiceLanes::Width VoiceLanes::widest() { return kPairs; }
#endif

VoiceLanes::Width VoiceLanes::available(Width wanted) {
    if (wanted == kScalar || wanted == kPairs) return wanted;
    return widest();
}

void VoiceLanes::render(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n, double *out,
                        Width width) {
    if (count <= 0 || n <= 0) return;
    if (count > kMaxVoices) count = kMaxVoices;
    if (n > kMaxSamples) n = kMaxSamples;
    // A lone voice has no other to share its vectors with, and its own
    // code, whose branches the processor predicts, is the quicker one.
    if (count == 1) width = kScalar;
    switch (available(width)) {
        case kQuads:
            renderQuads(voices, count, lfo1, lfo2, n, out);
            break;
        case kPairs:
            renderPairs(voices, count, lfo1, lfo2, n, out);
            break;
        default:
            for (int i = 0; i < count; ++i)
                for (int k = 0; k < n; ++k) out[k * kMaxVoices + i] = voices[i]->render(lfo1[k], lfo2[k]);
            break;
    }
}

}  // namespace tarn
