// The LV2 bundle as hosts load it through liblilv: what it says of itself,
// the sound next to the VST 2.4 module's for the same events, presets,
// state, the values the instrument changes by itself, and the editor.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <set>

#include "Lv2TestHost.h"
#include "tests/host/Vst2Reference.h"
#include "tests/support/AllocationCounter.h"

using namespace tarn::lv2test;

namespace {

constexpr int kRate = 48000;
constexpr int kBlock = 256;
constexpr float kTempo = 97.0f;
constexpr float kBarBeat = 1.25f;

// Every instance in the process reads this settings file: a controller
// learned for parameter 7 and no first-run tip.
const bool settingsWritten = [] {
    const char *dir = std::getenv("TARNWELL_SETTINGS_DIR");
    if (!dir) return false;
    std::ofstream(std::string(dir) + "/tarnwell.cfg.txt") << "size 600 600\ncc 20 7\n";
    return true;
}();

// The VST 2.4 module with a host that reports a playing transport from the
// moment the instance is built, moving it on as the LV2 door's clock does.
using tarn::testing::vst2Host;
using tarn::testing::vst2Midi;
using tarn::testing::vst2Module;

bool resetVstTime() {
    VstTimeInfo &time = vst2Host().time;
    time = VstTimeInfo{};
    time.sampleRate = kRate;
    time.tempo = kTempo;
    time.ppqPos = kBarBeat;
    time.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    return vst2Host().givesTime = true;
}

struct Vst {
    const bool timed = resetVstTime();
    tarn::testing::Vst2Reference reference;
    AEffect *e = reference.e;

