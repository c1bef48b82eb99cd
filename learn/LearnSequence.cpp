#include "learn/LearnSequence.h"

#include <algorithm>

namespace tarn {

LearnSequence::LearnSequence(LearnTarget &learnTarget, LearnDialogDriver &dialogDriver)
    : target(&learnTarget), driver(&dialogDriver) {}

LearnSequence::~LearnSequence() {
    for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
        (*it)->sequence = nullptr;
        driver->close(**it);
    }
}

void LearnSequence::start() {
    position = 0;
    openLearnDialog(order[0]);
}

void LearnSequence::openLearnDialog(int32_t param) {
    auto prompt = std::make_unique<LearnPrompt>(this, param);
    LearnPrompt *opened = prompt.get();
    opened->modeless = !driver->modal();
    shown.push_back(opened);
    active = opened;

    if (opened->modeless) {
        modeless.push_back(std::move(prompt));
        driver->run(*opened);
        return;
    }

    driver->run(*opened);
    if (opened->detached()) return;  // this sequence was destroyed meanwhile
    shown.erase(std::remove(shown.begin(), shown.end(), opened), shown.end());
    // A dialog that ended without an answer (it could not be shown) must not
    // stay the active one.
    if (active == opened) active = nullptr;
}

void LearnSequence::learnNext() {
    active = nullptr;
    if (position < kLearnCount) ++position;
    if (position < kLearnCount)
        openLearnDialog(order[static_cast<size_t>(position)]);
    else
        target->saveSettings();
}

void LearnSequence::setDriver(LearnDialogDriver &next) {
    if (&next == driver) return;
    for (size_t i = shown.size(); i-- > 0;) {
        LearnPrompt *closing = shown[i];
        if (!closing->modeless) continue;
        if (active == closing) active = nullptr;
        driver->close(*closing);
        shown.erase(shown.begin() + static_cast<std::ptrdiff_t>(i));
    }
    modeless.clear();
    driver = &next;
}

void LearnSequence::closeAnswered() {
    while (!shown.empty() && shown.back()->modeless && shown.back()->answered()) {
        LearnPrompt *closing = shown.back();
        shown.pop_back();
        if (active == closing) active = nullptr;
        driver->close(*closing);
        modeless.erase(std::remove_if(modeless.begin(), modeless.end(),
                                      [closing](const std::unique_ptr<LearnPrompt> &p) { return p.get() == closing; }),
                       modeless.end());
    }
}

}  // namespace tarn
