// The high-resolution clock the view measures frame intervals with.
#pragma once

#include <cstdint>

namespace tarn {

int64_t frameClockNow();
// Ticks per second of frameClockNow(); always positive.
double frameClockFrequency();

}  // namespace tarn
