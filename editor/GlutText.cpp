#include "editor/GlutText.h"

#include <atomic>
#include <mutex>

#include "editor/GlutPlatform.h"

namespace tarn {

namespace {
std::once_flag glutOnce;
std::atomic<bool> glutReady{false};
}  // namespace

void initGlutText() {
    std::call_once(glutOnce, [] { glutReady.store(glutPlatformInit(), std::memory_order_release); });
}

bool glutTextAvailable() {
    initGlutText();
    return glutReady.load(std::memory_order_acquire);
}

int glutTextWidth(const std::string &text) {
    const bool ready = glutTextAvailable();
    int width = 0;
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        width += ready ? glutPlatformCharWidth(c) : kFixedFontAdvance;
    }
    return width;
}

void glutTextDraw(const std::string &text) {
    if (!glutTextAvailable()) return;
    for (char ch : text) glutPlatformDrawChar(static_cast<unsigned char>(ch));
}

}  // namespace tarn
