#include "editor/InstrumentBuilder.h"
#include "lv2/Lv2Plugin.h"

#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>

#include <cstring>
#include <new>

#include "lv2/Lv2Uris.h"

namespace tarn::lv2door {

namespace {

constexpr int32_t kMaxFramesCeiling = 1 << 16;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A host echoing a value the editor reported does so within a few blocks;
// after this long an equal value is the host's own again.
constexpr double kEchoSeconds = 2.0;

}  // namespace

Lv2Plugin *Lv2Plugin::create(double rate, const LV2_Feature *const *features) {
    if (!(rate > 0.0) || rate > 1.0e7) return nullptr;
    const LV2_URID_Map *map = nullptr;
    const LV2_Options_Option *options = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        if (!features[i]->URI) continue;
        if (!std::strcmp(features[i]->URI, LV2_URID__map)) map = static_cast<const LV2_URID_Map *>(features[i]->data);
        if (!std::strcmp(features[i]->URI, LV2_OPTIONS__options))
            options = static_cast<const LV2_Options_Option *>(features[i]->data);
    }
    if (!map || !map->map) return nullptr;

    std::unique_ptr<Lv2Plugin> self(new (std::nothrow) Lv2Plugin);
    if (!self) return nullptr;
    auto id = [map](const char *uri) { return map->map(map->handle, uri); };
    Urids &u = self->uris;
    u.atomSequence = id(LV2_ATOM__Sequence);
    u.atomObject = id(LV2_ATOM__Object);
    u.atomBlank = id(LV2_ATOM__Blank);
    u.atomChunk = id(LV2_ATOM__Chunk);
    u.atomFloat = id(LV2_ATOM__Float);
    u.atomDouble = id(LV2_ATOM__Double);
    u.atomInt = id(LV2_ATOM__Int);
    u.atomLong = id(LV2_ATOM__Long);
    u.midiEvent = id(LV2_MIDI__MidiEvent);
    u.timePosition = id(LV2_TIME__Position);
    u.timeSpeed = id(LV2_TIME__speed);
    u.timeTempo = id(LV2_TIME__beatsPerMinute);
    u.timeBeat = id(LV2_TIME__beat);
    u.timeBar = id(LV2_TIME__bar);
    u.timeBarBeat = id(LV2_TIME__barBeat);
    u.timeBeatsPerBar = id(LV2_TIME__beatsPerBar);
    u.timeBeatUnit = id(LV2_TIME__beatUnit);
    u.state = id(kStateUri);

    const LV2_URID maxLength = id(LV2_BUF_SIZE__maxBlockLength);
    for (const LV2_Options_Option *o = options; o && o->key; ++o) {
        if (o->key != maxLength || !o->value) continue;
        int64_t v = 0;
        if (o->type == u.atomInt && o->size >= sizeof(int32_t)) v = *static_cast<const int32_t *>(o->value);
        if (o->type == u.atomLong && o->size >= sizeof(int64_t)) v = *static_cast<const int64_t *>(o->value);
        // Longer blocks than the ceiling are played in pieces of it.
        if (v > 0) self->maxFrames = static_cast<int32_t>(v < kMaxFramesCeiling ? v : kMaxFramesCeiling);
    }

    self->sampleRate = rate;
    self->clock.setSampleRate(rate);
    self->events = new (std::nothrow) InstrumentEvent[kEventCapacity];
    self->inst = createInstrument();
    if (!self->events || !self->inst) return nullptr;
    for (int32_t i = 0; i < Instrument::kNumParams; ++i) self->seen[i] = self->inst->parameter(i);
    // Ready to run at once: a host that runs before activating (or never
    // activates) must still find buffers for the blocks it announced.
    self->inst->activate(rate, self->maxFrames);
    return self.release();
}

Lv2Plugin::~Lv2Plugin() {
    if (inst) inst->closeEditor();
    delete[] events;
}

void Lv2Plugin::connect(uint32_t port, void *data) {
    if (port == kEventsPort) {
        eventsIn = static_cast<const LV2_Atom_Sequence *>(data);
    } else if (port == kLeftPort) {
        left = static_cast<float *>(data);
    } else if (port == kRightPort) {
        right = static_cast<float *>(data);
    } else if (port >= kFirstParameterPort && port < kFirstParameterPort + Instrument::kNumParams) {
        ports[port - kFirstParameterPort] = static_cast<const float *>(data);
    }
}

void Lv2Plugin::activate() {
    inst->activate(sampleRate, maxFrames);
    clock.reset();
}

