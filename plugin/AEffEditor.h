// The editor interface the dispatcher talks to. Defaults answer "no". The
// effect owns its editor and knows it only through this interface.
#pragma once

#include "plugin/VstAbi.h"

namespace tarn {

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect *effect) : effect(effect), systemWindow(nullptr) {}
    virtual ~AEffEditor() = default;

    virtual AudioEffect *getEffect() { return effect; }
    virtual bool getRect(ERect **rect) {
        if (rect) *rect = nullptr;
        return false;
    }
    virtual bool open(void *parent) {
        systemWindow = parent;
        return false;
    }
    virtual void close() { systemWindow = nullptr; }
    virtual bool isOpen() { return systemWindow != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode &) { return false; }
    virtual bool onKeyUp(VstKeyCode &) { return false; }
    virtual bool onWheel(float) { return false; }
    virtual bool setKnobMode(int) { return false; }

protected:
    AudioEffect *effect;
    void *systemWindow;
};

}  // namespace tarn
