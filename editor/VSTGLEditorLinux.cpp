// The editor window on Linux. Hosts drive editors in very different ways
// (some call effEditIdle 15 times a second, some never while the window is
// hidden, some from threads of their own), so each open editor has its own
// X connection and its own thread, which owns the GL context, turns X
// events into view events, and delivers the view's timer. Host calls only
// start and stop that thread; nothing of it waits for the host, and the
// host's calls wait for it only while it starts and stops.
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "editor/DialogLayer.h"
#include "editor/GlxWindowLinux.h"
#include "editor/ThreadTimersLinux.h"
#include "editor/VSTGLEditor.h"
#include "editor/XErrorTrapLinux.h"

namespace tarn {

namespace {

// Longest sleep of the window thread when no timer is due.
constexpr int kIdlePollMs = 30;
// How long open() waits for the thread to have opened the view.
constexpr auto kStartWait = std::chrono::seconds(10);

// A busy X server turns a new connection away now and then (its queue of
// waiting connections full); a host opening the editor just then would
// otherwise get no editor at all.
Display *openDisplay() {
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
        if (Display *display = XOpenDisplay(nullptr)) return display;
    }
    return nullptr;
}

// The Windows virtual-key code of a key, as the key record carries it.
VstInt32 virtualKey(KeySym sym) {
    if (sym >= XK_a && sym <= XK_z) return static_cast<VstInt32>('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<VstInt32>('A' + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9) return static_cast<VstInt32>('0' + (sym - XK_0));
    if (sym >= XK_F1 && sym <= XK_F12) return static_cast<VstInt32>(0x70 + (sym - XK_F1));
    switch (sym) {
        case XK_BackSpace: return 0x08;
        case XK_Tab: return 0x09;
        case XK_Return:
        case XK_KP_Enter: return 0x0D;
        case XK_Shift_L:
        case XK_Shift_R: return 0x10;
        case XK_Control_L:
        case XK_Control_R: return 0x11;
        case XK_Alt_L:
        case XK_Alt_R: return 0x12;
        case XK_Escape: return 0x1B;
        case XK_space: return 0x20;
        case XK_Prior: return 0x21;
        case XK_Next: return 0x22;
        case XK_End: return 0x23;
        case XK_Home: return 0x24;
        case XK_Left: return 0x25;
        case XK_Up: return 0x26;
        case XK_Right: return 0x27;
        case XK_Down: return 0x28;
        case XK_Delete: return 0x2E;
        default: return 0;
    }
}

// X buttons 1, 2, 3 are left, middle, right; the view numbers them left 1,
// right 2, middle 3.
int viewButton(unsigned int xButton) {
    switch (xButton) {
        case Button1: return 1;
        case Button3: return 2;
        case Button2: return 3;
        default: return 0;
    }
}

void setSwapInterval(Display *display, GLXDrawable drawable) {
    const char *extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!extensions) return;
    if (std::strstr(extensions, "GLX_EXT_swap_control")) {
        using SwapIntervalExt = void (*)(Display *, GLXDrawable, int);
        auto swap = reinterpret_cast<SwapIntervalExt>(
            glXGetProcAddress(reinterpret_cast<const GLubyte *>("glXSwapIntervalEXT")));
        if (swap) swap(display, drawable, 1);
    } else if (std::strstr(extensions, "GLX_MESA_swap_control")) {
        using SwapIntervalMesa = int (*)(unsigned);
        auto swap = reinterpret_cast<SwapIntervalMesa>(
            glXGetProcAddress(reinterpret_cast<const GLubyte *>("glXSwapIntervalMESA")));
        if (swap) swap(1);
    }
}

}  // namespace

struct VSTGLEditor::Platform {
    void run(VSTGLEditor &editor);
    void handle(VSTGLEditor &editor, XEvent &event);
    bool viewable();
    void wake();
    void release();

    DialogLayer dialogs;
    Display *display = nullptr;
    std::unique_ptr<XErrorTrap> trap;
    GlxWindow glx;
    std::thread thread;
    int wakeRead = -1;
    int wakeWrite = -1;
    int height = 0;
    std::atomic<bool> stopping{false};
    std::mutex startMutex;
    std::condition_variable started;
    bool ready = false;
    // Window thread only.
    bool current = false;
    bool parentGone = false;
};

namespace {
// The editor platform state whose window thread this is, if any.
thread_local const void *windowThreadOf = nullptr;
}  // namespace

void VSTGLEditor::Platform::run(VSTGLEditor &editor) {
    windowThreadOf = this;
    ThreadTimers timers;
    MessageBoxSink *previousSink = setThreadMessageBoxSink(&dialogs);
    current = glXMakeCurrent(display, glx.window(), glx.context()) == True;
    if (current && editor.verticalSync) setSwapInterval(display, glx.window());
    editor.glOpen();
    {
        std::lock_guard<std::mutex> lock(startMutex);
        ready = true;
    }
    started.notify_all();

    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wakeRead, POLLIN, 0}};
    while (!stopping.load(std::memory_order_acquire)) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            handle(editor, event);
        }
        timers.deliverDue();
        if (stopping.load(std::memory_order_acquire)) break;
        // Also sends whatever the frame asked of the server.
        if (XPending(display) > 0) continue;
        fds[0].revents = fds[1].revents = 0;
        poll(fds, 2, timers.millisecondsToNext(kIdlePollMs));
        if (fds[1].revents & POLLIN) {
            char drain[16];
            while (read(wakeRead, drain, sizeof drain) > 0) {
            }
        }
    }

    editor.glClose();
    if (current) glXMakeCurrent(display, None, nullptr);
    current = false;
    setThreadMessageBoxSink(previousSink);
    windowThreadOf = nullptr;
}

