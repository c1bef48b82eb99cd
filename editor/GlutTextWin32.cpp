#include <windows.h>

#include <GL/freeglut.h>

#include "editor/GlutPlatform.h"

namespace tarn {

bool glutPlatformInit() {
    if (glutGet(GLUT_INIT_STATE)) return true;
    // glutInit on Windows registers its own window class but opens no window.
    static char programName[] = "tarnwell";
    static char *argv[] = {programName, nullptr};
    int argc = 1;
    glutInit(&argc, argv);
    return true;
}

int glutPlatformCharWidth(unsigned char c) { return glutBitmapWidth(GLUT_BITMAP_9_BY_15, c); }

void glutPlatformDrawChar(unsigned char c) { glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c); }

}  // namespace tarn
