#include "editor/glbutton.h"

#include "editor/GL.h"
#include "editor/GlutText.h"

namespace tarn {

namespace {
constexpr int kDefaultExtent = 20;
}

glbutton::glbutton(int x, int y, const std::string &text)
    : left(x), bottom(y), top(y + kDefaultExtent), right(x + kDefaultExtent), label(text) {
    initGlutText();
}

bool glbutton::contains(int x, int y) { return left <= x && x <= right && bottom <= y && y <= top; }

void glbutton::press(int, int) {}

void glbutton::paint() {}

void glbutton::drawLabelAt(int x, int y) const {
    glColor3f(red, green, blue);
    glRasterPos2i(x, y);
    glutTextDraw(label);
}

}  // namespace tarn
