// Loads a plug-in module and finds its entry points.
#pragma once

#include <string>

#include "plugin/VstAbi.h"

typedef AEffect *(VSTCALLBACK *PluginEntry)(audioMasterCallback);

struct PluginModule {
    void *handle = nullptr;
    PluginEntry entry = nullptr;   // VSTPluginMain
    PluginEntry legacy = nullptr;  // main
    std::string error;
};

PluginModule loadPluginModule(const std::string &path);
void unloadPluginModule(PluginModule &module);
// Any other export of a loaded module, or null.
void *pluginSymbol(const PluginModule &module, const char *name);

// Paths handed over by the test runner are Unix paths; under Wine they are
// reached through the Z: drive.
inline std::string hostPath(const char *path) {
    std::string p = path ? path : "";
#if defined(_WIN32)
    if (!p.empty() && p[0] == '/') p = "Z:" + p;
#endif
    return p;
}
