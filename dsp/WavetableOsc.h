// A band-limited oscillator: reads the two wavetable levels that bracket the
// current period, crossfaded by where the period lies in that octave, and
// turns the sawtooth into a pulse by subtracting a phase-shifted second read.
// Pitch, shape and width are smoothed parameters evaluated every 16 samples.
#pragma once

#include "dsp/WaveTableSet.h"
#include "dsp/param.h"

namespace tarn {

class WavetableOsc final {
public:
    static constexpr int kControlInterval = 16;
    static constexpr int kControlMask = 15;

    WavetableOsc();

    // Non-finite or absurd rates fall back to 44100 Hz (dsp/SampleRate.h).
    void setSampleRate(double sr);

    inline double render();
    // The work of a sample on which the control counter is 0, after the
    // sample itself: new pitch, shape and width, then the tables for them.
    inline void controlTick();

    double phase = 0.0;
    double increment = 1.0;
    int controlInterval = kControlInterval;
    int controlMask = kControlMask;
    int controlCounter = 0;
    double sampleRate = 44100.0;
    pitchp pitch;
    gparam shape;
    offsetp width;
    double period = 0.0;
    const double *upperTable = nullptr;
    const double *lowerTable = nullptr;
    double upperWeight = 1.0;
    double lowerWeight = 0.0;
    int upperLevel = 0;  // level number of upperTable, for inspection

    // Chooses the table pair and weights for the current pitch and sets the
    // phase increment. Runs at control rate.
    void selectLevel();

private:
    const double *tables;
};

inline double WavetableOsc::render() {
    const int i = static_cast<int>(phase + 0.5) & WaveTableSet::kMask;
    const int j = static_cast<int>(phase + static_cast<double>(static_cast<int>(width.out)) + 0.5) &
                  WaveTableSet::kMask;
    const double s1 = upperWeight * upperTable[i] + lowerWeight * lowerTable[i];
    const double s2 = upperWeight * upperTable[j] + lowerWeight * lowerTable[j];
    const double m = shape.get();
    const double y = 0.5 * (s1 - m * s2);
    phase = phase + increment;
    if (phase - 8192.0 > 0.0) phase = phase - 8192.0;
    if (controlCounter == 0) controlTick();
    controlCounter = (controlCounter + 1) & controlMask;
    return y;
}

inline void WavetableOsc::controlTick() {
    pitch.tick();
    shape.tick();
    width.tick();
    selectLevel();
}

}  // namespace tarn
