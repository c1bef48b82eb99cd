// An owned block of samples. Buffers never shrink; the render loop grows one
// when the host asks for a block longer than any before.
#pragma once

#include <cstdint>

namespace tarn {

class SampleBuffer final {
public:
    // A negative count is taken as 0. The contents are uncleared unless
    // zeroFill is set (delay lines must start silent).
    explicit SampleBuffer(int32_t count, bool zeroFill = false);
    ~SampleBuffer();

    SampleBuffer(const SampleBuffer &) = delete;
    SampleBuffer &operator=(const SampleBuffer &) = delete;

    // Replaces the storage by a new, uncleared one of n samples when n is
    // larger than count; nothing is copied. Returns whether the buffer now
    // holds at least n samples: if memory runs out the old storage is kept,
    // and the caller must work within count.
    bool grow(int32_t n);

    void clear();

    int32_t count = 0;
    double *data = nullptr;
};

}  // namespace tarn
