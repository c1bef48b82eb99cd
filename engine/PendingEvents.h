// MIDI events that arrive with a position inside the coming block, held
// until the render loop reaches their sample. Fixed capacity, so holding an
// event never allocates; the audio thread alone adds and takes.
#pragma once

#include <cstdint>

namespace tarn {

class PendingEvents final {
public:
    // Far more than a block carries in practice; past it, the earliest
    // event is applied ahead of its sample rather than lost.
    static constexpr int kCapacity = 256;
    static constexpr int32_t kNone = INT32_MAX;

    struct Event {
        int32_t frame;
        unsigned char status, data1, data2;
    };

    // Keeps the events in frame order and, within a frame, in the order
    // they came. False when full.
    bool add(int32_t frame, unsigned char status, unsigned char data1, unsigned char data2);
    // A host may place an event past the end of the block it precedes; it
    // is played on the block's last sample.
    void clampTo(int32_t lastFrame);
    bool empty() const { return head == count; }
    // Frame of the next event, or kNone.
    int32_t nextFrame() const { return head < count ? events[head].frame : kNone; }
    const Event &next() const { return events[head]; }
    void pop();

private:
    Event events[kCapacity];
    int head = 0;
    int count = 0;
};

}  // namespace tarn
