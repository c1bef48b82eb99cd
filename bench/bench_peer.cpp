// Tarnwell against a peer instrument, both loaded through their VST entry
// points into this one process: program 0, 44.1 kHz, blocks of 512, one or
// twelve held notes. The two render alternate block by block, so whatever
// else the machine is doing weighs on both alike; each block is timed in
// this thread's processor time and the medians are compared. The peer is Debian's amsynth
// (/usr/lib/vst/amsynth_vst.so, or TARNWELL_PEER_MODULE).
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/EffectInstance.h"
#include "tools/EventBatch.h"
#include "tools/PluginModule.h"

namespace tarn {
namespace {

constexpr int kBlock = 512;
constexpr float kRate = 44100.0f;

VstTimeInfo &hostTime() {
    static VstTimeInfo time = [] {
        VstTimeInfo t{};
        t.sampleRate = kRate;
        t.tempo = 120.0;
        t.timeSigNumerator = 4;
        t.timeSigDenominator = 4;
        t.flags = kVstTempoValid | kVstPpqPosValid | kVstTimeSigValid;
        return t;
    }();
    return time;
}

// What a plain host answers: its version, rate and block size, a transport
// standing at 120 beats per minute; nothing else.
VstIntPtr VSTCALLBACK peerHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterWantMidi: return 1;
        case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&hostTime());
        case 16: return static_cast<VstIntPtr>(kRate);  // audioMasterGetSampleRate
        case 17: return kBlock;                         // audioMasterGetBlockSize
        default: return 0;
    }
}

double threadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// One instance with its held notes. The whole chord goes in one batch: the
// peer keeps only the last batch it was handed before a block.
class HeldNotes {
public:
    bool start(const std::string &path, int voices, std::string &error) {
        if (!module_.load(path, error) || !effect_.create(module_.entry(), peerHost, error)) return false;
        effect_.open();
        effect_.dispatch(effSetSampleRate, 0, 0, nullptr, kRate);
        effect_.dispatch(effSetBlockSize, 0, kBlock);
        effect_.dispatch(effSetProgram, 0, 0);
        effect_.reserveFrames(kBlock);
        effect_.resume();
        std::vector<ScheduledEvent> chord(static_cast<size_t>(voices));
        for (int n = 0; n < voices; ++n) {
            chord[n].message.status = 0x90;
            chord[n].message.data1 = static_cast<uint8_t>(40 + 3 * n);
            chord[n].message.data2 = 100;
        }
        EventBatch batch;
        effect_.dispatch(effProcessEvents, 0, 0, batch.fill(chord.data(), chord.size(), 0));
        for (int b = 0; b < 20; ++b) block();  // past the attack
        return true;
    }
    // Seconds of processor time for one block.
    double block() {
        const double t0 = threadSeconds();
        effect_.process(left_.data(), right_.data(), kBlock);
        const double t1 = threadSeconds();
        benchmark::DoNotOptimize(left_.data());
        return t1 - t0;
    }
    ~HeldNotes() { effect_.close(); }

private:
    PluginModule module_;  // outlives the instance: members go in reverse order
    EffectInstance effect_;
    std::vector<float> left_ = std::vector<float>(kBlock), right_ = std::vector<float>(kBlock);
};

std::string peerPath() {
    const char *path = std::getenv("TARNWELL_PEER_MODULE");
    return path && *path ? path : "/usr/lib/vst/amsynth_vst.so";
}

double median(std::vector<double> &v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Counters: ns per sample of each, and Tarnwell's throughput as a multiple
// of the peer's (above 1: Tarnwell renders more audio per second). Each is
// the median over the blocks, which a stray interruption does not move.
void BM_AgainstPeer(benchmark::State &state) {
    const int voices = static_cast<int>(state.range(0));
    HeldNotes ours, peer;
    std::string error;
    if (!ours.start(TARNWELL_MODULE_PATH, voices, error) || !peer.start(peerPath(), voices, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<double> oursSeconds, peerSeconds;
    oursSeconds.reserve(1 << 16);
    peerSeconds.reserve(1 << 16);
    for (auto _ : state) {
        oursSeconds.push_back(ours.block());
        peerSeconds.push_back(peer.block());
    }
    const double oursNs = 1e9 * median(oursSeconds) / kBlock, peerNs = 1e9 * median(peerSeconds) / kBlock;
    state.counters["tarnwell_ns"] = oursNs;
    state.counters["peer_ns"] = peerNs;
    state.counters["ratio"] = peerNs / oursNs;
}
BENCHMARK(BM_AgainstPeer)->Arg(1)->Arg(12)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace tarn
