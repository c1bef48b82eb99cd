#include "editor/VSlide.h"

#include "editor/SliderBars.h"
#include "plugin/AudioEffect.h"

namespace tarn {

namespace {
constexpr int kBarWidth = 20;
}

VSlide::VSlide(int x, int y, AudioEffect *fx, int32_t index, const std::string &text)
    : glbutton(x, y, text), parameter(index), effect(fx) {
    if (effect) value = effect->getParameter(parameter);
    barX = left + 8;
    right = barX + 36;
    top = y + 79;
}

void VSlide::set(int d) {
    value = static_cast<float>(d / static_cast<double>(kSliderStrip));
    if (effect) effect->setParameter(parameter, value);
}

void VSlide::press(int x, int y) {
    const int across = x - barX;
    if (across < 0 || across > kBarWidth) return;
    const int d = y - stripStart();
    if (d < 0 || d > kSliderStrip) return;
    dragging = true;
    set(d);
}

void VSlide::drag(int, int y) {
    if (!dragging) return;
    int d = y - stripStart();
    if (d < 0) d = 0;
    if (d > kSliderStrip) d = kSliderStrip;
    set(d);
}

void VSlide::paint() {
    drawLabelAt(left, bottom);
    const int n = litBars(effect ? effect->getParameter(parameter) : 0.0f);
    for (int i = 0; i < kSliderBars; ++i)
        drawSliderBar(barX, stripStart() + kSliderBarPitch * i, kBarWidth, 4, i < n);
}

}  // namespace tarn
