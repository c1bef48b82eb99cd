#include "learn/LearnSequence.h"

namespace tarn {

LearnSequence::LearnSequence(LearnTarget &learnTarget, const LearnDialogDriver &dialogDriver)
    : target(&learnTarget), driver(&dialogDriver) {}

LearnSequence::~LearnSequence() {
    for (LearnPrompt *prompt = newestOpen; prompt != nullptr; prompt = prompt->older) {
        prompt->sequence = nullptr;
        if (driver->close) driver->close(*prompt);
    }
}

void LearnSequence::start() {
    position = 0;
    openLearnDialog(order[0]);
}

void LearnSequence::openLearnDialog(int32_t param) {
    // The prompt lives in this frame for exactly as long as its dialog.
    LearnPrompt prompt(this, param);
    prompt.older = newestOpen;
    newestOpen = &prompt;
    active = &prompt;

    if (driver->run) driver->run(prompt);

    if (prompt.detached()) return;  // this sequence was destroyed meanwhile
    for (LearnPrompt **link = &newestOpen; *link != nullptr; link = &(*link)->older) {
        if (*link == &prompt) {
            *link = prompt.older;
            break;
        }
    }
    // A dialog that ended without an answer (it could not be shown) must not
    // stay the active one.
    if (active == &prompt) active = nullptr;
}

void LearnSequence::learnNext() {
    active = nullptr;
    if (position < kLearnCount) ++position;
    if (position < kLearnCount)
        openLearnDialog(order[static_cast<size_t>(position)]);
    else
        target->saveSettings();
}

}  // namespace tarn
