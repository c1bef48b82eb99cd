#include <dlfcn.h>

#include "tests/clap/ClapSymbol.h"

void *moduleSymbol(const PluginModule &module, const char *name) {
    return module.handle ? dlsym(module.handle, name) : nullptr;
}
