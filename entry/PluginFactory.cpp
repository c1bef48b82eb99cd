#include "entry/PluginFactory.h"

#include <new>

#include "engine/Tarnwell.h"

namespace tarn {

AEffect *createPluginInstance(audioMasterCallback audioMaster) {
    if (!audioMaster) return nullptr;
    if (audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    Tarnwell *effect = new (std::nothrow) Tarnwell(audioMaster);
    if (!effect) return nullptr;
    return effect->getAeffect();
}

}  // namespace tarn
