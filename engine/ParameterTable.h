// The 88 host parameters in one table: for each, its name, how its value is
// shown and what setting it does. The engine, the display texts and the
// editor all read this table rather than numbering parameters themselves.
//
//   0..5    the mesh and the note push: "Friction", "Viscosity", "Rows",
//           "Columns", "Note scale", "Vel scale"
//   6..27   the 22 sound parameters (sound parameter k is host parameter 6 + k)
//   28..87  ten mesh controllers of six parameters each
#pragma once

#include <cstdint>

#include "dsp/SoundParam.h"

namespace tarn {

constexpr int32_t kNumParams = 88;
constexpr int32_t kNumSynthParams = kSoundParamCount;
constexpr int32_t kFirstSynthParam = 6;
constexpr int32_t kFirstControllerParam = 28;
constexpr int32_t kNumControllers = 10;
constexpr int32_t kControllerStride = 6;

// Host parameters with a role of their own.
constexpr int32_t kParamFriction = 0;
constexpr int32_t kParamViscosity = 1;
constexpr int32_t kParamRows = 2;
constexpr int32_t kParamColumns = 3;
constexpr int32_t kParamNoteScale = 4;
constexpr int32_t kParamVelScale = 5;

// Offsets of the six parameters within one controller slot.
constexpr int32_t kControllerType = 0;
constexpr int32_t kControllerX = 1;
constexpr int32_t kControllerY = 2;
constexpr int32_t kControllerTarget = 3;
constexpr int32_t kControllerScale = 4;
constexpr int32_t kControllerSample = 5;

// Step counts of the quantised controller parameters.
constexpr int32_t kNumControllerSources = 5;
constexpr int32_t kNumDivisions = 12;
// "Rows" and "Columns" span 3..59 nodes.
constexpr int32_t kMeshSizeSteps = 57;
constexpr int32_t kMinMeshSize = 3;

// How a stored value v is shown to the host.
enum class ParamDisplay : uint8_t {
    Fixed2,              // "%.2f" of v
    MeshSize,            // "%d" of q(v, 57) + 3
    SignedTenths,        // (v - 0.5) * 4 with its sign, one decimal
    SignedPercent,       // ((v - 0.5) * 2) * 100 with its sign, no decimals
    LfoRate,             // 0.1 * 2^(7.2288 v) Hz, two decimals
    DelayLevel,          // 21 v - 24 dB, one decimal
    ControllerSource,    // the name of q(v, 5)
    ControllerColumn,    // "%d" of q(v, columns): the column the controller reads
    ControllerRow,       // "%d" of q(v, rows)
    ControllerTarget,    // the name of the sound parameter q(v, 22)
    ControllerScale,     // "%.2f" of (v - 0.5) * 4, in double precision
    ControllerDivision,  // the name of q(v, 12)
};

// What setting a parameter does beyond storing its value.
enum class ParamEffect : uint8_t {
    MeshFriction,   // glide target of the mesh's friction
    MeshStiffness,  // glide target of the mesh's springs
    MeshRows,       // mesh rows q(v, 57) + 3, resizing (and so clearing) the mesh
    MeshColumns,    // mesh columns, likewise
    NoteScale,      // (v - 0.5) * 4: how notes spread across the columns
    VelScale,       // (v - 0.5) * 4: how velocities spread across the rows
    Sound,          // nothing at once: the control tick applies it, mesh offsets added
    Controller,     // nothing at once: the controllers are decoded every 128 samples
};

// Where the control tick sends a sound parameter's value.
enum class SoundDestination : uint8_t {
    NotSound,       // a mesh or controller parameter
    Voices,         // every voice (Voice::setSynthParam)
    Lfo1Speed,
    Lfo2Speed,
    DelaySend,
    DelayFeedback,
};

struct ParameterSpec {
    // The host's name; for a controller parameter the field's name, which
    // follows "C01 " .. "C10 ".
    const char *name;
    ParamDisplay display;
    ParamEffect effect;
    SoundDestination destination;
};

// True for 0..87; negative indices count as too large.
constexpr bool isHostParameter(int32_t index) {
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(kNumParams);
}

// The row of host parameter index, which must be 0..87.
const ParameterSpec &parameterSpec(int32_t index);

// Where sound parameter k goes; NotSound outside 0..21.
SoundDestination soundDestination(int32_t k);

// q(v, n): maps 0..1 onto 0..n-1 by truncating n * v, with v = 1 landing in
// the last step. Values outside 0..1 (and NaN) are clamped first, so the
// result is always a usable index; n below 1 gives 0.
int32_t quantise(double v, int32_t n);

// Nodes along one side for a "Rows" or "Columns" value: 3..59.
inline int32_t meshSizeFor(double v) { return quantise(v, kMeshSizeSteps) + kMinMeshSize; }

// (v - 0.5) * 4: the -2..2 of "Note scale", "Vel scale" and a controller's Scale.
inline double centredScale(double v) { return (v - 0.5) * 4.0; }

}  // namespace tarn
