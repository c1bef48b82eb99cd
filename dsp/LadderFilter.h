// Four-stage saturating low-pass ladder. Each sample runs two half-steps
// (the second fed with the average of the output over the first).
// Coefficients come from setup at control rate, so the per-sample path has
// no division.
#pragma once

#include <cmath>

namespace tarn {

class LadderFilter final {
public:
    static constexpr double kKnee = 1.92033;
    static constexpr double kCeiling = 0.96016;
    static constexpr double kCurve = 0.26037;
    static constexpr double kFeedbackFloor = 0.0001;

    // A tanh-like saturator: odd, flat at +-kCeiling beyond +-kKnee.
    static inline double softClip(double v);

    void setup(double fc, double r, double sampleRate);
    inline double processSample(double x);

    // One sample through N independent filters at once, each computed
    // exactly as processSample would. A single ladder is one long chain of
    // dependent operations; laying N chains side by side lets the processor
    // overlap them, which is where the speed of many voices comes from.
    template <int N>
    static inline void processLockstep(LadderFilter *const *filters, const double *x, double *y);

    double scale = 1.0;
    double y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0;
    double y4Prev = 0.0;
    double s1 = 0.0, s2 = 0.0, s3 = 0.0;
    double tune = 0.0;
    double feedback = 0.0;

private:
    inline double halfStep(double in);

    // Derived from scale, tune and feedback in setup.
    double inGain = 0.5;     // 1 / (2 scale)
    double stageGain = 0.0;  // 2 scale tune
    double loopGain = 0.0;   // 4 feedback
};

// Branch-free, so that ladders run side by side stay in step: rounding is
// symmetric, so folding onto |v| and restoring the sign gives exactly the
// two halves of the curve (-0 counts as positive).
inline double LadderFilter::softClip(double v) {
    const double a = std::fabs(v);
    const double d = (a < kKnee ? a : kKnee) - kKnee;
    const double r = kCeiling - kCurve * (d * d);
    return v < 0.0 ? -r : r;
}

inline double LadderFilter::halfStep(double in) {
    const double h = inGain;
    const double G = stageGain;
    const double u = softClip(h * (in - loopGain * y4));
    y1 = y1 + G * (u - s1);
    s1 = softClip(h * y1);
    y2 = y2 + G * (s1 - s2);
    s2 = softClip(h * y2);
    y3 = y3 + G * (s2 - s3);
    s3 = softClip(h * y3);
    y4 = y4 + G * (s3 - softClip(h * y4));
    const double m = (y4 + y4Prev) * 0.5;
    y4Prev = y4;
    return m;
}

inline double LadderFilter::processSample(double x) {
    const double m = halfStep(x);
    return halfStep(m);
}

template <int N>
inline void LadderFilter::processLockstep(LadderFilter *const *filters, const double *x, double *y) {
    double h[N], G[N], F[N], y1[N], y2[N], y3[N], y4[N], prev[N], s1[N], s2[N], s3[N], in[N], u[N], c4[N];
    for (int i = 0; i < N; ++i) {
        const LadderFilter &f = *filters[i];
        h[i] = f.inGain;
        G[i] = f.stageGain;
        F[i] = f.loopGain;
        y1[i] = f.y1;
        y2[i] = f.y2;
        y3[i] = f.y3;
        y4[i] = f.y4;
        prev[i] = f.y4Prev;
        s1[i] = f.s1;
        s2[i] = f.s2;
        s3[i] = f.s3;
        in[i] = x[i];
    }
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < N; ++i) u[i] = softClip(h[i] * (in[i] - F[i] * y4[i]));
        for (int i = 0; i < N; ++i) c4[i] = softClip(h[i] * y4[i]);
        for (int i = 0; i < N; ++i) {
            y1[i] = y1[i] + G[i] * (u[i] - s1[i]);
            s1[i] = softClip(h[i] * y1[i]);
        }
        for (int i = 0; i < N; ++i) {
            y2[i] = y2[i] + G[i] * (s1[i] - s2[i]);
            s2[i] = softClip(h[i] * y2[i]);
        }
        for (int i = 0; i < N; ++i) {
            y3[i] = y3[i] + G[i] * (s2[i] - s3[i]);
            s3[i] = softClip(h[i] * y3[i]);
        }
        for (int i = 0; i < N; ++i) {
            y4[i] = y4[i] + G[i] * (s3[i] - c4[i]);
            in[i] = (y4[i] + prev[i]) * 0.5;
            prev[i] = y4[i];
        }
    }
    for (int i = 0; i < N; ++i) {
        LadderFilter &f = *filters[i];
        f.y1 = y1[i];
        f.y2 = y2[i];
        f.y3 = y3[i];
        f.y4 = y4[i];
        f.y4Prev = prev[i];
        f.s1 = s1[i];
        f.s2 = s2[i];
        f.s3 = s3[i];
        y[i] = in[i];
    }
}

}  // namespace tarn
