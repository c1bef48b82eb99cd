#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>
#include <limits>

#include "dsp/LadderFilter.h"
#include "dsp/NoteFreqTable.h"
#include "dsp/LaneKernel.h"
#include "dsp/VoiceFilter.h"

namespace tarn {
namespace {

constexpr double kT = LadderFilter::kKnee;

TEST(DspFilter, SoftClipCurve) {
    EXPECT_EQ(LadderFilter::softClip(0.0), 0.96016 - 0.26037 * (kT * kT));
    EXPECT_NEAR(LadderFilter::softClip(0.0), 2.06e-6, 1e-8);
    EXPECT_EQ(LadderFilter::softClip(kT), 0.96016);
    EXPECT_EQ(LadderFilter::softClip(-kT), -0.96016);
    EXPECT_EQ(LadderFilter::softClip(1.0), 0.96016 - 0.26037 * ((1.0 - kT) * (1.0 - kT)));
    EXPECT_EQ(LadderFilter::softClip(-1.0), 0.26037 * ((-1.0 + kT) * (-1.0 + kT)) - 0.96016);
    EXPECT_EQ(LadderFilter::softClip(50.0), 0.96016);
    EXPECT_EQ(LadderFilter::softClip(-50.0), -0.96016);
    for (double v : {0.1, 0.5, 1.0, 1.5, 1.92}) {
        EXPECT_EQ(LadderFilter::softClip(-v), -LadderFilter::softClip(v)) << v;
        EXPECT_LT(LadderFilter::softClip(v), LadderFilter::softClip(v + 0.001)) << v;
    }
    // Continuous at the knee, with a slope near 1 at the start.
    EXPECT_NEAR(LadderFilter::softClip(kT - 1e-9), 0.96016, 1e-12);
    EXPECT_NEAR((LadderFilter::softClip(1e-3) - LadderFilter::softClip(0.0)) / 1e-3, 1.0, 1e-3);
}

// The four-piece curve written out as its definition reads; the saturator
// must agree with it to the last bit everywhere, signed zeros included.
double pieces(double v) {
    if (v >= 0.0 && v < kT) return 0.96016 - 0.26037 * ((v - kT) * (v - kT));
    if (v < 0.0 && v > -kT) return 0.26037 * ((v + kT) * (v + kT)) - 0.96016;
    if (v >= kT) return 0.96016;
    return -0.96016;
}

TEST(DspFilter, SoftClipMatchesTheCurveBitForBit) {
    const double tiny = std::numeric_limits<double>::denorm_min(), least = std::numeric_limits<double>::min();
    std::vector<double> probes = {0.0, -0.0, kT, -kT, std::nextafter(kT, 0.0), std::nextafter(-kT, 0.0),
                                  2.0 * kT, -2.0 * kT, std::nextafter(2.0 * kT, 0.0), tiny, -tiny, 3.0 * tiny,
                                  -3.0 * tiny, least, -least, 3.0 * least, -3.0 * least, 1e300, -1e300};
    std::uint64_t seed = 12345;
    for (int k = 0; k < 200000; ++k) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        probes.push_back((static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5) * 5.0);
    }
    for (size_t k = 0; k < probes.size(); ++k) {
        const double v = probes[k], w = probes[probes.size() - 1 - k];
        const double got = LadderFilter::softClip(v), want = pieces(v);
        ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << v;
        // The ladder's form, which takes twice the argument, and its two-lane
        // form for voices side by side, each lane on its own; arguments so
        // small that halving them rounds included.
        const double halved = LadderFilter::softClipHalf(v), wantHalved = pieces(0.5 * v);
        ASSERT_EQ(std::memcmp(&halved, &wantHalved, sizeof halved), 0) << v;
        typedef LaneVector<2>::V Pair;
        const Pair pair = LaneKernel<2>::softClipHalf(Pair{v, w}, Pair{} + LadderFilter::kTwiceKnee);
        const double first = pair[0], second = pair[1], wantSecond = pieces(0.5 * w);
        ASSERT_EQ(std::memcmp(&first, &wantHalved, sizeof first), 0) << v;
        ASSERT_EQ(std::memcmp(&second, &wantSecond, sizeof second), 0) << w;
    }
}

TEST(DspFilter, SetupCoefficients) {
    LadderFilter f;
    f.setup(1000.0, 0.0, 44100.0);
    EXPECT_EQ(f.feedback, 0.0001);  // floor: no resonance gives no feedback at all otherwise
    const double tuned = 1.11903 * 1000.0 + 11.2957 - 3.35615e-05 * 1000.0 * 1000.0 +
                         4.49593e-10 * 1000.0 * 1000.0 * 1000.0;
    EXPECT_EQ(f.tune, 1.0 - std::exp(-6.283185307179586 * tuned / 88200.0));

    f.setup(1000.0, 1.0, 44100.0);
    EXPECT_EQ(f.feedback, 1.0 * (0.000113514 * 1000.0 - 7.46753e-10 * 1000.0 * 1000.0 + 1.0 * 1.0 * 1.25 * 1.262));

    // The same cutoff at twice the rate needs a smaller per-step coefficient.
    LadderFilter fast;
    fast.setup(1000.0, 0.0, 88200.0);
    EXPECT_LT(fast.tune, f.tune);
}

TEST(DspFilter, TableIndexStaysInsideTable) {
    EXPECT_EQ(VoiceFilter::tableIndex(0.0), 39487);
    EXPECT_EQ(VoiceFilter::tableIndex(1.0), 119487);
    EXPECT_EQ(VoiceFilter::tableIndex(-3.0), 0);
    EXPECT_EQ(VoiceFilter::tableIndex(7.0), NoteFreqTable::kSize - 1);
    EXPECT_EQ(VoiceFilter::tableIndex(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(VoiceFilter::tableIndex(std::numeric_limits<double>::infinity()), NoteFreqTable::kSize - 1);
    EXPECT_EQ(VoiceFilter::tableIndex(-std::numeric_limits<double>::infinity()), 0);

    // An offset can carry the cutoff past 1 for one tick; the filter copes.
    VoiceFilter vf;
    vf.cutoff.setNow(1.0);
    vf.cutoff.offset = 5.0;
    vf.updateCoefficients();
    EXPECT_TRUE(std::isfinite(vf.ladder.tune));
}

double gainAt(double freq, double cutoff) {
    VoiceFilter vf;
    vf.cutoff.setNow(cutoff);
    double peak = 0.0;
    for (int s = 0; s < 44100 / 4; ++s) {
        const double y = vf.processSample(0.2 * std::sin(6.283185307179586 * freq * s / 44100.0));
        if (s > 44100 / 8) peak = std::fmax(peak, std::fabs(y));
    }
    return peak / 0.2;
}

TEST(DspFilter, LowPassAroundItsCutoff) {
    // Cutoff 0 is 80 Hz: a 40 Hz tone passes, a 2 kHz tone is strongly cut.
    const double low = gainAt(40.0, 0.0);
    const double high = gainAt(2000.0, 0.0);
    EXPECT_GT(low, 0.25);
    EXPECT_LT(high, 0.001);
    EXPECT_GT(low, 300.0 * high);
    // Opening the filter lets the 2 kHz tone through.
    EXPECT_GT(gainAt(2000.0, 1.0), 0.4);
}

}  // namespace
}  // namespace tarn
