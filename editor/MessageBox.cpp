#include "editor/MessageBox.h"

#include <atomic>
#include <utility>

namespace tarn {

void platformMessageBox(const char *caption, const char *text);

namespace {
std::atomic<MessageBoxHandler> handlerOverride{nullptr};
thread_local MessageBoxSink *threadSink = nullptr;
}  // namespace

void setMessageBoxHandler(MessageBoxHandler handler) { handlerOverride.store(handler, std::memory_order_release); }

MessageBoxSink *setThreadMessageBoxSink(MessageBoxSink *sink) {
    MessageBoxSink *previous = threadSink;
    threadSink = sink;
    return previous;
}

void showMessageBox(const char *caption, const char *text, std::function<void()> dismissed) {
    if (!caption) caption = "";
    if (!text) text = "";
    MessageBoxHandler handler = handlerOverride.load(std::memory_order_acquire);
    if (handler) {
        handler(caption, text);
    } else if (threadSink) {
        threadSink->showMessage(caption, text, std::move(dismissed));
        return;
    } else {
        platformMessageBox(caption, text);
    }
    if (dismissed) dismissed();
}

}  // namespace tarn
