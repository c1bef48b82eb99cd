// Cost of the sound-generation classes: a voice per sample, a full set of
// voices, and the one-off construction of the shared tables, which sits on
// the path of the first instance a host creates.
#include <benchmark/benchmark.h>

#include <vector>

#include "dsp/NoteFreqTable.h"
#include "dsp/SineLfo.h"
#include "dsp/Voice.h"
#include "dsp/VoiceLanes.h"
#include "dsp/WaveTableSet.h"

namespace tarn {
namespace {

constexpr int kBlock = 512;

// A voice with every modulation in use, so no path is skipped.
void prepare(Voice &v, int note) {
    const float values[20] = {0.4f, 0.6f, 0.7f, 0.5f, 0.6f, 0.1f, 0.3f, 0.5f, 0.3f, 0.8f,
                              0.05f, 0.3f, 0.8f, 0.3f, 0.0f, 0.7f, 0.0f, 0.6f, 0.6f, 0.6f};
    for (int k = 0; k < 20; ++k) v.setSynthParam(k, values[k]);
    v.noteOn(note, 100);
}

void BM_VoiceRender(benchmark::State &state) {
    Voice v;
    prepare(v, 60);
    SineLfo lfo1, lfo2;
    lfo1.speed.setNow(0.5);
    lfo2.speed.setNow(0.3);
    double sink = 0.0;
    for (auto _ : state) {
        for (int k = 0; k < kBlock; ++k) sink += v.render(lfo1.next(k & 7), lfo2.next(k & 7));
        if (!v.active) v.noteOn(60, 100);
    }
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(state.iterations() * kBlock);
    state.counters["ns_per_sample"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kBlock), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_VoiceRender);

void BM_TwelveVoices(benchmark::State &state) {
    Voice voices[12];
    Voice *listed[12];
    for (int i = 0; i < 12; ++i) {
        prepare(voices[i], 40 + 3 * i);
        listed[i] = &voices[i];
    }
    SineLfo lfo1, lfo2;
    const auto width = static_cast<VoiceLanes::Width>(state.range(0));
    constexpr int kStretch = VoiceLanes::kMaxSamples;
    double a[kBlock], b[kBlock], sounds[kStretch * VoiceLanes::kMaxVoices];
    double sink = 0.0;
    for (auto _ : state) {
        for (int k = 0; k < kBlock; ++k) {
            a[k] = lfo1.next(k & 7);
            b[k] = lfo2.next(k & 7);
        }
        for (int k = 0; k < kBlock; k += kStretch) {
            VoiceLanes::render(listed, 12, a + k, b + k, kStretch, sounds, width);
            for (int s = 0; s < kStretch; ++s) {
                double mix = 0.0;
                for (int i = 0; i < 12; ++i) mix += sounds[s * VoiceLanes::kMaxVoices + i];
                sink += mix;
            }
        }
    }
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(state.iterations() * kBlock);
    state.counters["ns_per_sample"] = benchmark::Counter(
        static_cast<double>(state.iterations() * kBlock), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// Argument: lanes per vector (1 is voice after voice).
BENCHMARK(BM_TwelveVoices)->Arg(VoiceLanes::kScalar)->Arg(VoiceLanes::kPairs)->Arg(VoiceLanes::kQuads);

void BM_WaveTableSetBuild(benchmark::State &state) {
    std::vector<double> out(WaveTableSet::kLevels * WaveTableSet::kLength);
    for (auto _ : state) {
        WaveTableSet::compute(out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_WaveTableSetBuild)->Unit(benchmark::kMillisecond);

void BM_NoteFreqTableBuild(benchmark::State &state) {
    std::vector<double> out(NoteFreqTable::kSize);
    for (auto _ : state) {
        NoteFreqTable::compute(out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_NoteFreqTableBuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn
