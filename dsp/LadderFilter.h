// Four-stage saturating low-pass ladder. Each sample runs two half-steps
// (the second fed with the average of the output over the first), which
// keeps the feedback loop stable up to high cutoffs. Coefficients come from
// setup at control rate; the per-sample path has no division.
#pragma once

#include <cmath>
#include <cstdint>

namespace tarn {

class LadderFilter final {
public:
    static constexpr double kKnee = 1.92033;
    static constexpr double kCeiling = 0.96016;
    static constexpr double kCurve = 0.26037;
    static constexpr double kFeedbackFloor = 0.0001;

    // A tanh-like saturator: odd, flat at +-kCeiling beyond +-kKnee.
    static inline double softClip(double v);

    // Two lanes of doubles, each computed by exactly the operations a
    // single double would see: lane-wise IEEE arithmetic, no contraction.
    typedef double Pair __attribute__((vector_size(16)));
    // softClip on both lanes, bit for bit, with masks in place of the
    // comparisons' branches.
    static inline Pair softClipPair(Pair v);

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
    double inGain = 0.5;   // 1 / (2 scale)
    double stageGain = 0.0; // 2 scale tune
    double loopGain = 0.0;  // 4 feedback
};

// Both halves of the curve are one parabola mirrored through the origin:
// T + v for negative v is the same operation as T - |v|, and a*s - b is
// exactly -(b - a*s), so folding by the sign gives the same bits as
// evaluating each piece. -0 counts as positive, like +0.
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

inline LadderFilter::Pair LadderFilter::softClipPair(Pair v) {
    typedef std::int64_t Bits __attribute__((vector_size(16)));
    const Bits magnitude = {INT64_MAX, INT64_MAX};
    const Bits sign = {INT64_MIN, INT64_MIN};
    const Pair knee = {kKnee, kKnee};
    const Pair a = (Pair)((Bits)v & magnitude);
    const Bits below = (Bits)(a < knee);
    const Pair c = (Pair)(((Bits)a & below) | ((Bits)knee & ~below));
    const Pair d = c - knee;
    const Pair r = kCeiling - kCurve * (d * d);
    return (Pair)((Bits)r ^ ((Bits)(v < 0.0) & sign));
}

template <int N>
inline void LadderFilter::processLockstep(LadderFilter *const *filters, const double *x, double *y) {
    static_assert(N % 2 == 0, "ladders run in pairs");
    constexpr int M = N / 2;
    Pair h[M], G[M], F[M], y1[M], y2[M], y3[M], y4[M], prev[M], s1[M], s2[M], s3[M], in[M], u[M], c4[M];
    for (int j = 0; j < M; ++j) {
        const LadderFilter &p = *filters[2 * j], &q = *filters[2 * j + 1];
        h[j] = Pair{p.inGain, q.inGain};
        G[j] = Pair{p.stageGain, q.stageGain};
        F[j] = Pair{p.loopGain, q.loopGain};
        y1[j] = Pair{p.y1, q.y1};
        y2[j] = Pair{p.y2, q.y2};
        y3[j] = Pair{p.y3, q.y3};
        y4[j] = Pair{p.y4, q.y4};
        prev[j] = Pair{p.y4Prev, q.y4Prev};
        s1[j] = Pair{p.s1, q.s1};
        s2[j] = Pair{p.s2, q.s2};
        s3[j] = Pair{p.s3, q.s3};
        in[j] = Pair{x[2 * j], x[2 * j + 1]};
    }
    for (int half = 0; half < 2; ++half) {
        for (int j = 0; j < M; ++j) u[j] = softClipPair(h[j] * (in[j] - F[j] * y4[j]));
        for (int j = 0; j < M; ++j) c4[j] = softClipPair(h[j] * y4[j]);
        for (int j = 0; j < M; ++j) {
            y1[j] = y1[j] + G[j] * (u[j] - s1[j]);
            s1[j] = softClipPair(h[j] * y1[j]);
        }
        for (int j = 0; j < M; ++j) {
            y2[j] = y2[j] + G[j] * (s1[j] - s2[j]);
            s2[j] = softClipPair(h[j] * y2[j]);
        }
        for (int j = 0; j < M; ++j) {
            y3[j] = y3[j] + G[j] * (s2[j] - s3[j]);
            s3[j] = softClipPair(h[j] * y3[j]);
        }
        for (int j = 0; j < M; ++j) {
            y4[j] = y4[j] + G[j] * (s3[j] - c4[j]);
            in[j] = (y4[j] + prev[j]) * 0.5;
            prev[j] = y4[j];
        }
    }
    for (int j = 0; j < M; ++j)
        for (int lane = 0; lane < 2; ++lane) {
            LadderFilter &f = *filters[2 * j + lane];
            f.y1 = y1[j][lane];
            f.y2 = y2[j][lane];
            f.y3 = y3[j][lane];
            f.y4 = y4[j][lane];
            f.y4Prev = prev[j][lane];
            f.s1 = s1[j][lane];
            f.s2 = s2[j][lane];
            f.s3 = s3[j][lane];
            y[2 * j + lane] = in[j][lane];
        }
}

}  // namespace tarn
