// tarnwell.clap as hosts drive it, beside the VST 2.4 module of the same
// build, which every answer and every sample must match (natively and under
// Wine for the 64-bit Windows build).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
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
        EXPECT_EQ(info.name, vst.text(effGetParamName, i)) << i;
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
}

TEST_F(ClapTest, StateRoundTripsThroughAnyStreamAndBadStreamsChangeNothing) {
    TestHost h;
    Plugin a(h);
    ASSERT_TRUE(a.presets->from_location(a.p, kClapPresetLocationPlugin, nullptr, "5"));
    for (clap_id i = 6; i < 88; ++i) a.set(i, (i * 37 % 101) / 100.0);
    const std::vector<unsigned char> whole = a.save();
    ASSERT_EQ(whole.size(), kStateBytes);
    EXPECT_EQ(a.save(7), whole) << "a stream taking a few bytes at a time";
    TestHost hb;
    Plugin b(hb);
    ByteStream chunked(whole, 1);
    ASSERT_TRUE(b.state->load(b.p, &chunked.in));
    EXPECT_EQ(hb.rescans, 1);
    for (clap_id i = 0; i < 88; ++i) ASSERT_EQ(b.value(i), a.value(i)) << i;

    // Refused, unchanged, no rescan: empty, short, garbage, too long; whole or in pieces.
    TestHost hc;
    Plugin c(hc);
    const std::vector<unsigned char> fresh = c.save();
    std::mt19937 rng(3);
    std::vector<unsigned char> garbage(kStateBytes), longer = whole;
    for (auto &b : garbage) b = static_cast<unsigned char>(rng());
    longer.push_back(0);
    const std::vector<std::vector<unsigned char>> bad = {
        {}, {whole.begin(), whole.begin() + 10}, {whole.begin(), whole.end() - 1}, garbage, longer};
    for (size_t k = 0; k < bad.size(); ++k)
        for (size_t chunk : {size_t(1), SIZE_MAX}) {
            ByteStream s(bad[k], chunk);
            EXPECT_FALSE(c.state->load(c.p, &s.in)) << k;
            EXPECT_LE(s.pos, kStateBytes + 1) << "read past what a state can hold";
        }
    EXPECT_EQ(c.save(), fresh);
    EXPECT_EQ(hc.rescans, 0);
}

TEST_F(ClapTest, LearnedControllersReachTheHostFromTheBlockNotThroughRequestFlush) {
    Settings settings("size 600 600\ncc 20 1\n");
    TestHost h;
    Plugin p(h);
    ASSERT_TRUE(p.activate(kRate, 1, kBlock));
    ASSERT_TRUE(p.start());
    EventList in, out;
    in.midi(10, 0xB0, 20, 64);
    std::thread audio([&] { p.process(kBlock, &in, &out); });  // the host's own audio thread
    audio.join();
    EXPECT_EQ(out.size(), 3u) << "gesture, value, end";
    EXPECT_EQ(h.flushRequestsOnAudio, 0) << "request_flush from the audio thread";
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
std::vector<float> renderVst(int program, unsigned seed, bool transport) {
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

std::vector<float> renderClap(int program, unsigned seed, bool transport) {
    TestHost h;
    Plugin p(h);
    if (!p.initialised) return {};
    p.presets->from_location(p.p, kClapPresetLocationPlugin, nullptr, std::to_string(program).c_str());
    if (!p.activate(kRate, 1, kBlock)) return {};
    p.meshInAudioTime();
    p.start();
    const auto script = performance(seed);
    std::vector<float> out;
    for (int b = 0; b < kBlocks; ++b) {
        std::vector<Script> now;
        if (b % 5 == 4) now.push_back({b, 100, 0, 0, 0});  // where the VST 2.4 host splits the block
        for (const auto &s : script)
            if (s.block == b) now.push_back(s);
        std::stable_sort(now.begin(), now.end(), [](const Script &x, const Script &y) { return x.frame < y.frame; });
        EventList in;
        for (const auto &s : now)
            if (s.status == 0)
                in.param(100, 6 + b % 22, (b % 7) / 7.0f);
            else if (s.status == 0xB0)
                in.midi(static_cast<uint32_t>(s.frame), s.status, s.d1, s.d2);
            else
                in.note(s.status == 0x90 ? kClapEventNoteOn : kClapEventNoteOff, static_cast<uint32_t>(s.frame),
                        s.d1, s.d2 / 127.0);
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

TEST_F(ClapTest, SoundsAsTheVstModuleWithAndWithoutTransport) {
    ASSERT_NE(vst2Module().entry, nullptr) << vst2Module().error;
    for (auto [program, transport] : {std::pair{0, true}, {4, true}, {8, false}}) {
        const auto vst = renderVst(program, 11u + program, transport);
        const auto clap = renderClap(program, 11u + program, transport);
        ASSERT_EQ(vst.size(), clap.size());
        ASSERT_FALSE(clap.empty());
        EXPECT_EQ(0, std::memcmp(vst.data(), clap.data(), vst.size() * sizeof(float)))
            << "program " << program << (transport ? " with" : " without") << " a transport";
        EXPECT_GT(std::inner_product(clap.begin(), clap.end(), clap.begin(), 0.0), 0.0) << "silence";
    }
}

}  // namespace
}  // namespace tarn::claptest
