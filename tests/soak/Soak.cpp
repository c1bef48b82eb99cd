// Soak: randomised notes, controllers and automation at 96000 Hz with the
// mesh advancing by audio time. Fails on a sample that is not finite, a
// sample beyond the instrument's ceiling, or any allocation after the first
// block (memory that grows over a long session).
//
// The ceiling: every ladder stage moves towards a saturated value without
// overshoot, so a voice never exceeds 2 x 1.92033 = 3.8407; twelve voices
// stay below 46.1, and the crossed delay, with send and feedback at most
// 0.7071, adds at most 0.7071 / (1 - 0.7071) of that again: 157.4.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "engine/Tarnwell.h"
#include "tests/support/AllocationCounter.h"

namespace {

constexpr double kCeiling = 157.4;
constexpr double kRate = 96000.0;
constexpr int kLongestBlock = 2048;

VstTimeInfo timeInfo{};

VstIntPtr VSTCALLBACK soakHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&timeInfo);
    return 0;
}

}  // namespace

using tarn::testing::allocationCount;
using tarn::testing::countingAllocations;

int main(int argc, char **argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 120.0;
    timeInfo.tempo = 120.0;
    timeInfo.sampleRate = kRate;
    timeInfo.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;

    auto *fx = new tarn::Tarnwell(soakHost);
    fx->setSampleRate(static_cast<float>(kRate));
    fx->setBlockSize(kLongestBlock);
    fx->vendorSpecific(tarn::Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    fx->assignController(20, 0);
    fx->assignController(21, 1);
    fx->assignController(22, 2);
    fx->assignController(23, 3);

    std::vector<float> left(kLongestBlock), right(kLongestBlock);
    float *out[2] = {left.data(), right.data()};
    std::mt19937 rng(20261209);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    VstMidiEvent events[8];
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent *events[8];
    } block{};

    fx->processReplacing(nullptr, out, kLongestBlock);
    countingAllocations = true;
    const double total = seconds * kRate;
    double done = 0.0, peak = 0.0, nextReport = 60.0 * kRate;
    long blocks = 0;
    while (done < total) {
        const int n = pick(4) == 0 ? 1 + pick(3) : 0;
        for (int i = 0; i < n; ++i) {
            VstMidiEvent &m = events[i];
            m = VstMidiEvent{};
            m.type = kVstMidiType;
            m.byteSize = sizeof(VstMidiEvent);
            const int kind = pick(5);
            m.midiData[0] = static_cast<char>(kind < 2 ? 0x90 : kind < 4 ? 0x80 : 0xB0);
            m.midiData[1] = static_cast<char>(kind == 4 ? 1 + pick(25) : 24 + pick(84));
            m.midiData[2] = static_cast<char>(1 + pick(127));
            block.events[i] = reinterpret_cast<VstEvent *>(&m);
        }
        block.numEvents = n;
        fx->processEvents(reinterpret_cast<VstEvents *>(&block));
        if (pick(8) == 0) fx->setParameter(pick(88), static_cast<float>(pick(10001)) / 10000.0f);
        if (pick(3000) == 0) fx->setProgram(pick(9));
        if (pick(2000) == 0) fx->processEvents(nullptr);
        const int frames = 1 + pick(kLongestBlock);
        fx->processReplacing(nullptr, out, frames);
        for (int k = 0; k < frames; ++k) {
            const double l = left[k], r = right[k];
            if (!std::isfinite(l) || !std::isfinite(r)) {
                std::printf("soak: sample %.0f is not finite\n", done + k);
                return 1;
            }
            peak = std::fmax(peak, std::fmax(std::fabs(l), std::fabs(r)));
        }
        if (peak > kCeiling) {
            std::printf("soak: peak %g above the ceiling %g\n", peak, kCeiling);
            return 1;
        }
        timeInfo.samplePos += frames;
        timeInfo.ppqPos += frames / kRate * 2.0;
        done += frames;
        ++blocks;
        if (done >= nextReport) {
            std::printf("soak: %.0f s rendered, peak %.4f\n", done / kRate, peak);
            std::fflush(stdout);
            nextReport += 60.0 * kRate;
        }
    }
    countingAllocations = false;
    const long grew = allocationCount.load();
    std::printf("soak: %.0f s of audio in %ld blocks, peak %.4f, allocations after the first block %ld\n",
                seconds, blocks, peak, grew);
    fx->dispatcher(effClose, 0, 0, nullptr, 0.0f);
    delete fx;
    if (grew != 0) return 1;
    std::printf("1 passed, 0 failed\n");
    return 0;
}
