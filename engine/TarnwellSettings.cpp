// The settings file: controller bindings and the editor size.
#include "engine/Tarnwell.h"
#include "learn/ModulePath.h"
#include "learn/Settings.h"

namespace tarn {

void Tarnwell::loadSettings() {
    const std::string path = settingsFilePath();
    if (path.empty()) return;
    SettingsData data;
    data.editorWidth = editorWidth;
    data.editorHeight = editorHeight;
    if (!loadSettingsFile(path, data, controllerMap)) return;
    editorWidth = data.editorWidth;
    editorHeight = data.editorHeight;
    firstRun.store(false, std::memory_order_relaxed);
}

void Tarnwell::saveSettings() {
    firstRun.store(false, std::memory_order_relaxed);
    const std::string path = settingsFilePathForWriting();
    if (path.empty()) return;
    saveSettingsFile(path, editorWidth, editorHeight, controllerMap);
}

}  // namespace tarn
