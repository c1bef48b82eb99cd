#pragma once

#include "editor/TextButton.h"
#include "engine/ParameterTable.h"

namespace tarn {

class AudioEffect;

// Gives every parameter a fresh random value.
class RandomButton final : public TextButton {
public:
    static constexpr int kParameterCount = kNumParams;

    RandomButton(int x, int y, AudioEffect *effect);
    void press(int x, int y) override;

private:
    AudioEffect *effect;
};

}  // namespace tarn
