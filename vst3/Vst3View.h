// The editor as a VST 3 plug-in view: the instrument's own editor in a child
// of the host's window, at the fixed size the settings file gives. A timer
// on the host's user-interface thread tells the host what the editor
// changed: on Linux the host's run loop when its frame offers one (the
// editor animates on its own thread either way), on Windows a thread timer.
#pragma once

#include <atomic>

#include "vst3/Vst3Abi.h"

namespace tarn::vst3 {

class Vst3Instrument;

class Vst3View final : public IPlugView, public ITimerHandler {
public:
    static constexpr uint32 kTimerMilliseconds = 30;

    explicit Vst3View(Vst3Instrument &owner);
    ~Vst3View();
    Vst3View(const Vst3View &) = delete;
    Vst3View &operator=(const Vst3View &) = delete;

    tresult TARN_VST3_API queryInterface(const TUID iid, void **obj) override;
    uint32 TARN_VST3_API addRef() override;
    uint32 TARN_VST3_API release() override;

    tresult TARN_VST3_API isPlatformTypeSupported(FIDString type) override;
    tresult TARN_VST3_API attached(void *parent, FIDString type) override;
    tresult TARN_VST3_API removed() override;
    tresult TARN_VST3_API onWheel(float distance) override;
    tresult TARN_VST3_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) override;
    tresult TARN_VST3_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) override;
    tresult TARN_VST3_API getSize(ViewRect *size) override;
    tresult TARN_VST3_API onSize(ViewRect *newSize) override;
    tresult TARN_VST3_API onFocus(TBool state) override;
    tresult TARN_VST3_API setFrame(IPlugFrame *frame) override;
    tresult TARN_VST3_API canResize() override;
    tresult TARN_VST3_API checkSizeConstraint(ViewRect *rect) override;

    void TARN_VST3_API onTimer() override;

private:
    // Platform parts (Vst3ViewLinux.cpp, Vst3ViewWin32.cpp).
    static const char *platformType();
    void startTimer();
    void stopTimer();

    std::atomic<uint32> references{1};
    Vst3Instrument &owner;
    IPlugFrame *frame = nullptr;
    bool isAttached = false;
    // The host's run loop (Linux) or the thread timer's id (Windows).
    FUnknown *runLoop = nullptr;
    bool timerRunning = false;
    uintptr_t timerId = 0;
};

}  // namespace tarn::vst3
