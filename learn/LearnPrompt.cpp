#include "learn/LearnPrompt.h"

#include <cstdio>

#include "learn/ControllerMap.h"
#include "learn/LearnSequence.h"

namespace tarn {

namespace {
constexpr size_t kNameCapacity = 64;
}

LearnPrompt::LearnPrompt(LearnSequence *owner, int32_t parameter) : sequence(owner), param(parameter) {}

bool LearnPrompt::isActive() const { return sequence != nullptr && sequence->active == this; }

void LearnPrompt::attach(void *dialog) {
    dialogHandle = dialog;
    heard = 0;
    if (isActive()) sequence->heard.store(0, std::memory_order_relaxed);
}

std::string LearnPrompt::parameterText() const {
    if (sequence == nullptr) return std::string();
    char name[kNameCapacity] = {};
    sequence->target->parameterName(param, name, sizeof name);
    return name;
}

std::string LearnPrompt::currentText() const {
    const ControllerMap *map = sequence ? sequence->target->controllers() : nullptr;
    return currentLabel(map ? map->controllerFor(param) : 0);
}

std::string LearnPrompt::heardText() const { return heardLabel(heard); }

std::string LearnPrompt::currentLabel(int32_t cc) {
    char text[48];
    if (cc > 0)
        std::snprintf(text, sizeof text, "Current MIDI CC: %d", static_cast<int>(cc));
    else
        std::snprintf(text, sizeof text, "Current MIDI CC: none");
    return text;
}

std::string LearnPrompt::heardLabel(int32_t cc) {
    char text[48];
    if (cc > 0)
        std::snprintf(text, sizeof text, "New MIDI CC: %d", static_cast<int>(cc));
    else
        std::snprintf(text, sizeof text, "New MIDI CC: none");
    return text;
}

bool LearnPrompt::poll() {
    if (done || !isActive()) return false;
    const int32_t now = sequence->lastControllerHeard();
    if (now == heard) return false;
    heard = now;
    return true;
}

bool LearnPrompt::assign() {
    if (done || sequence == nullptr) return false;
    done = true;
    // The last controller moved before the press wins, even one the timer
    // has not shown yet.
    if (isActive()) heard = sequence->lastControllerHeard();
    LearnSequence *owner = sequence;
    if (ControllerMap *map = owner->target->controllers()) {
        if (heard > 0)
            map->assign(heard, param);
        else
            map->forgetControllerOf(param);
    }
    owner->target->saveSettings();
    const bool settle = modeless;
    // A modal run may open the remaining dialogs and return only after they
    // have all ended, by which time the owner may be gone: nothing of it is
    // used after. A modeless one returns at once with the owner still here,
    // and closing the answered dialogs may free this prompt.
    owner->learnNext();
    if (settle) owner->closeAnswered();
    return true;
}

bool LearnPrompt::cancel() {
    if (done || sequence == nullptr) return false;
    done = true;
    LearnSequence *owner = sequence;
    const bool settle = modeless;
    owner->learnNext();
    if (settle) owner->closeAnswered();
    return true;
}

}  // namespace tarn
