// One MIDI message as the event block a host hands to effProcessEvents.
#pragma once

#include "plugin/VstAbi.h"

namespace tarn::testing {

class MidiBlock {
public:
    MidiBlock(int status, int data1, int data2, int deltaFrames = 0) {
        event_.type = kVstMidiType;
        event_.deltaFrames = deltaFrames;
        event_.byteSize = sizeof event_;
        event_.midiData[0] = static_cast<char>(status);
        event_.midiData[1] = static_cast<char>(data1);
        event_.midiData[2] = static_cast<char>(data2);
        events_.numEvents = 1;
        events_.events[0] = reinterpret_cast<VstEvent *>(&event_);
    }
    // The block points into itself.
    MidiBlock(const MidiBlock &) = delete;
    MidiBlock &operator=(const MidiBlock &) = delete;

    VstEvents *events() { return &events_; }

private:
    VstMidiEvent event_{};
    VstEvents events_{};
};

}  // namespace tarn::testing
