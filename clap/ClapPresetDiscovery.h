// The nine factory programs as presets inside the plug-in: one provider,
// one location of kind PLUGIN, load keys "0" to "8" for preset-load.
#pragma once

#include "clap/ClapAbi.h"

namespace tarn {

struct ClapPresetDiscovery {
    static const clap_preset_discovery_factory_t &factory();
};

}  // namespace tarn
