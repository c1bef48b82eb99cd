// Text across the interface: UTF-8 inside, UTF-16 in the format's strings.
#pragma once

#include <cstddef>

#include "vst3/Vst3Abi.h"

namespace tarn::vst3 {

// Writes text into a String128-style buffer of capacity units (zero-ended,
// at most capacity - 1 units, never a split surrogate pair). Bytes that are
// not UTF-8 become U+FFFD.
void toUtf16(const char *text, TChar *out, int capacity);
// Reads at most maxUnits units of zero-ended UTF-16 into zero-ended UTF-8,
// at most capacity - 1 bytes, never a split sequence. Unpaired surrogates
// become U+FFFD.
void toUtf8(const TChar *text, int maxUnits, char *out, int capacity);
// Zero-ended copy of at most capacity - 1 bytes, the rest zero.
void copyAscii(const char *text, char *out, int capacity);

}  // namespace tarn::vst3
