// A small LV2 host on liblilv as Linux hosts are: a bounded block length,
// MIDI and time:Position atoms per run, control ports set between runs.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace tarn::lv2test {

constexpr const char *kUri = "urn:brackmoor:tarnwell";
constexpr uint32_t kFirstParameterPort = 3;
constexpr int kParams = 88;

// Every instance in the process reads it: controller 20 learned for parameter 7.
inline const bool settingsWritten = [] {
    const char *dir = std::getenv("TARNWELL_SETTINGS_DIR");
    if (!dir) return false;
    std::ofstream(std::string(dir) + "/tarnwell.cfg.txt") << "size 600 600\ncc 20 7\n";
    return true;
}();

class UridMap {
public:
    LV2_URID id(const char *uri) { return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second; }
    LV2_URID_Map map{this, [](LV2_URID_Map_Handle h, const char *uri) { return static_cast<UridMap *>(h)->id(uri); }};

private:
    std::map<std::string, LV2_URID> ids;
};

class World {
public:
    World() : world(lilv_world_new()) {
        lilv_world_load_all(world);
        LilvNode *uri = lilv_new_uri(world, kUri);
        plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
        lilv_node_free(uri);
    }
    ~World() { lilv_world_free(world); }
    LilvNode *node(const char *uri) { return lilv_new_uri(world, uri); }
    LilvWorld *world;
    const LilvPlugin *plugin = nullptr;
    UridMap urids;
};

class Instance {
public:
    Instance(World &w, double rate = 48000.0, int32_t maxBlock = 256) : world(w), maxBlock(maxBlock) {
        rateValue = static_cast<float>(rate);
        auto option = [&](const char *key, const char *type, void *value) {
            return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, id(key), 4, id(type), value};
        };
        options[0] = option(LV2_PARAMETERS__sampleRate, LV2_ATOM__Float, &rateValue);
        options[1] = option(LV2_BUF_SIZE__minBlockLength, LV2_ATOM__Int, &minBlock);
        options[2] = option(LV2_BUF_SIZE__maxBlockLength, LV2_ATOM__Int, &this->maxBlock);
        options[3] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        mapFeature = {LV2_URID__map, &w.urids.map};
        optionsFeature = {LV2_OPTIONS__options, options};
        boundedFeature = {LV2_BUF_SIZE__boundedBlockLength, nullptr};
        features[0] = &mapFeature;
        features[1] = &optionsFeature;
        features[2] = &boundedFeature;
        instance = lilv_plugin_instantiate(w.plugin, rate, features);
        if (!instance) return;
        left.assign(4096, 0.0f);
        right.assign(4096, 0.0f);
        controls.resize(kParams);
        for (uint32_t i = 0; i < kParams; ++i) {
            const LilvPort *port = lilv_plugin_get_port_by_index(w.plugin, kFirstParameterPort + i);
            LilvNode *def = nullptr;
            lilv_port_get_range(w.plugin, port, &def, nullptr, nullptr);
            controls[i] = def ? lilv_node_as_float(def) : 0.0f;
            lilv_node_free(def);
            lilv_instance_connect_port(instance, kFirstParameterPort + i, &controls[i]);
        }
        lilv_instance_connect_port(instance, 0, sequence.data());
        lilv_instance_connect_port(instance, 1, left.data());
        lilv_instance_connect_port(instance, 2, right.data());
        lv2_atom_forge_init(&forge, &w.urids.map);
        // Looked up once: a map lookup allocates, and runs are counted.
        u = {id(LV2_MIDI__MidiEvent), id(LV2_TIME__Position), id(LV2_TIME__speed), id(LV2_TIME__bar),
             id(LV2_TIME__barBeat), id(LV2_TIME__beatUnit), id(LV2_TIME__beatsPerBar), id(LV2_TIME__beatsPerMinute)};
        lilv_instance_activate(instance);
        begin();
    }
    ~Instance() {
        if (!instance) return;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }
    explicit operator bool() const { return instance != nullptr; }
    LV2_Handle handle() const { return lilv_instance_get_handle(instance); }

    // Events for the next run, in frame order.
    void midi(int64_t frame, uint8_t status, uint8_t d1, uint8_t d2) {
        const uint8_t msg[3] = {status, d1, d2};
        lv2_atom_forge_frame_time(&forge, frame);
        lv2_atom_forge_atom(&forge, 3, u.midiEvent);
        lv2_atom_forge_write(&forge, msg, 3);
    }
    void position(int64_t frame, float bpm, int64_t bar, float barBeat, float speed) {
        LV2_Atom_Forge_Frame object;
        lv2_atom_forge_frame_time(&forge, frame);
        lv2_atom_forge_object(&forge, &object, 0, u.position);
        auto key = [&](LV2_URID k) { return lv2_atom_forge_key(&forge, k), &forge; };
        lv2_atom_forge_float(key(u.speed), speed);
        lv2_atom_forge_long(key(u.bar), bar);
        lv2_atom_forge_float(key(u.barBeat), barBeat);
        lv2_atom_forge_int(key(u.beatUnit), 4);
        lv2_atom_forge_float(key(u.beatsPerBar), 4.0f);
        lv2_atom_forge_float(key(u.bpm), bpm);
        lv2_atom_forge_pop(&forge, &object);
    }
    // Appends the output, interleaved, to out.
    void run(uint32_t n, std::vector<float> *out = nullptr) {
        lv2_atom_forge_pop(&forge, &seqFrame);
        lilv_instance_run(instance, n);
        if (out)
            for (uint32_t k = 0; k < n; ++k) {
                out->push_back(left[k]);
                out->push_back(right[k]);
            }
        begin();
    }
    const LV2_State_Interface *stateInterface() const {
        return static_cast<const LV2_State_Interface *>(lilv_instance_get_extension_data(instance, LV2_STATE__interface));
    }
    std::vector<unsigned char> stateBytes() {
        const LV2_State_Interface *iface = stateInterface();
        std::vector<unsigned char> bytes;
        if (!iface) return bytes;
        iface->save(
            handle(),
            [](LV2_State_Handle h, uint32_t, const void *value, size_t size, uint32_t, uint32_t) {
                auto *b = static_cast<std::vector<unsigned char> *>(h);
                b->assign(static_cast<const unsigned char *>(value), static_cast<const unsigned char *>(value) + size);
                return LV2_STATE_SUCCESS;
            },
            &bytes, LV2_STATE_IS_POD, nullptr);
        return bytes;
    }
    LilvState *saveState() {
        return lilv_state_new_from_instance(world.plugin, instance, &world.urids.map, nullptr, nullptr, nullptr,
                                            nullptr, portValue, this, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE,
                                            features);
    }
    void restore(const LilvState *state) { lilv_state_restore(state, instance, setPortValue, this, 0, features); }

    LV2_URID id(const char *uri) { return world.urids.id(uri); }
    std::vector<float> controls;

