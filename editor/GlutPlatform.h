// What GlutText needs from the platform's GLUT. Only GlutText calls these.
#pragma once

namespace tarn {

// Returns false when GLUT cannot be used in this process.
bool glutPlatformInit();
int glutPlatformCharWidth(unsigned char c);
void glutPlatformDrawChar(unsigned char c);

}  // namespace tarn
