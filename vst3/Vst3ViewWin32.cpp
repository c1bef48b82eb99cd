// Windows: a thread timer on the thread that attached the view, which is
// the host's user-interface thread, tells the host of the editor's changes.
#include <windows.h>

#include "vst3/Vst3View.h"

namespace tarn::vst3 {

namespace {

// Thread timers carry no context of their own; the few views attached at
// once find theirs here. Touched only on the user-interface thread.
struct TimerSlot {
    UINT_PTR id;
    Vst3View *view;
};
TimerSlot slots[64] = {};

void CALLBACK timerTick(HWND, UINT, UINT_PTR id, DWORD) {
    for (const TimerSlot &slot : slots)
        if (slot.id == id && slot.view) {
            slot.view->onTimer();
            return;
        }
}

}  // namespace

const char *Vst3View::platformType() { return kPlatformTypeHwnd; }

void Vst3View::startTimer() {
    if (timerRunning || !isAttached) return;
    for (TimerSlot &slot : slots) {
        if (slot.view) continue;
        const UINT_PTR id = SetTimer(nullptr, 0, kTimerMilliseconds, timerTick);
        if (!id) return;
        slot = TimerSlot{id, this};
        timerId = id;
        timerRunning = true;
        return;
    }
}

void Vst3View::stopTimer() {
    if (!timerRunning) return;
    KillTimer(nullptr, static_cast<UINT_PTR>(timerId));
    for (TimerSlot &slot : slots)
        if (slot.view == this) slot = TimerSlot{0, nullptr};
    timerRunning = false;
    timerId = 0;
}

}  // namespace tarn::vst3
