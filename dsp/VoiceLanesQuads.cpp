// The lane loop with four doubles per vector, compiled for AVX2 and run
// only where the processor has it (VoiceLanes::widest). Every header with
// inline code comes in before the switch to AVX2, so nothing shared with
// the rest of the program is compiled for it; only the lane loop is.
#include "dsp/Voice.h"
#include "dsp/VoiceLanes.h"
#include "dsp/WaveTableSet.h"

#if defined(__x86_64__)

#include <cstring>

#pragma GCC push_options
#pragma GCC target("avx2")
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#endif

#include "dsp/LaneKernel.h"

namespace tarn {

void VoiceLanes::renderQuads(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out, Hook &hook) {
    LaneKernel<4>::renderAll(voices, count, lfo1, lfo2, n, out, hook);
}

}  // namespace tarn

#if defined(__clang__)
#pragma clang attribute pop
#endif
#pragma GCC pop_options

#endif
