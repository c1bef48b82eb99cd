// A host for the engine benchmarks: it reports a tempo through the time
// information and delivers MIDI as single-event blocks.
#pragma once

#include "engine/Tarnwell.h"

namespace tarn::bench {

inline VstTimeInfo &hostTime() {
    static VstTimeInfo time{};
    return time;
}

inline VstIntPtr VSTCALLBACK host(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&hostTime());
    return 0;
}

inline void sendMidi(Tarnwell &fx, int status, int data1, int data2) {
    VstMidiEvent m{};
    m.type = kVstMidiType;
    m.byteSize = sizeof m;
    m.midiData[0] = static_cast<char>(status);
    m.midiData[1] = static_cast<char>(data1);
    m.midiData[2] = static_cast<char>(data2);
    VstEvents ev{};
    ev.numEvents = 1;
    ev.events[0] = reinterpret_cast<VstEvent *>(&m);
    fx.processEvents(&ev);
}

}  // namespace tarn::bench
