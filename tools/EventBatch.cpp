#include "tools/EventBatch.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace tarn {

VstEvents *EventBatch::fill(const ScheduledEvent *first, size_t count, int64_t blockStart) {
    events_.assign(count, VstMidiEvent{});
    const size_t bytes = offsetof(VstEvents, events) + (count < 2 ? 2 : count) * sizeof(VstEvent *);
    storage_.assign((bytes + sizeof(VstIntPtr) - 1) / sizeof(VstIntPtr), 0);
    VstEvents *block = new (storage_.data()) VstEvents;
    block->numEvents = static_cast<VstInt32>(count);
    block->reserved = 0;
    VstEvent **slots = reinterpret_cast<VstEvent **>(reinterpret_cast<char *>(block) + offsetof(VstEvents, events));
    for (size_t i = 0; i < count; ++i) {
        VstMidiEvent &e = events_[i];
        e.type = kVstMidiType;
        e.byteSize = static_cast<VstInt32>(sizeof(VstMidiEvent));
        const int64_t delta = first[i].sample - blockStart;
        e.deltaFrames = static_cast<VstInt32>(delta > 0 && delta < INT32_MAX ? delta : 0);
        e.flags = 0;
        const MidiMessage &m = first[i].message;
        e.midiData[0] = static_cast<char>(m.status);
        e.midiData[1] = static_cast<char>(m.size > 1 ? m.data1 : 0);
        e.midiData[2] = static_cast<char>(m.size > 2 ? m.data2 : 0);
        e.midiData[3] = 0;
        slots[i] = reinterpret_cast<VstEvent *>(&e);
    }
    for (size_t i = count; i < 2; ++i) slots[i] = nullptr;
    return block;
}

}  // namespace tarn