    Vst() {
        if (e) reference.start(static_cast<float>(kRate), kBlock);
    }
    VstIntPtr dispatch(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr, float opt = 0) {
        return reference.dispatch(op, index, value, ptr, opt);
    }
    std::string text(VstInt32 op, VstInt32 index) { return reference.text(op, index); }
    void render(const std::vector<VstMidiEvent> &events, int n, std::vector<float> &out) {
        reference.render(events, n, out);
        vst2Host().time.ppqPos += n / static_cast<double>(kRate) * vst2Host().time.tempo / 60.0;
    }
};

struct Note {
    int block, frame;
    uint8_t status, d1, d2;
};

// Notes, the modulation wheel and a learned controller at sample positions
// of their blocks; every fifth block the host moves a parameter at frame 100.
std::vector<Note> performance(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<Note> s;
    for (int b = 0; b < 48; b += 3) {
        const uint8_t note = static_cast<uint8_t>(40 + rng() % 40);
        s.push_back({b, static_cast<int>(rng() % kBlock), 0x90, note, static_cast<uint8_t>(30 + rng() % 97)});
        s.push_back({b + 2, static_cast<int>(rng() % kBlock), 0x80, note, 0});
        s.push_back({b + 1, static_cast<int>(rng() % kBlock), 0xB0, 1, static_cast<uint8_t>(rng() % 128)});
    }
    s.push_back({10, 17, 0xB0, 20, 90});  // moves parameter 7 inside the instrument
    // Hosts hand events in time order.
    std::stable_sort(s.begin(), s.end(),
                     [](const Note &a, const Note &b) { return a.block != b.block ? a.block < b.block : a.frame < b.frame; });
    return s;
}
constexpr int kBlocks = 52;
constexpr int kSplit = 100;
int movedParameter(int block) { return 8 + block % 20; }
float movedValue(int block) { return static_cast<float>(block % 7) / 7.0f; }

std::vector<float> renderVst(int program, unsigned seed) {
    Vst v;
    EXPECT_NE(v.e, nullptr) << vst2Module().error;
    if (!v.e) return {};
    v.dispatch(effSetProgram, 0, program);
    std::vector<float> out;
    const auto script = performance(seed);
    for (int b = 0; b < kBlocks; ++b) {
        const int split = b % 5 == 4 ? kSplit : kBlock;
        auto piece = [&](int from, int to) {
            std::vector<VstMidiEvent> events;
            for (const Note &n : script)
                if (n.block == b && n.frame >= from && n.frame < to)
                    events.push_back(vst2Midi(n.frame - from, n.status, n.d1, n.d2));
            v.render(events, to - from, out);
        };
        piece(0, split);
        if (split < kBlock) {
            v.e->setParameter(v.e, movedParameter(b), movedValue(b));
            piece(split, kBlock);
        }
    }
    return out;
}

// The same through the bundle: the host splits a block where it moves a
// control port, as LV2 hosts do, and tells the transport once.
std::vector<float> renderLv2(Instance &in, unsigned seed) {
    std::vector<float> out;
    const auto script = performance(seed);
    in.position(0, kTempo, 0, kBarBeat, 1.0f);
    for (int b = 0; b < kBlocks; ++b) {
        const int split = b % 5 == 4 ? kSplit : kBlock;
        auto piece = [&](int from, int to) {
            for (const Note &n : script)
                if (n.block == b && n.frame >= from && n.frame < to) in.midi(n.frame - from, n.status, n.d1, n.d2);
            in.run(static_cast<uint32_t>(to - from), &out);
        };
        piece(0, split);
        if (split < kBlock) {
            in.controls[movedParameter(b)] = movedValue(b);
            piece(split, kBlock);
        }
    }
    return out;
}

// The preset whose label is the name, loaded as lilv loads presets.
LilvState *preset(World &w, const std::string &label) {
    LilvNode *presetClass = w.node(LV2_PRESETS__Preset);
    LilvNodes *presets = lilv_plugin_get_related(w.plugin, presetClass);
    LilvState *found = nullptr;
    LILV_FOREACH(nodes, i, presets) {
        const LilvNode *p = lilv_nodes_get(presets, i);
        lilv_world_load_resource(w.world, p);
        LilvState *state = lilv_state_new_from_world(w.world, &w.urids.map, p);
        if (state && label == lilv_state_get_label(state)) {
            found = state;
            break;
        }
        lilv_state_free(state);
    }
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
    return found;
}

bool sameBits(const std::vector<float> &a, const std::vector<float> &b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

double energy(const std::vector<float> &v) {
    double e = 0;
    for (float x : v) e += static_cast<double>(x) * x;
    return e;
}

}  // namespace

TEST(Lv2Bundle, DescribesTheInstrumentAsTheVstModuleDoes) {
    ASSERT_TRUE(settingsWritten);
    World w;
    ASSERT_NE(w.plugin, nullptr) << "urn:brackmoor:tarnwell not found through LV2_PATH";
    EXPECT_STREQ(lilv_node_as_string(lilv_plugin_class_get_label(lilv_plugin_get_class(w.plugin))),
                 "Instrument Plugin");
    LilvNode *name = lilv_plugin_get_name(w.plugin);
    EXPECT_STREQ(lilv_node_as_string(name), "Tarnwell");
    lilv_node_free(name);
    ASSERT_EQ(lilv_plugin_get_num_ports(w.plugin), kFirstParameterPort + kParams);

    Vst v;
    ASSERT_NE(v.e, nullptr) << vst2Module().error;
    std::set<std::string> symbols;
    for (uint32_t p = 0; p < kFirstParameterPort + kParams; ++p) {
        const LilvPort *port = lilv_plugin_get_port_by_index(w.plugin, p);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(w.plugin, port));
        EXPECT_TRUE(symbols.insert(symbol).second) << "symbol " << symbol << " twice";
        if (p < kFirstParameterPort) continue;
        const int i = static_cast<int>(p - kFirstParameterPort);
        LilvNode *portName = lilv_port_get_name(w.plugin, port);
        EXPECT_EQ(lilv_node_as_string(portName), v.text(effGetParamName, i)) << i;
        lilv_node_free(portName);
        LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
        lilv_port_get_range(w.plugin, port, &def, &min, &max);
        ASSERT_TRUE(def && min && max) << i;
        EXPECT_EQ(lilv_node_as_float(def), v.e->getParameter(v.e, i)) << symbol;
        EXPECT_EQ(lilv_node_as_float(min), 0.0f);
        EXPECT_EQ(lilv_node_as_float(max), 1.0f);
        lilv_node_free(def);
        lilv_node_free(min);
        lilv_node_free(max);
    }

