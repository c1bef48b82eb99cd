#include "editor/XErrorTrapLinux.h"

#include <algorithm>
#include <mutex>
#include <vector>

// The extension-writer's header, for XESetWireToError; it defines min and
// max as macros, so it comes after the standard headers.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace tarn {

namespace {

// The Xlib hook below is per connection but carries no context, so each
// trap is found from its display.
std::mutex trapsMutex;
std::vector<XErrorTrap *> &traps() {
    static std::vector<XErrorTrap *> list;
    return list;
}

constexpr int kShmAttach = 1;
constexpr int kShmAttachFd = 6;

// False keeps the error from the process's handler.
Bool filter(Display *display, XErrorEvent *event, xError *) { return XErrorTrap::take(display, *event) ? False : True; }

}  // namespace

XErrorTrap::XErrorTrap(Display *d) : display(d) {
    int event = 0, error = 0;
    if (!XQueryExtension(display, "MIT-SHM", &shmMajor, &event, &error)) shmMajor = -1;
    {
        std::lock_guard<std::mutex> lock(trapsMutex);
        traps().push_back(this);
    }
    // Error code 0 is a reply, not an error.
    for (int code = 1; code < 256; ++code) XESetWireToError(display, code, &filter);
}

XErrorTrap::~XErrorTrap() {
    for (int code = 1; code < 256; ++code) XESetWireToError(display, code, nullptr);
    std::lock_guard<std::mutex> lock(trapsMutex);
    auto &list = traps();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

bool XErrorTrap::take(Display *display, const XErrorEvent &event) {
    std::lock_guard<std::mutex> lock(trapsMutex);
    for (XErrorTrap *trap : traps()) {
        if (trap->display != display) continue;
        if (trap->shmMajor >= 0 && event.request_code == trap->shmMajor &&
            (event.minor_code == kShmAttach || event.minor_code == kShmAttachFd))
            return false;
        trap->errors.fetch_add(1, std::memory_order_relaxed);
        trap->resource.store(event.resourceid, std::memory_order_relaxed);
        return true;
    }
    return false;
}

}  // namespace tarn
