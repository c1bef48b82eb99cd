#include "instrument/InstrumentBuilder.h"

#include <new>

#include "editor/TarnEditor.h"
#include "engine/Tarnwell.h"

namespace tarn {

Tarnwell *buildInstrument(audioMasterCallback audioMaster) {
    Tarnwell *effect = new (std::nothrow) Tarnwell(audioMaster);
    if (!effect) return nullptr;
    // The view attaches itself to the effect, which owns it from then on.
    new (std::nothrow) TarnEditor(effect, effect->getEditorWidth(), effect->getEditorHeight(), effect->isFirstRun());
    return effect;
}

}  // namespace tarn
