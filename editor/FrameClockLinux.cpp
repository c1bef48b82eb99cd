#include "editor/FrameClock.h"

#include <chrono>

namespace tarn {

int64_t frameClockNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double frameClockFrequency() { return 1e9; }

}  // namespace tarn
