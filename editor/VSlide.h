#pragma once

#include <cstdint>

#include "editor/glbutton.h"

namespace tarn {

class AudioEffect;

// A label with a column of ten bars above it, lit from the bottom.
class VSlide final : public glbutton {
public:
    VSlide(int x, int y, AudioEffect *effect, int32_t parameter, const std::string &label);

    void press(int x, int y) override;
    void paint() override;
    void drag(int x, int y);
    void endDrag() { dragging = false; }

    bool isDragging() const { return dragging; }
    float getValue() const { return value; }
    int barColumn() const { return barX; }
    // y of the strip's 0.0 end.
    int stripStart() const { return bottom + labelGap + 4; }

private:
    void set(int d);

    int32_t parameter;
    AudioEffect *effect;
    int32_t labelGap = 15;
    int32_t barX;
    bool dragging = false;
    float value = 0.0f;
};

}  // namespace tarn
