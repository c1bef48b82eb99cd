#include "editor/FrameClock.h"

#include <windows.h>

namespace tarn {

int64_t frameClockNow() {
    LARGE_INTEGER now;
    if (!QueryPerformanceCounter(&now)) return 0;
    return now.QuadPart;
}

double frameClockFrequency() {
    LARGE_INTEGER frequency;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return 1000.0;
    return static_cast<double>(frequency.QuadPart);
}

}  // namespace tarn
