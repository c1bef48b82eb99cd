// The one embedded window API of this platform and the parent handle the
// editor opens into.
#pragma once

#include "clap/ClapAbi.h"

namespace tarn {

struct ClapWindow {
    // The API constant itself: hosts may compare the pointer.
    static const char *api();
    // The window as the editor takes it (X11 window id or HWND); null if
    // the host gave none.
    static void *parentOf(const clap_window_t &window);
};

}  // namespace tarn
