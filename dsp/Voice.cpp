#include "dsp/Voice.h"

#include "dsp/SampleRate.h"
#include "dsp/SoundParam.h"

namespace tarn {

namespace {

// The depths start centred (no modulation) without a target to walk to.
void centre(pct2p &depth) {
    depth.value = 0.5;
    depth.update();
}

}  // namespace

Voice::Voice() {
    centre(fltEnvMod);
    centre(lfo1ToFilter);
    centre(lfo2ToShape);
    centre(lfo2ToPw);
    centre(lfo2ToDetune);
    setSampleRate(kNominalSampleRate);
}

void Voice::setSampleRate(double sr) {
    sampleRate = saneSampleRate(sr);
    osc1.setSampleRate(sampleRate);
    osc2.setSampleRate(sampleRate);
    osc3.setSampleRate(sampleRate);
    ampEnv.setSampleRate(sampleRate);
    filterEnv.setSampleRate(sampleRate);
    filter.sampleRate = sampleRate;
    filter.updateCoefficients();
}

void Voice::noteOn(int n, int velocity) {
    // MIDI data can be garbage; a velocity outside 0..127 would push the
    // gain outside its 0.75..1 range.
    if (velocity < 0) velocity = 0;
    if (velocity > 127) velocity = 127;
    note = n;
    active = true;
    released = false;
    velocityGain = velocity / 127.0 * 0.25 + 0.75;
    ampEnv.trigger();
    filterEnv.trigger();
    filterEnvValue = 0.0;
    updatePitch();
}

void Voice::noteOff() {
    released = true;
    ampEnv.release(0);
    filterEnv.release(0);
}

void Voice::setSynthParam(int index, float value) {
    // The engine already limits values to 0..1; anything else, NaN
    // included, is limited here too rather than carried into the sound.
    double v = value;
    if (!(v >= 0.0)) v = 0.0;
    if (v > 1.0) v = 1.0;
    switch (static_cast<SoundParam>(index)) {
    case SoundParam::Shape: shapeBase = v; break;
    case SoundParam::PulseWidth: pwBase = v; break;
    case SoundParam::Detune: detuneBase = v; break;
    case SoundParam::Cutoff: cutBase = v; break;
    case SoundParam::Resonance: filter.resonance.setTarget(v); break;
    case SoundParam::FilterAttack: filterEnv.attackTime.setTarget(v); break;
    case SoundParam::FilterDecay: filterEnv.decayTime.setTarget(v); break;
    case SoundParam::FilterSustain: filterEnv.sustainLevel.setTarget(v); break;
    case SoundParam::FilterRelease: filterEnv.releaseTime.setTarget(v); break;
    case SoundParam::FilterEnvMod: fltEnvMod.setTarget(v); break;
    case SoundParam::Attack: ampEnv.attackTime.setTarget(v); break;
    case SoundParam::Decay: ampEnv.decayTime.setTarget(v); break;
    case SoundParam::Sustain: ampEnv.sustainLevel.setTarget(v); break;
    case SoundParam::Release: ampEnv.releaseTime.setTarget(v); break;
    case SoundParam::Lfo1ToFilter: lfo1ToFilter.setTarget(v); break;
    case SoundParam::Lfo2ToShape: lfo2ToShape.setTarget(v); break;
    case SoundParam::Lfo2ToPulseWidth: lfo2ToPw.setTarget(v); break;
    case SoundParam::Lfo2ToDetune: lfo2ToDetune.setTarget(v); break;
    default: break;  // the LFO speeds and the delay belong to the engine
    }
}

void Voice::updatePitch() {
    const double d = detune.get();
    const double p = note * 0.0078125;
    osc1.pitch.setTarget(p);
    osc2.pitch.setTarget(d + p);
    osc3.pitch.setTarget(2.0 * d + p);
}

void Voice::controlTargets(double lfo1, double lfo2) {
    const double shapeTarget = lfo2ToShape.get() * lfo2 + shapeBase;
    osc1.shape.setTarget(shapeTarget);
    osc2.shape.setTarget(shapeTarget);
    osc3.shape.setTarget(shapeTarget);
    const double widthTarget = lfo2ToPw.get() * lfo2 + pwBase;
    osc1.width.setTarget(widthTarget);
    osc2.width.setTarget(widthTarget);
    osc3.width.setTarget(widthTarget);
    detune.setTarget(lfo2ToDetune.get() * lfo2 + detuneBase);
    const double cutoffTarget = (fltEnvMod.get() * filterEnvValue + cutBase) + lfo1ToFilter.get() * lfo1;
    filter.cutoff.setTarget(cutoffTarget);
    updatePitch();
}

void Voice::controlTicks() {
    detune.tick();
    fltEnvMod.tick();
    lfo1ToFilter.tick();
    lfo2ToShape.tick();
    lfo2ToPw.tick();
    lfo2ToDetune.tick();
    if (ampEnv.stage() == eg::kIdle) active = false;
}

}  // namespace tarn
