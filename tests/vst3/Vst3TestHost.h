// A VST 3 host of our own for the tests: loads the bundle's module as hosts
// do, and supplies the host's side of the interface (streams, event lists,
// parameter queues, a component handler that records what it hears, a plug
// frame with or without a run loop).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "PluginLoader.h"
#include "vst3/Vst3Abi.h"

namespace tarn::vst3test {

using namespace tarn::vst3;

// Host objects live on the test's stack; their counts only have to hold up.
template <class Interface>
class HostObject : public Interface {
public:
    explicit HostObject(const Uid &iid) : iid(iid) {}
    tresult TARN_VST3_API queryInterface(const TUID asked, void **obj) override {
        if (kFUnknownIid == asked || iid == asked) {
            *obj = static_cast<Interface *>(this);
            addRef();
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 TARN_VST3_API addRef() override { return ++count; }
    uint32 TARN_VST3_API release() override { return --count; }
    uint32 count = 1;

private:
    Uid iid;
};

// A memory stream that hands out at most chunk bytes per read, as windowed
// host streams may, and that can start partway into its bytes.
class MemoryStream final : public HostObject<IBStream> {
public:
    explicit MemoryStream(std::vector<unsigned char> bytes = {}, int32 chunk = 1 << 30)
        : HostObject(kIBStreamIid), bytes(std::move(bytes)), chunk(chunk) {}
    tresult TARN_VST3_API read(void *buffer, int32 n, int32 *got) override {
        if (failing) return kInternalError;
        int32 k = n < chunk ? n : chunk;
        const int64 left = static_cast<int64>(bytes.size()) - pos;
        if (k > left) k = static_cast<int32>(left < 0 ? 0 : left);
        if (k > 0) std::memcpy(buffer, bytes.data() + pos, static_cast<size_t>(k));
        pos += k;
        if (got) *got = k;
        return kResultOk;
    }
    tresult TARN_VST3_API write(void *buffer, int32 n, int32 *put) override {
        if (failing) return kInternalError;
        int32 k = n < chunk ? n : chunk;
        if (bytes.size() < static_cast<size_t>(pos + k)) bytes.resize(static_cast<size_t>(pos + k));
        std::memcpy(bytes.data() + pos, buffer, static_cast<size_t>(k));
        pos += k;
        if (put) *put = k;
        return kResultOk;
    }
    tresult TARN_VST3_API seek(int64 to, int32 mode, int64 *result) override {
        const int64 base = mode == kIBSeekSet ? 0 : mode == kIBSeekCur ? pos : static_cast<int64>(bytes.size());
        if (base + to < 0) return kInvalidArgument;
        pos = base + to;
        if (result) *result = pos;
        return kResultOk;
    }
    tresult TARN_VST3_API tell(int64 *at) override {
        if (at) *at = pos;
        return kResultOk;
    }
    std::vector<unsigned char> bytes;
    int64 pos = 0;
    int32 chunk;
    bool failing = false;
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
    tresult TARN_VST3_API addEvent(Event *e) override {
        events.push_back(*e);
        return kResultOk;
    }
    void note(int32 offset, int pitch, int velocity, bool on = true) {
        Event e{};
        e.sampleOffset = offset;
        e.type = on ? Event::kNoteOnEvent : Event::kNoteOffEvent;
        if (on) {
            e.noteOn.pitch = static_cast<int16>(pitch);
            e.noteOn.velocity = static_cast<float>(velocity / 127.0);
            e.noteOn.noteId = -1;
        } else {
            e.noteOff.pitch = static_cast<int16>(pitch);
            e.noteOff.velocity = static_cast<float>(velocity / 127.0);
            e.noteOff.noteId = -1;
        }
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
        for (size_t i = 0; i < queues.size(); ++i)
            if (queues[i].id == *id) {
                if (index) *index = static_cast<int32>(i);
                return &queues[i];
            }
        queues.emplace_back(*id);
        if (index) *index = getParameterCount() - 1;
        return &queues.back();
    }
    void point(ParamID id, int32 offset, ParamValue value) { addParameterData(&id, nullptr)->addPoint(offset, value, nullptr); }
    std::vector<ParamQueue> queues;
};

struct HandlerCall {
    char kind;  // b(egin), p(erform), e(nd), r(estart)
    ParamID id;
    double value;
    std::thread::id thread;
};

class Handler final : public HostObject<IComponentHandler> {
public:
    Handler() : HostObject(kIComponentHandlerIid) {}
    tresult TARN_VST3_API beginEdit(ParamID id) override { return log('b', id, 0); }
    tresult TARN_VST3_API performEdit(ParamID id, ParamValue v) override { return log('p', id, v); }
    tresult TARN_VST3_API endEdit(ParamID id) override { return log('e', id, 0); }
    tresult TARN_VST3_API restartComponent(int32 flags) override { return log('r', static_cast<ParamID>(flags), 0); }
    int count(char kind, ParamID id) const {
        int n = 0;
        for (const auto &c : calls) n += c.kind == kind && c.id == id;
        return n;
    }
    std::vector<HandlerCall> calls;

private:
    tresult log(char kind, ParamID id, double v) {
        calls.push_back({kind, id, v, std::this_thread::get_id()});
        return kResultOk;
    }
};

// A frame that offers a run loop, as some Linux hosts do, recording the
// timers the view registers; the test fires them.
class RunLoopFrame final : public IPlugFrame, public IRunLoop {
public:
    tresult TARN_VST3_API queryInterface(const TUID iid, void **obj) override {
        if (kFUnknownIid == iid || kIPlugFrameIid == iid) {
            *obj = static_cast<IPlugFrame *>(this);
        } else if (kIRunLoopIid == iid && offerRunLoop) {
            *obj = static_cast<IRunLoop *>(this);
        } else {
            *obj = nullptr;
            return kNoInterface;
        }
        ++count;
        return kResultOk;
    }
    uint32 TARN_VST3_API addRef() override { return ++count; }
    uint32 TARN_VST3_API release() override { return --count; }
    tresult TARN_VST3_API resizeView(IPlugView *, ViewRect *) override { return kResultOk; }
    tresult TARN_VST3_API registerEventHandler(IEventHandler *, FileDescriptor) override { return kResultOk; }
    tresult TARN_VST3_API unregisterEventHandler(IEventHandler *) override { return kResultOk; }
    tresult TARN_VST3_API registerTimer(ITimerHandler *h, TimerInterval ms) override {
        if (ms == 0) return kInvalidArgument;
        timers.push_back(h);
        return kResultOk;
    }
    tresult TARN_VST3_API unregisterTimer(ITimerHandler *h) override {
        for (size_t i = 0; i < timers.size(); ++i)
            if (timers[i] == h) {
                timers.erase(timers.begin() + static_cast<long>(i));
                return kResultOk;
            }
        return kInvalidArgument;
    }
    void fire() {
        const auto now = timers;
        for (ITimerHandler *h : now) h->onTimer();
    }
    bool offerRunLoop = true;
    uint32 count = 1;
    std::vector<ITimerHandler *> timers;
};

using GetFactoryProc = IPluginFactory *(TARN_VST3_API *)();
using EntryProc = bool (*)(void *);
using ExitProc = bool (*)();
using InitDllProc = bool (*)();

// The bundle's module, loaded once per test program as a host does: the
// module's entry first, its exit before unloading.
class Vst3Module {
public:
    static Vst3Module &shared() {
        static Vst3Module m(std::getenv("TARNWELL_VST3_MODULE"));
        return m;
    }
    explicit Vst3Module(const char *path) : module(loadPluginModule(hostPath(path))) {
#if defined(_WIN32)
        if (auto init = reinterpret_cast<InitDllProc>(pluginSymbol(module, "InitDll"))) entered = init();
#else
        if (auto entry = reinterpret_cast<EntryProc>(pluginSymbol(module, "ModuleEntry")))
            entered = entry(module.handle);
#endif
        if (auto get = reinterpret_cast<GetFactoryProc>(pluginSymbol(module, "GetPluginFactory"))) factory = get();
    }
    ~Vst3Module() {
        if (factory) factory->release();
#if defined(_WIN32)
        if (auto exit = reinterpret_cast<InitDllProc>(pluginSymbol(module, "ExitDll"))) exit();
#else
        if (auto exit = reinterpret_cast<ExitProc>(pluginSymbol(module, "ModuleExit"))) exit();
#endif
        unloadPluginModule(module);
    }
    Vst3Module(const Vst3Module &) = delete;
    Vst3Module &operator=(const Vst3Module &) = delete;

    PluginModule module;
    bool entered = false;
    IPluginFactory *factory = nullptr;
};

template <class I>
I *query(FUnknown *object, const Uid &iid) {
    void *p = nullptr;
    if (!object || object->queryInterface(iid.bytes, &p) != kResultOk) return nullptr;
    return static_cast<I *>(p);
}

// One instance driven the way Ardour drives it: the component made, then
// initialized twice (as component and as controller), a handler, buses,
// setup, activation, processing.
class Vst3Instance {
public:
    static constexpr int kRate = 48000;
    static constexpr int kBlock = 256;

    Vst3Instance() {
        IPluginFactory *f = Vst3Module::shared().factory;
        if (!f) return;
        PClassInfo info{};
        f->getClassInfo(0, &info);
        void *obj = nullptr;
        if (f->createInstance(info.cid, kIComponentIid.bytes, &obj) != kResultOk) return;
        component = static_cast<IComponent *>(obj);
        processor = query<IAudioProcessor>(component, kIAudioProcessorIid);
        controller = query<IEditController>(component, kIEditControllerIid);
        mapping = query<IMidiMapping>(component, kIMidiMappingIid);
        units = query<IUnitInfo>(component, kIUnitInfoIid);
    }
    ~Vst3Instance() {
        stop();
        for (FUnknown *i : std::initializer_list<FUnknown *>{units, mapping, controller, processor, component})
            if (i) i->release();
    }
    Vst3Instance(const Vst3Instance &) = delete;
    Vst3Instance &operator=(const Vst3Instance &) = delete;

    bool ok() const { return component && processor && controller && mapping && units; }

    void initialize() {
        ASSERT_EQ(kResultOk, component->initialize(nullptr));
        ASSERT_EQ(kResultOk, controller->initialize(nullptr));
        initialized = true;
        ASSERT_EQ(kResultOk, controller->setComponentHandler(&handler));
    }
    void start(int rate = kRate, int block = kBlock) {
        if (!initialized) initialize();
        SpeakerArrangement stereo = kStereo;
        EXPECT_EQ(kResultTrue, processor->setBusArrangements(nullptr, 0, &stereo, 1));
        ProcessSetup setup{kRealtime, kSample32, block, static_cast<double>(rate)};
        ASSERT_EQ(kResultOk, processor->setupProcessing(&setup));
        ASSERT_EQ(kResultOk, component->setActive(1));
        ASSERT_EQ(kResultOk, processor->setProcessing(1));
        processing = true;
    }
    void stop() {
        if (processing) {
            processor->setProcessing(0);
            component->setActive(0);
            processing = false;
        }
        if (initialized) {
            controller->terminate();
            component->terminate();
            initialized = false;
        }
    }

    // One block into left and right; the context when tempo > 0.
    tresult render(int frames, EventList *events = nullptr, ParamChanges *changes = nullptr, double tempo = 0.0,
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
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample32;
        data.numSamples = frames;
        data.numOutputs = 1;
        data.outputs = &out;
        data.inputEvents = events;
        data.inputParameterChanges = changes;
        data.outputParameterChanges = outputChanges;
        data.processContext = tempo > 0.0 ? &context : nullptr;
        const tresult r = processor->process(&data);
        silenceFlags = out.silenceFlags;
        return r;
    }
    void record(std::vector<float> &all) const {
        for (size_t k = 0; k < left.size(); ++k) {
            all.push_back(left[k]);
            all.push_back(right[k]);
        }
    }

    IComponent *component = nullptr;
    IAudioProcessor *processor = nullptr;
    IEditController *controller = nullptr;
    IMidiMapping *mapping = nullptr;
    IUnitInfo *units = nullptr;
    Handler handler;
    bool initialized = false;
    bool processing = false;
    std::vector<float> left, right;
    uint64 silenceFlags = 0;
    ParamChanges *outputChanges = nullptr;
};

inline std::u16string u16(const TChar *s) { return std::u16string(s); }
inline std::string narrow(const TChar *s) {
    std::string out;
    for (; *s; ++s) out.push_back(*s < 128 ? static_cast<char>(*s) : '?');
    return out;
}

}  // namespace tarn::vst3test
