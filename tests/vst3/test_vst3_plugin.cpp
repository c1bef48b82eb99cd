// The VST 3 bundle's module loaded by our own host, natively and under Wine:
// factory, lifecycle, parameters, queues, programs, state, the MIDI mapping,
// and the same bits as the VST 2.4 module of the same build.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "tests/vst3/Vst3TestHost.h"
#include "tests/host/Vst2Reference.h"

namespace tarn::vst3test {
namespace {

constexpr ParamID kProgram = 1000;
constexpr ParamID kCc = 2000;
// The controller bound by the settings file the tests write (see main).
constexpr int kLearnedCc = 20;
constexpr int kLearnedParam = 7;

// ---- the VST 2.4 module beside it: the reference of every name, text and sample

using Vst2Instance = tarn::testing::Vst2Reference;
using tarn::testing::vst2Host;
using tarn::testing::vst2Midi;
using tarn::testing::vst2Module;

struct Midi {
    int frame;
    unsigned char status, d1, d2;
};

// The events of a block that fall into one piece of it, then its samples.
void renderVst2Piece(Vst2Instance &fx, const std::vector<Midi> &midi, int from, int to, std::vector<float> &out) {
    std::vector<VstMidiEvent> piece;
    for (const Midi &m : midi)
        if (m.frame >= from && m.frame < to) piece.push_back(vst2Midi(m.frame - from, m.status, m.d1, m.d2));
    fx.render(piece, to - from, out);
}

// ---- factory and lifecycle ---------------------------------------------------------

TEST(Vst3Module, ExportsFactoryAndClassInfo) {
    Vst3Module &m = Vst3Module::shared();
    ASSERT_TRUE(m.module.handle) << m.module.error;
    EXPECT_TRUE(m.entered);
    ASSERT_TRUE(m.factory);

    // The facts' worked example of an id in each platform's byte order.
#if defined(_WIN32)
    const unsigned char component[16] = {0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43,
                                         0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#else
    const unsigned char component[16] = {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01,
                                         0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#endif
    EXPECT_EQ(0, std::memcmp(component, kIComponentIid.bytes, 16));

    PFactoryInfo fi{};
    EXPECT_EQ(kResultOk, m.factory->getFactoryInfo(&fi));
    EXPECT_STREQ("Brackmoor Corp", fi.vendor);
    EXPECT_EQ(PFactoryInfo::kUnicode, fi.flags);
    ASSERT_EQ(1, m.factory->countClasses());
    PClassInfo ci{};
    EXPECT_EQ(kResultOk, m.factory->getClassInfo(0, &ci));
    EXPECT_STREQ("Tarnwell", ci.name);
    EXPECT_STREQ("Audio Module Class", ci.category);
    EXPECT_EQ(0x7FFFFFFF, ci.cardinality);
    EXPECT_NE(kResultOk, m.factory->getClassInfo(1, &ci));

    auto *f3 = query<IPluginFactory3>(m.factory, kIPluginFactory3Iid);
    ASSERT_TRUE(f3);
    EXPECT_EQ(static_cast<void *>(f3), static_cast<void *>(m.factory));
    PClassInfo2 c2{};
    EXPECT_EQ(kResultOk, f3->getClassInfo2(0, &c2));
    EXPECT_EQ(0, std::memcmp(c2.cid, ci.cid, 16));
    EXPECT_STREQ("Instrument|Synth", c2.subCategories);
    EXPECT_STREQ("Brackmoor Corp", c2.vendor);
    EXPECT_STREQ(TARNWELL_VERSION_TEXT, c2.version);
    EXPECT_STREQ("VST 3.7.14", c2.sdkVersion);
    PClassInfoW cw{};
    EXPECT_EQ(kResultOk, f3->getClassInfoUnicode(0, &cw));
    EXPECT_EQ(u"Tarnwell", u16(cw.name));
    EXPECT_EQ(u"Brackmoor Corp", u16(cw.vendor));
    EXPECT_EQ(kResultOk, f3->setHostContext(nullptr));
    f3->release();

    // Unknown classes and interfaces give nothing.
    void *obj = reinterpret_cast<void *>(1);
    char other[16] = {};
    EXPECT_EQ(kNoInterface, m.factory->createInstance(other, kIComponentIid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
    obj = reinterpret_cast<void *>(1);
    EXPECT_EQ(kNoInterface, m.factory->createInstance(ci.cid, kIPlugViewIid.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
}

TEST(Vst3Module, OneObjectAnswersEveryInterfaceWithItsOwnPart) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    auto *unknown = query<FUnknown>(a.controller, kFUnknownIid);
    EXPECT_EQ(static_cast<void *>(unknown), static_cast<void *>(a.component));
    unknown->release();
    auto *back = query<IComponent>(a.units, kIComponentIid);
    EXPECT_EQ(back, a.component);
    back->release();
    auto *requirements = query<IProcessContextRequirements>(a.component, kIProcessContextRequirementsIid);
    ASSERT_TRUE(requirements);
    EXPECT_EQ(4u | 64u | 1024u, requirements->getProcessContextRequirements());
    requirements->release();
    // A host that finds a connection point would connect the object to itself.
    const Uid connectionPoint = makeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
    void *obj = reinterpret_cast<void *>(1);
    EXPECT_EQ(kNoInterface, a.component->queryInterface(connectionPoint.bytes, &obj));
    EXPECT_EQ(nullptr, obj);
    EXPECT_EQ(kNotImplemented, a.component->setIoMode(0));
}

TEST(Vst3Lifecycle, BusesSetupAndTheOrdersHostsUse) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.initialize();
    EXPECT_EQ(0, a.component->getBusCount(kAudio, kInput));
    EXPECT_EQ(1, a.component->getBusCount(kAudio, kOutput));
    EXPECT_EQ(1, a.component->getBusCount(kEvent, kInput));
    EXPECT_EQ(0, a.component->getBusCount(kEvent, kOutput));
    BusInfo bus{};
    EXPECT_EQ(kResultTrue, a.component->getBusInfo(kAudio, kOutput, 0, &bus));
    EXPECT_EQ(2, bus.channelCount);
    EXPECT_EQ(kMain, bus.busType);
    EXPECT_EQ(kDefaultActive, bus.flags);
    EXPECT_EQ(kResultTrue, a.component->getBusInfo(kEvent, kInput, 0, &bus));
    EXPECT_EQ(16, bus.channelCount);
    EXPECT_EQ(kInvalidArgument, a.component->getBusInfo(kAudio, kInput, 0, &bus));
    EXPECT_EQ(kInvalidArgument, a.component->getBusInfo(kAudio, kOutput, 1, &bus));
    EXPECT_EQ(kResultTrue, a.component->activateBus(kEvent, kInput, 0, 1));
    EXPECT_EQ(kResultTrue, a.processor->canProcessSampleSize(kSample32));
    EXPECT_EQ(kResultFalse, a.processor->canProcessSampleSize(kSample64));
    SpeakerArrangement mono = 0x80000, stereo = kStereo;
    EXPECT_EQ(kResultFalse, a.processor->setBusArrangements(nullptr, 0, &mono, 1));
    EXPECT_EQ(kResultFalse, a.processor->setBusArrangements(&stereo, 1, &stereo, 1));
    SpeakerArrangement got = 0;
    EXPECT_EQ(kResultTrue, a.processor->getBusArrangement(kOutput, 0, &got));
    EXPECT_EQ(kStereo, got);

    a.start();
    EventList notes;
    notes.note(10, 60, 100);
    EXPECT_EQ(kResultOk, a.render(256, &notes, nullptr, 120.0));
    float peak = 0;
    for (int i = 0; i < 4; ++i) {
        a.render(256, nullptr, nullptr, 120.0);
        for (float s : a.left) peak = std::max(peak, std::fabs(s));
    }
    EXPECT_GT(peak, 0.01f);
    EXPECT_EQ(0u, a.silenceFlags);

    // A new rate: processing and activation off, the new setup, on again;
    // then a block from another thread, and a flush without any buffers.
    a.processor->setProcessing(0);
    a.component->setActive(0);
    ProcessSetup setup{kRealtime, kSample32, 512, 44100.0};
    EXPECT_EQ(kResultOk, a.processor->setupProcessing(&setup));
    EXPECT_EQ(kResultOk, a.component->setActive(1));
    EXPECT_EQ(kResultOk, a.processor->setProcessing(1));
    EXPECT_EQ(kResultOk, a.processor->setProcessing(1));
    std::thread([&] { EXPECT_EQ(kResultOk, a.render(512)); }).join();
    ParamChanges flush;
    flush.point(30, 0, 0.25);
    ProcessData empty{};
    empty.symbolicSampleSize = kSample32;
    empty.inputParameterChanges = &flush;
    EXPECT_EQ(kResultOk, a.processor->process(&empty));
    EXPECT_FLOAT_EQ(0.25f, static_cast<float>(a.controller->getParamNormalized(30)));

    // The controller is the component: the second terminate ends it, once.
    a.stop();
    EXPECT_NE(kResultOk, a.component->terminate());
    // The SDK's host initializes a single object only once.
    EXPECT_EQ(kResultOk, a.component->initialize(nullptr));
    EXPECT_EQ(kResultOk, a.component->terminate());
}

TEST(Vst3Lifecycle, SilentBlocksSaySoAndEveryChannelIsWritten) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.start();
    EXPECT_EQ(kResultOk, a.render(128));
    for (float s : a.left) ASSERT_EQ(0.0f, s);
    EXPECT_EQ(3u, a.silenceFlags);
    // Null events, null changes, zero samples and null outputs are all fine.
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    EXPECT_EQ(kResultOk, a.processor->process(&data));
}

// ---- parameters -------------------------------------------------------------------

TEST(Vst3Parameters, InfoAndTextsAreThoseOfTheVst24Module) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.initialize();
    vst2Host().givesTime = false;
    Vst2Instance two;
    ASSERT_TRUE(two.e);

    const int32 count = a.controller->getParameterCount();
    EXPECT_EQ(88 + 1 + 127, count);
    std::vector<ParamID> ids;
    for (int32 i = 0; i < count; ++i) {
        ParameterInfo info{};
        ASSERT_EQ(kResultOk, a.controller->getParameterInfo(i, &info)) << i;
        for (ParamID seen : ids) ASSERT_NE(seen, info.id);
        ids.push_back(info.id);
        EXPECT_NE(0, info.title[0]);
        EXPECT_GE(info.defaultNormalizedValue, 0.0);
        EXPECT_LE(info.defaultNormalizedValue, 1.0);
        EXPECT_EQ(0, info.unitId);
        if (i < 88) {
            EXPECT_EQ(static_cast<ParamID>(i), info.id);
            EXPECT_EQ(ParameterInfo::kCanAutomate, info.flags);
            EXPECT_EQ(two.text(effGetParamName, i), narrow(info.title)) << i;
            EXPECT_EQ(two.text(effGetParamLabel, i), narrow(info.units)) << i;
            EXPECT_FLOAT_EQ(two.e->getParameter(two.e, i), static_cast<float>(info.defaultNormalizedValue)) << i;
        } else if (info.id == kProgram) {
            EXPECT_EQ(8, info.stepCount);
            EXPECT_EQ(ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsProgramChange,
                      info.flags);
        } else {
            EXPECT_GT(info.id, kCc);
            EXPECT_EQ(ParameterInfo::kIsHidden, info.flags);
            EXPECT_EQ("MIDI CC " + std::to_string(info.id - kCc), narrow(info.title));
        }
    }
    EXPECT_NE(kResultOk, a.controller->getParameterInfo(count, nullptr));

    // The display of any value is the VST 2.4 display at that value (the
    // mesh's size, itself a parameter, decides some), and reads back to a
    // value of the same display.
    TChar text[128], again[128];
    for (int32 i = 0; i < 88; ++i)
        for (float v : {0.0f, 0.3f, 0.71f, 1.0f}) {
            two.e->setParameter(two.e, i, v);
            a.controller->setParamNormalized(static_cast<ParamID>(i), v);
            ASSERT_EQ(kResultOk, a.controller->getParamStringByValue(static_cast<ParamID>(i), v, text));
            EXPECT_EQ(two.text(effGetParamDisplay, i), narrow(text)) << i << " at " << v;
            ParamValue back = -1;
            ASSERT_EQ(kResultOk, a.controller->getParamValueByString(static_cast<ParamID>(i), text, &back))
                << i << " '" << narrow(text) << "'";
            a.controller->getParamStringByValue(static_cast<ParamID>(i), back, again);
            EXPECT_EQ(u16(text), u16(again)) << i;
            EXPECT_EQ(back, a.controller->plainParamToNormalized(i, a.controller->normalizedParamToPlain(i, back)));
        }
    TChar bad[] = u"fast";
    ParamValue untouched = 0.5;
    EXPECT_EQ(kResultFalse, a.controller->getParamValueByString(6, bad, &untouched));
    EXPECT_EQ(0.5, untouched);
    EXPECT_NE(kResultOk, a.controller->getParamStringByValue(5000, 0.5, text));

    // Host changes while not processing act at once.
    EXPECT_EQ(kResultOk, a.controller->setParamNormalized(12, 0.625));
    EXPECT_FLOAT_EQ(0.625f, static_cast<float>(a.controller->getParamNormalized(12)));
    EXPECT_TRUE(a.handler.calls.empty()) << "a host's own change is not told back to it";
}

// ---- sound ---------------------------------------------------------------------------

struct Script {
    int block;
    Midi midi;
};

// Notes over most of the keyboard, the mod wheel, a learned controller, all
// notes off, program changes and parameter changes inside blocks.
std::vector<Script> performance() {
    std::vector<Script> s;
    uint32_t seed = 991;
    auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
    };
    for (int b = 0; b < 180; b += 3) {
        const int note = 30 + next(60);
        s.push_back({b, {next(256), 0x90, static_cast<unsigned char>(note), static_cast<unsigned char>(1 + next(127))}});
        s.push_back({b + 2, {next(256), 0x80, static_cast<unsigned char>(note), 0}});
        if (b % 9 == 0) s.push_back({b + 1, {next(256), 0xB0, 1, static_cast<unsigned char>(next(128))}});
        if (b % 12 == 0) s.push_back({b + 1, {next(256), 0xB0, kLearnedCc, static_cast<unsigned char>(next(128))}});
    }
    s.push_back({100, {77, 0xB0, 123, 0}});
    return s;
}

constexpr int kBlocks = 184;
constexpr double kTempo = 131.0;

int programAt(int b) { return b % 60 == 30 ? (b / 60 + 2) % 9 : -1; }
// Blocks where a parameter moves inside, at one or at three samples.
bool splitBlock(int b) { return b % 5 == 4; }

// With withTime false the host tells no transport at all (the fallback
// tempo then rules the delay and the controllers).
std::vector<float> renderVst2(bool withTime) {
    VstTimeInfo &time = vst2Host().time;
    vst2Host().givesTime = withTime;
    time = VstTimeInfo{};
    time.tempo = kTempo;
    time.ppqPos = 3.5;
    time.sampleRate = Vst3Instance::kRate;
    time.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    Vst2Instance fx;
    fx.start(static_cast<float>(Vst3Instance::kRate), Vst3Instance::kBlock);
    std::vector<float> all;
    const auto script = performance();
    for (int b = 0; b < kBlocks; ++b) {
        if (programAt(b) >= 0) fx.dispatch(effSetProgram, 0, programAt(b));
        std::vector<Midi> midi;
        for (const Script &s : script)
            if (s.block == b) midi.push_back(s.midi);
        std::vector<std::pair<int, float>> cuts;
        if (splitBlock(b)) {
            cuts.push_back({100, (b % 7) / 7.0f});
            if (b % 3 == 0) cuts.push_back({101, 1.0f - (b % 7) / 7.0f}), cuts.push_back({200, 0.5f});
        }
        int from = 0;
        for (auto [at, v] : cuts) {
            renderVst2Piece(fx, midi, from, at, all);
            from = at;
            fx.e->setParameter(fx.e, 6 + b % 22, v);
        }
        renderVst2Piece(fx, midi, from, Vst3Instance::kBlock, all);
        time.ppqPos += Vst3Instance::kBlock * kTempo / 60.0 / Vst3Instance::kRate;
    }
    return all;
}

std::vector<float> renderVst3(bool withContext) {
    Vst3Instance a;
    if (!a.ok()) return {};
    a.start();
    std::vector<float> all;
    double beats = 3.5;
    const auto script = performance();
    for (int b = 0; b < kBlocks; ++b) {
        EventList events;
        ParamChanges changes;
        if (programAt(b) >= 0) changes.point(kProgram, 0, programAt(b) / 8.0);
        for (const Script &s : script) {
            if (s.block != b) continue;
            if (s.midi.status == 0xB0)
                changes.point(kCc + s.midi.d1, s.midi.frame, s.midi.d2 / 127.0);
            else
                events.note(s.midi.frame, s.midi.d1, s.midi.d2, s.midi.status == 0x90);
        }
        if (splitBlock(b)) {
            const ParamID id = static_cast<ParamID>(6 + b % 22);
            changes.point(id, 100, (b % 7) / 7.0f);
            if (b % 3 == 0) changes.point(id, 101, 1.0f - (b % 7) / 7.0f), changes.point(id, 200, 0.5f);
        }
        a.render(Vst3Instance::kBlock, &events, &changes, withContext ? kTempo : 0.0, beats);
        a.record(all);
        beats += Vst3Instance::kBlock * kTempo / 60.0 / Vst3Instance::kRate;
    }
    return all;
}

TEST(Vst3Audio, SameBitsAsTheVst24ModuleWithAndWithoutTransport) {
    ASSERT_TRUE(vst2Module().entry) << vst2Module().error;
    for (bool transport : {true, false}) {
        const std::vector<float> two = renderVst2(transport);
        const std::vector<float> three = renderVst3(transport);
        ASSERT_EQ(two.size(), three.size());
        float peak = 0;
        for (float s : three) peak = std::max(peak, std::fabs(s));
        EXPECT_GT(peak, 0.05f);
        size_t first = two.size();
        for (size_t i = 0; i < two.size() && first == two.size(); ++i)
            if (std::memcmp(&two[i], &three[i], sizeof(float)) != 0) first = i;
        EXPECT_EQ(two.size(), first) << (transport ? "with" : "without") << " transport: first difference at block "
                                     << first / 2 / Vst3Instance::kBlock << " sample "
                                     << first / 2 % Vst3Instance::kBlock;
    }
}

// ---- programs ---------------------------------------------------------------------------

TEST(Vst3Programs, ListedByNameAndSwitchedFromHostAndProcessor) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.initialize();
    vst2Host().givesTime = false;
    Vst2Instance two;
    ASSERT_TRUE(two.e);

    EXPECT_EQ(1, a.units->getUnitCount());
    UnitInfo unit{};
    EXPECT_EQ(kResultTrue, a.units->getUnitInfo(0, &unit));
    EXPECT_EQ(0, unit.id);
    EXPECT_EQ(-1, unit.parentUnitId);
    ASSERT_EQ(1, a.units->getProgramListCount());
    ProgramListInfo list{};
    EXPECT_EQ(kResultTrue, a.units->getProgramListInfo(0, &list));
    EXPECT_EQ(unit.programListId, list.id);
    EXPECT_EQ(9, list.programCount);
    TChar name[128], shown[128];
    for (int p = 0; p < 9; ++p) {
        ASSERT_EQ(kResultTrue, a.units->getProgramName(list.id, p, name));
        char vst2[64] = {};
        two.dispatch(effGetProgramNameIndexed, p, 0, vst2);
        EXPECT_EQ(std::string(vst2), narrow(name));
        a.controller->getParamStringByValue(kProgram, p / 8.0, shown);
        EXPECT_EQ(u16(name), u16(shown));
        ParamValue back = -1;
        EXPECT_EQ(kResultOk, a.controller->getParamValueByString(kProgram, name, &back));
        EXPECT_DOUBLE_EQ(p / 8.0, back);
    }
    EXPECT_NE(kResultTrue, a.units->getProgramName(list.id, 9, name));
    EXPECT_EQ(kResultFalse, a.units->hasProgramPitchNames(list.id, 0));

    // The host's choice while not processing loads at once and has the
    // host re-read the values.
    ASSERT_EQ(kResultOk, a.controller->setParamNormalized(kProgram, 4 / 8.0));
    two.dispatch(effSetProgram, 0, 4);
    for (ParamID i = 0; i < 88; ++i)
        EXPECT_FLOAT_EQ(two.e->getParameter(two.e, static_cast<VstInt32>(i)),
                        static_cast<float>(a.controller->getParamNormalized(i)));
    EXPECT_EQ(1, a.handler.count('r', 4));

    // From the processor's queue: loaded in the block, told on the
    // user-interface thread afterwards.
    a.start();
    ParamChanges change;
    change.point(kProgram, 0, 7 / 8.0);
    std::thread([&] { a.render(64, nullptr, &change); }).join();
    EXPECT_EQ(1, a.handler.count('r', 4));
    EXPECT_DOUBLE_EQ(7 / 8.0, a.controller->getParamNormalized(kProgram));
    EXPECT_EQ(2, a.handler.count('r', 4));
    for (const HandlerCall &c : a.handler.calls) EXPECT_EQ(std::this_thread::get_id(), c.thread);
    two.dispatch(effSetProgram, 0, 7);
    EXPECT_FLOAT_EQ(two.e->getParameter(two.e, 40), static_cast<float>(a.controller->getParamNormalized(40)));
}

// ---- state ----------------------------------------------------------------------------------

TEST(Vst3State, RoundTripsThroughShortReadsAndWindowsAndRefusesBadStreams) {
    Vst3Instance a, b;
    ASSERT_TRUE(a.ok() && b.ok());
    a.initialize();
    b.initialize();
    a.controller->setParamNormalized(kProgram, 3 / 8.0);
    for (ParamID i = 6; i < 88; i += 5) a.controller->setParamNormalized(i, (i * 37 % 101) / 100.0);
    MemoryStream saved;
    ASSERT_EQ(kResultOk, a.component->getState(&saved));
    ASSERT_FALSE(saved.bytes.empty());

    // A host's window into a larger file, read a few bytes at a time.
    std::vector<unsigned char> file = {'h', 'd', 'r'};
    file.insert(file.end(), saved.bytes.begin(), saved.bytes.end());
    file.insert(file.end(), {'t', 'a', 'i', 'l'});
    MemoryStream window(file, 7);
    window.pos = 3;
    ASSERT_EQ(kResultOk, b.component->setState(&window));
    MemoryStream same(saved.bytes);
    EXPECT_EQ(kResultOk, b.controller->setComponentState(&same));
    for (ParamID i = 0; i < 88; ++i) EXPECT_EQ(a.controller->getParamNormalized(i), b.controller->getParamNormalized(i));
    EXPECT_DOUBLE_EQ(3 / 8.0, b.controller->getParamNormalized(kProgram));
    MemoryStream again;
    b.component->getState(&again);
    EXPECT_EQ(saved.bytes, again.bytes);

    // The controller keeps nothing of its own.
    MemoryStream controllerState;
    EXPECT_EQ(kResultOk, b.controller->getState(&controllerState));
    EXPECT_TRUE(controllerState.bytes.empty());
    EXPECT_EQ(kResultOk, b.controller->setState(&controllerState));

    Vst3Instance c;
    ASSERT_TRUE(c.ok());
    c.initialize();
    MemoryStream before;
    c.component->getState(&before);
    std::vector<std::vector<unsigned char>> bad = {{}, {saved.bytes.begin(), saved.bytes.begin() + 20}, saved.bytes,
                                                   saved.bytes, std::vector<unsigned char>(saved.bytes.size(), 0xA5)};
    bad[2][4] = 9;                      // a version we do not know
    std::memset(&bad[3][60], 0xFF, 4);  // a value that is no number
    for (const auto &bytes : bad) {
        MemoryStream s(bytes, 3);
        EXPECT_EQ(kResultFalse, c.component->setState(&s));
        MemoryStream s2(bytes);
        EXPECT_EQ(kResultFalse, c.controller->setComponentState(&s2));
    }
    MemoryStream broken(saved.bytes);
    broken.failing = true;
    EXPECT_EQ(kResultFalse, c.component->setState(&broken));
    EXPECT_NE(kResultOk, c.component->getState(&broken));
    EXPECT_EQ(kResultFalse, c.component->setState(nullptr));
    MemoryStream after;
    c.component->getState(&after);
    EXPECT_EQ(before.bytes, after.bytes);
}

// ---- MIDI mapping -------------------------------------------------------------------------

TEST(Vst3Midi, ControllersMapOntoListedParametersAndLearnedOnesReachTheHost) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.initialize();
    std::vector<ParamID> listed;
    for (int32 i = 0; i < a.controller->getParameterCount(); ++i) {
        ParameterInfo info{};
        a.controller->getParameterInfo(i, &info);
        listed.push_back(info.id);
    }
    for (int16 channel = 0; channel < 16; ++channel)
        for (CtrlNumber cc : {1, 2, kLearnedCc, 64, 123, 126, 127}) {
            ParamID id = 0;
            ASSERT_EQ(kResultTrue, a.mapping->getMidiControllerAssignment(0, channel, cc, &id)) << cc;
            EXPECT_EQ(kCc + static_cast<ParamID>(cc), id);
            EXPECT_NE(listed.end(), std::find(listed.begin(), listed.end(), id));
        }
    ParamID id = 0;
    EXPECT_EQ(kResultFalse, a.mapping->getMidiControllerAssignment(0, 0, 0, &id));
    EXPECT_EQ(kResultFalse, a.mapping->getMidiControllerAssignment(0, 0, 128, &id));  // aftertouch
    EXPECT_EQ(kResultFalse, a.mapping->getMidiControllerAssignment(0, 0, 129, &id));  // pitch bend
    EXPECT_EQ(kResultFalse, a.mapping->getMidiControllerAssignment(1, 0, 1, &id));

