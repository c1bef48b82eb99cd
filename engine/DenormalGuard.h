// Decaying tails (a released filter, a delay at full feedback) sink into the
// denormal range, where every operation costs a hundred times more. For the
// duration of one processing call the SSE unit flushes such numbers to zero;
// the host's own floating-point state is restored on return. Results that are
// not denormal are unchanged, so output stays bit-identical wherever no
// denormal occurs.
#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define TARNWELL_HAVE_MXCSR 1
#endif

namespace tarn {

class DenormalGuard final {
public:
#if defined(TARNWELL_HAVE_MXCSR)
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    DenormalGuard() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved); }

private:
    unsigned saved;
#else
    DenormalGuard() {}
#endif
public:
    DenormalGuard(const DenormalGuard &) = delete;
    DenormalGuard &operator=(const DenormalGuard &) = delete;
};

}  // namespace tarn
