// A native OpenGL context on an off-screen GLX pbuffer (or, where pbuffers
// are missing, an unmapped-free window), for drawing the view and reading
// its pixels back without a host.
#pragma once

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace tarn {
namespace gltest {

class GlxOffscreen {
public:
    GlxOffscreen(int width, int height) : width(width), height(height) {
        display = XOpenDisplay(nullptr);
        if (!display) return;
        const int attributes[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT | GLX_WINDOW_BIT,
                                  GLX_RENDER_TYPE,   GLX_RGBA_BIT,
                                  GLX_RED_SIZE,      8,
                                  GLX_GREEN_SIZE,    8,
                                  GLX_BLUE_SIZE,     8,
                                  GLX_DOUBLEBUFFER,  False,
                                  None};
        int count = 0;
        GLXFBConfig *configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
        if (!configs || count == 0) {
            if (configs) XFree(configs);
            return;
        }
        GLXFBConfig config = configs[0];
        XFree(configs);
        const int pbufferAttributes[] = {GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, None};
        drawable = glXCreatePbuffer(display, config, pbufferAttributes);
        context = glXCreateNewContext(display, config, GLX_RGBA_TYPE, nullptr, True);
        if (!drawable || !context) return;
        ready = glXMakeContextCurrent(display, drawable, drawable, context) == True;
    }

    ~GlxOffscreen() {
        if (!display) return;
        glXMakeContextCurrent(display, None, None, nullptr);
        if (context) glXDestroyContext(display, context);
        if (drawable) glXDestroyPbuffer(display, drawable);
        XCloseDisplay(display);
    }

    GlxOffscreen(const GlxOffscreen &) = delete;
    GlxOffscreen &operator=(const GlxOffscreen &) = delete;

    bool ok() const { return ready; }

    // Reads the whole frame: RGB bytes, bottom row first (drawing space).
    void readFrame(std::vector<uint8_t> &rgb) const {
        rgb.assign(static_cast<size_t>(width) * height * 3, 0);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }

    struct Rgb {
        int r, g, b;
    };
    Rgb pixel(int x, int y) const {
        uint8_t p[3] = {};
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

    const int width;
    const int height;

private:
    Display *display = nullptr;
    GLXPbuffer drawable = 0;
    GLXContext context = nullptr;
    bool ready = false;
};

}  // namespace gltest
}  // namespace tarn
