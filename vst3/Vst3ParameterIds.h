// The parameter ids this door shows its host: the instrument's own under
// their VST 2.4 indices, the program choice, and one hidden parameter per
// MIDI controller, because VST 3 delivers controllers as parameter changes.
#pragma once

#include "engine/Instrument.h"
#include "vst3/Vst3Abi.h"

namespace tarn::vst3 {

constexpr ParamID kProgramParam = 1000;
constexpr ParamID kControllerParamBase = 2000;
// Controller 0 is the learn sequence's "no controller", so it is never
// bound; 1 is the mod wheel, 123 and 126 end every note; the rest can be
// learned.
constexpr int32 kFirstController = 1;
constexpr int32 kLastController = 127;
constexpr int32 kNumControllers = kLastController - kFirstController + 1;
constexpr int32 kParameterCount = Instrument::kNumParams + 1 + kNumControllers;
constexpr ProgramListID kProgramListId = 1;

inline bool isControllerParam(ParamID id) {
    return id >= kControllerParamBase + kFirstController && id <= kControllerParamBase + kLastController;
}

// A program from its normalized value: program k is k / 8.
inline int32 programFromNormalized(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 1.0) return Instrument::kNumPrograms - 1;
    const int32 p = static_cast<int32>(value * Instrument::kNumPrograms);
    return p < Instrument::kNumPrograms - 1 ? p : Instrument::kNumPrograms - 1;
}

// A controller value as MIDI data: hosts send value / 127.
inline unsigned char midiDataFromNormalized(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 1.0) return 127;
    return static_cast<unsigned char>(value * 127.0 + 0.5);
}

}  // namespace tarn::vst3
