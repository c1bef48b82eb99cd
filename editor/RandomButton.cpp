#include "editor/RandomButton.h"

#include <cstdlib>

#include "plugin/AudioEffect.h"

namespace tarn {

RandomButton::RandomButton(int x, int y, AudioEffect *fx) : TextButton(x, y, "?"), effect(fx) { fitToLabel(); }

void RandomButton::press(int, int) {
    if (!effect) return;
    for (int i = 0; i < kParameterCount; ++i) {
        // The generator's range is 0..32767 on Windows but far wider elsewhere;
        // the low 15 bits keep every value inside 0..1 on both.
        const int r = std::rand() % 32768;
        effect->setParameter(i, static_cast<float>(r / 32767.0));
    }
}

}  // namespace tarn
