#include "dsp/SampleBuffer.h"

#include <algorithm>
#include <new>

namespace tarn {

SampleBuffer::SampleBuffer(int32_t n, bool zeroFill) {
    if (n > 0) {
        // No exception may reach the host: an allocation failure leaves an
        // empty buffer.
        data = new (std::nothrow) double[static_cast<size_t>(n)];
        if (data) count = n;
    }
    if (zeroFill) clear();
}

SampleBuffer::~SampleBuffer() { delete[] data; }

bool SampleBuffer::grow(int32_t n) {
    if (n <= count) return true;
    double *fresh = new (std::nothrow) double[static_cast<size_t>(n)];
    if (!fresh) return false;
    delete[] data;
    data = fresh;
    count = n;
    return true;
}

void SampleBuffer::clear() {
    if (data) std::fill(data, data + count, 0.0);
}

}  // namespace tarn
