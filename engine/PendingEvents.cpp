#include "engine/PendingEvents.h"

namespace tarn {

bool PendingEvents::add(int32_t frame, unsigned char status, unsigned char data1, unsigned char data2) {
    if (frame >= kNone) frame = kNone - 1;
    if (head > 0 && head == count) head = count = 0;
    if (count == kCapacity) {
        if (head == 0) return false;
        for (int i = head; i < count; ++i) events[i - head] = events[i];
        count -= head;
        head = 0;
    }
    int at = count;
    while (at > head && events[at - 1].frame > frame) {
        events[at] = events[at - 1];
        --at;
    }
    events[at] = Event{frame, status, data1, data2};
    ++count;
    return true;
}

void PendingEvents::clampTo(int32_t lastFrame) {
    for (int i = head; i < count; ++i)
        if (events[i].frame > lastFrame) events[i].frame = lastFrame;
}

void PendingEvents::pop() {
    if (head < count) ++head;
    if (head == count) head = count = 0;
}

}  // namespace tarn