void VSTGLEditor::Platform::handle(VSTGLEditor &editor, XEvent &event) {
    switch (event.type) {
        case ButtonPress: {
            const XButtonEvent &b = event.xbutton;
            // Wheel notches, with the pointer's screen position as Windows gives it.
            if (b.button == Button4 || b.button == Button5) {
                editor.mouseWheel(b.button == Button4 ? 120 : -120, b.x_root, b.y_root);
                break;
            }
            const int button = viewButton(b.button);
            if (button == 0) break;
            // Any button on a box stays there: a right click on a prompt
            // must not still the mesh behind it.
            const int yUp = height - b.y - 1;
            if (dialogs.covers(b.x, yUp)) {
                if (button == 1) dialogs.mouseDown(b.x, yUp);
                break;
            }
            editor.mouseDown(button, b.x, b.y);
            break;
        }
        case ButtonRelease: {
            const XButtonEvent &b = event.xbutton;
            const int button = viewButton(b.button);
            if (button == 0) break;
            if (button == 1) dialogs.mouseUp(b.x, height - b.y - 1);
            // Always, so a drag ends however the button comes up.
            editor.mouseUp(button, b.x, b.y);
            break;
        }
        case MotionNotify:
            editor.mouseMove(event.xmotion.x, event.xmotion.y);
            break;
        case KeyPress:
        case KeyRelease: {
            const KeySym sym = XLookupKeysym(&event.xkey, 0);
            if (event.type == KeyPress && !dialogs.empty()) {
                if (sym == XK_Return || sym == XK_KP_Enter) {
                    dialogs.key(DialogLayer::Key::Enter);
                    break;
                }
                if (sym == XK_Escape) {
                    dialogs.key(DialogLayer::Key::Escape);
                    break;
                }
            }
            VstKeyCode key = {};
            key.character = virtualKey(sym);
            if (event.type == KeyPress)
                editor.keyDown(key);
            else
                editor.keyUp(key);
            break;
        }
        case Expose:
            if (event.xexpose.count == 0) editor.idle();
            break;
        case DestroyNotify:
            // The host destroyed its window, and ours with it: nothing may
            // be drawn into it any more.
            if (event.xdestroywindow.window == glx.window()) parentGone = true;
            break;
        default:
            break;
    }
}

// Hiding an ancestor sends the child no event, so each frame asks.
bool VSTGLEditor::Platform::viewable() {
    if (parentGone) return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, glx.window(), &attributes)) return false;
    return attributes.map_state == IsViewable;
}

void VSTGLEditor::Platform::wake() {
    const char byte = 1;
    if (wakeWrite >= 0) (void)!write(wakeWrite, &byte, 1);
}

void VSTGLEditor::Platform::release() {
    glx.destroy();
    if (display) {
        XSync(display, True);
        trap.reset();
        XCloseDisplay(display);
    }
    display = nullptr;
    if (wakeRead >= 0) ::close(wakeRead);
    if (wakeWrite >= 0) ::close(wakeWrite);
    wakeRead = wakeWrite = -1;
}

const char *VSTGLEditor::windowClassName() { return "VSTGLWindow"; }

void VSTGLEditor::registerWindowClass() { platform = new Platform; }

void VSTGLEditor::unregisterWindowClass() {
    delete platform;
    platform = nullptr;
}

LearnDialogDriver &VSTGLEditor::learnDialogDriver() { return platform->dialogs; }

bool VSTGLEditor::open(void *parent) {
    // A host that opens twice without closing would otherwise leak the first window.
    if (window) close();
    systemWindow = parent;
    Platform &p = *platform;
    const int width = rectangle.right - rectangle.left;
    const int height = rectangle.bottom - rectangle.top;

    p.display = openDisplay();
    if (!p.display) return false;
    p.trap = std::make_unique<XErrorTrap>(p.display);
    int wake[2] = {-1, -1};
    const bool piped = pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0;
    p.wakeRead = wake[0];
    p.wakeWrite = wake[1];
    const Window parentWindow = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
    const bool made = piped && p.glx.create(p.display, parentWindow, width, height, sampleCount);
    // Hosts look for the child right after this returns: the server must
    // have it by then.
    XSync(p.display, False);
    if (!made || p.trap->count() > 0) {
        p.release();
        return false;
    }

    window = reinterpret_cast<void *>(static_cast<uintptr_t>(p.glx.window()));
    renderingContext = p.glx.context();
    deviceContext = p.display;
    p.height = height;
    p.dialogs.setViewSize(width, height);
    p.stopping.store(false, std::memory_order_release);
    p.parentGone = false;
    p.ready = false;
    p.thread = std::thread([this, &p] { p.run(*this); });
    std::unique_lock<std::mutex> lock(p.startMutex);
    p.started.wait_for(lock, kStartWait, [&p] { return p.ready; });
    return true;
}

void VSTGLEditor::close() {
    if (!window) return;
    Platform &p = *platform;
    // The window thread cannot wait for itself; nothing it runs calls the
    // host, so a close can only come from there by a fault elsewhere.
    if (windowThreadOf == &p) return;
    p.stopping.store(true, std::memory_order_release);
    p.wake();
    if (p.thread.joinable()) p.thread.join();
    p.release();
    p.dialogs.dropMessages();
    window = nullptr;
    renderingContext = nullptr;
    deviceContext = nullptr;
}

void VSTGLEditor::redraw() {
    Platform *p = platform;
    if (!window || windowThreadOf != p) {
        // Drawn into a context someone else made current (tests, benchmarks).
        if (glXGetCurrentContext()) render();
        return;
    }
    if (!p->current || !p->viewable()) {
        hiddenFrame();
        return;
    }
    render();
    p->dialogs.refresh();
    p->dialogs.paint();
    glXSwapBuffers(p->display, p->glx.window());
}

}  // namespace tarn
