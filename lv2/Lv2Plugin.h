// The LV2 plug-in instance: the ports, the atom events in, options, state,
// and what the editor side of the same process borrows through
// instance-access.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/Instrument.h"
#include "lv2/EchoGuard.h"
#include "lv2/TransportClock.h"

namespace tarn::lv2door {

class Lv2Plugin final {
public:
    static constexpr int32_t kDefaultMaxFrames = 4096;
    // Sequences longer than this are played in pieces.
    static constexpr int32_t kEventCapacity = 2048;

    // Null when the host lacks urid:map, gives a rate that is no rate, or
    // the instrument cannot be built.
    static Lv2Plugin *create(double sampleRate, const LV2_Feature *const *features);
    ~Lv2Plugin();

    void connect(uint32_t port, void *data);
    void activate();
    void run(uint32_t frames);
    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    Instrument &instrument() { return *inst; }
    EchoGuard &echoes() { return guard; }
    uint64_t framesRun() const { return totalFrames.load(std::memory_order_relaxed); }
    // Which editor side shows the editor now, so a second one closing does
    // not take away the first one's window.
    std::atomic<const void *> editorOwner{nullptr};

private:
    Lv2Plugin() = default;
    void readPorts();
    void readEvents(uint32_t frames);
    void readPosition(const LV2_Atom_Object *object, int32_t offset);
    void add(const InstrumentEvent &event, int32_t frame);
    void flush(int32_t to);

    struct Urids {
        LV2_URID atomSequence, atomObject, atomBlank, atomChunk, atomFloat, atomDouble, atomInt, atomLong;
        LV2_URID midiEvent, timePosition, timeSpeed, timeTempo, timeBeat, timeBar, timeBarBeat, timeBeatsPerBar,
            timeBeatUnit, state;
    } uris = {};

    std::unique_ptr<Instrument> inst;
    double sampleRate = 48000.0;
    int32_t maxFrames = kDefaultMaxFrames;

    const LV2_Atom_Sequence *eventsIn = nullptr;
    float *left = nullptr;
    float *right = nullptr;
    const float *ports[Instrument::kNumParams] = {};
    // The port values as the door last saw them: only a change of one is
    // the host's doing.
    float seen[Instrument::kNumParams] = {};
    std::atomic<bool> adoptPorts{false};

    InstrumentEvent *events = nullptr;
    int32_t eventCount = 0;
    int32_t pieceStart = 0;
    TransportClock clock;
    EchoGuard guard;
    std::atomic<uint64_t> totalFrames{0};
};

}  // namespace tarn::lv2door

namespace tarn::lv2door {
// The plug-in's descriptor, as lv2_descriptor hands it out.
const LV2_Descriptor &pluginDescriptor();
}  // namespace tarn::lv2door
