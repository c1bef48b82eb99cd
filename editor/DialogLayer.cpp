#include "editor/DialogLayer.h"

#include <utility>

#include "learn/LearnPrompt.h"

namespace tarn {

void DialogLayer::setViewSize(int width, int height) {
    viewWidth = width;
    viewHeight = height;
    for (Entry &e : entries) e.box.placeIn(viewWidth, viewHeight);
}

void DialogLayer::showMessage(const char *caption, const char *text, std::function<void()> dismissed) {
    PromptBox box = PromptBox::forMessage(caption ? caption : "", text ? text : "", viewWidth);
    box.placeIn(viewWidth, viewHeight);
    entries.push_back({std::move(box), nullptr, std::move(dismissed)});
    pressed = -1;
}

void DialogLayer::run(LearnPrompt &prompt) {
    prompt.attach(this);
    PromptBox box = PromptBox::forLearn(prompt.parameterText(), prompt.currentText(), prompt.heardText());
    box.placeIn(viewWidth, viewHeight);
    entries.push_back({std::move(box), &prompt, nullptr});
    pressed = -1;
}

void DialogLayer::close(LearnPrompt &prompt) {
    for (size_t i = entries.size(); i-- > 0;) {
        if (entries[i].prompt != &prompt) continue;
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
        pressed = -1;
        return;
    }
}

bool DialogLayer::key(Key key) {
    if (entries.empty()) return false;
    const PromptBox &top = entries.back().box;
    answer(key == Key::Enter ? top.enterButton() : top.escapeButton());
    return true;
}

bool DialogLayer::covers(int x, int y) const {
    for (const Entry &e : entries)
        if (e.box.frame().contains(x, y)) return true;
    return false;
}

bool DialogLayer::mouseDown(int x, int y) {
    if (!covers(x, y)) return false;
    pressed = entries.back().box.buttonAt(x, y);
    return true;
}

bool DialogLayer::mouseUp(int x, int y) {
    const int wasPressed = pressed;
    pressed = -1;
    if (wasPressed < 0 || entries.empty()) return false;
    if (entries.back().box.buttonAt(x, y) == wasPressed) answer(wasPressed);
    return true;
}

void DialogLayer::answer(int button) {
    pressed = -1;
    Entry &top = entries.back();
    if (top.prompt == nullptr) {
        std::function<void()> dismissed = std::move(top.dismissed);
        entries.pop_back();
        // May show another box: the list is already in order for it.
        if (dismissed) dismissed();
        return;
    }
    // The sequence closes the prompt (and perhaps others) through close();
    // nothing of the entry is used after.
    LearnPrompt *prompt = top.prompt;
    if (button == top.box.enterButton())
        prompt->assign();
    else
        prompt->cancel();
}

void DialogLayer::refresh() {
    for (Entry &e : entries)
        if (e.prompt != nullptr && e.prompt->poll()) e.box.setLine(PromptBox::kHeardLine, e.prompt->heardText());
}

void DialogLayer::paint() const {
    for (const Entry &e : entries) e.box.paint();
}

void DialogLayer::dropMessages() {
    std::vector<Entry> kept;
    for (Entry &e : entries)
        if (e.prompt != nullptr) kept.push_back(std::move(e));
    entries = std::move(kept);
    pressed = -1;
}

}  // namespace tarn
