#include <GL/glx.h>

#include "editor/VSTGLEditor.h"

namespace tarn {

// The Linux module reports its size but cannot open a window of its own yet;
// the view can still be drawn into a context somebody else made current.
const char *VSTGLEditor::windowClassName() { return "VSTGLWindow"; }

void VSTGLEditor::registerWindowClass() {}
void VSTGLEditor::unregisterWindowClass() {}

bool VSTGLEditor::open(void *) { return false; }

void VSTGLEditor::close() {}

void VSTGLEditor::redraw() {
    if (glXGetCurrentContext()) render();
}

}  // namespace tarn
