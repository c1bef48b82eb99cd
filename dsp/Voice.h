// One note: three detuned oscillators into the ladder filter, shaped by an
// amplitude envelope and the velocity. The filter cutoff follows its own
// envelope and LFO 1; shape, pulse width and detune follow LFO 2. New
// targets, parameter smoothing and freeing the voice happen every 16 samples.
#pragma once

#include "dsp/VoiceFilter.h"
#include "dsp/WavetableOsc.h"
#include "dsp/eg.h"
#include "dsp/param.h"

namespace tarn {

class Voice final {
public:
    static constexpr int kControlInterval = 16;
    static constexpr int kControlMask = 15;
    static constexpr int kNumSynthParams = 20;

    Voice();

    // Reaches the oscillators, the filter and both envelopes. Non-finite or
    // absurd rates fall back to 44100 Hz (dsp/SampleRate.h).
    void setSampleRate(double sr);
    void noteOn(int note, int velocity);
    void noteOff();
    inline double render(double lfo1, double lfo2);
    // index is a SoundParam (host parameter - 6); the LFO speeds, the delay
    // and indices out of range are ignored.
    void setSynthParam(int index, float value);

    double sampleRate = 44100.0;
    int controlCounter = 0;
    int controlInterval = kControlInterval;
    int controlMask = kControlMask;
    bool active = false;
    bool released = false;
    int note = 0;
    detunep detune;
    eg ampEnv;
    eg filterEnv;
    double cutBase = 0.0;
    double shapeBase = 0.0;
    double pwBase = 0.0;
    double detuneBase = 0.0;
    double filterEnvValue = 0.0;
    WavetableOsc osc1;
    WavetableOsc osc2;
    WavetableOsc osc3;
    pct2p fltEnvMod;
    pct2p lfo1ToFilter;
    pct2p lfo2ToShape;
    pct2p lfo2ToPw;
    pct2p lfo2ToDetune;
    VoiceFilter filter;
    double velocityGain = 0.75;

private:
    template <int W>
    friend struct LaneKernel;
    void updatePitch();
    void controlTargets(double lfo1, double lfo2);
    void controlTicks();
};

inline double Voice::render(double lfo1, double lfo2) {
    if (controlCounter == 0) controlTargets(lfo1, lfo2);
    const double o1 = osc1.render();
    const double o2 = osc2.render();
    const double o3 = osc3.render();
    const double y = filter.processSample(o3 + (o1 + o2));
    filterEnvValue = filterEnv.next(controlCounter);
    const double a = ampEnv.next(controlCounter);
    const double out = a * y * velocityGain;
    if (controlCounter == 0) controlTicks();
    controlCounter = (controlCounter + 1) & controlMask;
    return out;
}

}  // namespace tarn
