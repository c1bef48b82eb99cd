#include "editor/MessageBox.h"

#include <atomic>

namespace tarn {

void platformMessageBox(const char *caption, const char *text);

namespace {
std::atomic<MessageBoxHandler> handlerOverride{nullptr};
}

void setMessageBoxHandler(MessageBoxHandler handler) { handlerOverride.store(handler, std::memory_order_release); }

void showMessageBox(const char *caption, const char *text) {
    if (!caption) caption = "";
    if (!text) text = "";
    MessageBoxHandler handler = handlerOverride.load(std::memory_order_acquire);
    if (handler)
        handler(caption, text);
    else
        platformMessageBox(caption, text);
}

}  // namespace tarn
