// Puts together one instrument and its editor view: the only place below the
// doors that knows both.
#pragma once

#include <memory>

#include "engine/Instrument.h"
#include "plugin/VstAbi.h"

namespace tarn {

class Tarnwell;

// Gives the engine its editor view, which the engine owns from then on.
void attachEditorView(Tarnwell &effect);

// One instrument with its editor view attached, without asking the host
// anything first. Null if it cannot be built.
Tarnwell *buildInstrument(audioMasterCallback audioMaster);

// One instance as every door but the VST 2.4 one sees it, with its view.
std::unique_ptr<Instrument> createInstrument(Instrument::ChangeListener listener = nullptr, void *context = nullptr);

}  // namespace tarn
