#include "editor/FXButton.h"

#include "engine/Tarnwell.h"

namespace tarn {

namespace {
const char *labelFor(bool on) { return on ? "FX on" : "FX off"; }
}  // namespace

FXButton::FXButton(int x, int y, Tarnwell *fx) : TextButton(x, y, labelFor(fx ? fx->fxOn() : true)), effect(fx) {
    fitToLabel();
}

void FXButton::press(int, int) {
    if (effect) setState(!effect->fxOn());
}

void FXButton::setState(bool on) {
    if (effect) effect->setFxOn(on);
    setLabel(labelFor(on));
    fitToLabel();
}

}  // namespace tarn
