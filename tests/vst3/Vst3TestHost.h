// A VST 3 host of our own for the tests: loads the bundle's module as hosts
// do and supplies the host's side of the interface.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "PluginLoader.h"
#include "vst3/Vst3Abi.h"

namespace tarn::vst3test {

using namespace tarn::vst3;

template <class Interface>
class HostObject : public Interface {
public:
    explicit HostObject(const Uid &iid) : iid(iid) {}
    tresult TARN_VST3_API queryInterface(const TUID asked, void **obj) override {
        *obj = kFUnknownIid == asked || iid == asked ? static_cast<Interface *>(this) : nullptr;
        return *obj ? (addRef(), kResultOk) : kNoInterface;
    }
    uint32 TARN_VST3_API addRef() override { return ++count; }
    uint32 TARN_VST3_API release() override { return --count; }
    uint32 count = 1;

private:
    Uid iid;
};

// At most chunk bytes per read, as windowed host streams give.
class MemoryStream final : public HostObject<IBStream> {
public:
    explicit MemoryStream(std::vector<unsigned char> bytes = {}, int32 chunk = 1 << 30)
        : HostObject(kIBStreamIid), bytes(std::move(bytes)), chunk(chunk) {}
    tresult TARN_VST3_API read(void *buffer, int32 n, int32 *got) override {
        const int32 k = std::max<int64>(0, std::min<int64>({n, chunk, static_cast<int64>(bytes.size()) - pos}));
        if (k > 0) std::memcpy(buffer, bytes.data() + pos, static_cast<size_t>(k));
        pos += k;
        if (got) *got = k;
        return kResultOk;
    }
    tresult TARN_VST3_API write(void *buffer, int32 n, int32 *put) override {
        bytes.insert(bytes.end(), static_cast<unsigned char *>(buffer), static_cast<unsigned char *>(buffer) + n);
        if (put) *put = n;
        return kResultOk;
    }
    tresult TARN_VST3_API seek(int64, int32, int64 *) override { return kNotImplemented; }
    tresult TARN_VST3_API tell(int64 *) override { return kNotImplemented; }
    std::vector<unsigned char> bytes;
    int64 pos = 0;
    int32 chunk;
};

class EventList final : public HostObject<IEventList> {
public:
    EventList() : HostObject(kIEventListIid) {}
    int32 TARN_VST3_API getEventCount() override { return static_cast<int32>(events.size()); }
    tresult TARN_VST3_API getEvent(int32 i, Event *e) override {
        if (i < 0 || i >= getEventCount()) return kInvalidArgument;
        *e = events[static_cast<size_t>(i)];
        return kResultOk;
    }
    tresult TARN_VST3_API addEvent(Event *e) override { return events.push_back(*e), kResultOk; }
    void note(int32 offset, int pitch, int velocity, bool on) {
        Event e{};
        e.sampleOffset = offset;
        e.type = on ? Event::kNoteOnEvent : Event::kNoteOffEvent;
        const auto fill = [&](auto &n) {
            n.pitch = static_cast<int16>(pitch);
            n.velocity = static_cast<float>(velocity / 127.0);
            n.noteId = -1;
        };
        on ? fill(e.noteOn) : fill(e.noteOff);
        events.push_back(e);
    }
    std::vector<Event> events;
};

class ParamQueue final : public HostObject<IParamValueQueue> {
public:
    explicit ParamQueue(ParamID id) : HostObject(kIParamValueQueueIid), id(id) {}
    ParamID TARN_VST3_API getParameterId() override { return id; }
    int32 TARN_VST3_API getPointCount() override { return static_cast<int32>(points.size()); }
    tresult TARN_VST3_API getPoint(int32 i, int32 *offset, ParamValue *value) override {
        if (i < 0 || i >= getPointCount()) return kInvalidArgument;
        *offset = points[static_cast<size_t>(i)].first;
        *value = points[static_cast<size_t>(i)].second;
        return kResultOk;
    }
    tresult TARN_VST3_API addPoint(int32 offset, ParamValue value, int32 *index) override {
        points.push_back({offset, value});
        if (index) *index = getPointCount() - 1;
        return kResultOk;
    }
    ParamID id;
    std::vector<std::pair<int32, ParamValue>> points;
};

class ParamChanges final : public HostObject<IParameterChanges> {
public:
    ParamChanges() : HostObject(kIParameterChangesIid) { queues.reserve(64); }
    int32 TARN_VST3_API getParameterCount() override { return static_cast<int32>(queues.size()); }
    IParamValueQueue *TARN_VST3_API getParameterData(int32 i) override {
        return i >= 0 && i < getParameterCount() ? &queues[static_cast<size_t>(i)] : nullptr;
    }
    IParamValueQueue *TARN_VST3_API addParameterData(const ParamID *id, int32 *index) override {
        size_t i = 0;
        while (i < queues.size() && queues[i].id != *id) ++i;
        if (i == queues.size()) queues.emplace_back(*id);
        if (index) *index = static_cast<int32>(i);
        return &queues[i];
    }
    void point(ParamID id, int32 offset, ParamValue value) {
        addParameterData(&id, nullptr)->addPoint(offset, value, nullptr);
    }
    std::vector<ParamQueue> queues;
};

// Hosts take edits only on their user-interface thread: the test's own.
class Handler final : public HostObject<IComponentHandler> {
public:
    Handler() : HostObject(kIComponentHandlerIid) {}
    tresult TARN_VST3_API beginEdit(ParamID id) override { return log('b', id); }
    tresult TARN_VST3_API performEdit(ParamID id, ParamValue) override { return log('p', id); }
    tresult TARN_VST3_API endEdit(ParamID id) override { return log('e', id); }
    tresult TARN_VST3_API restartComponent(int32 flags) override { return log('r', static_cast<ParamID>(flags)); }
    int count(char kind, ParamID id) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), std::pair<char, ParamID>(kind, id)));
    }
    bool allOnThisThread() const { return !offThread; }
    std::vector<std::pair<char, ParamID>> calls;

