#include "editor/HSlide.h"

#include "editor/GlutText.h"
#include "editor/SliderBars.h"
#include "plugin/AudioEffect.h"

namespace tarn {

HSlide::HSlide(int x, int y, AudioEffect *fx, int32_t index, const std::string &text)
    : glbutton(x, y, text), parameter(index), effect(fx) {
    if (effect) value = effect->getParameter(parameter);
    labelWidth = glutTextWidth(label);
    bottom = y - 3;
    top = y + 17;
    right = x + labelWidth + 64;
}

void HSlide::set(int d) {
    value = static_cast<float>(d / static_cast<double>(kSliderStrip));
    if (effect) effect->setParameter(parameter, value);
}

void HSlide::press(int x, int) {
    const int d = x - stripStart();
    if (d < 0 || d > kSliderStrip) return;
    dragging = true;
    set(d);
}

void HSlide::drag(int x, int) {
    if (!dragging) return;
    int d = x - stripStart();
    if (d < 0) d = 0;
    if (d > kSliderStrip) d = kSliderStrip;
    set(d);
}

void HSlide::paint() {
    drawLabelAt(left, bottom + 2);
    const int n = litBars(effect ? effect->getParameter(parameter) : 0.0f);
    for (int i = 0; i < kSliderBars; ++i) drawSliderBar(stripStart() + kSliderBarPitch * i, bottom, 4, 20, i < n);
}

}  // namespace tarn
