// The base of the editor's widgets: a rectangle in drawing space (pixels, y
// upward) with a white text label in the 9-by-15 font.
#pragma once

#include <string>

namespace tarn {

class glbutton {
public:
    glbutton(int x, int y, const std::string &label);
    virtual ~glbutton() = default;

    // Edges included.
    virtual bool contains(int x, int y);
    virtual void press(int x, int y);
    virtual void paint();

    int getLeft() const { return left; }
    int getBottom() const { return bottom; }
    int getRight() const { return right; }
    int getTop() const { return top; }
    const std::string &getLabel() const { return label; }

protected:
    // Colour and raster position, then the label's characters.
    void drawLabelAt(int x, int y) const;

    int left;
    int bottom;
    int top;
    int right;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    std::string label;
};

}  // namespace tarn
