#include "clap/ClapFactory.h"

#include <cstring>

#include "clap/ClapPlugin.h"
#include "clap/ClapPresetDiscovery.h"

namespace tarn {

namespace {

uint32_t CLAP_CALL pluginCount(const clap_plugin_factory_t *) { return 1; }

const clap_plugin_descriptor_t *CLAP_CALL pluginDescriptor(const clap_plugin_factory_t *, uint32_t index) {
    return index == 0 ? &ClapPlugin::descriptor() : nullptr;
}

const clap_plugin_t *CLAP_CALL createPlugin(const clap_plugin_factory_t *, const clap_host_t *host,
                                            const char *pluginId) {
    // A 0.x host predates the frozen interface.
    if (!host || host->clap_version.major < 1 || !pluginId) return nullptr;
    if (std::strcmp(pluginId, ClapPlugin::descriptor().id) != 0) return nullptr;
    return ClapPlugin::create(host);
}

const clap_plugin_factory_t kPluginFactory = {pluginCount, pluginDescriptor, createPlugin};

}  // namespace

const void *ClapFactory::get(const char *factoryId) {
    if (!factoryId) return nullptr;
    if (std::strcmp(factoryId, clapid::kPluginFactory) == 0) return &kPluginFactory;
    if (std::strcmp(factoryId, clapid::kPresetDiscoveryFactory) == 0 ||
        std::strcmp(factoryId, clapid::kPresetDiscoveryFactoryCompat) == 0)
        return &ClapPresetDiscovery::factory();
    return nullptr;
}

}  // namespace tarn
