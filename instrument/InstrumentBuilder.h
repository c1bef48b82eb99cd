// Puts together one instrument and its editor view: the only place below the
// doors that knows both.
#pragma once

#include "plugin/VstAbi.h"

namespace tarn {

class Tarnwell;

// One instrument with its editor view attached, without asking the host
// anything first. Null if it cannot be built.
Tarnwell *buildInstrument(audioMasterCallback audioMaster);

}  // namespace tarn
