// An editor that owns a child window inside the host's parent window, puts an
// OpenGL context on it and turns window messages into view events. Platform
// handles are kept as void* so this header stays portable.
#pragma once

#include <cstdint>

#include "plugin/AEffEditor.h"

namespace tarn {

class LearnDialogDriver;

class VSTGLEditor : public AEffEditor {
public:
    // Option word: bit 0 vertical sync; bits 0..2 choose the multisample count.
    static constexpr int32_t kOptionVerticalSync = 1;
    static constexpr int32_t kOptionSamples4 = 2;
    static constexpr int32_t kOptionSamples2 = 4;
    static constexpr int kPixelFormatBytes = 40;

    VSTGLEditor(AudioEffect *effect, int32_t options);
    ~VSTGLEditor() override;

    bool getRect(ERect **rect) override;
    bool open(void *parent) override;
    void close() override;

    // The view's operations, called with the context current.
    virtual void glOpen() = 0;
    virtual void glClose() = 0;
    virtual void mouseDown(int button, int x, int y);
    virtual void mouseMove(int x, int y);
    virtual void mouseUp(int button, int x, int y);
    virtual void mouseWheel(int delta, int x, int y);
    virtual void keyDown(VstKeyCode &key);
    virtual void keyUp(VstKeyCode &key);
    virtual void render() = 0;
    virtual void spareHook(int, int) {}
    // A frame came due while the window cannot be seen (hidden, or its
    // parent already gone): the view keeps its time without drawing.
    virtual void hiddenFrame() {}

    // Makes the context current, renders one frame and swaps buffers.
    void redraw();

    // How this editor shows MIDI-learn dialogs: the platform's own dialog,
    // or one drawn over the view.
    LearnDialogDriver &learnDialogDriver();

    void setBounds(int x, int y, int width, int height);
    const ERect &bounds() const { return rectangle; }
    bool verticalSyncWanted() const { return verticalSync; }
    int32_t sampleCountWanted() const { return sampleCount; }
    // True between a successful open and the matching close.
    bool hasWindow() const { return window != nullptr; }
    void *windowHandle() const { return window; }

    static int32_t samplesForOptions(int32_t options);
    // The process-wide window class, formatted from the module instance.
    static const char *windowClassName();

protected:
    void *renderingContext = nullptr;
    void *window = nullptr;
    void *deviceContext = nullptr;
    // Storage for the platform's pixel format descriptor (40 bytes on Windows).
    alignas(8) unsigned char pixelFormat[kPixelFormatBytes] = {};
    ERect rectangle = {0, 0, 0, 0};
    bool verticalSync = false;
    int32_t sampleCount = 0;

private:
    // Everything the platform keeps beyond the handles above; made with the
    // window class, freed with it.
    struct Platform;
    void registerWindowClass();
    void unregisterWindowClass();

    Platform *platform = nullptr;
};

}  // namespace tarn
