#include "clap/ClapPresetDiscovery.h"

#include <cstring>
#include <new>

#include "clap/ClapPlugin.h"
#include "engine/Instrument.h"
#include "engine/InstrumentIdentity.h"

namespace tarn {

namespace {

const clap_preset_discovery_provider_descriptor_t kProvider = {
    kClapVersion, "com.brackmoor.tarnwell.factory-programs", "Tarnwell factory programs", InstrumentIdentity::kVendor};

const char *const kLoadKeys[Instrument::kNumPrograms] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};

struct Provider {
    clap_preset_discovery_provider_t table;
    const clap_preset_discovery_indexer_t *indexer;
};

bool CLAP_CALL providerInit(const clap_preset_discovery_provider_t *p) {
    const auto *self = static_cast<const Provider *>(p->provider_data);
    if (!self->indexer || !self->indexer->declare_location) return false;
    const clap_preset_discovery_location_t location = {kClapPresetIsFactoryContent, "Factory programs",
                                                       kClapPresetLocationPlugin, nullptr};
    return self->indexer->declare_location(self->indexer, &location);
}

void CLAP_CALL providerDestroy(const clap_preset_discovery_provider_t *p) {
    delete static_cast<Provider *>(p->provider_data);
}

bool CLAP_CALL providerMetadata(const clap_preset_discovery_provider_t *, uint32_t kind, const char *location,
                                const clap_preset_discovery_metadata_receiver_t *receiver) {
    if (kind != kClapPresetLocationPlugin || location || !receiver || !receiver->begin_preset) return false;
    const clap_universal_plugin_id_t id = {"clap", ClapPlugin::descriptor().id};
    for (int32_t program = 0; program < Instrument::kNumPrograms; ++program) {
        // The factory names, whatever an instance has renamed since.
        char name[64] = {};
        Instrument::factoryProgramName(program, name, sizeof name);
        if (!receiver->begin_preset(receiver, name, kLoadKeys[program])) break;
        if (receiver->add_plugin_id) receiver->add_plugin_id(receiver, &id);
        if (receiver->set_flags) receiver->set_flags(receiver, kClapPresetIsFactoryContent);
    }
    return true;
}

const void *CLAP_CALL providerExtension(const clap_preset_discovery_provider_t *, const char *) { return nullptr; }

uint32_t CLAP_CALL providerCount(const clap_preset_discovery_factory_t *) { return 1; }

const clap_preset_discovery_provider_descriptor_t *CLAP_CALL providerDescriptor(
    const clap_preset_discovery_factory_t *, uint32_t index) {
    return index == 0 ? &kProvider : nullptr;
}

const clap_preset_discovery_provider_t *CLAP_CALL createProvider(const clap_preset_discovery_factory_t *,
                                                                 const clap_preset_discovery_indexer_t *indexer,
                                                                 const char *providerId) {
    if (!indexer || !providerId || std::strcmp(providerId, kProvider.id) != 0) return nullptr;
    Provider *p = new (std::nothrow) Provider;
    if (!p) return nullptr;
    p->indexer = indexer;
    p->table = {&kProvider, p, providerInit, providerDestroy, providerMetadata, providerExtension};
    return &p->table;
}

const clap_preset_discovery_factory_t kFactory = {providerCount, providerDescriptor, createProvider};

}  // namespace

const clap_preset_discovery_factory_t &ClapPresetDiscovery::factory() { return kFactory; }

}  // namespace tarn
