#include "dsp/NoteFreqTable.h"

#include <cmath>

namespace tarn {

NoteFreqTable::NoteFreqTable() { compute(entries); }

void NoteFreqTable::compute(double *out) {
    const double semitone = std::pow(2.0, 1.0 / 12.0);
    for (int i = 0; i < kSize; ++i) out[i] = 440.0 * std::pow(semitone, i / 1000.0 - 69.0);
}

const double *NoteFreqTable::table() {
    static const NoteFreqTable built;
    return built.entries;
}

}  // namespace tarn
