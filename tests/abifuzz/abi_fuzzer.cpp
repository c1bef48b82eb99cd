// Plays a byte stream against the plug-in the way a careless host would:
// any opcode with any index and value (pointers only to real, sized buffers
// or null), any float for any parameter, blocks of random MIDI bytes, blocks
// of 0 to 70000 frames, odd sample rates, program changes and any tempo or
// position. Every output sample must be a finite number below the ceiling.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "entry/PluginFactory.h"
#include "plugin/VstAbi.h"

namespace {

constexpr int kMaxFrames = 70000;
constexpr double kCeiling = 157.4;  // see tests/soak/Soak.cpp for the derivation

struct Input {
    const uint8_t *data;
    size_t size;
    size_t pos = 0;
    bool done() const { return pos >= size; }
    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    uint32_t u32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return v;
    }
    float f32() {
        const uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    double f64() {
        static const double special[] = {0.0, -1.0, 120.0, 1e300, -1e300, INFINITY, -INFINITY, NAN, 0.5, 1e-300};
        const uint8_t kind = byte();
        if (kind < 160) return special[kind % 10];
        const uint64_t bits = (static_cast<uint64_t>(u32()) << 32) | u32();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
};

VstTimeInfo timeInfo;
bool answerTime = true;
VstIntPtr versionAnswer = 2400;

VstIntPtr VSTCALLBACK fuzzHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    if (opcode == audioMasterVersion) return versionAnswer;
    if (opcode == audioMasterGetTime) return answerTime ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
    return 0;
}

void checkOutput(const std::vector<float> &l, const std::vector<float> &r, int n) {
    for (int k = 0; k < n; ++k) {
        if (!std::isfinite(l[k]) || !std::isfinite(r[k]) || std::fabs(l[k]) > kCeiling ||
            std::fabs(r[k]) > kCeiling)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Input in{data, size};
    static std::vector<float> left(kMaxFrames), right(kMaxFrames);
    static std::vector<char> scratch(4096);
    timeInfo = VstTimeInfo{};
    timeInfo.tempo = 120.0;
    timeInfo.flags = kVstTempoValid | kVstPpqPosValid;
    answerTime = true;
    versionAnswer = (in.byte() == 0) ? 0 : 2400;

    // What the exported entry point runs (its module also exports a symbol
    // named main, which the fuzzer's own main would collide with).
    AEffect *e = tarn::createPluginInstance(fuzzHost);
    if (!e) return 0;
    float *out[2] = {left.data(), right.data()};
    int operations = 0;
    while (!in.done() && operations++ < 64) {
        std::fill(scratch.begin(), scratch.end(), 0);
        const int op = in.byte() % 8;
        switch (op) {
            case 0: {
                VstInt32 opcode = in.byte() % 82;
                if (opcode == effClose || opcode == effEditOpen) opcode = effEditIdle;
                const VstInt32 index = static_cast<VstInt32>(in.u32());
                VstIntPtr value = static_cast<int32_t>(in.u32());
                void *ptr = (in.byte() & 1) ? scratch.data() : nullptr;
                if (opcode == effProcessEvents) ptr = nullptr;  // real blocks come from case 2
                if (opcode == effGetSpeakerArrangement || opcode == effSetSpeakerArrangement)
                    value = (value & 1) ? reinterpret_cast<VstIntPtr>(scratch.data() + 2048) : 0;
                e->dispatcher(e, opcode, index, value, ptr, in.f32());
                break;
            }
            case 1:
                e->setParameter(e, static_cast<VstInt32>(in.byte()) - 20, in.f32());
                break;
            case 2: {
                VstMidiEvent events[8];
                struct {
                    VstInt32 numEvents;
                    VstIntPtr reserved;
                    VstEvent *events[8];
                } block{};
                block.numEvents = in.byte() % 9;
                for (int i = 0; i < block.numEvents; ++i) {
                    events[i] = VstMidiEvent{};
                    events[i].type = (in.byte() & 7) ? kVstMidiType : in.byte();
                    events[i].byteSize = (in.byte() & 3) ? 32 : in.byte();
                    events[i].deltaFrames = static_cast<VstInt32>(in.u32());
                    for (int b = 0; b < 3; ++b) events[i].midiData[b] = static_cast<char>(in.byte());
                    block.events[i] = (in.byte() == 255) ? nullptr : reinterpret_cast<VstEvent *>(&events[i]);
                }
                e->dispatcher(e, effProcessEvents, 0, 0, &block, 0.0f);
                break;
            }
            case 3:
            case 4: {
                const bool replacing = op == 3;
                int frames = ((in.byte() << 8) | in.byte()) % 4096;
                if (in.byte() == 0) frames = kMaxFrames - (in.byte() % 3) * 20000;
                if (replacing)
                    e->processReplacing(e, nullptr, out, frames);
                else
                    e->process(e, nullptr, out, frames);
                checkOutput(left, right, frames);
                break;
            }
            case 5: {
                static const float rates[] = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f};
                const uint8_t k = in.byte();
                const float rate = k < 200 ? rates[k % 7] : in.f32();
                e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
                break;
            }
            case 6:
                e->dispatcher(e, effSetProgram, 0, static_cast<int8_t>(in.byte()), nullptr, 0.0f);
                break;
            case 7:
                timeInfo.tempo = in.f64();
                timeInfo.ppqPos = in.f64();
                timeInfo.flags = static_cast<VstInt32>(in.u32());
                answerTime = (in.byte() & 7) != 0;
                break;
        }
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
    return 0;
}