void Lv2Plugin::readPorts() {
    // After a restore the ports may still hold what the host had before;
    // the restored state is the truth, and the ports' values are where the
    // host's own changes start from.
    const bool adopt = adoptPorts.exchange(false, std::memory_order_acq_rel);
    const uint64_t now = framesRun();
    const uint64_t window = static_cast<uint64_t>(sampleRate * kEchoSeconds);
    for (int32_t i = 0; i < Instrument::kNumParams; ++i) {
        if (!ports[i]) continue;
        float v = *ports[i];
        if (sameBits(v, seen[i])) continue;
        seen[i] = v;
        if (adopt || guard.isEcho(i, v, now, window)) continue;
        if (!(v >= 0.0f)) v = 0.0f;
        if (v > 1.0f) v = 1.0f;
        if (sameBits(v, inst->parameter(i))) continue;
        add(InstrumentEvent::parameter(0, i, v), 0);
    }
}

void Lv2Plugin::add(const InstrumentEvent &event, int32_t frame) {
    while (frame >= pieceStart + maxFrames) flush(pieceStart + maxFrames);
    if (eventCount == kEventCapacity) flush(frame > pieceStart ? frame : pieceStart + 1);
    InstrumentEvent &e = events[eventCount++];
    e = event;
    e.frame = frame > pieceStart ? frame - pieceStart : 0;
}

void Lv2Plugin::flush(int32_t to) {
    const int32_t n = to - pieceStart;
    if (n <= 0) return;
    inst->process(events, eventCount, left + pieceStart, right + pieceStart, n, clock.current());
    clock.advance(n);
    pieceStart = to;
    eventCount = 0;
}

void Lv2Plugin::readEvents(uint32_t frames) {
    if (!eventsIn || eventsIn->atom.type != uris.atomSequence) return;
    // Every size inside is the host's word: each is checked against the
    // sequence before anything behind it is read.
    const auto *base = reinterpret_cast<const uint8_t *>(&eventsIn->body);
    const std::size_t size = eventsIn->atom.size;
    std::size_t at = sizeof(LV2_Atom_Sequence_Body);
    int32_t last = 0;
    while (at + sizeof(LV2_Atom_Event) <= size) {
        const auto *ev = reinterpret_cast<const LV2_Atom_Event *>(base + at);
        const std::size_t bodySize = ev->body.size;
        if (bodySize > size - at - sizeof(LV2_Atom_Event)) break;
        at += sizeof(LV2_Atom_Event) + ((bodySize + 7u) & ~static_cast<std::size_t>(7u));

        int64_t t = ev->time.frames;
        if (t < last) t = last;
        if (t > static_cast<int64_t>(frames) - 1) t = static_cast<int64_t>(frames) - 1;
        const int32_t frame = static_cast<int32_t>(t);
        last = frame;

        const auto *data = reinterpret_cast<const uint8_t *>(ev + 1);
        if (ev->body.type == uris.midiEvent) {
            // Channel messages only; system messages and SysEx mean nothing here.
            if (bodySize < 1 || data[0] < 0x80 || data[0] >= 0xF0) continue;
            const unsigned char d1 = bodySize > 1 ? data[1] & 0x7F : 0;
            const unsigned char d2 = bodySize > 2 ? data[2] & 0x7F : 0;
            add(InstrumentEvent::midi(0, data[0], d1, d2), frame);
        } else if ((ev->body.type == uris.atomObject || ev->body.type == uris.atomBlank) &&
                   bodySize >= sizeof(LV2_Atom_Object_Body)) {
            const auto *object = reinterpret_cast<const LV2_Atom_Object *>(&ev->body);
            if (object->body.otype != uris.timePosition) continue;
            while (frame >= pieceStart + maxFrames) flush(pieceStart + maxFrames);
            readPosition(object, frame - pieceStart);
        }
    }
}

