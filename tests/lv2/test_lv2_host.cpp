// The LV2 bundle through liblilv, next to the VST 2.4 module: the same
// samples for the same events, state, and no display for a headless host.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <random>

#include "Lv2TestHost.h"
#include "tests/host/Vst2Reference.h"
#include "tests/support/AllocationCounter.h"

using namespace tarn::lv2test;
using tarn::testing::vst2Host;
using tarn::testing::vst2Module;

namespace {

constexpr int kRate = 48000, kBlock = 256, kBlocks = 52, kSplit = 100;
constexpr float kTempo = 97.0f, kBarBeat = 1.25f;

// The VST 2.4 module with a host whose transport, when it has one, plays
// from the start and moves on as the LV2 door's clock does.
struct Vst {
    explicit Vst(bool timed = true) {
        VstTimeInfo &t = vst2Host().time = VstTimeInfo{};
        t.sampleRate = kRate;
        t.tempo = kTempo;
        t.ppqPos = kBarBeat;
        t.flags = kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
        vst2Host().givesTime = timed;
        reference.emplace();
        e = reference->e;
        if (e) reference->start(static_cast<float>(kRate), kBlock);
    }
    std::optional<tarn::testing::Vst2Reference> reference;
    AEffect *e = nullptr;
    void render(const std::vector<VstMidiEvent> &events, int n, std::vector<float> &out) {
        reference->render(events, n, out);
        vst2Host().time.ppqPos += n / static_cast<double>(kRate) * kTempo / 60.0;
    }
};

std::vector<std::string> programNames() {
    Vst v;
    EXPECT_NE(v.e, nullptr) << vst2Module().error;
    std::vector<std::string> names;
    for (int p = 0; v.e && p < 9; ++p) names.push_back(v.reference->text(effGetProgramNameIndexed, p));
    return names;
}

struct Note {
    int block, frame;
    uint8_t status, d1, d2;
};

// Notes, the modulation wheel and the learned controller inside blocks;
// every fifth block the host moves a parameter at frame kSplit.
std::vector<Note> performance(unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<Note> s;
    for (int b = 0; b < 48; b += 3) {
        const uint8_t note = static_cast<uint8_t>(40 + rng() % 40);
        s.push_back({b, static_cast<int>(rng() % kBlock), 0x90, note, static_cast<uint8_t>(30 + rng() % 97)});
        s.push_back({b + 2, static_cast<int>(rng() % kBlock), 0x80, note, 0});
        s.push_back({b + 1, static_cast<int>(rng() % kBlock), 0xB0, 1, static_cast<uint8_t>(rng() % 128)});
    }
    s.push_back({10, 17, 0xB0, 20, 90});
    std::stable_sort(s.begin(), s.end(),
                     [](const Note &a, const Note &b) { return a.block != b.block ? a.block < b.block : a.frame < b.frame; });
    return s;
}

// Both doors in lockstep; the LV2 host splits a block where it moves a
// control port, and tells the transport once.
void render(Instance &in, int program, bool timed, std::vector<float> &lv2, std::vector<float> &vst) {
    Vst v(timed);
    ASSERT_NE(v.e, nullptr) << vst2Module().error;
    v.reference->dispatch(effSetProgram, 0, program);
    const auto script = performance(30u + program);
    if (timed) in.position(0, kTempo, 0, kBarBeat, 1.0f);
    for (int b = 0; b < kBlocks; ++b)
        for (int from = 0, to = b % 5 == 4 ? kSplit : kBlock; from < kBlock; from = to, to = kBlock) {
            if (from > 0) {
                in.controls[8 + b % 20] = static_cast<float>(b % 7) / 7.0f;
                v.e->setParameter(v.e, 8 + b % 20, in.controls[8 + b % 20]);
            }
            std::vector<VstMidiEvent> events;
            for (const Note &n : script)
                if (n.block == b && n.frame >= from && n.frame < to) {
                    events.push_back(tarn::testing::vst2Midi(n.frame - from, n.status, n.d1, n.d2));
                    in.midi(n.frame - from, n.status, n.d1, n.d2);
                }
            v.render(events, to - from, vst);
            in.run(static_cast<uint32_t>(to - from), &lv2);
        }
}

// The preset with this label, loaded as lilv loads presets.
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

bool heard(const std::vector<float> &v) {
    return std::any_of(v.begin(), v.end(), [](float x) { return x != 0.0f; });
}

}  // namespace

