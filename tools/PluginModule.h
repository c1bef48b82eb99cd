// A plug-in module loaded into the renderer's process, and its entry point.
#pragma once

#include <string>

#include "plugin/VstAbi.h"

namespace tarn {

using PluginEntry = AEffect *(VSTCALLBACK *)(audioMasterCallback);

class PluginModule final {
public:
    PluginModule() = default;
    ~PluginModule();
    PluginModule(const PluginModule &) = delete;
    PluginModule &operator=(const PluginModule &) = delete;

    // Loads the module and finds VSTPluginMain, or the legacy main. On
    // failure the module is unloaded again and `error` says why.
    bool load(const std::string &path, std::string &error);

    PluginEntry entry() const { return entry_; }
    const std::string &entryName() const { return entryName_; }

    // Unloads now; every instance made from the module must be closed first.
    void unload();

private:
    void *handle_ = nullptr;
    PluginEntry entry_ = nullptr;
    std::string entryName_;
};

// The module the renderer uses by default: tarnwell.so in the build
// directory, which is the parent of the directory holding this program.
// Falls back to the program's own directory when there is none above it.
std::string defaultPluginPath();

}  // namespace tarn