void Lv2Plugin::readPosition(const LV2_Atom_Object *object, int32_t offset) {
    TransportClock::Position p;
    const auto *base = reinterpret_cast<const uint8_t *>(&object->body);
    const std::size_t size = object->atom.size;
    std::size_t at = sizeof(LV2_Atom_Object_Body);
    while (at + sizeof(LV2_Atom_Property_Body) <= size) {
        const auto *prop = reinterpret_cast<const LV2_Atom_Property_Body *>(base + at);
        const std::size_t valueSize = prop->value.size;
        if (valueSize > size - at - sizeof(LV2_Atom_Property_Body)) break;
        at += sizeof(LV2_Atom_Property_Body) + ((valueSize + 7u) & ~static_cast<std::size_t>(7u));
        const void *body = prop + 1;
        double v = 0.0;
        const LV2_URID type = prop->value.type;
        if (type == uris.atomFloat && valueSize >= sizeof(float)) {
            float f;
            std::memcpy(&f, body, sizeof f);
            v = f;
        } else if (type == uris.atomDouble && valueSize >= sizeof(double)) {
            std::memcpy(&v, body, sizeof v);
        } else if (type == uris.atomInt && valueSize >= sizeof(int32_t)) {
            int32_t n;
            std::memcpy(&n, body, sizeof n);
            v = n;
        } else if (type == uris.atomLong && valueSize >= sizeof(int64_t)) {
            int64_t n;
            std::memcpy(&n, body, sizeof n);
            v = static_cast<double>(n);
        } else {
            continue;
        }
        const LV2_URID key = prop->key;
        if (key == uris.timeSpeed) {
            p.hasSpeed = true;
            p.speed = v;
        } else if (key == uris.timeTempo) {
            p.hasTempo = true;
            p.tempo = v;
        } else if (key == uris.timeBeat) {
            p.hasBeat = true;
            p.beat = v;
        } else if (key == uris.timeBar) {
            p.hasBar = true;
            p.bar = v;
        } else if (key == uris.timeBarBeat) {
            p.hasBarBeat = true;
            p.barBeat = v;
        } else if (key == uris.timeBeatsPerBar) {
            p.hasBeatsPerBar = true;
            p.beatsPerBar = v;
        } else if (key == uris.timeBeatUnit) {
            p.hasBeatUnit = true;
            p.beatUnit = v;
        }
    }
    clock.receive(p, offset);
}

void Lv2Plugin::run(uint32_t frames) {
    if (!left || !right || frames == 0) return;
    const int32_t n = frames > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(frames);
    pieceStart = 0;
    eventCount = 0;
    readPorts();
    readEvents(static_cast<uint32_t>(n));
    while (pieceStart < n) flush(n - pieceStart > maxFrames ? pieceStart + maxFrames : n);
    totalFrames.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
}

LV2_State_Status Lv2Plugin::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (!store) return LV2_STATE_ERR_UNKNOWN;
    unsigned char bytes[Instrument::kStateBytes];
    inst->saveState(bytes);
    return store(handle, uris.state, bytes, sizeof bytes, uris.atomChunk, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2Plugin::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (!retrieve) return LV2_STATE_ERR_UNKNOWN;
    std::size_t size = 0;
    uint32_t type = 0, flags = 0;
    const void *value = retrieve(handle, uris.state, &size, &type, &flags);
    if (!value) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != uris.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
    if (!inst->loadState(static_cast<const unsigned char *>(value), size)) return LV2_STATE_ERR_UNKNOWN;
    adoptPorts.store(true, std::memory_order_release);
    return LV2_STATE_SUCCESS;
}

namespace {

LV2_Handle instantiate(const LV2_Descriptor *, double rate, const char *, const LV2_Feature *const *features) {
    return Lv2Plugin::create(rate, features);
}
void connectPort(LV2_Handle h, uint32_t port, void *data) { static_cast<Lv2Plugin *>(h)->connect(port, data); }
void activatePlugin(LV2_Handle h) { static_cast<Lv2Plugin *>(h)->activate(); }
void runPlugin(LV2_Handle h, uint32_t frames) { static_cast<Lv2Plugin *>(h)->run(frames); }
void cleanup(LV2_Handle h) { delete static_cast<Lv2Plugin *>(h); }

LV2_State_Status saveState(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                           const LV2_Feature *const *) {
    return static_cast<Lv2Plugin *>(h)->save(store, handle);
}
LV2_State_Status restoreState(LV2_Handle h, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                              uint32_t, const LV2_Feature *const *) {
    return static_cast<Lv2Plugin *>(h)->restore(retrieve, handle);
}

const void *extensionData(const char *uri) {
    static const LV2_State_Interface state = {saveState, restoreState};
    if (uri && !std::strcmp(uri, LV2_STATE__interface)) return &state;
    return nullptr;
}

}  // namespace

const LV2_Descriptor &pluginDescriptor() {
    static const LV2_Descriptor descriptor = {kPluginUri, instantiate, connectPort, activatePlugin, runPlugin,
                                              nullptr,    cleanup,     extensionData};
    return descriptor;
}

}  // namespace tarn::lv2door
