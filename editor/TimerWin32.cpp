#include <windows.h>

#include "editor/Timer.h"
#include "editor/TimerRegistry.h"

namespace tarn {

namespace {
void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD) { Timer::deliver(id); }
}  // namespace

TimerId platformStartTimer(int32_t intervalMs) {
    if (intervalMs < 1) intervalMs = 1;
    return static_cast<TimerId>(SetTimer(nullptr, 0, static_cast<UINT>(intervalMs), timerProc));
}

void platformStopTimer(TimerId id) { KillTimer(nullptr, id); }

}  // namespace tarn
