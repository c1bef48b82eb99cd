// A child window with an OpenGL context inside a host's X window, both on
// the editor's own connection. The window is mapped and sized to the editor
// (and tells the host so through its size hints).
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

namespace tarn {

class GlxWindow {
public:
    static constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                       KeyPressMask | KeyReleaseMask | StructureNotifyMask | EnterWindowMask |
                                       LeaveWindowMask | FocusChangeMask | VisibilityChangeMask;

    // False, with nothing left behind, when the parent is no window or no
    // double-buffered true-colour context is to be had. samples > 0 asks
    // for multisampling and falls back to none.
    bool create(Display *display, Window parent, int width, int height, int samples);
    // Context, window and colormap. The context must not be current
    // anywhere. A window already destroyed with its parent is fine.
    void destroy();

    Window window() const { return child; }
    GLXContext context() const { return glContext; }

private:
    Display *display = nullptr;
    Window child = 0;
    Colormap colormap = 0;
    GLXContext glContext = nullptr;
};

}  // namespace tarn
