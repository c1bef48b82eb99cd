#include <windows.h>

#include "tests/clap/ClapSymbol.h"

void *moduleSymbol(const PluginModule &module, const char *name) {
    if (!module.handle) return nullptr;
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module.handle), name));
}
