// The --info report: who the plug-in says it is, its parameters, its programs.
#pragma once

#include <cstdio>
#include <string>

#include "plugin/VstAbi.h"

namespace tarn {

class EffectInstance;

// 'tRnW' for 0x74526E57; the number in hex when a byte is not printable.
std::string fourCharText(VstInt32 code);

// "HasEditor|CanReplacing|IsSynth", with unknown bits as a hex remainder.
std::string effectFlagNames(VstInt32 flags);

void printEffectInfo(EffectInstance &effect, std::FILE *out);

}  // namespace tarn
