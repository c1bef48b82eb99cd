// MIDI messages handed from one thread (the sequencer reader) to the audio
// thread without locks: a single-producer, single-consumer ring. A full
// ring drops the newest message rather than making either side wait.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarn {

class MidiInbox final {
public:
    static constexpr uint32_t kCapacity = 1024;  // a power of two

    struct Message {
        unsigned char status = 0, data1 = 0, data2 = 0;
    };

    // Producer side. False when the ring is full.
    bool push(Message m);
    // Consumer side (the audio thread): no allocation, lock or system call.
    bool pop(Message &m);
    uint32_t dropped() const { return droppedCount.load(std::memory_order_relaxed); }

private:
    Message ring[kCapacity];
    std::atomic<uint32_t> head{0};  // next to write, producer's
    std::atomic<uint32_t> tail{0};  // next to read, consumer's
    std::atomic<uint32_t> droppedCount{0};
};

}  // namespace tarn