// The ports start at the bundle's defaults and presets are restored by
// symbol, so wrong defaults, symbols or presets show here too.
TEST(Lv2Audio, SameBitsAsTheVstModuleForPresetsWithAndWithoutTransport) {
    ASSERT_TRUE(settingsWritten);
    World w;
    ASSERT_NE(w.plugin, nullptr) << "urn:brackmoor:tarnwell not found through LV2_PATH";
    const auto names = programNames();
    ASSERT_EQ(names.size(), 9u);
    for (bool timed : {true, false})
        for (int p : {0, 4, 8}) {
            Instance in(w);
            ASSERT_TRUE(in);
            if (p > 0) {
                LilvState *s = preset(w, names[p]);
                ASSERT_NE(s, nullptr) << "no preset " << names[p];
                in.restore(s);
                lilv_state_free(s);
            }
            std::vector<float> lv2, vst;
            render(in, p, timed, lv2, vst);
            EXPECT_TRUE(sameBits(lv2, vst)) << "preset " << names[p] << (timed ? " with" : " without") << " transport";
            EXPECT_TRUE(heard(lv2)) << names[p];
        }
}

TEST(Lv2Audio, RunAllocatesNothingForAnyBlockLength) {
    World w;
    Instance in(w, kRate, 512);
    ASSERT_TRUE(in);
    in.run(512);
    tarn::testing::allocationCount = 0;
    tarn::testing::countingAllocations = true;
    int note = 0;
    // Longer blocks than announced, and more events than the door gathers at once.
    for (uint32_t n : {1u, 7u, 255u, 512u, 1000u, 3000u}) {
        in.position(0, 120.0f, 3, 0.5f, 1.0f);
        for (uint32_t k = 0; k < 3000; ++k)
            in.midi(k * n / 3000, k % 2 ? 0x80 : 0x90, static_cast<uint8_t>(40 + note++ % 40), 100);
        in.controls[12] = static_cast<float>(n % 10) / 10.0f;
        in.run(n);
    }
    tarn::testing::countingAllocations = false;
    EXPECT_EQ(tarn::testing::allocationCount.load(), 0);
}

TEST(Lv2State, RoundTripAndRefusesBadStreams) {
    World w;
    const auto names = programNames();
    ASSERT_EQ(names.size(), 9u);
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

    Instance b(w);
    b.restore(saved);
    lilv_state_free(saved);
    const std::vector<unsigned char> bytes = a.stateBytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(b.stateBytes(), bytes);
    // The port for parameter 7 still holds the host's value: a run keeps the instrument's.
    b.run(kBlock);
    EXPECT_EQ(b.stateBytes(), bytes);
    // Empty, short, damaged, of the wrong type, or absent: refused, nothing changed.
    const LV2_State_Interface *state = b.stateInterface();
    ASSERT_NE(state, nullptr);
    struct Offer {
        std::vector<unsigned char> bytes;
        uint32_t type;
    };
    const uint32_t chunk = w.urids.id(LV2_ATOM__Chunk);
    std::vector<unsigned char> damaged = bytes;
    damaged[4] ^= 0x7F;
    for (Offer offer : {Offer{{}, chunk}, Offer{{bytes.begin(), bytes.begin() + 9}, chunk}, Offer{damaged, chunk},
                        Offer{bytes, w.urids.id(LV2_ATOM__String)}}) {
        auto retrieve = [](LV2_State_Handle h, uint32_t, size_t *size, uint32_t *type, uint32_t *flags) -> const void * {
            auto *o = static_cast<Offer *>(h);
            *size = o->bytes.size();
            *type = o->type;
            *flags = LV2_STATE_IS_POD;
            return o->bytes.data();
        };
        EXPECT_NE(state->restore(b.handle(), retrieve, &offer, 0, nullptr), LV2_STATE_SUCCESS);
        EXPECT_EQ(b.stateBytes(), bytes);
    }
    auto nothing = [](LV2_State_Handle, uint32_t, size_t *, uint32_t *, uint32_t *) -> const void * { return nullptr; };
    EXPECT_EQ(state->restore(b.handle(), nothing, nullptr, 0, nullptr), LV2_STATE_ERR_NO_PROPERTY);
    EXPECT_EQ(b.stateBytes(), bytes);
}

// DISPLAY names a socket of this test's that nobody may call. A process of
// its own, before anything opened a display.
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
        lilv_state_free(in.saveState());
    }
    EXPECT_LT(accept(listener, nullptr, nullptr), 0) << "the plug-in side connected to the display";
    close(listener);
}
