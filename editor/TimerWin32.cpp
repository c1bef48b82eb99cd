#include <windows.h>

#include "editor/Timer.h"
#include "editor/TimerRegistry.h"

namespace tarn {

namespace {
void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD) { Timer::deliver(static_cast<uint32_t>(id)); }
}  // namespace

uint32_t platformStartTimer(int32_t intervalMs) {
    if (intervalMs < 1) intervalMs = 1;
    return static_cast<uint32_t>(SetTimer(nullptr, 0, static_cast<UINT>(intervalMs), timerProc));
}

void platformStopTimer(uint32_t id) { KillTimer(nullptr, id); }

}  // namespace tarn
