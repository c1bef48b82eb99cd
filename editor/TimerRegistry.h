// The process-wide timer-id → Timer map. Timers are started and stopped on
// user-interface threads; a host with several such threads (one per
// instance) must still find the map well-formed, hence the mutex. No lock is
// held while a timer ticks, so a tick may stop or start timers.
#pragma once

#include <cstdint>

namespace tarn {

class Timer;

void timerRegistryInsert(uint32_t id, Timer *timer);
void timerRegistryErase(uint32_t id);
Timer *timerRegistryFind(uint32_t id);
int timerRegistrySize();

// Platform timer service: 0 when no timer could be made.
uint32_t platformStartTimer(int32_t intervalMs);
void platformStopTimer(uint32_t id);

}  // namespace tarn
