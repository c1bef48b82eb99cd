#include "lv2/EchoGuard.h"

#include <cstring>

namespace tarn::lv2door {

namespace {
uint32_t bitsOf(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}
}  // namespace

void EchoGuard::note(int32_t index, float value, uint64_t frame) {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kParameters)) return;
    Entry &e = entries[index][next[index]];
    next[index] = static_cast<uint8_t>((next[index] + 1) % kRemembered);
    // Withdrawn while rewritten, so a reader never pairs old bits with a new time.
    e.used.store(false, std::memory_order_release);
    e.bits.store(bitsOf(value), std::memory_order_relaxed);
    e.frame.store(frame, std::memory_order_relaxed);
    e.used.store(true, std::memory_order_release);
}

bool EchoGuard::isEcho(int32_t index, float value, uint64_t now, uint64_t window) const {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kParameters)) return false;
    const uint32_t bits = bitsOf(value);
    for (const Entry &e : entries[index]) {
        if (!e.used.load(std::memory_order_acquire)) continue;
        const uint64_t at = e.frame.load(std::memory_order_relaxed);
        if (e.bits.load(std::memory_order_relaxed) == bits && now - at <= window) return true;
    }
    return false;
}

}  // namespace tarn::lv2door
