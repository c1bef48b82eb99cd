#include "clap/ClapWindow.h"

namespace tarn {

const char *ClapWindow::api() { return clapid::kWindowWin32; }

void *ClapWindow::parentOf(const clap_window_t &window) { return window.win32; }

}  // namespace tarn
