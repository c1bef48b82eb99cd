#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/NoteFreqTable.h"
#include "dsp/WaveTableSet.h"

namespace tarn {
namespace {

constexpr int N = WaveTableSet::kLength;

// The series summed in extended precision with exactly reduced arguments:
// far more accurate than double, so it stands for the exact value.
std::vector<double> referenceLevel(int n) {
    const long double pi = 3.14159265358979323846264338327950288L;
    std::vector<long double> sine(N);
    for (int m = 0; m < N; ++m) sine[m] = std::sin(2.0L * pi * m / N);
    const int M = 1 << n;
    std::vector<long double> weight(M);
    for (int k = 1; k < M; ++k) {
        const long double a = pi * k / M;
        weight[k] = std::sin(a) / a / (pi * k);
    }
    std::vector<double> out(N);
    for (int i = 0; i < N; ++i) {
        long double s = 0.0L;
        for (int k = 1; k < M; ++k) s += weight[k] * sine[(static_cast<long>(k) * i) % N];
        out[i] = static_cast<double>(s);
    }
    return out;
}

TEST(DspWaveTables, CheckValuesAndShape) {
    const WaveTableSet &set = WaveTableSet::instance();
    EXPECT_EQ(&set, &WaveTableSet::instance());

    EXPECT_NEAR(set.level(1)[1], 0.000155424733874, 5e-16);
    EXPECT_NEAR(set.level(9)[1], 0.073239586360646, 5e-16);
    const double pi = 3.141592653589793;
    EXPECT_NEAR(set.level(1)[2048], 2.0 / (pi * pi), 1e-16);
    EXPECT_NEAR(set.level(1)[2048], 0.202642367284676, 5e-16);

    double peak = 0.0;
    for (int i = 0; i < N; ++i) peak = std::fmax(peak, set.level(9)[i]);
    EXPECT_NEAR(peak, 0.510267368599886, 2e-15);

    for (int i = 0; i < N; ++i) EXPECT_EQ(set.level(0)[i], 0.0);
    for (int n = 1; n < WaveTableSet::kLevels; ++n) {
        const double *t = set.level(n);
        EXPECT_EQ(t[0], 0.0);
        EXPECT_EQ(t[N / 2], 0.0);
        double mean = 0.0;
        bool odd = true;
        for (int i = 1; i < N; ++i) {
            odd = odd && t[N - i] == -t[i];
            mean += t[i];
        }
        EXPECT_TRUE(odd) << "level " << n;
        EXPECT_NEAR(mean, 0.0, 1e-12);
    }
    // Level 9 approaches the falling ramp 0.5 - i/8192 away from the edge.
    EXPECT_NEAR(set.level(9)[2048], 0.25, 1e-3);

    // Out-of-range levels are clamped, never out of the table.
    EXPECT_EQ(set.level(-3), set.level(0));
    EXPECT_EQ(set.level(42), set.level(9));
}

TEST(DspWaveTables, EveryValueWithinAFewUlpsOfTheSeries) {
    const WaveTableSet &set = WaveTableSet::instance();
    const double ulp = std::ldexp(1.0, -53);  // of the wave's amplitude 0.5
    for (int n : {1, 2, 5, 8, 9}) {
        const std::vector<double> ref = referenceLevel(n);
        double worst = 0.0;
        for (int i = 0; i < N; ++i) worst = std::fmax(worst, std::fabs(set.level(n)[i] - ref[i]));
        EXPECT_LE(worst, 6.0 * ulp) << "level " << n;
    }
}

TEST(DspNoteFreqTable, EntriesAndFilterRange) {
    const double *t = NoteFreqTable::table();
    EXPECT_EQ(t, NoteFreqTable::table());
    EXPECT_EQ(t[69000], 440.0);
    const double semitone = std::pow(2.0, 1.0 / 12.0);
    for (int i : {0, 1, 39487, 60000, 69001, 119487, NoteFreqTable::kSize - 1})
        EXPECT_EQ(t[i], 440.0 * std::pow(semitone, i / 1000.0 - 69.0)) << i;
    EXPECT_NEAR(t[39487], 80.0, 1e-3);
    EXPECT_NEAR(t[119487], 8127.58, 1e-2);
    EXPECT_NEAR(t[81000], 880.0, 1e-9);
}

}  // namespace
}  // namespace tarn
