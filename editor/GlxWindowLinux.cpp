#include "editor/GlxWindowLinux.h"

#include <X11/Xutil.h>

namespace tarn {

namespace {

GLXFBConfig chooseConfig(Display *display, int screen, int samples) {
    const int attributes[] = {GLX_X_RENDERABLE,   True,
                              GLX_DRAWABLE_TYPE,  GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,    GLX_RGBA_BIT,
                              GLX_X_VISUAL_TYPE,  GLX_TRUE_COLOR,
                              GLX_RED_SIZE,       8,
                              GLX_GREEN_SIZE,     8,
                              GLX_BLUE_SIZE,      8,
                              GLX_DOUBLEBUFFER,   True,
                              GLX_SAMPLE_BUFFERS, samples > 0 ? 1 : 0,
                              GLX_SAMPLES,        samples > 0 ? samples : 0,
                              None};
    int count = 0;
    GLXFBConfig *configs = glXChooseFBConfig(display, screen, attributes, &count);
    if (!configs || count == 0) {
        if (configs) XFree(configs);
        return nullptr;
    }
    // A visual of the screen's own depth keeps a compositor from treating
    // the window as translucent.
    GLXFBConfig chosen = configs[0];
    for (int i = 0; i < count; ++i) {
        XVisualInfo *visual = glXGetVisualFromFBConfig(display, configs[i]);
        const bool plain = visual && visual->depth == DefaultDepth(display, screen);
        if (visual) XFree(visual);
        if (plain) {
            chosen = configs[i];
            break;
        }
    }
    XFree(configs);
    return chosen;
}

}  // namespace

bool GlxWindow::create(Display *d, Window parent, int width, int height, int samples) {
    display = d;
    XWindowAttributes parentAttributes;
    if (parent == 0 || !XGetWindowAttributes(display, parent, &parentAttributes)) return false;
    const int screen = XScreenNumberOfScreen(parentAttributes.screen);
    if (width < 1) width = 1;
    if (height < 1) height = 1;

    GLXFBConfig config = chooseConfig(display, screen, samples);
    if (!config && samples > 0) config = chooseConfig(display, screen, 0);
    if (!config) return false;
    XVisualInfo *visual = glXGetVisualFromFBConfig(display, config);
    if (!visual) return false;

    colormap = XCreateColormap(display, RootWindow(display, screen), visual->visual, AllocNone);
    XSetWindowAttributes attributes = {};
    attributes.colormap = colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.event_mask = kEventMask;
    child = XCreateWindow(display, parent, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                          visual->depth, InputOutput, visual->visual,
                          CWColormap | CWBorderPixel | CWBackPixel | CWEventMask, &attributes);
    XFree(visual);

    if (XSizeHints *hints = XAllocSizeHints()) {
        hints->flags = PSize | PMinSize | PMaxSize;
        hints->width = hints->min_width = hints->max_width = width;
        hints->height = hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, child, hints);
        XFree(hints);
    }
    XStoreName(display, child, "VSTGLEditor");
    XMapWindow(display, child);

    glContext = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
    if (!glContext) {
        destroy();
        return false;
    }
    return true;
}

void GlxWindow::destroy() {
    if (!display) return;
    if (glContext) glXDestroyContext(display, glContext);
    if (child) XDestroyWindow(display, child);
    if (colormap) XFreeColormap(display, colormap);
    glContext = nullptr;
    child = 0;
    colormap = 0;
}

}  // namespace tarn
