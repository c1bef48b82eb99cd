// The host side of the Linux editor tests: its own X connection, parent
// windows as a host makes them, real input through the XTest extension,
// pixels read back from the server, and counts of the process's threads and
// sockets to see that nothing is left behind.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/editor/EditorCapture.h"

namespace tarn {
namespace x11test {

using editorcheck::Capture;

inline void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Polls until the condition holds or the time is up; returns the last answer.
inline bool waitFor(const std::function<bool()> &condition, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        sleepMs(10);
    }
}

// Entries of a /proc/self directory, those of /proc/self/fd only if they
// are sockets.
inline int countEntries(const std::string &path) {
    int n = 0;
    if (DIR *dir = opendir(path.c_str())) {
        while (dirent *e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            char target[64] = {};
            const bool fds = path == "/proc/self/fd";
            n += !fds || (readlink((path + "/" + e->d_name).c_str(), target, sizeof target - 1) > 0 &&
                          std::strncmp(target, "socket:", 7) == 0);
        }
        closedir(dir);
    }
    return n;
}
inline int threadCount() { return countEntries("/proc/self/task"); }
inline int socketCount() { return countEntries("/proc/self/fd"); }

class XHost {
public:
    XHost() : display(XOpenDisplay(nullptr)) {
        int event = 0, error = 0, major = 0, minor = 0;
        xtest = display && XTestQueryExtension(display, &event, &error, &major, &minor);
    }
    ~XHost() {
        if (display) XCloseDisplay(display);
    }
    XHost(const XHost &) = delete;
    XHost &operator=(const XHost &) = delete;

    bool ok() const { return display != nullptr && xtest; }
    Display *dpy() const { return display; }

    // A mapped top-level window, as a host gives an editor to live in.
    Window makeParent(int x, int y, int width, int height) {
        const int screen = DefaultScreen(display);
        Window w = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
                                       static_cast<unsigned>(height), 0, BlackPixel(display, screen),
                                       BlackPixel(display, screen));
        XSelectInput(display, w, StructureNotifyMask);
        XMapWindow(display, w);
        XEvent e;
        do XWindowEvent(display, w, StructureNotifyMask, &e);
        while (e.type != MapNotify);
        XSync(display, False);
        return w;
    }
    void destroy(Window w) {
        XDestroyWindow(display, w);
        XSync(display, False);
    }

    std::vector<Window> children(Window parent) {
        Window root = 0, up = 0, *list = nullptr;
        unsigned count = 0;
        std::vector<Window> out;
        if (XQueryTree(display, parent, &root, &up, &list, &count)) {
            out.assign(list, list + count);
            if (list) XFree(list);
        }
        return out;
    }
    Window onlyChild(Window parent) {
        const std::vector<Window> c = children(parent);
        return c.size() == 1 ? c[0] : 0;
    }
    Capture capture(Window w) {
        Capture cap;
        XWindowAttributes a;
        if (!XGetWindowAttributes(display, w, &a)) return cap;
        XImage *image = XGetImage(display, w, 0, 0, static_cast<unsigned>(a.width), static_cast<unsigned>(a.height),
                                  AllPlanes, ZPixmap);
        if (!image) return cap;
        cap.width = a.width;
        cap.height = a.height;
        cap.rgb.resize(static_cast<size_t>(a.width) * a.height * 3);
        const auto channel = [](unsigned long pixel, unsigned long mask) {
            if (mask == 0) return 0;
            int shift = 0;
            while (!(mask & 1)) {
                mask >>= 1;
                ++shift;
            }
            return static_cast<int>(((pixel >> shift) & mask) * 255 / mask);
        };
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                const size_t i = (static_cast<size_t>(y) * a.width + x) * 3;
                cap.rgb[i] = static_cast<uint8_t>(channel(p, image->red_mask));
                cap.rgb[i + 1] = static_cast<uint8_t>(channel(p, image->green_mask));
                cap.rgb[i + 2] = static_cast<uint8_t>(channel(p, image->blue_mask));
            }
        XDestroyImage(image);
        return cap;
    }

    // Real input: the pointer moves over the window, then buttons and keys.
    void pointerTo(Window w, int x, int y) {
        int rootX = 0, rootY = 0;
        Window under = 0;
        XTranslateCoordinates(display, w, DefaultRootWindow(display), x, y, &rootX, &rootY, &under);
        XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
        XSync(display, False);
    }
    void button(unsigned b, bool down) {
        XTestFakeButtonEvent(display, b, down ? True : False, CurrentTime);
        XSync(display, False);
    }
    void click(Window w, int x, int y, unsigned b = Button1) {
        pointerTo(w, x, y);
        button(b, true);
        button(b, false);
    }
    void key(KeySym sym) {
        const KeyCode code = XKeysymToKeycode(display, sym);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XSync(display, False);
    }

private:
    Display *display;
    bool xtest = false;
};

}  // namespace x11test
}  // namespace tarn
