// The host-facing face of the 88 parameters: their numbering, their names and
// the texts that show their values. Everything here is a pure function of its
// arguments, so the engine, the editor and the tests share one source of
// truth for what a stored value means.
#pragma once

#include <cstdint>

namespace tarn {

constexpr int32_t kNumParams = 88;
constexpr int32_t kNumSynthParams = 22;
constexpr int32_t kFirstSynthParam = 6;
constexpr int32_t kFirstControllerParam = 28;
constexpr int32_t kNumControllers = 10;
constexpr int32_t kControllerStride = 6;

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

// Every parameter shows this as its unit label.
constexpr const char* kParameterLabel = "(none)";

// q(v, n): maps 0..1 onto 0..n-1 by truncating n * v, with v = 1 landing in
// the last step. Values outside 0..1 (and NaN) are clamped first, so the
// result is always a usable index; n below 1 gives 0.
int32_t quantise(double v, int32_t n);

// Name of host parameter index ("C03 Scale" for the controller slots).
// Indices outside 0..87 give empty text. At most capacity - 1 characters are
// written, always terminated; nothing is written when capacity < 1.
void parameterName(int32_t index, char* text, int capacity);

// Unit label of host parameter index: "(none)" for 0..87, empty otherwise.
void parameterLabel(int32_t index, char* text, int capacity);

// Display text of value v of host parameter index. X and Y of the controllers
// show the node they will read, so they depend on the current mesh size.
// Same bounds and termination as parameterName.
void parameterDisplay(int32_t index, float v, int32_t meshColumns, int32_t meshRows, char* text,
                      int capacity);

// Name tables; each gives an empty text for an index out of range, never null.
const char* synthParameterName(int k);  // k 0..21: the name of parameter 6 + k
const char* controllerSourceName(int type);  // 0..4: "Point" .. "Col trough"
const char* controllerTargetName(int target);  // 0..21: as shown by "Parameter"
const char* divisionName(int division);  // 0..11: "Continuous" .. "4x 4"

}  // namespace tarn
