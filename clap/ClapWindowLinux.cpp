#include <cstdint>

#include "clap/ClapWindow.h"

namespace tarn {

const char *ClapWindow::api() { return clapid::kWindowX11; }

void *ClapWindow::parentOf(const clap_window_t &window) {
    return reinterpret_cast<void *>(static_cast<uintptr_t>(window.x11));
}

}  // namespace tarn
