// tarnwell.clap as hosts drive it, beside the VST 2.4 module of the same
// build, which every answer and every sample must match (natively and under
// Wine for the 64-bit Windows build).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/InstrumentState.h"
#include "plugin/VstAbi.h"
#include "tests/clap/ClapTestHost.h"
#include "tests/host/Vst2Reference.h"

namespace tarn::claptest {
namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 256;
constexpr size_t kStateBytes = InstrumentState::kBytes;

using Vst = tarn::testing::Vst2Reference;
using tarn::testing::vst2Host;
using tarn::testing::vst2Midi;
using tarn::testing::vst2Module;

class ClapTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ClapModule &m = ClapModule::shared();
        ASSERT_NE(m.factory, nullptr) << "cannot load " << m.path << ": " << m.module.error;
    }
};

TEST_F(ClapTest, EntryFactoryAndDescriptorMatchTheVstModule) {
    const ClapModule &m = ClapModule::shared();
    // Repeated init and deinit, as hosts scanning and loading do.
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(m.entry->init(m.path.c_str()));
    for (int i = 0; i < 3; ++i) m.entry->deinit();
    EXPECT_EQ(m.entry->get_factory(nullptr), nullptr);
    EXPECT_EQ(m.entry->get_factory("clap.plugin-factory/2"), nullptr);
    EXPECT_EQ(m.entry->get_factory(clapid::kPluginFactory), m.factory);
    ASSERT_EQ(m.factory->get_plugin_count(m.factory), 1u);
    const clap_plugin_descriptor_t *d = m.factory->get_plugin_descriptor(m.factory, 0);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->id, kPluginId);
    Vst vst;
    ASSERT_NE(vst.e, nullptr) << vst2Module().error;
    char vendor[256] = {}, name[256] = {};
    vst.dispatch(effGetVendorString, 0, 0, vendor);
    vst.dispatch(effGetEffectName, 0, 0, name);
    EXPECT_STREQ(d->name, name);
    EXPECT_STREQ(d->vendor, vendor);
    const VstIntPtr version = vst.dispatch(effGetVendorVersion);  // 1000 for 1.0.0
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d.%d.%d", static_cast<int>(version / 1000),
                  static_cast<int>(version / 100 % 10), static_cast<int>(version % 100));
    EXPECT_STREQ(d->version, expected);

    TestHost h;
    for (const char *wrong : {"com.brackmoor.tarnwellx", "", static_cast<const char *>(nullptr)})
        EXPECT_EQ(m.factory->create_plugin(m.factory, &h.host, wrong), nullptr);
    clap_host_t old = h.host;
    old.clap_version = {0, 9, 0};
    EXPECT_EQ(m.factory->create_plugin(m.factory, &old, kPluginId), nullptr);
    Plugin plugin(h, false);
    ASSERT_NE(plugin.p, nullptr);
    EXPECT_EQ(plugin.p->get_extension(plugin.p, "clap.tail"), nullptr);
}

