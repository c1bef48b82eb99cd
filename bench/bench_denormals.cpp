// A loud passage, then silence with the delay at full feedback: its tail
// decays towards the denormal range. The cost per block at the start of the
// silence and after ten minutes of it must be the same.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/BenchHost.h"

namespace {

using tarn::bench::sendMidi;

void BM_SilenceAfterLoudPassage(benchmark::State &state) {
    tarn::bench::hostTime().tempo = 120.0;
    tarn::bench::hostTime().flags = kVstTempoValid;
    auto fx = std::make_unique<tarn::Tarnwell>(tarn::bench::host);
    constexpr int kBlock = 512;
    std::vector<float> l(kBlock), r(kBlock);
    float *out[2] = {l.data(), r.data()};
    fx->setParameter(26, 1.0f);  // Delay Send
    fx->setParameter(27, 1.0f);  // Delay Feedback
    for (int n = 0; n < 12; ++n) sendMidi(*fx, 0x90, 36 + 5 * n, 127);
    for (int b = 0; b < 200; ++b) fx->processReplacing(nullptr, out, kBlock);
    for (int n = 0; n < 12; ++n) sendMidi(*fx, 0x80, 36 + 5 * n, 0);
    const long silentBlocks = state.range(0) * 44100L * 60 / kBlock;
    for (long b = 0; b < silentBlocks; ++b) fx->processReplacing(nullptr, out, kBlock);
    for (auto _ : state) {
        fx->processReplacing(nullptr, out, kBlock);
        benchmark::DoNotOptimize(l.data());
    }
    state.counters["ns_per_sample"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// Minutes of silence rendered before the measured blocks.
BENCHMARK(BM_SilenceAfterLoudPassage)->Arg(0)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace
