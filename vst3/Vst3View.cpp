#include "vst3/Vst3View.h"

#include <cstring>

#include "vst3/Vst3Instrument.h"

namespace tarn::vst3 {

Vst3View::Vst3View(Vst3Instrument &owner) : owner(owner) { owner.addRef(); }

Vst3View::~Vst3View() {
    if (isAttached) removed();
    stopTimer();
    if (runLoop) runLoop->release();
    if (frame) frame->release();
    owner.release();
}

tresult TARN_VST3_API Vst3View::queryInterface(const TUID iid, void **obj) {
    if (!obj) return kInvalidArgument;
    void *found = nullptr;
    if (kFUnknownIid == iid || kIPlugViewIid == iid)
        found = static_cast<IPlugView *>(this);
    else if (kITimerHandlerIid == iid)
        found = static_cast<ITimerHandler *>(this);
    *obj = found;
    if (!found) return kNoInterface;
    addRef();
    return kResultOk;
}

uint32 TARN_VST3_API Vst3View::addRef() { return references.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32 TARN_VST3_API Vst3View::release() {
    const uint32 left = references.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

tresult TARN_VST3_API Vst3View::isPlatformTypeSupported(FIDString type) {
    return type && std::strcmp(type, platformType()) == 0 ? kResultTrue : kResultFalse;
}

tresult TARN_VST3_API Vst3View::attached(void *parent, FIDString type) {
    if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kInvalidArgument;
    if (isAttached) removed();
    if (!owner.openEditorFor(this, parent)) return kResultFalse;
    isAttached = true;
    startTimer();
    return kResultOk;
}

tresult TARN_VST3_API Vst3View::removed() {
    if (!isAttached) return kResultFalse;
    stopTimer();
    owner.closeEditorFor(this);
    isAttached = false;
    // Whatever the editor changed last still reaches the host.
    owner.tellHost();
    return kResultOk;
}

tresult TARN_VST3_API Vst3View::onWheel(float) { return kResultFalse; }
tresult TARN_VST3_API Vst3View::onKeyDown(char16, int16, int16) { return kResultFalse; }
tresult TARN_VST3_API Vst3View::onKeyUp(char16, int16, int16) { return kResultFalse; }

tresult TARN_VST3_API Vst3View::getSize(ViewRect *size) {
    if (!size) return kInvalidArgument;
    Instrument *body = owner.instrument();
    if (!body) return kResultFalse;
    int32_t width = 0, height = 0;
    body->editorSize(&width, &height);
    *size = ViewRect{0, 0, width, height};
    return kResultOk;
}

// The size is fixed; a host's other wish changes nothing.
tresult TARN_VST3_API Vst3View::onSize(ViewRect *newSize) { return newSize ? kResultOk : kInvalidArgument; }

tresult TARN_VST3_API Vst3View::onFocus(TBool) { return kResultOk; }

tresult TARN_VST3_API Vst3View::setFrame(IPlugFrame *next) {
    if (next == frame) return kResultOk;
    const bool wasRunning = timerRunning;
    stopTimer();
    if (runLoop) runLoop->release();
    runLoop = nullptr;
    if (next) next->addRef();
    if (frame) frame->release();
    frame = next;
    if (frame) {
        void *loop = nullptr;
        if (frame->queryInterface(kIRunLoopIid.bytes, &loop) == kResultOk && loop)
            runLoop = static_cast<FUnknown *>(static_cast<IRunLoop *>(loop));
    }
    if (wasRunning || isAttached) startTimer();
    return kResultOk;
}

tresult TARN_VST3_API Vst3View::canResize() { return kResultFalse; }

tresult TARN_VST3_API Vst3View::checkSizeConstraint(ViewRect *rect) {
    if (!rect) return kInvalidArgument;
    ViewRect fixed{};
    if (getSize(&fixed) != kResultOk) return kResultFalse;
    rect->right = rect->left + fixed.right;
    rect->bottom = rect->top + fixed.bottom;
    return kResultTrue;
}

void TARN_VST3_API Vst3View::onTimer() { owner.tellHost(); }

}  // namespace tarn::vst3