TEST_F(ClapTest, PortsAndLifecycleInTheOrdersHostsUse) {
    TestHost h;
    { Plugin never(h, false); }  // created and destroyed, never initialised
    Plugin p(h);
    ASSERT_TRUE(p.initialised);
    const auto *audio = p.ext<clap_plugin_audio_ports_t>(clapid::kAudioPorts);
    EXPECT_EQ(audio->count(p.p, true), 0u);
    EXPECT_EQ(audio->count(p.p, false), 1u);
    clap_audio_port_info_t a{};
    EXPECT_TRUE(audio->get(p.p, 0, false, &a) && a.channel_count == 2u) << "one stereo output";
    EXPECT_EQ(p.ext<clap_plugin_note_ports_t>(clapid::kNotePorts)->count(p.p, true), 1u);

    EXPECT_FALSE(p.start()) << "processing before activation";
    EXPECT_FALSE(p.activate(std::nan("")));
    ASSERT_TRUE(p.activate(44100, 32, 32));  // min = max = the buffer size
    EXPECT_FALSE(p.p->activate(p.p, 44100, 32, 32)) << "activated twice";
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(p.start());
        EXPECT_EQ(p.process(32), kClapProcessContinue);
        p.stop();
    }
    p.deactivate();
    // A note that holds until released, without echoes.
    ASSERT_TRUE(p.presets->from_location(p.p, kClapPresetLocationPlugin, nullptr, "8"));
    p.set(18, 1.0);
    p.set(19, 0.0);
    p.set(26, 0.0);
    ASSERT_TRUE(p.activate(96000, 1, 512));
    ASSERT_TRUE(p.start());
    EventList in;
    in.note(kClapEventNoteOn, 0, 60, 0.8);
    EXPECT_EQ(p.process(512, &in), kClapProcessContinue);
    EXPECT_EQ(p.process(0), kClapProcessContinue);
    EXPECT_EQ(p.process(1500), kClapProcessContinue) << "more frames than promised";
    EXPECT_TRUE(std::none_of(p.left.begin(), p.left.end(), [](float s) { return s == 0.5f || !std::isfinite(s); }));
    float *none[2] = {nullptr, nullptr};
    clap_audio_buffer_t empty{none, nullptr, 2, 0, 0};
    clap_process_t bad{};
    bad.frames_count = 16;
    bad.audio_outputs = &empty;
    bad.audio_outputs_count = 1;
    EXPECT_EQ(p.p->process(p.p, &bad), kClapProcessError);
    bad.audio_outputs_count = 0;
    EXPECT_EQ(p.p->process(p.p, &bad), kClapProcessError);
    p.process(512);
    EXPECT_GT(*std::max_element(p.left.begin(), p.left.end()), 1e-3f) << "held";
    p.p->reset(p.p);  // ends the held note
    for (int b = 0; b < 200; ++b) p.process(512);
    EXPECT_TRUE(std::all_of(p.left.begin(), p.left.end(), [](float s) { return std::fabs(s) < 1e-4f; }));
}

TEST_F(ClapTest, ParametersMatchTheVstModuleAndTextsRoundTrip) {
    TestHost h;
    Plugin p(h);
    Vst vst;
    ASSERT_NE(vst.e, nullptr);
    ASSERT_EQ(p.params->count(p.p), 88u);
    char text[256], again[256];
    for (uint32_t i = 0; i < 88; ++i) {
        clap_param_info_t info{};
        ASSERT_TRUE(p.params->get_info(p.p, i, &info));
        EXPECT_EQ(info.id, i);
        EXPECT_EQ(info.name, vst.text(effGetParamName, i)) << i;
        EXPECT_EQ(info.default_value, static_cast<double>(vst.e->getParameter(vst.e, i))) << i;
        // Some texts depend on other values (the mesh size): both go through the same.
        const float initial = vst.e->getParameter(vst.e, i);
        for (float v : {0.0f, 0.13f, 0.77f, 1.0f}) {
            vst.e->setParameter(vst.e, i, v);
            p.set(i, v);
            ASSERT_TRUE(p.params->value_to_text(p.p, i, v, text, sizeof text));
            EXPECT_EQ(text, vst.text(effGetParamDisplay, i) + " " + vst.text(effGetParamLabel, i)) << i;
            double back = -1;
            ASSERT_TRUE(p.params->text_to_value(p.p, i, text, &back)) << i << " '" << text << "'";
            ASSERT_TRUE(p.params->value_to_text(p.p, i, back, again, sizeof again));
            EXPECT_STREQ(text, again) << i;
        }
        vst.e->setParameter(vst.e, i, initial);
        p.set(i, initial);
    }
    double v = 0.25;
    EXPECT_FALSE(p.params->text_to_value(p.p, 6, "fast", &v));
    EXPECT_FALSE(p.params->text_to_value(p.p, 6, nullptr, &v));
    EXPECT_EQ(v, 0.25);
    EXPECT_FALSE(p.params->value_to_text(p.p, 88, 0.5, text, sizeof text));
    char tiny[4] = {'x', 'x', 'x', 'x'};
    ASSERT_TRUE(p.params->value_to_text(p.p, 0, 0.5, tiny, sizeof tiny));
    EXPECT_LT(std::strlen(tiny), sizeof tiny) << "a short buffer holds what fits, terminated";

    // Through flush: clamped; NaN, unknown ids and other event spaces ignored;
    // the host's own changes not told back.
    EventList in, out;
    in.param(0, 3, 0.75);
    in.param(0, 4, 3.0);
    in.param(0, 5, std::nan(""));
    in.param(0, 88, 0.5);
    clap_event_param_value_t foreign{};
    foreign.header = {sizeof foreign, 0, 7, kClapEventParamValue, 0};
    foreign.param_id = 6;
    foreign.value = 0.01;
    in.add(foreign);
    const double before5 = p.value(5), before6 = p.value(6);
    p.flush(in, out);
    EXPECT_EQ(p.value(3), 0.75);
    EXPECT_EQ(p.value(4), 1.0);
    EXPECT_EQ(p.value(5), before5);
    EXPECT_EQ(p.value(6), before6);
    EXPECT_EQ(out.size(), 0u);
}

