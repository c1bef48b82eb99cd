// The parameters the instrument changed by itself (editor, random button,
// learned controllers, program loads) and that the host has not yet been
// told of. Any thread marks, one thread at a time takes; lock-free, with
// one bit per parameter, so a burst of changes to one parameter is told once
// with its latest value.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarn {

class ChangedParameters final {
public:
    static constexpr int32_t kCapacity = 128;

    void mark(int32_t index);
    bool any() const;
    // Clears and hands over the marked indices, lowest first, at most
    // capacity of them (the rest stay marked); returns how many.
    int32_t take(int32_t *indices, int32_t capacity);
    void clear();

private:
    static constexpr int kWords = kCapacity / 64;
    std::atomic<uint64_t> words[kWords] = {};
};

}  // namespace tarn
