// A named export of a module the test loaded with loadPluginModule.
#pragma once

#include "tests/host/PluginLoader.h"

void *moduleSymbol(const PluginModule &module, const char *name);