TEST_F(ClapTest, StateRoundTripsThroughAnyStreamAndBadStreamsChangeNothing) {
    TestHost h;
    Plugin a(h);
    ASSERT_TRUE(a.presets->from_location(a.p, kClapPresetLocationPlugin, nullptr, "5"));
    for (clap_id i = 6; i < 88; ++i) a.set(i, (i * 37 % 101) / 100.0);
    const std::vector<unsigned char> whole = a.save();
    ASSERT_EQ(whole.size(), kStateBytes);
    EXPECT_EQ(a.save(7), whole) << "a stream taking a few bytes at a time";
    ByteStream refusing({}, 5);
    refusing.failAfter = 3;
    EXPECT_FALSE(a.state->save(a.p, &refusing.out));

    for (size_t chunk : {size_t(1), SIZE_MAX}) {
        TestHost hb;
        Plugin b(hb);
        ByteStream s(whole, chunk);
        ASSERT_TRUE(b.state->load(b.p, &s.in)) << chunk;
        EXPECT_EQ(hb.rescans, 1);
        EXPECT_EQ(hb.rescanFlags, kClapParamRescanValues);
        for (clap_id i = 0; i < 88; ++i) ASSERT_EQ(b.value(i), a.value(i)) << i;
        EXPECT_EQ(b.save(), whole);
    }

    // Refused, unchanged, no rescan: empty, short, one byte long, garbage,
    // another version, a stream without end, a read error.
    TestHost hc;
    Plugin c(hc);
    const std::vector<unsigned char> fresh = c.save();
    std::mt19937 rng(3);
    std::vector<unsigned char> garbage(kStateBytes), huge(1 << 20);
    for (auto &b : garbage) b = static_cast<unsigned char>(rng());
    for (auto &b : huge) b = static_cast<unsigned char>(rng());
    std::vector<unsigned char> longer = whole, otherVersion = whole;
    longer.push_back(0);
    otherVersion[4] ^= 0x7F;
    const std::vector<std::vector<unsigned char>> bad = {
        {}, {whole.begin(), whole.begin() + 10}, {whole.begin(), whole.end() - 1}, garbage, longer, otherVersion, huge};
    for (size_t k = 0; k < bad.size(); ++k)
        for (size_t chunk : {size_t(1), SIZE_MAX}) {
            if (chunk == 1 && bad[k].size() > 4 * kStateBytes) continue;
            ByteStream s(bad[k], chunk);
            EXPECT_FALSE(c.state->load(c.p, &s.in)) << k;
            EXPECT_LE(s.pos, kStateBytes + 1) << "read past what a state can hold";
        }
    ByteStream failing(whole, 100);
    failing.failAfter = 2;
    EXPECT_FALSE(c.state->load(c.p, &failing.in));
    EXPECT_EQ(c.save(), fresh);
    EXPECT_EQ(hc.rescans, 0);
}

// A preset-discovery indexer and receiver that record what the provider says.
struct Indexer {
    clap_preset_discovery_indexer_t table{};
    std::vector<clap_preset_discovery_location_t> locations;
    Indexer() {
        using I = const clap_preset_discovery_indexer_t *;
        table.clap_version = kClapVersion;
        table.name = "test indexer";
        table.vendor = table.url = table.version = "";
        table.indexer_data = this;
        table.declare_filetype = [](I, const clap_preset_discovery_filetype_t *) { return true; };
        table.declare_location = [](I i, const clap_preset_discovery_location_t *l) {
            static_cast<Indexer *>(i->indexer_data)->locations.push_back(*l);
            return true;
        };
        table.declare_soundpack = [](I, const clap_preset_discovery_soundpack_t *) { return true; };
        table.get_extension = [](I, const char *) -> const void * { return nullptr; };
    }
};

