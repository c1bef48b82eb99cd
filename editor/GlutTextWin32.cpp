#include <windows.h>

#include "editor/GlutGuard.h"
#include "editor/GlutPlatform.h"

namespace tarn {

// glutInit on Windows registers its own window class but opens no window.
bool glutPlatformInit() { return glutguard::startGlut(1); }

int glutPlatformCharWidth(unsigned char c) { return glutBitmapWidth(GLUT_BITMAP_9_BY_15, c); }

void glutPlatformDrawChar(unsigned char c) { glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c); }

}  // namespace tarn
