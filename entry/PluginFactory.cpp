#include "entry/PluginFactory.h"

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

AEffect *createPluginInstance(audioMasterCallback audioMaster) {
    if (!audioMaster) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    Tarnwell *effect = buildInstrument(audioMaster);
    return effect ? effect->getAeffect() : nullptr;
}

}  // namespace tarn
