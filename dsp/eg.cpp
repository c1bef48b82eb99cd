#include "dsp/eg.h"

#include "dsp/SampleRate.h"

namespace tarn {

void eg::setSampleRate(double sr) {
    sampleRate = saneSampleRate(sr);
    computeSteps();
}

void eg::trigger() {
    level_ = 0.0;
    stage_ = kAttack;
    computeSteps();
}

void eg::computeSteps() {
    // Each time is at least 0.0025 s and the rate at least 1 Hz, so no
    // divisor is zero.
    const double S = sustainLevel.get();
    attackStep = 1.0 / (attackTime.out * sampleRate);
    decayStep = (S - 1.0) / (decayTime.out * sampleRate);
    releaseStep = (0.0 - S) / (releaseTime.out * sampleRate);
}

void eg::controlTick() {
    attackTime.tick();
    decayTime.tick();
    sustainLevel.tick();
    releaseTime.tick();
    computeSteps();
}

void eg::controlTickLike(const eg *last) {
    attackTime.tick();
    decayTime.tick();
    sustainLevel.tick();
    releaseTime.tick();
    if (last && sameBits(attackTime.out, last->attackTime.out) && sameBits(decayTime.out, last->decayTime.out) &&
        sameBits(sustainLevel.get(), last->sustainLevel.get()) &&
        sameBits(releaseTime.out, last->releaseTime.out) && sameBits(sampleRate, last->sampleRate)) {
        attackStep = last->attackStep;
        decayStep = last->decayStep;
        releaseStep = last->releaseStep;
        return;
    }
    computeSteps();
}

}  // namespace tarn
