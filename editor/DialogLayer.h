// The dialogs of an editor that draws them itself: OK boxes and MIDI-learn
// prompts stacked over the view, the newest on top. Only the top box
// answers the mouse and the keyboard, and nothing here waits: a box is
// answered by the events that reach it. Learn prompts belong to their
// sequence and stay up across a close and reopen of the window; OK boxes go
// with the window, unanswered.
//
// One thread at a time: the editor's window thread while the window is
// open, the host's thread otherwise.
#pragma once

#include <functional>
#include <vector>

#include "editor/PromptBox.h"
#include "editor/MessageBox.h"
#include "learn/LearnDialog.h"

namespace tarn {

class DialogLayer final : public MessageBoxSink, public LearnDialogDriver {
public:
    enum class Key { Enter, Escape };

    void setViewSize(int width, int height);

    void showMessage(const char *caption, const char *text, std::function<void()> dismissed) override;
    bool modal() const override { return false; }
    void run(LearnPrompt &prompt) override;
    void close(LearnPrompt &prompt) override;

    bool empty() const { return entries.empty(); }
    size_t size() const { return entries.size(); }
    const PromptBox &box(size_t index) const { return entries[index].box; }

    // Input in drawing space. Each returns true when a box took the event,
    // which then must not reach the view: a press on any box is taken, and
    // a button acts when pressed and released on it with the left button.
    bool covers(int x, int y) const;
    bool key(Key key);
    bool mouseDown(int x, int y);
    bool mouseUp(int x, int y);

    // Shows the controllers the learn prompts have heard since the last call.
    void refresh();
    void paint() const;
    // The window has gone: OK boxes go with it.
    void dropMessages();

private:
    struct Entry {
        PromptBox box;
        LearnPrompt *prompt;
        std::function<void()> dismissed;
    };
    void answer(int button);

    std::vector<Entry> entries;
    int viewWidth = 600;
    int viewHeight = 600;
    int pressed = -1;  // button of the top box the mouse went down on
};

}  // namespace tarn
