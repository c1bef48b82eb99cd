#pragma once

#include "editor/TextButton.h"

namespace tarn {

class Tarnwell;

// Starts the MIDI-learn sequence over the mesh parameters.
class MidiButton final : public TextButton {
public:
    MidiButton(int x, int y, Tarnwell *effect);
    void press(int x, int y) override;

private:
    Tarnwell *effect;
};

}  // namespace tarn
