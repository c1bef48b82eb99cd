#include "dsp/WaveTableSet.h"

#include <cmath>
#include <vector>

namespace tarn {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kQuarter = WaveTableSet::kLength / 4;
constexpr int kHalf = WaveTableSet::kLength / 2;
// Harmonics are summed in ascending order, a group of eight at a time into a
// partial sum that is then added to the running total: the total is rounded
// an eighth as often, which keeps level 9 within about 5 units in the last
// place (of the wave's amplitude 0.5) of the exact series.
constexpr int kGroup = 8;

void buildLevel(double *t, int n, const double *sine);

}  // namespace

const WaveTableSet &WaveTableSet::instance() {
    static const WaveTableSet set;
    return set;
}

const double *WaveTableSet::level(int n) const {
    if (n < 0) n = 0;
    if (n > kLevels - 1) n = kLevels - 1;
    return samples + n * kLength;
}

WaveTableSet::WaveTableSet() { compute(samples); }

void WaveTableSet::compute(double *out) {
    // One cycle of sin(2 pi m / 8192). Harmonic k at sample i needs the sine
    // at m = k*i mod 8192: reducing the argument exactly in integers keeps
    // every term as accurate as the sine of a small angle, where the direct
    // sin(2 pi k i / 8192) loses digits to arguments of up to 3200. The
    // quarter-wave symmetry makes the table exactly odd and exactly 0 at 0
    // and 4096, so the levels built from it are too. Kept off the stack:
    // hosts may build instances on threads with small stacks.
    std::vector<double> table(kLength);
    double *sine = table.data();
    for (int m = 0; m <= kQuarter; ++m) sine[m] = std::sin(2.0 * kPi * m / kLength);
    for (int m = 1; m < kQuarter; ++m) sine[kHalf - m] = sine[m];
    sine[kHalf] = 0.0;
    for (int m = 1; m < kHalf; ++m) sine[kLength - m] = -sine[m];

    for (int n = 0; n < kLevels; ++n) buildLevel(out + n * kLength, n, sine);
}

namespace {

void buildLevel(double *t, int n, const double *sine) {
    constexpr int kLength = WaveTableSet::kLength;
    constexpr int kMask = WaveTableSet::kMask;
    const int harmonics = (1 << n) - 1;
    const double M = static_cast<double>(1 << n);

    // sinc(k/M) / (pi k) folded into one factor per harmonic, so each term
    // is a single product.
    double weight[1 << (WaveTableSet::kLevels - 1)];
    for (int k = 1; k <= harmonics; ++k) {
        const double a = kPi * k / M;
        weight[k] = (std::sin(a) / a) / (kPi * k);
    }

    // The second half of the cycle is the negated first half. Four samples
    // are summed side by side so the independent sums fill the pipeline.
    t[0] = 0.0;
    t[kHalf] = 0.0;
    for (int i = 1; i < kHalf; i += 4) {
        double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
        unsigned m0 = 0, m1 = 0, m2 = 0, m3 = 0;  // k*(i+b) mod 8192
        for (int k0 = 1; k0 <= harmonics; k0 += kGroup) {
            const int kEnd = (harmonics + 1 - k0 < kGroup) ? harmonics + 1 : k0 + kGroup;
            double p0 = 0.0, p1 = 0.0, p2 = 0.0, p3 = 0.0;
            for (int k = k0; k < kEnd; ++k) {
                const double w = weight[k];
                m0 = (m0 + i) & kMask;
                m1 = (m1 + i + 1) & kMask;
                m2 = (m2 + i + 2) & kMask;
                m3 = (m3 + i + 3) & kMask;
                p0 += w * sine[m0];
                p1 += w * sine[m1];
                p2 += w * sine[m2];
                p3 += w * sine[m3];
            }
            a0 += p0;
            a1 += p1;
            a2 += p2;
            a3 += p3;
        }
        const double sums[4] = {a0, a1, a2, a3};
        for (int b = 0; b < 4 && i + b < kHalf; ++b) {
            t[i + b] = sums[b];
            t[kLength - (i + b)] = -sums[b];
        }
    }
}

}  // namespace

}  // namespace tarn
