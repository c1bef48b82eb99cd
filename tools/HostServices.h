// The host side of the plug-in's callback. The renderer hosts one instance
// at a time, and the plug-in calls back before it has handed over its record
// (from inside the entry point), so the answers come from one process-wide
// transport rather than from a lookup by record.
#pragma once

#include "plugin/VstAbi.h"
#include "tools/TransportClock.h"

namespace tarn {

class HostServices final {
public:
    static constexpr VstIntPtr kHostVersion = 2400;

    // Makes `clock` the transport the callback reports; null detaches it,
    // after which time requests are answered with null.
    static void attach(TransportClock *clock);

    // Version 2400, MIDI wanted, the transport's time; 0 to everything else.
    static VstIntPtr VSTCALLBACK callback(AEffect *effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          void *ptr, float opt);
};

}  // namespace tarn
