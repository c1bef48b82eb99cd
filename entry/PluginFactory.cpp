#include "entry/PluginFactory.h"

#include "engine/Tarnwell.h"

namespace tarn {

AEffect *createPluginInstance(audioMasterCallback audioMaster) {
    if (!audioMaster) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    Tarnwell *effect = buildInstrument(audioMaster);
    return effect ? effect->getAeffect() : nullptr;
}

}  // namespace tarn