private:
    void begin() {
        lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t *>(sequence.data()), sequence.size() * 8);
        lv2_atom_forge_sequence_head(&forge, &seqFrame, 0);
    }
    // The parameter behind a port symbol, or null.
    float *control(const char *symbol) {
        LilvNode *s = lilv_new_string(world.world, symbol);
        const LilvPort *p = lilv_plugin_get_port_by_symbol(world.plugin, s);
        lilv_node_free(s);
        const uint32_t i = p ? lilv_port_get_index(world.plugin, p) - kFirstParameterPort : UINT32_MAX;
        return i < static_cast<uint32_t>(kParams) ? &controls[i] : nullptr;
    }
    static const void *portValue(const char *symbol, void *self, uint32_t *size, uint32_t *type) {
        auto *me = static_cast<Instance *>(self);
        *size = sizeof(float);
        *type = me->id(LV2_ATOM__Float);
        return me->control(symbol);
    }
    static void setPortValue(const char *symbol, void *self, const void *value, uint32_t size, uint32_t type) {
        auto *me = static_cast<Instance *>(self);
        float *c = me->control(symbol);
        if (c && size == sizeof(float) && type == me->id(LV2_ATOM__Float)) *c = *static_cast<const float *>(value);
    }

    World &world;
    LilvInstance *instance = nullptr;
    std::vector<float> left, right;
    float rateValue = 48000.0f;
    int32_t minBlock = 1, maxBlock;
    LV2_Options_Option options[4];
    LV2_Feature mapFeature, optionsFeature, boundedFeature;
    const LV2_Feature *features[4] = {};
    std::vector<uint64_t> sequence = std::vector<uint64_t>(1 << 15);
    LV2_Atom_Forge forge;
    LV2_Atom_Forge_Frame seqFrame;
    struct {
        LV2_URID midiEvent, position, speed, bar, barBeat, beatUnit, beatsPerBar, bpm;
    } u = {};
};

}  // namespace tarn::lv2test
