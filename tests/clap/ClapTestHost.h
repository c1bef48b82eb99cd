// A CLAP host of the tests' own: loads tarnwell.clap through clap_entry and
// records what the plug-in tells it; event lists and streams the tests shape.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clap/ClapAbi.h"
#include "clap/TarnwellClapExtension.h"
#include "tests/clap/ClapSymbol.h"

namespace tarn::claptest {

constexpr const char *kPluginId = "com.brackmoor.tarnwell";

struct ClapModule {
    PluginModule module;
    const clap_plugin_factory_t *factory = nullptr;
    std::string path;

    // Loaded and initialised once per process, as hosts keep a module.
    static ClapModule &shared() {
        static ClapModule m = [] {
            ClapModule c;
            const char *env = std::getenv("TARNWELL_CLAP");
            c.path = hostPath(env ? env : "tarnwell.clap");
            c.module = loadPluginModule(c.path);
            const auto *entry = static_cast<const clap_plugin_entry_t *>(moduleSymbol(c.module, "clap_entry"));
            if (entry && entry->init(c.path.c_str()))
                c.factory = static_cast<const clap_plugin_factory_t *>(entry->get_factory(clapid::kPluginFactory));
            return c;
        }();
        return m;
    }
};

// Events of any type, each in a block of its own.
class EventList {
public:
    EventList() {
        in.ctx = out.ctx = this;
        in.size = [](const clap_input_events_t *l) {
            return static_cast<uint32_t>(static_cast<EventList *>(l->ctx)->events.size());
        };
        in.get = [](const clap_input_events_t *l, uint32_t i) -> const clap_event_header_t * {
            auto &e = static_cast<EventList *>(l->ctx)->events;
            return i < e.size() ? reinterpret_cast<const clap_event_header_t *>(e[i].data()) : nullptr;
        };
        out.try_push = [](const clap_output_events_t *l, const clap_event_header_t *e) {
            static_cast<EventList *>(l->ctx)->addRaw(e);
            return true;
        };
    }

    void addRaw(const clap_event_header_t *e) {
        std::vector<uint64_t> block((e->size + 7) / 8);
        std::memcpy(block.data(), e, e->size);
        events.push_back(std::move(block));
    }
    void note(uint16_t type, uint32_t time, int16_t key, double velocity, int16_t channel = 0) {
        clap_event_note_t e{};
        e.header = {sizeof e, time, kClapCoreEventSpace, type, 0};
        e.note_id = -1;
        e.channel = channel;
        e.key = key;
        e.velocity = velocity;
        addRaw(&e.header);
    }
    void midi(uint32_t time, uint8_t status, uint8_t d1, uint8_t d2) {
        clap_event_midi_t e{};
        e.header = {sizeof e, time, kClapCoreEventSpace, kClapEventMidi, 0};
        e.data[0] = status;
        e.data[1] = d1;
        e.data[2] = d2;
        addRaw(&e.header);
    }
    void param(uint32_t time, clap_id id, double value) {
        clap_event_param_value_t e{};
        e.header = {sizeof e, time, kClapCoreEventSpace, kClapEventParamValue, 0};
        e.param_id = id;
        e.note_id = e.port_index = e.channel = e.key = -1;
        e.value = value;
        addRaw(&e.header);
    }
    size_t size() const { return events.size(); }

    clap_input_events_t in{};
    clap_output_events_t out{};

private:
    std::vector<std::vector<uint64_t>> events;
};

// Bytes in or out, at most `chunk` per call.
class ByteStream {
public:
    explicit ByteStream(std::vector<unsigned char> bytes = {}, size_t chunk = SIZE_MAX)
        : bytes(std::move(bytes)), chunk(chunk) {
        in.ctx = out.ctx = this;
        in.read = [](const clap_istream_t *s, void *buffer, uint64_t size) -> int64_t {
            auto *self = static_cast<ByteStream *>(s->ctx);
            uint64_t n = std::min<uint64_t>({self->bytes.size() - self->pos, size, self->chunk});
            if (n) std::memcpy(buffer, self->bytes.data() + self->pos, n);
            self->pos += n;
            return static_cast<int64_t>(n);
        };
        out.write = [](const clap_ostream_t *s, const void *buffer, uint64_t size) -> int64_t {
            auto *self = static_cast<ByteStream *>(s->ctx);
            uint64_t n = std::min<uint64_t>(size, self->chunk);
            const auto *b = static_cast<const unsigned char *>(buffer);
            self->bytes.insert(self->bytes.end(), b, b + n);
            return static_cast<int64_t>(n);
        };
    }

