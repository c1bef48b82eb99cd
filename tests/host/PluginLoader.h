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
