#pragma once

#include "editor/TextButton.h"

namespace tarn {

class Tarnwell;

// Switches the delay on and off; the label shows the state it set.
class FXButton final : public TextButton {
public:
    FXButton(int x, int y, Tarnwell *effect);
    void press(int x, int y) override;
    void setState(bool on);

private:
    Tarnwell *effect;
};

}  // namespace tarn
