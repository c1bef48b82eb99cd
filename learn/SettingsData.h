// What the settings file holds once read: the editor size, whether a file
// existed at all, and the controller bindings in the order the file gave them.
#pragma once

#include <cstdint>
#include <vector>

namespace tarn {

struct SettingsBinding {
    int32_t controller;
    int32_t parameter;
};

struct SettingsData {
    static constexpr int32_t kDefaultEditorSize = 600;

    int32_t editorWidth = kDefaultEditorSize;
    int32_t editorHeight = kDefaultEditorSize;
    bool firstRun = true;
    std::vector<SettingsBinding> bindings;
};

}  // namespace tarn
