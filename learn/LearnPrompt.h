// One MIDI-learn dialog's worth of state: which parameter it offers, the
// controller it last showed as heard, and whether it has been answered. The
// platform dialog procedure forwards its messages here, so the behaviour is
// the same whatever draws the dialog.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

class LearnSequence;

class LearnPrompt final {
public:
    static constexpr int32_t kScreenX = 100;
    static constexpr int32_t kScreenY = 100;

    LearnPrompt(LearnSequence *sequence, int32_t parameter);
    LearnPrompt(const LearnPrompt &) = delete;
    LearnPrompt &operator=(const LearnPrompt &) = delete;

    // The dialog has been created (WM_INITDIALOG): records its handle and
    // starts listening afresh, so only controllers moved from now on count.
    void attach(void *dialog);

    std::string parameterText() const;  // the parameter's name
    std::string currentText() const;    // "Current MIDI CC: ..."
    std::string heardText() const;      // "New MIDI CC: ..."
    static std::string currentLabel(int32_t cc);
    static std::string heardLabel(int32_t cc);

    // The dialog's timer: picks up the controller the MIDI thread heard last.
    // True when heardText() changed and the dialog should show it.
    bool poll();

    // The two buttons. Each answers a prompt once; a second press on a
    // dialog still on screen under a newer one does nothing and returns
    // false. When they return true a modal dialog should end (1 and 0); a
    // modeless prompt may already have been closed and freed by then.
    bool assign();
    bool cancel();

    void *dialog() const { return dialogHandle; }
    int32_t parameter() const { return param; }
    int32_t heardController() const { return heard; }
    int32_t x() const { return screenX; }
    int32_t y() const { return screenY; }
    bool answered() const { return done; }
    // True once the sequence that opened it has been destroyed; the dialog
    // then only closes.
    bool detached() const { return sequence == nullptr; }

private:
    friend class LearnSequence;

    bool isActive() const;

    LearnSequence *sequence;
    void *dialogHandle = nullptr;
    int32_t param;
    int32_t heard = 0;
    int32_t screenX = kScreenX;
    int32_t screenY = kScreenY;
    bool done = false;
    bool modeless = false;  // owned by the sequence rather than by a modal run
};

}  // namespace tarn
