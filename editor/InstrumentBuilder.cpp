#include "editor/InstrumentBuilder.h"

#include <new>

#include "editor/TarnEditor.h"
#include "engine/Tarnwell.h"

namespace tarn {

void attachEditorView(Tarnwell &effect) {
    // The view attaches itself to the effect, which owns it from then on.
    new (std::nothrow) TarnEditor(&effect, effect.getEditorWidth(), effect.getEditorHeight(), effect.isFirstRun());
}

Tarnwell *buildInstrument(audioMasterCallback audioMaster) {
    Tarnwell *effect = new (std::nothrow) Tarnwell(audioMaster);
    if (effect) attachEditorView(*effect);
    return effect;
}

std::unique_ptr<Instrument> createInstrument(Instrument::ChangeListener listener, void *context) {
    return Instrument::create(&attachEditorView, listener, context);
}

}  // namespace tarn
