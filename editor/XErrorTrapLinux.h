// Keeps X errors on one connection away from the process's error handler,
// which belongs to the host and is shared by everything in the process, and
// counts them instead. Xlib's own default handler ends the process, and a
// window of ours can vanish with its parent at any moment, so the editor's
// connection carries this for its whole life. The one error let through is
// the shared-memory attach check, which Mesa catches with a handler of its
// own to learn whether shared memory can be used.
#pragma once

#include <X11/Xlib.h>

#include <atomic>

namespace tarn {

class XErrorTrap {
public:
    explicit XErrorTrap(Display *display);
    // Call before the connection closes.
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap &) = delete;
    XErrorTrap &operator=(const XErrorTrap &) = delete;

    int count() const { return errors.load(std::memory_order_relaxed); }
    // The resource named by the most recent error.
    XID lastResource() const { return resource.load(std::memory_order_relaxed); }

    // From the connection's error hook: true when the error was counted
    // here and must not reach the process's handler.
    static bool take(Display *display, const XErrorEvent &event);

private:
    Display *display;
    int shmMajor = -1;
    std::atomic<int> errors{0};
    std::atomic<XID> resource{0};
};

}  // namespace tarn
