#include "editor/MidiButton.h"

#include "editor/TarnEditor.h"

namespace tarn {

MidiButton::MidiButton(int x, int y, TarnEditor *owner) : TextButton(x, y, "MIDI"), view(owner) { fitToLabel(); }

void MidiButton::press(int, int) {
    if (view) view->startLearn();
}

}  // namespace tarn
