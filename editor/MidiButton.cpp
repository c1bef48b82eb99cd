#include "editor/MidiButton.h"

#include "engine/Tarnwell.h"

namespace tarn {

MidiButton::MidiButton(int x, int y, Tarnwell *fx) : TextButton(x, y, "MIDI"), effect(fx) { fitToLabel(); }

void MidiButton::press(int, int) {
    if (effect) effect->startLearn();
}

}  // namespace tarn
