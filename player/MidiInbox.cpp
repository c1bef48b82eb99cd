#include "player/MidiInbox.h"

namespace tarn {

static_assert((MidiInbox::kCapacity & (MidiInbox::kCapacity - 1)) == 0, "the ring wraps by masking");

bool MidiInbox::push(Message m) {
    const uint32_t h = head.load(std::memory_order_relaxed);
    if (h - tail.load(std::memory_order_acquire) >= kCapacity) {
        droppedCount.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    ring[h & (kCapacity - 1)] = m;
    head.store(h + 1, std::memory_order_release);
    return true;
}

bool MidiInbox::pop(Message &m) {
    const uint32_t t = tail.load(std::memory_order_relaxed);
    if (t == head.load(std::memory_order_acquire)) return false;
    m = ring[t & (kCapacity - 1)];
    tail.store(t + 1, std::memory_order_release);
    return true;
}

}  // namespace tarn
