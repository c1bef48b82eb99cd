// A recording host for tests that build the instrument, with its view, directly.
#pragma once

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/ProgramBank.h"
#include "engine/Tarnwell.h"
#include "entry/PluginFactory.h"
#include "tests/support/MidiBlock.h"

namespace tarn::testing {

struct HostCall {
    VstInt32 opcode;
    VstInt32 index;
    VstIntPtr value;
    float opt;
};

struct FakeHost {
    std::vector<HostCall> calls;
    VstTimeInfo time{};
    bool answerTime = true;
    bool record = true;

    int count(VstInt32 opcode) const {
        int n = 0;
        for (const auto &c : calls) n += c.opcode == opcode;
        return n;
    }
    void setTempo(double bpm, double ppq = 0.0, VstInt32 flags = kVstTempoValid | kVstPpqPosValid) {
        time.tempo = bpm;
        time.ppqPos = ppq;
        time.flags = flags;
    }
};

// One host at a time per thread is enough for these tests.
inline FakeHost *&currentHost() {
    thread_local FakeHost *host = nullptr;
    return host;
}

inline VstIntPtr VSTCALLBACK fakeHostCallback(AEffect *, VstInt32 opcode, VstInt32 index, VstIntPtr value, void *,
                                              float opt) {
    FakeHost *host = currentHost();
    if (!host) return opcode == audioMasterVersion ? 2400 : 0;
    if (host->record) host->calls.push_back({opcode, index, value, opt});
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return host->answerTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
    return 0;
}

struct Engine {
    FakeHost host;
    std::unique_ptr<Tarnwell> fx;
    std::vector<float> left, right;

    // A fresh bank unless the test means to see what another instance left.
    explicit Engine(double tempo = 120.0, bool freshBank = true) {
        if (freshBank) ProgramBank::shared().restoreFactory();
#if defined(_WIN32)
        _putenv("TARNWELL_SETTINGS_DIR=C:\\nonexistent-tarnwell-test-dir");
#else
        setenv("TARNWELL_SETTINGS_DIR", "/nonexistent-tarnwell-test-dir", 1);
#endif
        host.setTempo(tempo);
        currentHost() = &host;
        fx.reset(buildInstrument(fakeHostCallback));
    }
    ~Engine() { currentHost() = nullptr; }

    // deltaFrames places the event inside the next block.
    void midi(int status, int data1, int data2, int deltaFrames = 0) {
        MidiBlock block(status, data1, data2, deltaFrames);
        fx->processEvents(block.events());
    }
    void noteOn(int note, int velocity = 100, int channel = 0) { midi(0x90 | channel, note, velocity); }
    void noteOff(int note, int channel = 0) { midi(0x80 | channel, note, 0); }

    // Renders n samples with processReplacing into left/right.
    void render(int n) {
        left.assign(n, 0.0f);
        right.assign(n, 0.0f);
        float *out[2] = {left.data(), right.data()};
        fx->processReplacing(nullptr, out, n);
    }
    // Renders n samples and appends them to `into`, left and right in turn.
    void renderInto(int n, std::vector<float> &into) {
        render(n);
        for (int k = 0; k < n; ++k) {
            into.push_back(left[k]);
            into.push_back(right[k]);
        }
    }
    int activeVoices() const {
        int n = 0;
        for (int i = 0; i < Tarnwell::kNumVoices; ++i) n += fx->voice(i).active;
        return n;
    }
    double peak() const {
        double p = 0;
        for (size_t i = 0; i < left.size(); ++i) p = std::max(p, static_cast<double>(std::abs(left[i])));
        return p;
    }
};

}  // namespace tarn::testing
