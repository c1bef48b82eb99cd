// The process-wide timer-id → Timer map. Timers are started and stopped on
// user-interface threads; a host with several such threads (one per
// instance) must still find the map well-formed, hence the mutex. No lock is
// held while a timer ticks, so a tick may stop or start timers.
#pragma once

#include <cstdint>

#include "editor/Timer.h"

namespace tarn {

void timerRegistryInsert(TimerId id, Timer *timer);
void timerRegistryErase(TimerId id);
Timer *timerRegistryFind(TimerId id);
int timerRegistrySize();

// Platform timer service: 0 when no timer could be made.
TimerId platformStartTimer(int32_t intervalMs);
void platformStopTimer(TimerId id);

}  // namespace tarn
