// A VstEvents block of MIDI events, built once and refilled for every batch.
#pragma once

#include <cstddef>
#include <vector>

#include "plugin/VstAbi.h"
#include "tools/EventSchedule.h"

namespace tarn {

class EventBatch final {
public:
    // Fills the block with `count` events from `first`, each placed on its
    // sample relative to `blockStart` (an event before it at deltaFrames 0).
    // The block stays valid until the next fill.
    VstEvents *fill(const ScheduledEvent *first, size_t count, int64_t blockStart);

private:
    std::vector<VstMidiEvent> events_;
    // VstEvents ends in a variable-length array of event pointers; the words
    // here give it room for all of them at pointer alignment.
    std::vector<VstIntPtr> storage_;
};

}  // namespace tarn
