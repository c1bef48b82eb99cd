#include "engine/EffectLearnTarget.h"

#include <cstring>

#include "engine/Tarnwell.h"

namespace tarn {

void EffectLearnTarget::parameterName(int32_t param, char *text, size_t capacity) {
    if (text == nullptr || capacity == 0) return;
    text[0] = '\0';
    if (effect == nullptr) return;
    // Hosts hand out far larger buffers than the nominal name length, and so
    // does this; the copy below is what keeps the caller's buffer safe.
    char name[256] = {};
    effect->getParameterName(param, name);
    name[sizeof name - 1] = '\0';
    std::strncpy(text, name, capacity - 1);
    text[capacity - 1] = '\0';
}

ControllerMap *EffectLearnTarget::controllers() { return effect ? &effect->controllers() : nullptr; }

void EffectLearnTarget::saveSettings() {
    if (effect) effect->saveSettings();
}

}  // namespace tarn
