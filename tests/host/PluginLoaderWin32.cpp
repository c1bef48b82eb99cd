#include <windows.h>

#include "PluginLoader.h"

PluginModule loadPluginModule(const std::string &path) {
    PluginModule m;
    HMODULE h = LoadLibraryA(path.c_str());
    m.handle = h;
    if (!h) {
        m.error = "LoadLibrary failed";
        return m;
    }
    m.entry = reinterpret_cast<PluginEntry>(reinterpret_cast<void *>(GetProcAddress(h, "VSTPluginMain")));
    m.legacy = reinterpret_cast<PluginEntry>(reinterpret_cast<void *>(GetProcAddress(h, "main")));
    return m;
}

void unloadPluginModule(PluginModule &m) {
    if (m.handle) FreeLibrary(static_cast<HMODULE>(m.handle));
    m.handle = nullptr;
}

void *pluginSymbol(const PluginModule &m, const char *name) {
    if (!m.handle) return nullptr;
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(m.handle), name));
}
