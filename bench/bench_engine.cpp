// The whole instrument as a host runs it: held notes with long sustain, the
// delay on, 44100 Hz, blocks of 512. Reports ns per output sample and the
// realtime factor.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/BenchHost.h"

namespace {

void BM_EngineHeldNotes(benchmark::State &state) {
    VstTimeInfo &time = tarn::bench::hostTime();
    time.tempo = 120.0;
    time.flags = kVstTempoValid;
    time.sampleRate = 44100.0;
    auto fx = std::make_unique<tarn::Tarnwell>(tarn::bench::host);
    fx->setSampleRate(44100.0f);
    fx->setFxOn(true);
    fx->setParameter(18, 1.0f);  // Sustain: the notes hold for the whole run
    fx->setParameter(26, 0.5f);  // Delay Send
    constexpr int kBlock = 512;
    std::vector<float> l(kBlock), r(kBlock);
    float *out[2] = {l.data(), r.data()};
    const int voices = static_cast<int>(state.range(0));
    for (int n = 0; n < voices; ++n) tarn::bench::sendMidi(*fx, 0x90, 40 + 3 * n, 100);
    for (int b = 0; b < 20; ++b) fx->processReplacing(nullptr, out, kBlock);
    for (auto _ : state) {
        fx->processReplacing(nullptr, out, kBlock);
        benchmark::DoNotOptimize(l.data());
    }
    const double samples = static_cast<double>(state.iterations()) * kBlock;
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(samples / 44100.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EngineHeldNotes)->Arg(1)->Arg(12)->Unit(benchmark::kMicrosecond);

}  // namespace
