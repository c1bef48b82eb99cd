// The mesh's own square root: an exponent-halving first guess refined by one
// Newton step. Its error is part of the model (springs behave as if slightly
// pre-tensioned because of it), so it must never be swapped for std::sqrt.
// Defined here so the mesh step, which calls it twice per node, can inline it.
#pragma once

#include <cstdint>
#include <cstring>

namespace tarn {

// For d > 0. Other inputs give a finite or NaN value but never trap.
inline double approxSqrt(double d) {
    constexpr int kMantissaBits = 52;
    constexpr std::uint64_t kExponentMask = 0x7FFull << kMantissaBits;
    constexpr int kExponentBias = 1023;

    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    const int biased = static_cast<int>((bits & kExponentMask) >> kMantissaBits);
    // Integer division truncates toward zero; the model depends on that
    // (-3 / 2 must give -1), so no shift here.
    const int halved = (biased - kExponentBias) / 2;
    const std::uint64_t guessBits =
        (bits & ~kExponentMask) |
        (static_cast<std::uint64_t>(halved + kExponentBias) << kMantissaBits);
    double g;
    std::memcpy(&g, &guessBits, sizeof g);
    return g - (g * g - d) / (g * 2.0);
}

}  // namespace tarn
