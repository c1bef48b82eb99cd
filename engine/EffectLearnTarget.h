// The learn dialogs' view of the instrument: its parameter names, its
// controller bindings and its settings file.
#pragma once

#include "learn/LearnTarget.h"

namespace tarn {

class Tarnwell;

class EffectLearnTarget final : public LearnTarget {
public:
    explicit EffectLearnTarget(Tarnwell *fx) : effect(fx) {}

    void parameterName(int32_t param, char *text, size_t capacity) override;
    ControllerMap *controllers() override;
    void saveSettings() override;

private:
    Tarnwell *effect;
};

}  // namespace tarn
