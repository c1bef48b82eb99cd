// What a host pays when it scans the plug-in: the first instance builds the
// process-wide tables, every further instance only itself. Also the heap
// each instance holds besides those tables.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "dsp/NoteFreqTable.h"
#include "dsp/WaveTableSet.h"
#include "entry/PluginFactory.h"

namespace {

VstIntPtr VSTCALLBACK scanHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

void closeInstance(AEffect *e) {
    if (e) e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

// Creating and opening an instance, as a scanning host does, then closing it.
void BM_FurtherInstance(benchmark::State &state) {
    closeInstance(tarn::createPluginInstance(scanHost));  // the tables exist from here on
    for (auto _ : state) {
        AEffect *e = tarn::createPluginInstance(scanHost);
        e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f);
        benchmark::DoNotOptimize(e);
        state.PauseTiming();
        closeInstance(e);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FurtherInstance)->Unit(benchmark::kMillisecond);

// The part of the first instance that no later one repeats.
void BM_ProcessTables(benchmark::State &state) {
    static double waves[tarn::WaveTableSet::kLevels * tarn::WaveTableSet::kLength];
    static double notes[tarn::NoteFreqTable::kSize];
    for (auto _ : state) {
        tarn::WaveTableSet::compute(waves);
        tarn::NoteFreqTable::compute(notes);
        benchmark::DoNotOptimize(waves);
        benchmark::DoNotOptimize(notes);
    }
}
BENCHMARK(BM_ProcessTables)->Unit(benchmark::kMillisecond);

void BM_InstanceHeap(benchmark::State &state) {
    closeInstance(tarn::createPluginInstance(scanHost));
    double bytes = 0.0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        AEffect *e = tarn::createPluginInstance(scanHost);
        const size_t after = mallinfo2().uordblks;
        bytes = static_cast<double>(after - before);
        state.PauseTiming();
        closeInstance(e);
        state.ResumeTiming();
    }
    state.counters["MiB_per_instance"] = bytes / (1024.0 * 1024.0);
}
BENCHMARK(BM_InstanceHeap)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
