// The VST 3 bundle's module loaded by our own host, natively and under Wine,
// held against the VST 2.4 module of the same build.
#include <cmath>
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

using Vst2Instance = tarn::testing::Vst2Reference;
using tarn::testing::vst2Host;
using tarn::testing::vst2Midi;
using tarn::testing::vst2Module;

TEST(Vst3Module, FactoryIdsAndTheOneObjectsLifecycle) {
    Vst3Module &m = Vst3Module::shared();
    ASSERT_TRUE(m.module.handle) << m.module.error;
    EXPECT_TRUE(m.entered);
    ASSERT_TRUE(m.factory);
    ASSERT_EQ(1, m.factory->countClasses());
    // Windows hosts read ids as GUIDs: each platform has its byte order.
#if defined(_WIN32)
    const unsigned char component[16] = {0x31, 0xFF, 0x31, 0xE8, 0xD5, 0xF2, 0x01, 0x43,
                                         0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#else
    const unsigned char component[16] = {0xE8, 0x31, 0xFF, 0x31, 0xF2, 0xD5, 0x43, 0x01,
                                         0x92, 0x8E, 0xBB, 0xEE, 0x25, 0x69, 0x78, 0x02};
#endif
    EXPECT_EQ(0, std::memcmp(component, kIComponentIid.bytes, 16));
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    // A host that finds a connection point would connect the object to itself.
    const Uid connectionPoint = makeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
    void *obj = nullptr;
    EXPECT_EQ(kNoInterface, a.component->queryInterface(connectionPoint.bytes, &obj));
    a.start();
    // The controller is the component: the second terminate ends it, once.
    a.stop();
    EXPECT_NE(kResultOk, a.component->terminate());
    EXPECT_EQ(kResultOk, a.component->initialize(nullptr));
    EXPECT_EQ(kResultOk, a.component->terminate());
}

TEST(Vst3Parameters, NamesAndTextsAreThoseOfTheVst24Module) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.initialize();
    vst2Host().givesTime = false;
    Vst2Instance two;
    ASSERT_TRUE(two.e);
    ASSERT_EQ(88 + 1 + 127, a.controller->getParameterCount());
    // Some displays hang on another parameter (the mesh's size): both modules get every value.
    ParameterInfo info{};
    TChar text[128], again[128];
    for (int32 i = 0; i < 88; ++i) {
        ASSERT_EQ(kResultOk, a.controller->getParameterInfo(i, &info)) << i;
        EXPECT_EQ(two.text(effGetParamName, i), narrow(info.title)) << i;
        for (float v : {0.0f, 0.3f, 0.71f, 1.0f}) {
            two.e->setParameter(two.e, i, v);
            a.controller->setParamNormalized(static_cast<ParamID>(i), v);
            ASSERT_EQ(kResultOk, a.controller->getParamStringByValue(static_cast<ParamID>(i), v, text));
            EXPECT_EQ(two.text(effGetParamDisplay, i), narrow(text)) << i << " at " << v;
            ParamValue back = -1;
            ASSERT_EQ(kResultOk, a.controller->getParamValueByString(static_cast<ParamID>(i), text, &back))
                << i << " '" << narrow(text) << "'";
            a.controller->getParamStringByValue(static_cast<ParamID>(i), back, again);
            EXPECT_EQ(std::u16string(text), std::u16string(again)) << i;
        }
    }
}

// Notes, a learned controller, programs and parameter changes inside blocks.
struct Script {
    int block;
    struct {
        int frame;
        unsigned char status, d1, d2;
    } midi;
};
std::vector<Script> performance() {
    std::vector<Script> s;
    uint32_t seed = 991;
    auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<unsigned char>((seed >> 8) % static_cast<uint32_t>(range));
    };
    for (int b = 0; b < 180; b += 3) {
        const unsigned char note = 30 + next(60);
        s.push_back({b, {next(256), 0x90, note, static_cast<unsigned char>(1 + next(127))}});
        s.push_back({b + 2, {next(256), 0x80, note, 0}});
        if (b % 12 == 0) s.push_back({b + 1, {next(256), 0xB0, kLearnedCc, next(128)}});
    }
    return s;
}

constexpr int kBlocks = 184;
constexpr double kTempo = 131.0;
constexpr double kBeatsPerBlock = Vst3Instance::kBlock * kTempo / 60.0 / Vst3Instance::kRate;
int programAt(int b) { return b % 60 == 30 ? (b / 60 + 2) % 9 : -1; }
// A parameter moves inside some blocks, at one or at three samples.
std::vector<std::pair<int, float>> cutsAt(int b) {
    if (b % 5 != 4) return {};
    if (b % 3) return {{100, (b % 7) / 7.0f}};
    return {{100, (b % 7) / 7.0f}, {101, 1.0f - (b % 7) / 7.0f}, {200, 0.5f}};
}

// Without transport the fallback tempo rules the delay and the controllers.
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
    for (int b = 0; b < kBlocks; ++b, time.ppqPos += kBeatsPerBlock) {
        if (programAt(b) >= 0) fx.dispatch(effSetProgram, 0, programAt(b));
        int from = 0;
        auto cuts = cutsAt(b);
        cuts.push_back({Vst3Instance::kBlock, -1.0f});
        for (auto [to, v] : cuts) {
            std::vector<VstMidiEvent> piece;
            for (const Script &s : script)
                if (s.block == b && s.midi.frame >= from && s.midi.frame < to)
                    piece.push_back(vst2Midi(s.midi.frame - from, s.midi.status, s.midi.d1, s.midi.d2));
            fx.render(piece, to - from, all);
            from = to;
            if (v >= 0) fx.e->setParameter(fx.e, 6 + b % 22, v);
        }
    }
    return all;
}

