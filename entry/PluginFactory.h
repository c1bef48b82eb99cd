// The top of the house: the only place that knows both the instrument and its
// editor view, and puts them together.
#pragma once

#include "plugin/VstAbi.h"

namespace tarn {

class Tarnwell;

// Asks the host for its version, builds one instrument with its view and
// hands back its record; null when the host refuses or the instrument cannot
// be built.
AEffect *createPluginInstance(audioMasterCallback audioMaster);

// One instrument with its editor view attached, as a host receives it, but
// without asking the host anything first. Null if it cannot be built.
Tarnwell *buildInstrument(audioMasterCallback audioMaster);

}  // namespace tarn
