// Voices rendered side by side, one voice per vector lane: the three
// oscillators, the filter and both envelopes of every lane run in the same
// instructions, with their state held in locals for a stretch of up to
// kMaxSamples samples. Each lane performs exactly the operations of its
// voice's own render, in the same order, so the samples are the same bits;
// what changes is that the long dependent chain of one ladder no longer stalls
// the processor while the others wait.
#pragma once

namespace tarn {

class Voice;

class VoiceLanes final {
public:
    // Longest stretch rendered in one call. A lane meets its control work
    // once every Voice::kControlInterval samples within it.
    static constexpr int kMaxSamples = 64;
    static constexpr int kMaxVoices = 12;

    // Doubles per vector. kScalar renders voice after voice through
    // Voice::render, the reference every width must match; a single voice
    // always takes that path.
    enum Width { kScalar = 1, kPairs = 2, kQuads = 4 };

    // Work of the lanes' owner between two samples of a stretch, which the
    // voices' later control work must see (new targets, say): run(context,
    // k) is called once every voice has rendered sample k, first for
    // k = at, and returns the next such sample (n or beyond for none).
    struct Hook {
        int (*run)(void *context, int sample);
        void *context;
        int at;
    };

    // Quads on x86-64 processors with AVX2, pairs everywhere else.
    static Width widest();
    // The width asked for, or the widest below it this processor runs.
    static Width available(Width wanted);

    // Renders n samples (0..kMaxSamples) of `count` voices (0..kMaxVoices),
    // handing sample k the LFO values lfo1[k] and lfo2[k]; voice i's sample
    // k lands in out[k * kMaxVoices + i]. Bit for bit what n calls of each
    // voice's render would give, with the hook's work between the samples
    // it names.
    static void render(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n, double *out,
                       Width width, Hook hook);
    static void render(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n, double *out,
                       Width width) {
        render(voices, count, lfo1, lfo2, n, out, width, Hook{nullptr, nullptr, kMaxSamples});
    }

private:
    static void renderPairs(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                            double *out, Hook &hook);
    static void renderQuads(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                            double *out, Hook &hook);
    static void renderScalar(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out, Hook &hook);
};

}  // namespace tarn
