// The MIDI-learn sequence started by the editor's MIDI button: one dialog
// per learnable parameter, each offering the last controller heard. Each
// answer opens the next dialog on top of the current one, so the dialogs
// nest; after the last the settings are saved and they all close, the
// newest first. Dialogs may be modal or modeless (see LearnDialogDriver).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "learn/LearnDialog.h"
#include "learn/LearnPrompt.h"
#include "learn/LearnTarget.h"

namespace tarn {

class LearnSequence final {
public:
    static constexpr int32_t kLearnCount = 4;

    LearnSequence(LearnTarget &target, LearnDialogDriver &driver);
    // Dialogs still open (the host closed the instance from inside one) are
    // told to end and cut loose, so they never reach this object again.
    ~LearnSequence();
    LearnSequence(const LearnSequence &) = delete;
    LearnSequence &operator=(const LearnSequence &) = delete;

    // User-interface thread. With a modal driver each may run nested dialogs
    // and return only when they have ended, possibly after this object was
    // destroyed; with a modeless one they return at once.
    void start();
    void openLearnDialog(int32_t param);
    void learnNext();
    // Shows further dialogs through another driver. Modeless dialogs still
    // on screen close unanswered first, as if their window had gone.
    void setDriver(LearnDialogDriver &next);

    // Thread that delivers MIDI: one relaxed store, no waiting and no call
    // into the dialog; the open dialog's timer picks the number up. Numbers
    // outside 0..127 are not controllers and are ignored.
    void controllerSeen(int32_t cc) {
        if (static_cast<uint32_t>(cc) < 128u) heard.store(cc, std::memory_order_relaxed);
    }
    int32_t lastControllerHeard() const { return heard.load(std::memory_order_relaxed); }

    const std::array<int32_t, kLearnCount> &learnOrder() const { return order; }
    int32_t learnPosition() const { return position; }
    const LearnPrompt *activePrompt() const { return active; }
    // Dialogs on screen, oldest first.
    size_t openDialogs() const { return shown.size(); }
    LearnTarget &learnTarget() { return *target; }

private:
    friend class LearnPrompt;

    // Closes answered modeless dialogs from the newest down to the first
    // one still waiting for an answer.
    void closeAnswered();

    LearnTarget *target;
    LearnDialogDriver *driver;
    std::array<int32_t, kLearnCount> order{{0, 1, 2, 3}};
    int32_t position = 0;
    // User-interface thread only.
    LearnPrompt *active = nullptr;
    std::vector<LearnPrompt *> shown;
    // A modal dialog's prompt belongs to the call running it; a modeless
    // one's to the sequence, until it closes.
    std::vector<std::unique_ptr<LearnPrompt>> modeless;
    // The one value the MIDI thread shares with the dialogs.
    std::atomic<int32_t> heard{0};
};

}  // namespace tarn
