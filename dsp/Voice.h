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

    // One sample of each of count voices, exactly as render would give
    // them, with their filters run side by side.
    static inline void renderMany(Voice *const *voices, int count, double lfo1, double lfo2, double *out);
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
    void updatePitch();
    inline double renderSource(double lfo1, double lfo2);
    inline double renderFinish(double y);
    template <int N>
    static inline void renderGroup(Voice *const *voices, double lfo1, double lfo2, double *out);
    void controlTargets(double lfo1, double lfo2);
    void controlTicks();
};

inline double Voice::render(double lfo1, double lfo2) {
    return renderFinish(filter.processSample(renderSource(lfo1, lfo2)));
}

inline double Voice::renderSource(double lfo1, double lfo2) {
    if (controlCounter == 0) controlTargets(lfo1, lfo2);
    const double o1 = osc1.render();
    const double o2 = osc2.render();
    const double o3 = osc3.render();
    return o3 + (o1 + o2);
}

inline double Voice::renderFinish(double y) {
    filterEnvValue = filterEnv.next(controlCounter);
    const double a = ampEnv.next(controlCounter);
    const double out = a * y * velocityGain;
    if (controlCounter == 0) controlTicks();
    controlCounter = (controlCounter + 1) & controlMask;
    return out;
}

template <int N>
inline void Voice::renderGroup(Voice *const *voices, double lfo1, double lfo2, double *out) {
    double x[N], y[N];
    LadderFilter *ladders[N];
    for (int i = 0; i < N; ++i) {
        x[i] = voices[i]->renderSource(lfo1, lfo2);
        voices[i]->filter.beginSample();
        ladders[i] = &voices[i]->filter.ladder;
    }
    LadderFilter::processLockstep<N>(ladders, x, y);
    for (int i = 0; i < N; ++i) {
        voices[i]->filter.endSample();
        out[i] = voices[i]->renderFinish(y[i]);
    }
}

inline void Voice::renderMany(Voice *const *voices, int count, double lfo1, double lfo2, double *out) {
    int i = 0;
    for (; i + 4 <= count; i += 4) renderGroup<4>(voices + i, lfo1, lfo2, out + i);
    if (i + 2 <= count) {
        renderGroup<2>(voices + i, lfo1, lfo2, out + i);
        i += 2;
    }
    if (i < count) out[i] = voices[i]->render(lfo1, lfo2);
}

}  // namespace tarn
