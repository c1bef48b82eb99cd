#include "mesh/ApproxSqrt.h"

#include <cstdint>
#include <cstring>

namespace tarn {

namespace {
constexpr int kMantissaBits = 52;
constexpr std::uint64_t kExponentMask = 0x7FFull << kMantissaBits;
constexpr int kExponentBias = 1023;
}  // namespace

double approxSqrt(double d) {
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
