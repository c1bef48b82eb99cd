#include "editor/GlutGuard.h"
#include "editor/GlutPlatform.h"

namespace tarn {

// glutInit opens a connection of its own to the display named by DISPLAY;
// without a display it simply fails and the editor draws no text.
bool glutPlatformInit() { return glutguard::startGlut(5); }

int glutPlatformCharWidth(unsigned char c) { return glutBitmapWidth(GLUT_BITMAP_9_BY_15, c); }

void glutPlatformDrawChar(unsigned char c) { glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c); }

}  // namespace tarn
