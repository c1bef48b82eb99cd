// Linear attack-decay-sustain-release envelope. Times and sustain level are
// smoothed parameters, re-evaluated once per control period together with the
// per-sample slopes derived from them.
#pragma once

#include "dsp/param.h"

namespace tarn {

class eg final {
public:
    enum Stage { kIdle = 0, kAttack = 1, kDecay = 2, kSustain = 3, kRelease = 4 };

    eg() = default;

    // Takes effect at once: the slopes are recomputed for the new rate.
    // Non-finite or absurd rates fall back to 44100 Hz (dsp/SampleRate.h).
    void setSampleRate(double sr);
    int stage() const { return stage_; }
    void trigger();
    double level() const { return level_; }
    inline double next(int controlPhase);
    void release(int) { stage_ = kRelease; }

    double sampleRate = 44100.0;
    eparam attackTime;
    eparam decayTime;
    gparam sustainLevel;
    eparam releaseTime;
    double attackStep = 0.0;
    double decayStep = 0.0;
    double releaseStep = 0.0;

private:
    template <int W>
    friend struct LaneKernel;
    void computeSteps();
    void controlTick();
    // As controlTick, but when `last` (an envelope that ticked this control
    // period, or null) now has the same times, sustain level and rate bits,
    // its slopes are taken as they are: they are what the same divisions
    // give. The voices of a chord share them.
    void controlTickLike(const eg *last);

    int stage_ = kIdle;
    double level_ = 0.0;
};

inline double eg::next(int controlPhase) {
    double r = 0.0;
    switch (stage_) {
    case kAttack:
        r = level_;
        level_ += attackStep;
        if (level_ > 1.0) {
            level_ = 1.0;
            stage_ = kDecay;
        }
        break;
    case kDecay: {
        r = level_;
        level_ += decayStep;
        const double S = sustainLevel.get();
        if (S > level_) {
            level_ = S;
            stage_ = kSustain;
        }
        break;
    }
    case kSustain:
        r = sustainLevel.get();
        break;
    case kRelease:
        r = level_;
        // A zero slope (sustain at 0) would hold the level for ever and
        // keep the voice busy; such a release ends at once instead.
        if (!(releaseStep < 0.0)) {
            level_ = 0.0;
            stage_ = kIdle;
            break;
        }
        level_ += releaseStep;
        if (level_ < 0.0) {
            level_ = 0.0;
            stage_ = kIdle;
        }
        break;
    default:
        break;
    }
    if (controlPhase == 0) controlTick();
    return r;
}

}  // namespace tarn