struct Receiver {
    struct Preset {
        std::string name, key, abi, id;
    };
    std::vector<Preset> presets;
    clap_preset_discovery_metadata_receiver_t table{};
    Receiver() {
        using R = const clap_preset_discovery_metadata_receiver_t *;
        table.receiver_data = this;
        table.on_error = [](R, int32_t, const char *) {};
        table.begin_preset = [](R r, const char *name, const char *key) {
            static_cast<Receiver *>(r->receiver_data)->presets.push_back({name, key ? key : "", "", ""});
            return true;
        };
        table.add_plugin_id = [](R r, const clap_universal_plugin_id_t *id) {
            auto &p = static_cast<Receiver *>(r->receiver_data)->presets.back();
            p.abi = id->abi;
            p.id = id->id;
        };
        table.set_soundpack_id = [](R, const char *) {};
        table.set_flags = [](R, uint32_t) {};
        table.add_creator = [](R, const char *) {};
        table.set_description = [](R, const char *) {};
        table.set_timestamps = [](R, uint64_t, uint64_t) {};
        table.add_feature = [](R, const char *) {};
        table.add_extra_info = [](R, const char *, const char *) {};
    }
};

TEST_F(ClapTest, FactoryProgramsThroughPresetDiscoveryAndPresetLoad) {
    const ClapModule &m = ClapModule::shared();
    const auto *f = static_cast<const clap_preset_discovery_factory_t *>(
        m.entry->get_factory(clapid::kPresetDiscoveryFactory));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(m.entry->get_factory(clapid::kPresetDiscoveryFactoryCompat), f);
    ASSERT_EQ(f->count(f), 1u);
    Indexer indexer;
    const clap_preset_discovery_provider_t *provider = f->create(f, &indexer.table, f->get_descriptor(f, 0)->id);
    ASSERT_NE(provider, nullptr);
    EXPECT_TRUE(indexer.locations.empty()) << "no indexer calls inside create";
    ASSERT_TRUE(provider->init(provider));
    ASSERT_EQ(indexer.locations.size(), 1u);
    EXPECT_EQ(indexer.locations[0].kind, kClapPresetLocationPlugin);
    Receiver receiver;
    EXPECT_FALSE(provider->get_metadata(provider, kClapPresetLocationFile, "/tmp/x", &receiver.table));
    ASSERT_TRUE(provider->get_metadata(provider, kClapPresetLocationPlugin, nullptr, &receiver.table));
    provider->destroy(provider);

    Vst vst;
    ASSERT_NE(vst.e, nullptr);
    ASSERT_EQ(receiver.presets.size(), 9u);
    for (int k = 0; k < 9; ++k) {
        char name[64] = {};
        vst.dispatch(effGetProgramNameIndexed, k, 0, name);
        EXPECT_EQ(receiver.presets[k].name, name);
        EXPECT_EQ(receiver.presets[k].key, std::to_string(k));
        EXPECT_EQ(receiver.presets[k].abi, "clap");
        EXPECT_EQ(receiver.presets[k].id, kPluginId);
    }

    TestHost h;
    Plugin p(h);
    for (int k : {3, 8, 0}) {
        const int rescans = h.rescans;
        ASSERT_TRUE(p.presets->from_location(p.p, kClapPresetLocationPlugin, nullptr, std::to_string(k).c_str()));
        EXPECT_EQ(h.rescans, rescans + 1);
        EXPECT_EQ(h.loadedKeys.back(), std::to_string(k));
        vst.dispatch(effSetProgram, 0, k);
        for (clap_id i = 0; i < 88; ++i) ASSERT_EQ(p.value(i), vst.e->getParameter(vst.e, i)) << k << " " << i;
        InstrumentState saved;  // the state records the program and its name
        const std::vector<unsigned char> bytes = p.save();
        ASSERT_TRUE(saved.decode(bytes.data(), bytes.size()));
        EXPECT_EQ(saved.program, k);
        EXPECT_EQ(std::string(saved.programName), receiver.presets[k].name);
    }
    const double held = p.value(10);
    for (const char *key : {"9", "", "03", "-1", "1 ", static_cast<const char *>(nullptr)})
        EXPECT_FALSE(p.presets->from_location(p.p, kClapPresetLocationPlugin, nullptr, key)) << (key ? key : "null");
    EXPECT_FALSE(p.presets->from_location(p.p, kClapPresetLocationFile, "/tmp/3", "3"));
    EXPECT_EQ(h.presetErrors, 7);
    EXPECT_EQ(p.value(10), held);
}

