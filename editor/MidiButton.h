#pragma once

#include "editor/TextButton.h"

namespace tarn {

class TarnEditor;

// Starts the MIDI-learn sequence over the mesh parameters.
class MidiButton final : public TextButton {
public:
    MidiButton(int x, int y, TarnEditor *view);
    void press(int x, int y) override;

private:
    TarnEditor *view;
};

}  // namespace tarn
