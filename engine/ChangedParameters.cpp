#include "engine/ChangedParameters.h"

namespace tarn {

void ChangedParameters::mark(int32_t index) {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kCapacity)) return;
    words[index / 64].fetch_or(uint64_t{1} << (index % 64), std::memory_order_acq_rel);
}

bool ChangedParameters::any() const {
    for (const auto &w : words)
        if (w.load(std::memory_order_acquire) != 0) return true;
    return false;
}

int32_t ChangedParameters::take(int32_t *indices, int32_t capacity) {
    if (!indices || capacity <= 0) return 0;
    int32_t n = 0;
    for (int w = 0; w < kWords && n < capacity; ++w) {
        uint64_t bits = words[w].exchange(0, std::memory_order_acq_rel);
        while (bits != 0) {
            const int bit = __builtin_ctzll(bits);
            bits &= bits - 1;
            if (n < capacity) {
                indices[n++] = w * 64 + bit;
            } else {
                // No room: the rest wait for the next take.
                words[w].fetch_or(uint64_t{1} << bit, std::memory_order_acq_rel);
            }
        }
    }
    return n;
}

void ChangedParameters::clear() {
    for (auto &w : words) w.store(0, std::memory_order_release);
}

}  // namespace tarn
