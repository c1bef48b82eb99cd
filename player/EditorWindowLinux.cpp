#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "engine/Instrument.h"
#include "player/EditorWindow.h"

namespace tarn {

EditorWindow::EditorWindow(Instrument &instrument) : instrument(instrument) {}

EditorWindow::~EditorWindow() { close(); }

bool EditorWindow::open(const std::string &instanceName, std::string &reason) {
    display = XOpenDisplay(nullptr);
    if (!display) {
        const char *name = XDisplayName(nullptr);
        reason = std::string("cannot open the X display \"") + (name ? name : "") +
                 "\" for the editor (run with --no-gui to play without it)";
        return false;
    }
    int32_t width = 0, height = 0;
    instrument.editorSize(&width, &height);
    if (width <= 0 || height <= 0) width = height = 600;
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, BlackPixel(display, screen),
                                 BlackPixel(display, screen));
    XStoreName(display, window, kTitle);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    XChangeProperty(display, window, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(kTitle), static_cast<int>(std::char_traits<char>::length(kTitle)));
    // Lets a test or a window manager tie the window to this process.
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&pid), 1);
    XClassHint classHint;
    std::string instance = instanceName, className = kTitle;
    classHint.res_name = &instance[0];
    classHint.res_class = &className[0];
    XSetClassHint(display, window, &classHint);
    // The view is drawn for one size only.
    if (XSizeHints *hints = XAllocSizeHints()) {
        hints->flags = PMinSize | PMaxSize | PBaseSize;
        hints->min_width = hints->max_width = hints->base_width = width;
        hints->min_height = hints->max_height = hints->base_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    deleteAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Atom protocols = deleteAtom;
    XSetWMProtocols(display, window, &protocols, 1);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    XSync(display, False);
    if (!instrument.openEditor(reinterpret_cast<void *>(static_cast<uintptr_t>(window)))) {
        reason = "the editor would not open in its window";
        close();
        return false;
    }
    XFlush(display);
    return true;
}

bool EditorWindow::pump(int timeoutMs) {
    if (!display) return false;
    if (!XPending(display)) {
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) < 0 && errno != EINTR) return false;
        // A broken connection to the server ends the program like a closed window.
        if (fd.revents & (POLLERR | POLLHUP)) return false;
    }
    while (XPending(display)) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == ClientMessage && static_cast<unsigned long>(e.xclient.data.l[0]) == deleteAtom)
            closedByUser = true;
        if (e.type == DestroyNotify && e.xdestroywindow.window == window) {
            closedByUser = true;
            window = 0;
        }
    }
    instrument.editorIdle();
    return !closedByUser;
}

void EditorWindow::close() {
    instrument.closeEditor();
    if (display) {
        if (window) XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
    display = nullptr;
    window = 0;
}

}  // namespace tarn