// Blank slate with a short blip and no echoes, settled; then blocks with
// `first` in the first.
std::vector<float> play(const std::function<void(EventList &)> &first, int blocks = 8) {
    TestHost h;
    Plugin p(h);
    std::vector<float> all;
    if (!p.presets->from_location(p.p, kClapPresetLocationPlugin, nullptr, "8")) return all;
    for (clap_id i : {17u, 18u, 19u, 27u, 26u}) p.set(i, 0.0);
    if (!p.activate(kRate, 1, kBlock) || !p.start()) return all;
    for (int b = 0; b < 16; ++b) p.process(kBlock);
    for (int b = 0; b < blocks; ++b) {
        EventList in;
        if (b == 0) first(in);
        p.process(kBlock, &in);
        all.insert(all.end(), p.left.begin(), p.left.end());
    }
    return all;
}

int firstSound(const std::vector<float> &s) {
    for (size_t k = 0; k < s.size(); ++k)
        if (s[k] != 0.0f) return static_cast<int>(k);
    return -1;
}

TEST_F(ClapTest, NotesMidiAndParameterValuesActAtTheirSample) {
    const auto clapNote = play([](EventList &in) { in.note(kClapEventNoteOn, 100, 69, 100 / 127.0); });
    const int onset = firstSound(clapNote);
    EXPECT_GE(onset, 100);
    EXPECT_LT(onset, 110);
    EXPECT_EQ(clapNote, play([](EventList &in) { in.midi(100, 0x90, 69, 100); }));
    // A note-on of velocity 0 is still a note; as MIDI it is a release.
    EXPECT_GE(firstSound(play([](EventList &in) { in.note(kClapEventNoteOn, 0, 69, 0.0); })), 0);
    EXPECT_EQ(firstSound(play([](EventList &in) { in.midi(0, 0x90, 69, 0); })), -1);
    // Another event space, truncated events and MIDI without a status byte do nothing.
    EXPECT_EQ(firstSound(play([](EventList &in) {
                  clap_event_note_t e{};
                  e.header = {sizeof e, 0, 3, kClapEventNoteOn, 0};
                  e.key = 69;
                  e.velocity = 1.0;
                  in.add(e);
                  e.header = {sizeof e - 8, 0, kClapCoreEventSpace, kClapEventNoteOn, 0};
                  in.add(e);
                  in.midi(0, 0x45, 69, 100);
              })),
              -1);
    // Off, choke and a wildcard release all end the note the same way.
    auto ended = [](const std::function<void(EventList &)> &end) {
        return play([&](EventList &in) {
            in.note(kClapEventNoteOn, 10, 69, 0.9, 2);
            end(in);
        }, 40);
    };
    const auto off = ended([](EventList &in) { in.note(kClapEventNoteOff, 200, 69, 0.0, 2); });
    EXPECT_EQ(off, ended([](EventList &in) { in.note(kClapEventNoteChoke, 200, 69, 0.0, 2); }));
    EXPECT_EQ(off, ended([](EventList &in) { in.note(kClapEventNoteOff, 200, -1, 0.0, -1); }));
    EXPECT_EQ(off, ended([](EventList &in) { in.midi(200, 0x82, 69, 0); }));
    EXPECT_NE(off, ended([](EventList &) {}));
    EXPECT_LT(std::fabs(off.back()), 1e-6f);

    // Values in a block (checked as flush checks them); unsorted lists and
    // times past the block still arrive, and are not told back.
    TestHost h;
    Plugin p(h);
    ASSERT_TRUE(p.activate(kRate, 1, kBlock));
    ASSERT_TRUE(p.start());
    EventList in, out;
    in.param(50, 20, 0.25);
    in.param(300, 22, 0.5);
    in.param(10, 23, 0.5);
    p.process(kBlock, &in, &out);
    EXPECT_EQ(p.value(20), 0.25);
    EXPECT_EQ(p.value(22), 0.5);
    EXPECT_EQ(p.value(23), 0.5);
    EXPECT_EQ(out.size(), 0u);
}

