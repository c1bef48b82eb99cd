// Ownerless OK boxes: the about box and the first-run tip.
#pragma once

#include <functional>

namespace tarn {

// Somewhere that shows boxes without waiting for them: the Linux editor
// draws them over its own view.
class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    virtual void showMessage(const char *caption, const char *text, std::function<void()> dismissed) = 0;
};

// Boxes asked for on the calling thread go to sink from now on (null: back
// to the platform's box). Returns the sink it replaces.
MessageBoxSink *setThreadMessageBoxSink(MessageBoxSink *sink);

// Shows a box and calls dismissed once the user has closed it. The
// platform's box (Windows) is modal: this returns after dismissed has run.
// A thread's sink shows it without waiting. Where there is nowhere to show
// a box, dismissed runs at once.
void showMessageBox(const char *caption, const char *text, std::function<void()> dismissed = nullptr);

// Tests replace the box with a recorder, which counts as shown and
// dismissed at once; null restores the platform's box.
using MessageBoxHandler = void (*)(const char *caption, const char *text);
void setMessageBoxHandler(MessageBoxHandler handler);

}  // namespace tarn
