#include "editor/SliderBars.h"

#include "editor/GL.h"

namespace tarn {

int litBars(float value) {
    const double n = static_cast<double>(value) * 10.0 + 0.1;
    if (!(n >= 0.0)) return 0;
    if (n >= kSliderBars) return kSliderBars;
    return static_cast<int>(n);
}

void drawSliderBar(int x, int y, int width, int height, bool lit) {
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    if (lit)
        glColor3f(0.0f, 0.0f, 1.0f);
    else
        glColor3f(0.18f, 0.18f, 0.22f);
    glBegin(GL_QUADS);
    glVertex2i(0, 0);
    glVertex2i(0, height);
    glVertex2i(width, height);
    glVertex2i(width, 0);
    glEnd();
    glPopMatrix();
}

}  // namespace tarn
