#include "dsp/VoiceFilter.h"

#include "dsp/NoteFreqTable.h"

namespace tarn {

VoiceFilter::VoiceFilter() : noteFreqs(NoteFreqTable::table()) {}

int VoiceFilter::tableIndex(double c) {
    double index = c * 80.0 * 1000.0 + 39487.0;
    // Cutoff 0..1 spans entries 39487..119487; anything else (including an
    // undefined value) is held at the ends of the table.
    if (!(index >= 0.0)) index = 0.0;
    if (index > NoteFreqTable::kSize - 1) index = NoteFreqTable::kSize - 1;
    return static_cast<int>(index);
}

void VoiceFilter::updateCoefficients() {
    const double c = cutoff.get();
    const double r = resonance.get();
    const double fc = noteFreqs[tableIndex(c)];
    ladder.setup(fc, r, sampleRate);
    coefficientCutoff = c;
    coefficientResonance = r;
}

void VoiceFilter::updateCoefficientsLike(const VoiceFilter *last) {
    const double c = cutoff.get();
    const double r = resonance.get();
    if (last && sameBits(c, last->coefficientCutoff) && sameBits(r, last->coefficientResonance) &&
        sameBits(sampleRate, last->sampleRate)) {
        ladder.takeCoefficients(last->ladder);
        coefficientCutoff = c;
        coefficientResonance = r;
        return;
    }
    updateCoefficients();
}

}  // namespace tarn
