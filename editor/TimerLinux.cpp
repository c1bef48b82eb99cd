#include "editor/TimerRegistry.h"

namespace tarn {

// No message loop to deliver ticks from on Linux yet: starting always fails.
uint32_t platformStartTimer(int32_t) { return 0; }

void platformStopTimer(uint32_t) {}

}  // namespace tarn