TEST_F(ClapTest, LearnedControllersReachTheHostAsGesturesFromTheBlock) {
    Settings settings("size 600 600\ncc 20 1\n");
    if (!settings.ok()) GTEST_SKIP() << "no TARNWELL_SETTINGS_DIR";
    for (bool threadCheck : {false, true}) {
        TestHost h(threadCheck);
        Plugin p(h);
        ASSERT_TRUE(p.activate(kRate, 1, kBlock));
        ASSERT_TRUE(p.start());
        EventList in, out;
        in.midi(10, 0xB0, 20, 64);
        std::thread audio([&] { p.process(kBlock, &in, &out); });  // the host's own audio thread
        audio.join();
        ASSERT_EQ(out.size(), 3u) << "thread check " << threadCheck;
        EXPECT_EQ(out.at(0).type, kClapEventParamGestureBegin);
        EXPECT_EQ(out.at(1).type, kClapEventParamValue);
        EXPECT_EQ(out.at(2).type, kClapEventParamGestureEnd);
        const auto &value = out.as<clap_event_param_value_t>(1);
        EXPECT_EQ(value.param_id, 1u);
        EXPECT_EQ(value.value, p.value(1));
        EXPECT_EQ(value.value, static_cast<double>(static_cast<float>(64 / 127.0)));
        EXPECT_EQ(h.flushRequestsOnAudio, 0) << "request_flush from the audio thread";

        // A full output list: the change waits for the next block, and is told once.
        in.clear();
        in.midi(0, 0xB0, 20, 100);
        EventList full;
        full.room = 0;
        p.process(kBlock, &in, &full);
        out.clear();
        p.process(kBlock, nullptr, &out);
        ASSERT_EQ(out.size(), 3u);
        EXPECT_EQ(out.as<clap_event_param_value_t>(1).value, static_cast<double>(static_cast<float>(100 / 127.0)));
        out.clear();
        p.process(kBlock, nullptr, &out);
        EXPECT_EQ(out.size(), 0u);
    }
}

struct Script {
    int block, frame;
    uint8_t status, d1, d2;
};

std::vector<Script> performance(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<Script> s;
    for (int b = 0; b < 60; b += 3) {
        const auto note = static_cast<uint8_t>(40 + rng() % 40);
        s.push_back({b, static_cast<int>(rng() % kBlock), 0x90, note, static_cast<uint8_t>(30 + rng() % 97)});
        s.push_back({b + 2, static_cast<int>(rng() % kBlock), 0x80, note, 0});
        s.push_back({b + 1, static_cast<int>(rng() % kBlock), 0xB0, 1, static_cast<uint8_t>(rng() % 128)});
    }
    return s;
}

constexpr double kTempo = 97.0;
constexpr double kStartBeats = 1.37;
constexpr int kBlocks = 64;

clap_beattime beatsAt(int block) {
    return std::llround((kStartBeats + block * kBlock * kTempo / 60.0 / kRate) * kClapBeattimeFactor);
}

// The VST 2.4 host gives the first block's transport while the instrument is
// built, and splits a block where it changes a parameter.
std::vector<float> renderVst(int program, unsigned seed, const std::vector<std::pair<int, float>> &params,
                             bool transport) {
    VstTimeInfo &time = vst2Host().time;
    vst2Host().givesTime = transport;
    time = VstTimeInfo{};
    time.sampleRate = kRate;
    time.tempo = kTempo;
    time.ppqPos = beatsAt(0) / kClapBeattimeFactor;
    time.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    Vst vst;
    if (!vst.e) return {};
    vst.dispatch(effSetProgram, 0, program);
    for (auto [i, v] : params) vst.e->setParameter(vst.e, i, v);
    vst.start(static_cast<float>(kRate), kBlock);
    vst.dispatch(effVendorSpecific, fourCharCode('T', 'w', 'M', 's'), 1);
    const auto script = performance(seed);
    std::vector<float> out;
    for (int b = 0; b < kBlocks; ++b) {
        time.ppqPos = beatsAt(b) / kClapBeattimeFactor;
        const int split = b % 5 == 4 ? 100 : kBlock;
        auto send = [&](int from, int to) {
            std::vector<VstMidiEvent> piece;
            for (const auto &s : script)
                if (s.block == b && s.frame >= from && s.frame < to)
                    piece.push_back(vst2Midi(s.frame - from, s.status, s.d1, s.d2));
            vst.render(piece, to - from, out);
        };
        send(0, split);
        if (split < kBlock) {
            vst.e->setParameter(vst.e, 6 + b % 22, (b % 7) / 7.0f);
            send(split, kBlock);
        }
    }
    return out;
}

