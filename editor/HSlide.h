#pragma once

#include <cstdint>

#include "editor/glbutton.h"

namespace tarn {

class AudioEffect;

// A label followed by a row of ten bars; pressing or dragging along the bars
// sets the parameter.
class HSlide final : public glbutton {
public:
    HSlide(int x, int y, AudioEffect *effect, int32_t parameter, const std::string &label);

    void press(int x, int y) override;
    void paint() override;
    // Follows the pointer while a press that began on the bars is held.
    void drag(int x, int y);
    void endDrag() { dragging = false; }

    bool isDragging() const { return dragging; }
    float getValue() const { return value; }
    // x of the strip's 0.0 end.
    int stripStart() const { return left + labelWidth + 4; }

private:
    void set(int d);

    int32_t parameter;
    AudioEffect *effect;
    int32_t labelWidth;
    bool dragging = false;
    float value = 0.0f;
};

}  // namespace tarn
