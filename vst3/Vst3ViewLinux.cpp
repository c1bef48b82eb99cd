// Linux: the editor runs its own X connection and thread, so the host's run
// loop only carries the timer that tells the host of the editor's changes.
#include "vst3/Vst3View.h"

namespace tarn::vst3 {

const char *Vst3View::platformType() { return kPlatformTypeX11; }

void Vst3View::startTimer() {
    if (timerRunning || !runLoop || !isAttached) return;
    auto *loop = static_cast<IRunLoop *>(runLoop);
    timerRunning = loop->registerTimer(static_cast<ITimerHandler *>(this), kTimerMilliseconds) == kResultOk;
}

void Vst3View::stopTimer() {
    if (!timerRunning) return;
    static_cast<IRunLoop *>(runLoop)->unregisterTimer(static_cast<ITimerHandler *>(this));
    timerRunning = false;
}

}  // namespace tarn::vst3