// Notes as CLAP notes, or for odd programs as CLAP MIDI events.
std::vector<float> renderClap(int program, unsigned seed, const std::vector<std::pair<int, float>> &params,
                              bool transport) {
    TestHost h;
    Plugin p(h);
    if (!p.initialised) return {};
    p.presets->from_location(p.p, kClapPresetLocationPlugin, nullptr, std::to_string(program).c_str());
    EventList init, ignored;
    for (auto [i, v] : params) init.param(0, static_cast<clap_id>(i), v);
    p.flush(init, ignored);
    if (!p.activate(kRate, 1, kBlock)) return {};
    p.meshInAudioTime();
    p.start();
    const auto script = performance(seed);
    std::vector<float> out;
    for (int b = 0; b < kBlocks; ++b) {
        std::vector<Script> now;
        for (const auto &s : script)
            if (s.block == b) now.push_back(s);
        std::stable_sort(now.begin(), now.end(), [](const Script &x, const Script &y) { return x.frame < y.frame; });
        EventList in;
        bool paramSent = b % 5 != 4;
        for (const auto &s : now) {
            if (!paramSent && s.frame >= 100) {
                in.param(100, 6 + b % 22, (b % 7) / 7.0f);
                paramSent = true;
            }
            if (s.status == 0xB0 || program % 2 == 1)
                in.midi(static_cast<uint32_t>(s.frame), s.status, s.d1, s.d2);
            else
                in.note(s.status == 0x90 ? kClapEventNoteOn : kClapEventNoteOff, static_cast<uint32_t>(s.frame),
                        s.d1, s.d2 / 127.0);
        }
        if (!paramSent) in.param(100, 6 + b % 22, (b % 7) / 7.0f);
        clap_event_transport_t t{};
        t.header = {sizeof t, 0, kClapCoreEventSpace, kClapEventTransport, 0};
        t.flags = kClapTransportHasTempo | kClapTransportHasBeatsTimeline | kClapTransportIsPlaying;
        t.tempo = kTempo;
        t.song_pos_beats = beatsAt(b);
        p.process(kBlock, &in, nullptr, transport ? &t : nullptr);
        for (int k = 0; k < kBlock; ++k) {
            out.push_back(p.left[k]);
            out.push_back(p.right[k]);
        }
    }
    return out;
}

TEST_F(ClapTest, SoundsAsTheVstModuleForEveryProgramAndRandomSettings) {
    ASSERT_NE(vst2Module().entry, nullptr) << vst2Module().error;
    std::mt19937 rng(7);
    for (int program = 0; program < 9; ++program) {
        std::vector<std::pair<int, float>> params;
        if (program % 3 == 2)
            for (int i = 6; i < 88; ++i) params.push_back({i, static_cast<float>(rng() % 1000) / 999.0f});
        for (bool transport : {true, false}) {
            if (!transport && program % 4 != 0) continue;
            const auto vst = renderVst(program, 11u + program, params, transport);
            const auto clap = renderClap(program, 11u + program, params, transport);
            ASSERT_EQ(vst.size(), clap.size());
            ASSERT_FALSE(clap.empty());
            EXPECT_EQ(0, std::memcmp(vst.data(), clap.data(), vst.size() * sizeof(float)))
                << "program " << program << (transport ? " with" : " without") << " a transport";
            double energy = 0;
            for (float x : clap) energy += x * x;
            EXPECT_GT(energy, 0.0);
        }
    }
}

}  // namespace
}  // namespace tarn::claptest
