#include <dlfcn.h>

#include "PluginLoader.h"

PluginModule loadPluginModule(const std::string &path) {
    PluginModule m;
    m.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m.handle) {
        m.error = dlerror();
        return m;
    }
    m.entry = reinterpret_cast<PluginEntry>(dlsym(m.handle, "VSTPluginMain"));
    m.legacy = reinterpret_cast<PluginEntry>(dlsym(m.handle, "main"));
    return m;
}

void unloadPluginModule(PluginModule &m) {
    if (m.handle) dlclose(m.handle);
    m.handle = nullptr;
}

void *pluginSymbol(const PluginModule &m, const char *name) { return m.handle ? dlsym(m.handle, name) : nullptr; }