std::vector<float> renderVst3(bool withContext) {
    Vst3Instance a;
    if (!a.ok()) return {};
    a.start();
    std::vector<float> all;
    double beats = 3.5;  // summed block by block, as the VST 2.4 host's position is
    const auto script = performance();
    for (int b = 0; b < kBlocks; ++b, beats += kBeatsPerBlock) {
        EventList events;
        ParamChanges changes;
        if (programAt(b) >= 0) changes.point(kProgram, 0, programAt(b) / 8.0);
        for (const Script &s : script)
            if (s.block == b && s.midi.status == 0xB0)
                changes.point(kCc + s.midi.d1, s.midi.frame, s.midi.d2 / 127.0);
            else if (s.block == b)
                events.note(s.midi.frame, s.midi.d1, s.midi.d2, s.midi.status == 0x90);
        for (auto [at, v] : cutsAt(b)) changes.point(static_cast<ParamID>(6 + b % 22), at, v);
        a.render(Vst3Instance::kBlock, &events, &changes, withContext ? kTempo : 0.0, beats);
        for (size_t k = 0; k < a.left.size(); ++k) all.push_back(a.left[k]), all.push_back(a.right[k]);
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
        size_t first = 0;
        while (first < two.size() && std::memcmp(&two[first], &three[first], sizeof(float)) == 0) ++first;
        EXPECT_EQ(two.size(), first) << (transport ? "with" : "without") << " transport: first difference at block "
                                     << first / 2 / Vst3Instance::kBlock << " sample "
                                     << first / 2 % Vst3Instance::kBlock;
    }
}

TEST(Vst3State, RoundTripsThroughShortReadsAndRefusesBadStreams) {
    Vst3Instance a, b, c;
    ASSERT_TRUE(a.ok() && b.ok() && c.ok());
    a.initialize();
    b.initialize();
    c.initialize();
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
    for (ParamID i = 0; i < 88; ++i)
        EXPECT_EQ(a.controller->getParamNormalized(i), b.controller->getParamNormalized(i)) << i;
    EXPECT_DOUBLE_EQ(3 / 8.0, b.controller->getParamNormalized(kProgram));
    MemoryStream again;
    b.component->getState(&again);
    EXPECT_EQ(saved.bytes, again.bytes);

    MemoryStream before;
    c.component->getState(&before);
    std::vector<std::vector<unsigned char>> bad = {{}, {saved.bytes.begin(), saved.bytes.begin() + 20}, saved.bytes,
                                                   saved.bytes, std::vector<unsigned char>(saved.bytes.size(), 0xA5)};
    bad[2][4] = 9;                      // a version we do not know
    std::memset(&bad[3][60], 0xFF, 4);  // a value that is no number
    for (const auto &bytes : bad) {
        MemoryStream s(bytes, 3), s2(bytes);
        EXPECT_EQ(kResultFalse, c.component->setState(&s));
        EXPECT_EQ(kResultFalse, c.controller->setComponentState(&s2));
    }
    EXPECT_EQ(kResultFalse, c.component->setState(nullptr));
    MemoryStream after;
    c.component->getState(&after);
    EXPECT_EQ(before.bytes, after.bytes);
}

// A learned controller's change leaves the block at its end; the host hears
// of it as an edit on its own thread, never from the audio thread.
TEST(Vst3Midi, ALearnedControllerReachesTheHostOnItsOwnThread) {
    Vst3Instance a;
    ASSERT_TRUE(a.ok());
    a.start();
    ParamID id = 0;
    ASSERT_EQ(kResultTrue, a.mapping->getMidiControllerAssignment(0, 15, kLearnedCc, &id));
    EXPECT_EQ(kCc + static_cast<ParamID>(kLearnedCc), id);
    ParamChanges cc, out;
    cc.point(id, 30, 100 / 127.0);
    a.outputChanges = &out;
    std::thread([&] { a.render(128, nullptr, &cc); }).join();
    EXPECT_TRUE(a.handler.calls.empty());
    ASSERT_EQ(1, out.getParameterCount());
    EXPECT_EQ(static_cast<ParamID>(kLearnedParam), out.queues[0].id);
    EXPECT_NEAR(100 / 127.0, a.controller->getParamNormalized(kLearnedParam), 1e-6);
    EXPECT_EQ(1, a.handler.count('p', kLearnedParam));
    EXPECT_TRUE(a.handler.allOnThisThread());
}

}  // namespace
}  // namespace tarn::vst3test

// The settings file beside the modules binds a controller, as the learn
// sequence does; both modules read it when an instance is built.
int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (const char *dir = std::getenv("TARNWELL_SETTINGS_DIR"))
        std::ofstream(hostPath(dir) + "/tarnwell.cfg.txt")
            << "cc " << tarn::vst3test::kLearnedCc << " " << tarn::vst3test::kLearnedParam << "\n";
    return RUN_ALL_TESTS();
}
