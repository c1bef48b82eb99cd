#pragma once

#include "plugin/VstAbi.h"

namespace tarn {

// Asks the host for its version, builds one instrument and hands back its
// record; null when the host refuses or the instrument cannot be built.
AEffect *createPluginInstance(audioMasterCallback audioMaster);

}  // namespace tarn