    // The editor: an X11 UI in the same binary.
    LilvUIs *uis = lilv_plugin_get_uis(w.plugin);
    ASSERT_EQ(lilv_uis_size(uis), 1u);
    const LilvUI *ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    LilvNode *x11 = w.node(LV2_UI__X11UI);
    EXPECT_TRUE(lilv_ui_is_a(ui, x11));
    EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), lilv_node_as_uri(lilv_plugin_get_library_uri(w.plugin)));
    lilv_node_free(x11);
    lilv_uis_free(uis);

    // One preset per factory program, by the program's name.
    for (int p = 0; p < 9; ++p) {
        LilvState *s = preset(w, v.text(effGetProgramNameIndexed, p));
        EXPECT_NE(s, nullptr) << "no preset " << v.text(effGetProgramNameIndexed, p);
        lilv_state_free(s);
    }
}

TEST(Lv2Audio, SameBitsAsTheVstModuleForEveryPreset) {
    World w;
    ASSERT_NE(w.plugin, nullptr);
    std::string names[9];
    {
        Vst v;
        ASSERT_NE(v.e, nullptr) << vst2Module().error;
        for (int p = 0; p < 9; ++p) names[p] = v.text(effGetProgramNameIndexed, p);
    }
    for (int p = 0; p < 9; ++p) {
        Instance in(w);
        ASSERT_TRUE(in);
        if (p > 0) {
            LilvState *s = preset(w, names[p]);
            ASSERT_NE(s, nullptr);
            in.restore(s);
            lilv_state_free(s);
        }
        const auto lv2 = renderLv2(in, 30u + p);
        const auto vst = renderVst(p, 30u + p);
        EXPECT_TRUE(sameBits(lv2, vst)) << "preset " << names[p];
        EXPECT_GT(energy(lv2), 0.0) << names[p];
    }
}

TEST(Lv2Audio, RunAllocatesNothingForAnyBlockLength) {
    World w;
    Instance in(w, kRate, 512);
    ASSERT_TRUE(in);
    std::vector<float> warm;
    in.run(512, &warm);
    tarn::testing::allocationCount = 0;
    tarn::testing::countingAllocations = true;
    int note = 0;
    // Lengths the host announced, and longer ones a careless host might run.
    for (uint32_t n : {1u, 2u, 7u, 64u, 255u, 256u, 511u, 512u, 1000u, 3000u}) {
        in.position(0, 120.0f, 3, 0.5f, 1.0f);
        // More events than the door gathers at once.
        for (uint32_t k = 0; k < 3000; ++k) {
            const int64_t frame = static_cast<int64_t>(k * n / 3000);
            in.midi(frame, k % 2 ? 0x80 : 0x90, static_cast<uint8_t>(40 + note++ % 40), 100);
        }
        in.controls[12] = static_cast<float>(n % 10) / 10.0f;
        in.run(n);
    }
    tarn::testing::countingAllocations = false;
    EXPECT_EQ(tarn::testing::allocationCount.load(), 0);
}

