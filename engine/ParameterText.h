// The host-facing texts of the 88 parameters: their names and the texts that
// show their values, following the display rule of each parameter's row in
// the parameter table. Everything here is a pure function of its arguments,
// so the engine, the editor and the tests share one source of truth for what
// a stored value means.
#pragma once

#include <cstdint>

#include "engine/ParameterTable.h"

namespace tarn {

// Every parameter shows this as its unit label.
constexpr const char* kParameterLabel = "(none)";

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

// The value whose display is text, for a parameter whose display is a number
// or one of its names: what a host's text field sends back. A trailing unit
// label and surrounding spaces are allowed; anything else unparsable, or not
// finite, gives false and leaves value alone. The result is clamped to 0..1.
bool parameterFromText(int32_t index, const char* text, int32_t meshColumns, int32_t meshRows, float* value);

// Name tables; each gives an empty text for an index out of range, never null.
const char* synthParameterName(int k);  // k 0..21: the name of parameter 6 + k
const char* controllerSourceName(int type);  // 0..4: "Point" .. "Col trough"
const char* controllerTargetName(int target);  // 0..21: as shown by "Parameter"
const char* divisionName(int division);  // 0..11: "Continuous" .. "4x 4"

}  // namespace tarn
