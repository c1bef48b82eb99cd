// What the module offers a host: the plug-in factory with its one
// descriptor, and the factory that lists the nine factory programs.
#pragma once

#include "clap/ClapAbi.h"

namespace tarn {

struct ClapFactory {
    // The factory of that exact id, or null.
    static const void *get(const char *factoryId);
};

}  // namespace tarn