private:
    tresult log(char kind, ParamID id) {
        calls.push_back({kind, id});
        offThread |= std::this_thread::get_id() != owner;
        return kResultOk;
    }
    std::thread::id owner = std::this_thread::get_id();
    bool offThread = false;
};

// Loaded once per program as a host does: entry first, exit before unloading.
class Vst3Module {
public:
    static Vst3Module &shared() {
        static Vst3Module m(std::getenv("TARNWELL_VST3_MODULE"));
        return m;
    }
    explicit Vst3Module(const char *path) : module(loadPluginModule(hostPath(path))) {
#if defined(_WIN32)
        if (auto entry = reinterpret_cast<bool (*)()>(pluginSymbol(module, "InitDll"))) entered = entry();
#else
        if (auto entry = reinterpret_cast<bool (*)(void *)>(pluginSymbol(module, "ModuleEntry")))
            entered = entry(module.handle);
#endif
        if (auto get = reinterpret_cast<IPluginFactory *(TARN_VST3_API *)()>(pluginSymbol(module, "GetPluginFactory")))
            factory = get();
    }
    ~Vst3Module() {
        if (factory) factory->release();
#if defined(_WIN32)
        if (auto exit = reinterpret_cast<bool (*)()>(pluginSymbol(module, "ExitDll"))) exit();
#else
        if (auto exit = reinterpret_cast<bool (*)()>(pluginSymbol(module, "ModuleExit"))) exit();
#endif
        unloadPluginModule(module);
    }
    PluginModule module;
    bool entered = false;
    IPluginFactory *factory = nullptr;
};

template <class I>
I *query(FUnknown *object, const Uid &iid) {
    void *p = nullptr;
    return object && object->queryInterface(iid.bytes, &p) == kResultOk ? static_cast<I *>(p) : nullptr;
}

// Driven as Ardour does: one object initialized as component and controller.
class Vst3Instance {
public:
    static constexpr int kRate = 48000;
    static constexpr int kBlock = 256;

    Vst3Instance() {
        IPluginFactory *f = Vst3Module::shared().factory;
        PClassInfo info{};
        void *obj = nullptr;
        if (!f || f->getClassInfo(0, &info) != kResultOk ||
            f->createInstance(info.cid, kIComponentIid.bytes, &obj) != kResultOk)
            return;
        component = static_cast<IComponent *>(obj);
        processor = query<IAudioProcessor>(component, kIAudioProcessorIid);
        controller = query<IEditController>(component, kIEditControllerIid);
        mapping = query<IMidiMapping>(component, kIMidiMappingIid);
    }
    ~Vst3Instance() {
        stop();
        for (FUnknown *i : std::initializer_list<FUnknown *>{mapping, controller, processor, component})
            if (i) i->release();
    }

    bool ok() const { return component && processor && controller && mapping; }
    void initialize() {
        ASSERT_EQ(kResultOk, component->initialize(nullptr));
        ASSERT_EQ(kResultOk, controller->initialize(nullptr));
        initialized = true;
        ASSERT_EQ(kResultOk, controller->setComponentHandler(&handler));
    }
    void start() {
        if (!initialized) initialize();
        SpeakerArrangement stereo = kStereo;
        EXPECT_EQ(kResultTrue, processor->setBusArrangements(nullptr, 0, &stereo, 1));
        ProcessSetup setup{kRealtime, kSample32, kBlock, static_cast<double>(kRate)};
        ASSERT_EQ(kResultOk, processor->setupProcessing(&setup));
        ASSERT_EQ(kResultOk, component->setActive(1));
        ASSERT_EQ(kResultOk, processor->setProcessing(1));
        processing = true;
    }
    void stop() {
        if (processing) processor->setProcessing(0), component->setActive(0);
        if (initialized) controller->terminate(), component->terminate();
        processing = initialized = false;
    }

    // One block into left and right; the context when tempo > 0.
    void render(int frames, EventList *events = nullptr, ParamChanges *changes = nullptr, double tempo = 0.0,
                   double beats = 0.0) {
        left.assign(static_cast<size_t>(frames), 1.0f);
        right.assign(static_cast<size_t>(frames), 1.0f);
        float *channels[2] = {left.data(), right.data()};
        AudioBusBuffers out{};
        out.numChannels = 2;
        out.channelBuffers32 = channels;
        ProcessContext context{};
        context.sampleRate = kRate;
        context.tempo = tempo;
        context.projectTimeMusic = beats;
        context.state = ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid | ProcessContext::kPlaying;
        ProcessData data{kRealtime, kSample32, frames, 0, 1, nullptr, &out, changes, outputChanges, events, nullptr,
                         tempo > 0.0 ? &context : nullptr};
        processor->process(&data);
    }

    IComponent *component = nullptr;
    IAudioProcessor *processor = nullptr;
    IEditController *controller = nullptr;
    IMidiMapping *mapping = nullptr;
    Handler handler;
    bool initialized = false, processing = false;
    std::vector<float> left, right;
    ParamChanges *outputChanges = nullptr;
};

inline std::string narrow(const TChar *s) {
    std::string out;
    for (; *s; ++s) out.push_back(*s < 128 ? static_cast<char>(*s) : '?');
    return out;
}

}  // namespace tarn::vst3test
