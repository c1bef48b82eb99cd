// The whole instrument as a host runs it, 44100 Hz, blocks of 512, with the
// tests' engine host (recording switched off once the engine is built).
#include <benchmark/benchmark.h>

#include <vector>

#include "editor/InstrumentBuilder.h"
#include "engine/Instrument.h"
#include "tests/unit/EngineFixture.h"

namespace {

constexpr int kBlock = 512;

struct Blocks {
    std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);
    float *out[2] = {left.data(), right.data()};
    void render(tarn::Tarnwell &fx, long blocks = 1) {
        for (long b = 0; b < blocks; ++b) fx.processReplacing(nullptr, out, kBlock);
    }
};

void measure(benchmark::State &state, tarn::Tarnwell &fx, Blocks &blocks) {
    for (auto _ : state) {
        blocks.render(fx);
        benchmark::DoNotOptimize(blocks.left.data());
    }
    const double samples = static_cast<double>(state.iterations()) * kBlock;
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_realtime"] = benchmark::Counter(samples / 44100.0, benchmark::Counter::kIsRate);
}

// Held notes with full sustain and the delay on: ns per output sample and
// the realtime factor for 1 and 12 sounding voices.
void BM_EngineHeldNotes(benchmark::State &state) {
    tarn::testing::Engine e;
    e.host.record = false;
    e.fx->setParameter(18, 1.0f);  // Sustain: the notes hold for the whole run
    e.fx->setParameter(26, 0.5f);  // Delay Send
    Blocks blocks;
    for (int n = 0; n < state.range(0); ++n) e.noteOn(40 + 3 * n);
    blocks.render(*e.fx, 20);
    measure(state, *e.fx, blocks);
}
BENCHMARK(BM_EngineHeldNotes)->Arg(1)->Arg(12)->Unit(benchmark::kMicrosecond);

// A loud passage, then silence with the delay at full feedback: its tail
// decays towards the denormal range. The cost per block at the start of the
// silence and after ten minutes of it (the argument, in minutes) must be
// the same.
void BM_SilenceAfterLoudPassage(benchmark::State &state) {
    tarn::testing::Engine e;
    e.host.record = false;
    e.fx->setParameter(26, 1.0f);  // Delay Send
    e.fx->setParameter(27, 1.0f);  // Delay Feedback
    Blocks blocks;
    for (int n = 0; n < 12; ++n) e.noteOn(36 + 5 * n, 127);
    blocks.render(*e.fx, 200);
    for (int n = 0; n < 12; ++n) e.noteOff(36 + 5 * n);
    blocks.render(*e.fx, state.range(0) * 44100L * 60 / kBlock);
    measure(state, *e.fx, blocks);
}
BENCHMARK(BM_SilenceAfterLoudPassage)->Arg(0)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace

// The same held notes through the seam every door but the VST 2.4 one uses,
// with a parameter event in the middle of each block: what the seam's
// splitting and its end-of-block scan cost over the engine alone.
void BM_SeamHeldNotes(benchmark::State &state) {
    tarn::ProgramBank::shared().restoreFactory();
    auto in = tarn::createInstrument();
    in->activate(44100.0, kBlock);
    in->setParameter(18, 1.0f);
    in->setParameter(26, 0.5f);
    std::vector<float> left(kBlock), right(kBlock);
    std::vector<tarn::InstrumentEvent> notes;
    for (int n = 0; n < state.range(0); ++n)
        notes.push_back(tarn::InstrumentEvent::midi(0, 0x90, static_cast<unsigned char>(40 + 3 * n), 100));
    in->process(notes.data(), static_cast<int32_t>(notes.size()), left.data(), right.data(), kBlock, nullptr);
    tarn::Transport transport;
    transport.hasTempo = true;
    transport.tempo = 120.0;
    const tarn::InstrumentEvent change = tarn::InstrumentEvent::parameter(kBlock / 2, 10, 0.4f);
    for (auto _ : state) {
        in->process(&change, 1, left.data(), right.data(), kBlock, &transport);
        benchmark::DoNotOptimize(left.data());
    }
    const double samples = static_cast<double>(state.iterations()) * kBlock;
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SeamHeldNotes)->Arg(1)->Arg(12)->Unit(benchmark::kMicrosecond);
