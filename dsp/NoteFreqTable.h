// Frequencies of MIDI notes in thousandths of a semitone: entry i is note
// i/1000 in equal temperament at A = 440 Hz (entry 69000 is 440 Hz). Shared
// by every instance, built once per process on first use.
#pragma once

namespace tarn {

class NoteFreqTable final {
public:
    static constexpr int kSize = 129999;

    // Thread-safe; the table is read-only once built.
    static const double *table();

    // Fills out (kSize doubles); table() uses it once, benchmarks time it.
    static void compute(double *out);

private:
    NoteFreqTable();
    double entries[kSize];
};

}  // namespace tarn