    std::vector<unsigned char> bytes;
    size_t chunk;
    size_t pos = 0;  // how far the plug-in read
    clap_istream_t in{};
    clap_ostream_t out{};
};

// A settings file in TARNWELL_SETTINGS_DIR for the instances made while it lives.
class Settings {
public:
    explicit Settings(const char *text) {
        const char *dir = std::getenv("TARNWELL_SETTINGS_DIR");
        if (!dir) return;
        file = hostPath(dir) + "/tarnwell.cfg.txt";
        if (FILE *f = std::fopen(file.c_str(), "wb")) {
            std::fputs(text, f);
            std::fclose(f);
        }
    }
    ~Settings() { std::remove(file.c_str()); }
    std::string file;
};

class TestHost {
public:
    TestHost() {
        using H = const clap_host_t *;
        host.clap_version = kClapVersion;
        host.host_data = this;
        host.name = "tarnwell test host";
        host.vendor = host.url = "";
        host.version = "1.0";
        host.get_extension = [](H h, const char *id) -> const void * {
            auto *t = static_cast<TestHost *>(h->host_data);
            if (std::strcmp(id, clapid::kParams) == 0) return &t->params;
            if (std::strcmp(id, clapid::kThreadCheck) == 0) return &t->threads;
            if (std::strcmp(id, clapid::kTimerSupport) == 0) return &t->timers;
            return nullptr;
        };
        host.request_restart = host.request_process = host.request_callback = [](H) {};
        params.rescan = [](H h, uint32_t) { ++static_cast<TestHost *>(h->host_data)->rescans; };
        params.clear = [](H, clap_id, uint32_t) {};
        params.request_flush = [](H h) {
            auto *t = static_cast<TestHost *>(h->host_data);
            if (t->audioThread()) ++t->flushRequestsOnAudio;
        };
        threads.is_main_thread = [](H h) { return !static_cast<TestHost *>(h->host_data)->audioThread(); };
        threads.is_audio_thread = [](H h) { return static_cast<TestHost *>(h->host_data)->audioThread(); };
        timers.register_timer = [](H h, uint32_t, clap_id *id) {
            auto *t = static_cast<TestHost *>(h->host_data);
            t->timerIds.push_back(*id = t->nextTimer++);
            return true;
        };
        timers.unregister_timer = [](H h, clap_id id) {
            auto &ids = static_cast<TestHost *>(h->host_data)->timerIds;
            const auto k = std::find(ids.begin(), ids.end(), id);
            if (k == ids.end()) return false;
            ids.erase(k);
            return true;
        };
    }

    // The thread inside process now.
    static bool &audioThread() {
        static thread_local bool inside = false;
        return inside;
    }

    clap_host_t host{};
    clap_host_params_t params{};
    clap_host_thread_check_t threads{};
    clap_host_timer_support_t timers{};
    std::vector<clap_id> timerIds;
    clap_id nextTimer = 7;
    std::atomic<int> rescans{0}, flushRequestsOnAudio{0};
};

// One instance through the factory, torn down in the order hosts use.
class Plugin {
public:
    explicit Plugin(TestHost &h) {
        const ClapModule &m = ClapModule::shared();
        if (m.factory) p = m.factory->create_plugin(m.factory, &h.host, kPluginId);
        if (!p) return;
        initialised = p->init(p);
        params = ext<clap_plugin_params_t>(clapid::kParams);
        state = ext<clap_plugin_state_t>(clapid::kState);
        gui = ext<clap_plugin_gui_t>(clapid::kGui);
        presets = ext<clap_plugin_preset_load_t>(clapid::kPresetLoad);
    }
    ~Plugin() {
        if (!p) return;
        if (processing) p->stop_processing(p);
        if (active) p->deactivate(p);
        p->destroy(p);
    }

    template <class T>
    const T *ext(const char *id) const {
        return static_cast<const T *>(p->get_extension(p, id));
    }
    bool activate(double rate, uint32_t minFrames, uint32_t maxFrames) {
        return active = p->activate(p, rate, minFrames, maxFrames);
    }
    bool start() { return processing = p->start_processing(p); }
    // Renders into left and right as the audio thread.
    void process(uint32_t frames, EventList *in, EventList *out = nullptr,
                 const clap_event_transport_t *transport = nullptr) {
        left.assign(frames, 0.5f);
        right.assign(frames, 0.5f);
        float *channels[2] = {left.data(), right.data()};
        clap_audio_buffer_t buffer{channels, nullptr, 2, 0, 0};
        EventList none;
        clap_process_t pr{};
        pr.steady_time = steady;
        pr.frames_count = frames;
        pr.transport = transport;
        pr.audio_outputs = &buffer;
        pr.audio_outputs_count = 1;
        pr.in_events = &(in ? in : &none)->in;
        pr.out_events = &(out ? out : &none)->out;
        TestHost::audioThread() = true;
        p->process(p, &pr);
        TestHost::audioThread() = false;
        steady += frames;
    }
    // Parameter changes while not processing, as hosts send them.
    void set(clap_id id, double value) {
        EventList in, out;
        in.param(0, id, value);
        params->flush(p, &in.in, &out.out);
    }
    double value(clap_id id) const {
        double v = -1.0;
        params->get_value(p, id, &v);
        return v;
    }
    std::vector<unsigned char> save(size_t chunk = SIZE_MAX) {
        ByteStream s({}, chunk);
        return state->save(p, &s.out) ? s.bytes : std::vector<unsigned char>{};
    }
    void meshInAudioTime() {
        if (const auto *mesh = ext<tarnwell_clap_mesh_clock_t>(clapid::kTarnwellMeshClock))
            mesh->set_audio_time(p, true);
    }

    const clap_plugin_t *p = nullptr;
    bool initialised = false, active = false, processing = false;
    const clap_plugin_params_t *params = nullptr;
    const clap_plugin_state_t *state = nullptr;
    const clap_plugin_gui_t *gui = nullptr;
    const clap_plugin_preset_load_t *presets = nullptr;
    std::vector<float> left, right;
    int64_t steady = 0;
};

}  // namespace tarn::claptest
