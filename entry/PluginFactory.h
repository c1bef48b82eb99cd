// The VST 2.4 door: builds the instrument with its view for a host that
// called the entry point.
#pragma once

#include "editor/InstrumentBuilder.h"
#include "plugin/VstAbi.h"

namespace tarn {

// Asks the host for its version, builds one instrument with its view and
// hands back its record; null when the host refuses or the instrument cannot
// be built.
AEffect *createPluginInstance(audioMasterCallback audioMaster);

}  // namespace tarn
