#include "editor/VSTGLEditor.h"

#include "plugin/AudioEffect.h"

namespace tarn {

namespace {
VstInt16 toRectCoordinate(int v) {
    if (v < -32768) return -32768;
    if (v > 32767) return 32767;
    return static_cast<VstInt16>(v);
}
}  // namespace

int32_t VSTGLEditor::samplesForOptions(int32_t options) {
    if (options & kOptionSamples2) return 2;
    if ((options & (kOptionVerticalSync | kOptionSamples4)) == (kOptionVerticalSync | kOptionSamples4)) return 4;
    if (options & kOptionSamples4) return 6;
    return 0;
}

VSTGLEditor::VSTGLEditor(AudioEffect *fx, int32_t options) : AEffEditor(fx) {
    if (fx) fx->setEditor(this);
    verticalSync = (options & kOptionVerticalSync) != 0;
    sampleCount = samplesForOptions(options);
    registerWindowClass();
}

VSTGLEditor::~VSTGLEditor() { unregisterWindowClass(); }

bool VSTGLEditor::getRect(ERect **rect) {
    if (!rect) return false;
    *rect = &rectangle;
    return true;
}

void VSTGLEditor::setBounds(int x, int y, int width, int height) {
    rectangle.left = toRectCoordinate(x);
    rectangle.top = toRectCoordinate(y);
    rectangle.right = toRectCoordinate(x + width);
    rectangle.bottom = toRectCoordinate(y + height);
}

void VSTGLEditor::mouseDown(int, int, int) {}
void VSTGLEditor::mouseMove(int, int) {}
void VSTGLEditor::mouseUp(int, int, int) {}
void VSTGLEditor::mouseWheel(int, int, int) {}
void VSTGLEditor::keyDown(VstKeyCode &) {}
void VSTGLEditor::keyUp(VstKeyCode &) {}

}  // namespace tarn
