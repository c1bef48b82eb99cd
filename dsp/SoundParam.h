// The 22 sound parameters in their fixed order: sound parameter k is host
// parameter 6 + k, and controllers name their target by k.
#pragma once

namespace tarn {

enum class SoundParam : int {
    Shape,
    PulseWidth,
    Detune,
    Cutoff,
    Resonance,
    FilterAttack,
    FilterDecay,
    FilterSustain,
    FilterRelease,
    FilterEnvMod,
    Attack,
    Decay,
    Sustain,
    Release,
    Lfo1Speed,
    Lfo1ToFilter,
    Lfo2Speed,
    Lfo2ToShape,
    Lfo2ToPulseWidth,
    Lfo2ToDetune,
    DelaySend,
    DelayFeedback,
};

constexpr int kSoundParamCount = 22;

}  // namespace tarn
