// One block's notes and parameter changes, as the instrument takes them:
// note events, every point of every parameter queue at its sample, and the
// controller parameters turned back into MIDI controller messages, all in
// sample order (a parameter before the MIDI of its sample). Fixed storage,
// so the audio thread never allocates.
#pragma once

#include "engine/InstrumentEvent.h"
#include "vst3/Vst3Abi.h"

namespace tarn::vst3 {

class Vst3BlockEvents final {
public:
    static constexpr int32 kCapacity = 2048;

    // Audio thread. events and changes may be null.
    void gather(IEventList *events, IParameterChanges *changes, int32 frames);

    const InstrumentEvent *events() const { return list; }
    int32 count() const { return used; }
    // The program the block's last program-change point chose, or -1.
    int32 programRequest() const { return program; }
    // Events beyond the capacity, left out.
    int32 dropped() const { return lost; }

private:
    void add(const InstrumentEvent &e);
    void sort();

    InstrumentEvent list[kCapacity];
    InstrumentEvent scratch[kCapacity];
    int32 used = 0;
    int32 program = -1;
    int32 lost = 0;
};

}  // namespace tarn::vst3
