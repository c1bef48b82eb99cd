// One thing that happens at a sample of a block: a MIDI message or a host
// parameter change. Doors translate their format's events into these.
#pragma once

#include <cstdint>

namespace tarn {

struct InstrumentEvent {
    enum class Kind : uint8_t { Midi, Parameter };
    int32_t frame = 0;  // sample of the block; past the end counts as its last
    Kind kind = Kind::Midi;
    unsigned char status = 0, data1 = 0, data2 = 0;
    int32_t index = 0;  // Parameter: the host parameter (VST 2.4 index)
    float value = 0.0f;  // Parameter: 0..1

    static InstrumentEvent midi(int32_t frame, unsigned char status, unsigned char data1, unsigned char data2) {
        InstrumentEvent e;
        e.frame = frame;
        e.status = status;
        e.data1 = data1;
        e.data2 = data2;
        return e;
    }
    static InstrumentEvent parameter(int32_t frame, int32_t index, float value) {
        InstrumentEvent e;
        e.frame = frame;
        e.kind = Kind::Parameter;
        e.index = index;
        e.value = value;
        return e;
    }
};

}  // namespace tarn