    // A learned controller moves its parameter in the audio thread; the host
    // hears of it as an edit, on its user-interface thread.
    a.start();
    ParamChanges cc, out;
    cc.point(kCc + kLearnedCc, 30, 100 / 127.0);
    a.outputChanges = &out;
    std::thread([&] { a.render(128, nullptr, &cc); }).join();
    EXPECT_TRUE(a.handler.calls.empty());
    // The block itself also carries the change out, at its end.
    ASSERT_EQ(1, out.getParameterCount());
    EXPECT_EQ(static_cast<ParamID>(kLearnedParam), out.queues[0].id);
    ASSERT_EQ(1u, out.queues[0].points.size());
    EXPECT_EQ(127, out.queues[0].points[0].first);
    EXPECT_NEAR(100 / 127.0, out.queues[0].points[0].second, 1e-6);
    EXPECT_NEAR(100 / 127.0, a.controller->getParamNormalized(kLearnedParam), 1e-6);
    ASSERT_EQ(3u, a.handler.calls.size());
    EXPECT_EQ('b', a.handler.calls[0].kind);
    EXPECT_EQ('p', a.handler.calls[1].kind);
    EXPECT_EQ('e', a.handler.calls[2].kind);
    for (const HandlerCall &c : a.handler.calls) {
        EXPECT_EQ(static_cast<ParamID>(kLearnedParam), c.id);
        EXPECT_EQ(std::this_thread::get_id(), c.thread);
    }
    EXPECT_NEAR(100 / 127.0, a.handler.calls[1].value, 1e-6);
    // A value the host sent in is not sent back.
    ParamChanges host, none;
    host.point(kLearnedParam, 5, 0.25);
    a.outputChanges = &none;
    a.render(128, nullptr, &host);
    EXPECT_EQ(0, none.getParameterCount());
    a.outputChanges = nullptr;
    // The mod wheel is no parameter of the instrument's: nothing to tell.
    ParamChanges wheel;
    wheel.point(kCc + 1, 0, 1.0);
    a.render(128, nullptr, &wheel);
    a.controller->getParamNormalized(0);
    EXPECT_EQ(3u, a.handler.calls.size());
}

}  // namespace
}  // namespace tarn::vst3test

// The settings file beside the modules binds a controller, as the learn
// sequence does; both modules read it when an instance is built.
int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (const char *dir = std::getenv("TARNWELL_SETTINGS_DIR")) {
        std::ofstream settings(hostPath(dir) + "/tarnwell.cfg.txt");
        settings << "cc " << tarn::vst3test::kLearnedCc << " " << tarn::vst3test::kLearnedParam << "\n";
    }
    return RUN_ALL_TESTS();
}
