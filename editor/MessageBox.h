// Modal, ownerless OK boxes: the about box and the first-run tip.
#pragma once

namespace tarn {

// Blocks until the box is dismissed. Where the platform has no message boxes
// it returns at once.
void showMessageBox(const char *caption, const char *text);

// Tests replace the box with a recorder; null restores the platform's box.
using MessageBoxHandler = void (*)(const char *caption, const char *text);
void setMessageBoxHandler(MessageBoxHandler handler);

}  // namespace tarn
