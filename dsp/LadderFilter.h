// Four-stage saturating low-pass ladder. Each sample runs two half-steps
// (the second fed with the average of the output over the first), which
// keeps the feedback loop stable up to high cutoffs. Coefficients come from
// setup at control rate; the per-sample path has no division.
#pragma once

#include <cmath>
#include <cstdint>

#include "dsp/LibmMemo.h"

namespace tarn {

class LadderFilter final {
public:
    static constexpr double kKnee = 1.92033;
    static constexpr double kCeiling = 0.96016;
    static constexpr double kCurve = 0.26037;
    static constexpr double kFeedbackFloor = 0.0001;
    // The curve as it meets twice its argument (below).
    static constexpr double kTwiceKnee = 2.0 * kKnee;
    static constexpr double kQuarterCurve = 0.25 * kCurve;

    // A tanh-like saturator: odd, flat at +-kCeiling beyond +-kKnee.
    static inline double softClip(double v);
    // softClip(0.5 * w), which is how every stage applies it: the input gain
    // 1 / (2 scale) is one half, scale being 1. Halving and doubling are
    // exact, so the piece's own arithmetic on w against twice the knee, with
    // a quarter of the curvature, gives the very bits of the curve at w / 2:
    // (w - 2T) is 2 (w/2 - T) to the bit, its square four times the square.
    // The halved value still picks the piece, so a w so small that halving
    // it rounds (or flushes to zero) takes the branch it takes in the curve.
    // What leaves the ladder's dependent chain is one multiplication per
    // stage.
    static inline double softClipHalf(double w);

    void setup(double fc, double r, double sampleRate);
    // The coefficients another ladder's setup gave.
    inline void takeCoefficients(const LadderFilter &other);
    inline double processSample(double x);

    double scale = 1.0;
    double y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0;
    double y4Prev = 0.0;
    double s1 = 0.0, s2 = 0.0, s3 = 0.0;
    double tune = 0.0;
    double feedback = 0.0;

private:
    template <int W>
    friend struct LaneKernel;
    inline double halfStep(double in);

    // Derived from scale, tune and feedback in setup.
    double stageGain = 0.0; // 2 scale tune
    double loopGain = 0.0;  // 4 feedback
    ExpMemo exp_;
};

// Each piece as it stands. The branches follow the signal's sign and
// level, which change slowly against the sample rate, so the processor
// predicts them and the chain of dependent operations through the ladder is
// four long per stage. -0 counts as positive, like +0; NaN gives the ceiling,
// as the curve's clamp does for it. (The vector lanes fold the two halves
// into one instead: the same bits, see LaneKernel.)
inline double LadderFilter::softClip(double v) {
    if (v < 0.0) {
        if (!(v > -kKnee)) return -kCeiling;
        const double d = v + kKnee;
        return kCurve * (d * d) - kCeiling;
    }
    if (!(v < kKnee)) return kCeiling;
    const double d = v - kKnee;
    return kCeiling - kCurve * (d * d);
}

inline double LadderFilter::softClipHalf(double w) {
    const double v = 0.5 * w;
    if (v < 0.0) {
        if (!(v > -kKnee)) return -kCeiling;
        const double e = w + kTwiceKnee;
        return kQuarterCurve * (e * e) - kCeiling;
    }
    if (!(v < kKnee)) return kCeiling;
    const double e = w - kTwiceKnee;
    return kCeiling - kQuarterCurve * (e * e);
}

inline double LadderFilter::halfStep(double in) {
    const double G = stageGain;
    const double u = softClipHalf(in - loopGain * y4);
    y1 = y1 + G * (u - s1);
    s1 = softClipHalf(y1);
    y2 = y2 + G * (s1 - s2);
    s2 = softClipHalf(y2);
    y3 = y3 + G * (s2 - s3);
    s3 = softClipHalf(y3);
    y4 = y4 + G * (s3 - softClipHalf(y4));
    const double m = (y4 + y4Prev) * 0.5;
    y4Prev = y4;
    return m;
}

inline void LadderFilter::takeCoefficients(const LadderFilter &other) {
    scale = other.scale;
    tune = other.tune;
    feedback = other.feedback;
    stageGain = other.stageGain;
    loopGain = other.loopGain;
}

inline double LadderFilter::processSample(double x) {
    const double m = halfStep(x);
    return halfStep(m);
}

}  // namespace tarn
