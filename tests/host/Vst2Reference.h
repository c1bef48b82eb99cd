// The VST 2.4 module loaded through its entry point (TARNWELL_PLUGIN), as the
// reference every other door must sound like bit for bit. Its host reports
// the transport in vst2Host() only while givesTime is set, so a test can
// build the instance with the transport of the first block, as the other
// doors align their clocks with it.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/host/PluginLoader.h"

namespace tarn::testing {

struct Vst2Host {
    VstTimeInfo time{};
    bool givesTime = false;
};

inline Vst2Host &vst2Host() {
    static Vst2Host host;
    return host;
}

inline VstIntPtr VSTCALLBACK vst2Callback(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    if (opcode == audioMasterVersion) return kVstVersion;
    if (opcode == audioMasterGetTime && vst2Host().givesTime) return reinterpret_cast<VstIntPtr>(&vst2Host().time);
    return 0;
}

inline PluginModule &vst2Module() {
    static PluginModule module = loadPluginModule(hostPath(std::getenv("TARNWELL_PLUGIN")));
    return module;
}

inline VstMidiEvent vst2Midi(int deltaFrames, unsigned char status, unsigned char data1, unsigned char data2) {
    VstMidiEvent m{};
    m.type = kVstMidiType;
    m.byteSize = sizeof m;
    m.deltaFrames = deltaFrames;
    m.midiData[0] = static_cast<char>(status);
    m.midiData[1] = static_cast<char>(data1);
    m.midiData[2] = static_cast<char>(data2);
    return m;
}

class Vst2Reference {
public:
    Vst2Reference() { e = vst2Module().entry ? vst2Module().entry(vst2Callback) : nullptr; }
    ~Vst2Reference() {
        if (e) dispatch(effClose);
    }
    Vst2Reference(const Vst2Reference &) = delete;
    Vst2Reference &operator=(const Vst2Reference &) = delete;

    // Rate, block size and switched on, as hosts start an instance.
    void start(float rate, VstInt32 block) {
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSize, 0, block);
        dispatch(effMainsChanged, 0, 1);
    }
    VstIntPtr dispatch(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr, float opt = 0) {
        return e->dispatcher(e, op, index, value, ptr, opt);
    }
    std::string text(VstInt32 op, VstInt32 index) {
        char buf[256] = {};
        dispatch(op, index, 0, buf);
        return buf;
    }
    // One piece of a block: its events, then n samples appended to out with
    // left and right in turn.
    void render(const std::vector<VstMidiEvent> &events, int n, std::vector<float> &out) {
        if (!events.empty()) {
            std::vector<char> block(sizeof(VstEvents) + events.size() * sizeof(VstEvent *));
            auto *list = reinterpret_cast<VstEvents *>(block.data());
            list->numEvents = static_cast<VstInt32>(events.size());
            for (size_t i = 0; i < events.size(); ++i)
                list->events[i] = reinterpret_cast<VstEvent *>(const_cast<VstMidiEvent *>(&events[i]));
            dispatch(effProcessEvents, 0, 0, list);
        }
        std::vector<float> l(n), r(n);
        float *outs[2] = {l.data(), r.data()};
        e->processReplacing(e, nullptr, outs, n);
        for (int k = 0; k < n; ++k) {
            out.push_back(l[k]);
            out.push_back(r[k]);
        }
    }

    AEffect *e = nullptr;
};

}  // namespace tarn::testing
