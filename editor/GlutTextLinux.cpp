#include <GL/freeglut.h>
#include <X11/Xlib.h>

#include "editor/GlutPlatform.h"

namespace tarn {

bool glutPlatformInit() {
    // The host (or a test) may have started GLUT already; a second glutInit
    // would end the process.
    if (glutGet(GLUT_INIT_STATE)) return true;
    // Without a display glutInit reports an error and exits.
    Display *display = XOpenDisplay(nullptr);
    if (!display) return false;
    XCloseDisplay(display);
    static char programName[] = "tarnwell";
    static char *argv[] = {programName, nullptr};
    int argc = 1;
    glutInit(&argc, argv);
    return true;
}

int glutPlatformCharWidth(unsigned char c) { return glutBitmapWidth(GLUT_BITMAP_9_BY_15, c); }

void glutPlatformDrawChar(unsigned char c) { glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c); }

}  // namespace tarn
