#include "tools/HostServices.h"

namespace tarn {

namespace {
// Written and read only on the renderer's one thread.
TransportClock *activeClock = nullptr;
}  // namespace

void HostServices::attach(TransportClock *clock) { activeClock = clock; }

VstIntPtr VSTCALLBACK HostServices::callback(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    switch (opcode) {
        case audioMasterVersion:
            return kHostVersion;
        case audioMasterWantMidi:
            return 1;
        case audioMasterGetTime:
            return activeClock ? reinterpret_cast<VstIntPtr>(activeClock->timeInfo()) : 0;
        default:
            return 0;
    }
}

}  // namespace tarn