TEST(Lv2State, SavesAndRestoresWhatThePortsDoNotHold) {
    World w;
    std::string names[9];
    {
        Vst v;
        ASSERT_NE(v.e, nullptr) << vst2Module().error;
        for (int p = 0; p < 9; ++p) names[p] = v.text(effGetProgramNameIndexed, p);
    }
    Instance a(w);
    LilvState *pingy = preset(w, names[4]);
    ASSERT_NE(pingy, nullptr);
    a.restore(pingy);
    lilv_state_free(pingy);
    a.controls[20] = 0.3f;
    a.midi(5, 0xB0, 20, 33);  // the learned controller moves parameter 7
    a.run(kBlock);
    LilvState *saved = a.saveState();
    ASSERT_NE(saved, nullptr);
    char *text = lilv_state_to_string(w.world, &w.urids.map, &w.urids.unmap, saved, "urn:test:saved", nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::strstr(text, "urn:brackmoor:tarnwell#state"), nullptr) << text;
    lilv_free(text);

    Instance b(w);
    b.restore(saved);
    lilv_state_free(saved);
    const std::vector<unsigned char> bytes = a.stateBytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(b.stateBytes(), bytes) << "program, name and values, the learned change included";
    // The ports were restored with the host's values; the instrument's own
    // value for parameter 7 stays.
    b.run(kBlock);
    EXPECT_EQ(b.stateBytes(), bytes);
    std::vector<float> fromA, fromB;
    for (Instance *in : {&a, &b}) {
        in->midi(3, 0x90, 60, 100);
        in->run(kBlock, in == &a ? &fromA : &fromB);
        in->run(kBlock, in == &a ? &fromA : &fromB);
    }
    EXPECT_TRUE(sameBits(fromA, fromB));
    EXPECT_GT(energy(fromA), 0.0);

    // A state of some other make, or cut short, is refused and changes nothing.
    const LV2_State_Interface *state = b.stateInterface();
    ASSERT_NE(state, nullptr);
    struct Offer {
        std::vector<unsigned char> bytes;
        uint32_t type;
    };
    const uint32_t chunk = w.urids.id(LV2_ATOM__Chunk);
    std::vector<unsigned char> damaged = bytes;
    damaged[4] ^= 0x7F;
    for (const Offer &offer : {Offer{{}, chunk}, Offer{{bytes.begin(), bytes.begin() + 9}, chunk},
                               Offer{damaged, chunk}, Offer{bytes, w.urids.id(LV2_ATOM__String)}}) {
        Offer copy = offer;
        auto retrieve = [](LV2_State_Handle h, uint32_t, size_t *size, uint32_t *type, uint32_t *flags) -> const void * {
            auto *o = static_cast<Offer *>(h);
            *size = o->bytes.size();
            *type = o->type;
            *flags = LV2_STATE_IS_POD;
            return o->bytes.data();
        };
        EXPECT_NE(state->restore(b.handle(), retrieve, &copy, 0, nullptr), LV2_STATE_SUCCESS);
        EXPECT_EQ(b.stateBytes(), bytes);
    }
    auto nothing = [](LV2_State_Handle, uint32_t, size_t *, uint32_t *, uint32_t *) -> const void * { return nullptr; };
    EXPECT_EQ(state->restore(b.handle(), nothing, nullptr, 0, nullptr), LV2_STATE_ERR_NO_PROPERTY);
    EXPECT_EQ(b.stateBytes(), bytes);
}

// The plug-in side alone, as a headless host loads it, must not talk to an
// X server: DISPLAY names a listening socket of this test's, which nobody
// may call. Runs in a process of its own, before anything opened a display.
TEST(Lv2Headless, NeverOpensADisplay) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int display = -1;
    for (int n = 173; n < 400 && display < 0; ++n) {
        address.sin_port = htons(static_cast<uint16_t>(6000 + n));
        if (bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) display = n;
    }
    ASSERT_GE(display, 0);
    ASSERT_EQ(listen(listener, 4), 0);
    fcntl(listener, F_SETFL, O_NONBLOCK);
    setenv("DISPLAY", ("127.0.0.1:" + std::to_string(display)).c_str(), 1);
    {
        World w;
        Instance in(w);
        ASSERT_TRUE(in);
        in.midi(0, 0x90, 64, 100);
        in.run(kBlock);
        EXPECT_FALSE(in.stateBytes().empty());
        LilvState *s = in.saveState();
        lilv_state_free(s);
    }
    EXPECT_LT(accept(listener, nullptr, nullptr), 0) << "the plug-in side connected to the display";
    close(listener);
}
