// The built module, loaded through its entry point with a recording host.
// The same checks run against tarnwell.so natively and tarnwell.dll under Wine.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PluginLoader.h"
#include "tests/support/MidiBlock.h"

namespace {

struct Call {
    VstInt32 opcode, index;
    VstIntPtr value;
    float opt;
};

struct Host {
    std::vector<Call> calls;
    VstIntPtr version = 2400;
    VstTimeInfo time{};
    int count(VstInt32 op) const {
        int n = 0;
        for (auto &c : calls) n += c.opcode == op;
        return n;
    }
};

Host *host = nullptr;

VstIntPtr VSTCALLBACK recordingHost(AEffect *, VstInt32 opcode, VstInt32 index, VstIntPtr value, void *, float opt) {
    host->calls.push_back({opcode, index, value, opt});
    if (opcode == audioMasterVersion) return host->version;
    if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&host->time);
    return 0;
}

PluginModule &module() {
    static PluginModule m = [] {
        const char *path = std::getenv("TARNWELL_PLUGIN");
        return loadPluginModule(path ? path : "tarnwell.so");
    }();
    return m;
}

class Instance {
public:
    explicit Instance(Host &h) {
        host = &h;
        h.time.tempo = 120.0;
        h.time.flags = kVstTempoValid | kVstPpqPosValid;
        e = module().entry(recordingHost);
    }
    ~Instance() {
        if (e) dispatch(effClose);
    }
    VstIntPtr dispatch(VstInt32 op, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr, float opt = 0) {
        return e->dispatcher(e, op, index, value, ptr, opt);
    }
    std::string text(VstInt32 op, VstInt32 index = 0) {
        char buf[256] = {};
        dispatch(op, index, 0, buf);
        return buf;
    }
    void midi(int status, int d1, int d2) {
        tarn::testing::MidiBlock block(status, d1, d2);
        EXPECT_EQ(dispatch(effProcessEvents, 0, 0, block.events()), 1);
    }
    std::vector<float> left, right;
    void render(int n) {
        left.assign(n, 0.0f);
        right.assign(n, 0.0f);
        float *out[2] = {left.data(), right.data()};
        e->processReplacing(e, nullptr, out, n);
    }
    float peak(int from = 0) const {
        float p = 0;
        for (size_t k = from; k < left.size(); ++k) p = std::max(p, std::fabs(left[k]));
        return p;
    }
    AEffect *e = nullptr;
};

}  // namespace

TEST(HostFoundation, EntryPointAndRecord) {
    ASSERT_NE(module().handle, nullptr) << module().error;
    ASSERT_NE(module().entry, nullptr);
    ASSERT_NE(module().legacy, nullptr);
#if defined(_WIN32)
    EXPECT_EQ(module().entry, module().legacy);  // one function under two export names
#else
    Host viaMain;
    host = &viaMain;
    AEffect *legacyInstance = module().legacy(recordingHost);
    ASSERT_NE(legacyInstance, nullptr);
    EXPECT_EQ(legacyInstance->uniqueID, 1951559255);
    legacyInstance->dispatcher(legacyInstance, effClose, 0, 0, nullptr, 0.0f);
#endif

    Host refusing;
    refusing.version = 0;
    host = &refusing;
    EXPECT_EQ(module().entry(recordingHost), nullptr);
    EXPECT_EQ(refusing.calls.size(), 1u);  // the version query, nothing built

    Host h;
    Instance fx(h);
    ASSERT_NE(fx.e, nullptr);
    const AEffect &r = *fx.e;
    EXPECT_EQ(r.magic, 1450406992);
    EXPECT_EQ(r.flags, 273);
    EXPECT_EQ(r.uniqueID, 1951559255);
    EXPECT_EQ(r.numInputs, 0);
    EXPECT_EQ(r.numOutputs, 2);
    EXPECT_EQ(r.numPrograms, 9);
    EXPECT_EQ(r.numParams, 88);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.ioRatio, 1.0f);
    EXPECT_EQ(r.initialDelay, 0);
    EXPECT_EQ(r.resvd1, 0);
    EXPECT_EQ(r.resvd2, 0);

    // 88 automation notices in index order from inside the entry point, then
    // a request for MIDI.
    int next = 0;
    for (auto &c : h.calls) {
        if (c.opcode == audioMasterAutomate) {
            EXPECT_EQ(c.index, next++);
        }
    }
    EXPECT_EQ(next, 88);
    EXPECT_EQ(h.calls.back().opcode, audioMasterWantMidi);
    EXPECT_EQ(h.calls.back().value, 1);
    h.calls.clear();
    fx.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(h.count(audioMasterWantMidi), 1);
}

TEST(HostFoundation, IdentityAndCapabilities) {
    Host h;
    Instance fx(h);
    EXPECT_EQ(fx.dispatch(effIdentify), 1316373862);
    EXPECT_EQ(fx.dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(fx.dispatch(effGetPlugCategory), 2);
    EXPECT_EQ(fx.dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(fx.text(effGetEffectName), "Tarnwell");
    EXPECT_EQ(fx.text(effGetProductString), "Tarnwell");
    EXPECT_EQ(fx.text(effGetVendorString), "Brackmoor Corp");
    char a[] = "receiveVstEvents", b[] = "receiveVstMidiEvent", c[] = "midiProgramNames", d[] = "sendVstMidiEvent",
         e[] = "receiveVstEvent";
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, a), 1);
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, b), 1);
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, c), 1);
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, d), -1);
    EXPECT_EQ(fx.dispatch(effCanDo, 0, 0, e), -1);
    VstPinProperties pin{};
    EXPECT_EQ(fx.dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Tarnwell L");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(fx.dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Tarnwell R");
    EXPECT_EQ(fx.dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(fx.dispatch(effGetInputProperties, 0, 0, &pin), 0);

    MidiProgramName p{};
    p.thisProgramIndex = 5;
    EXPECT_EQ(fx.dispatch(effGetMidiProgramName, 9, 0, &p), 1);
    EXPECT_STREQ(p.name, "Standard");
    p.thisProgramIndex = 7;
    EXPECT_EQ(fx.dispatch(effGetMidiProgramName, 0, 0, &p), 128);
    EXPECT_STREQ(p.name, "Clavi");
    EXPECT_EQ(p.parentCategoryIndex, 1);
    p.thisProgramIndex = 128;
    EXPECT_EQ(fx.dispatch(effGetMidiProgramName, 0, 0, &p), 0);
    MidiProgramCategory cat{};
    cat.thisCategoryIndex = 16;
    EXPECT_EQ(fx.dispatch(effGetMidiProgramCategory, 0, 0, &cat), 17);
    EXPECT_STREQ(cat.name, "DrumSets");
    cat.thisCategoryIndex = 17;
    fx.dispatch(effGetMidiProgramCategory, 0, 0, &cat);
    EXPECT_STREQ(cat.name, "");
    MidiKeyName key{};
    EXPECT_EQ(fx.dispatch(effGetMidiKeyName, 9, 0, &key), 0);
}

TEST(HostFoundation, ParametersProgramsAndCarelessRequests) {
    Host h;
    Instance fx(h);
    EXPECT_EQ(fx.text(effGetParamName, 0), "Friction");
    EXPECT_EQ(fx.text(effGetParamDisplay, 0), "0.16");
    EXPECT_EQ(fx.text(effGetParamLabel, 0), "(none)");
    EXPECT_EQ(fx.text(effGetParamName, 28), "C01 Type");
    EXPECT_EQ(fx.text(effGetParamName, 87), "C10 Sample");
    EXPECT_EQ(fx.text(effGetParamName, 88), "");
    EXPECT_EQ(fx.text(effGetProgramName), "pingy");
    fx.e->setParameter(fx.e, 9, 3.5f);
    EXPECT_EQ(fx.e->getParameter(fx.e, 9), 1.0f);

    void *chunk = &h;
    EXPECT_EQ(fx.dispatch(effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(chunk, &h);
    fx.dispatch(effSetProgram, 0, 9);
    EXPECT_EQ(fx.dispatch(effGetProgram), 0);
    // A 64-bit host's value whose low 32 bits spell a program number is no program number.
    const int64_t wide = -4294967293LL;  // low 32 bits: 3
    if (sizeof(VstIntPtr) == 8) {
        fx.dispatch(effSetProgram, 0, static_cast<VstIntPtr>(wide));
        EXPECT_EQ(fx.dispatch(effGetProgram), 0);
    }
    h.calls.clear();
    fx.dispatch(effSetProgram, 0, 3);
    EXPECT_EQ(fx.dispatch(effGetProgram), 3);
    EXPECT_EQ(h.count(audioMasterAutomate), 88);
    EXPECT_EQ(fx.text(effGetProgramName), "chirps");
    char indexed[64] = {};
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 8, 0, indexed), 1);
    EXPECT_STREQ(indexed, "blank slate");
    EXPECT_EQ(fx.dispatch(effGetProgramNameIndexed, 9, 0, indexed), 0);
    fx.dispatch(effSetProgram, 0, 0);

    // Requests with null pointers answer 0 and write nothing.
    for (VstInt32 op : {effGetProgramName, effSetProgramName, effGetParamName, effGetParamDisplay, effGetParamLabel,
                        effEditGetRect, effGetEffectName, effGetVendorString, effGetProductString, effCanDo,
                        effGetOutputProperties, effGetProgramNameIndexed, effGetMidiProgramName,
                        effGetMidiProgramCategory, effGetMidiKeyName, effGetChunk})
        EXPECT_EQ(fx.dispatch(op, 0, 0, nullptr), 0) << op;
    EXPECT_EQ(fx.dispatch(effGetCurrentMidiProgram, 0, 0, nullptr), -1);
    void *in = &h, *out = &h;
    fx.dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
    fx.dispatch(effGetSpeakerArrangement, 0, 0, nullptr);
    // Key requests carry their modifier as a float; no float may be undefined to convert.
    for (float opt : {-3.4e22f, 1e30f, std::nanf(""), -1.0f, 256.0f, 2.0f})
        for (VstInt32 op : {effEditKeyDown, effEditKeyUp}) fx.dispatch(op, 'a', 0, nullptr, opt);
    EXPECT_EQ(fx.dispatch(effSetTotalSampleToProcess, 0, 777), 777);
    ERect *rect = nullptr;
    EXPECT_EQ(fx.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 600);
    EXPECT_EQ(rect->bottom - rect->top, 600);
    EXPECT_EQ(fx.dispatch(effClose), 1);
    fx.e = nullptr;
}

namespace {

// Blank slate with a short blip: no sustain, fastest envelope, delay send
// at full, feedback at its lowest; settled before the first note.
void blip(Instance &fx) {
    fx.dispatch(effSetProgram, 0, 8);
    fx.e->setParameter(fx.e, 17, 0.0f);  // Decay
    fx.e->setParameter(fx.e, 18, 0.0f);  // Sustain
    fx.e->setParameter(fx.e, 19, 0.0f);  // Release
    fx.e->setParameter(fx.e, 26, 1.0f);  // Delay Send
    fx.e->setParameter(fx.e, 27, 0.0f);  // Delay Feedback
    fx.render(4096);
}

int firstSound(const std::vector<float> &s, int from) {
    for (int k = from; k < static_cast<int>(s.size()); ++k)
        if (s[k] != 0.0f) return k;
    return -1;
}

}  // namespace

TEST(HostAudio, NotesSoundAndRelease) {
    Host h;
    Instance fx(h);
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    fx.dispatch(effMainsChanged, 0, 1);
    fx.render(512);
    EXPECT_EQ(fx.peak(), 0.0f);
    h.calls.clear();
    fx.midi(0x90, 60, 100);
    fx.midi(0x90, 64, 100);
    fx.midi(0x90, 67, 100);
    EXPECT_EQ(h.count(audioMasterWantMidi), 3);
    fx.render(8192);
    EXPECT_GT(fx.peak(), 0.01f);
    fx.midi(0x80, 60, 0);
    fx.midi(0x90, 64, 0);  // velocity 0 releases
    fx.midi(0xB0, 123, 0);
    EXPECT_EQ(h.count(audioMasterWantMidi), 3);
    fx.e->setParameter(fx.e, 27, 0.0f);
    fx.render(44100 * 4);
    EXPECT_LT(fx.peak(44100 * 3), 1e-3f);  // the echoes have died down too
}

TEST(HostAudio, DelayEchoesLandAnEighthAndAQuarterNoteLater) {
    Host h;
    Instance fx(h);
    blip(fx);
    fx.midi(0x90, 69, 127);
    fx.render(30000);
    const int dry = firstSound(fx.left, 0);
    ASSERT_GE(dry, 0);
    EXPECT_EQ(firstSound(fx.right, 0), dry);
    EXPECT_EQ(firstSound(fx.left, dry + 2000), dry + 11025);
    EXPECT_EQ(firstSound(fx.right, dry + 2000), dry + 22050);
}

TEST(HostAudio, ThirteenthNoteIsSilentAndInstancesAgree) {
    auto play = [](int notes) {
        Host h;
        Instance fx(h);
        std::vector<float> all;
        for (int n = 0; n < notes; ++n) fx.midi(0x90, 40 + 3 * n, 50 + 5 * n);
        for (int b = 0; b < 8; ++b) {
            fx.render(1000 + 111 * b);
            all.insert(all.end(), fx.left.begin(), fx.left.end());
            all.insert(all.end(), fx.right.begin(), fx.right.end());
        }
        return all;
    };
    const std::vector<float> twelve = play(12);
    const std::vector<float> again = play(12);
    const std::vector<float> thirteen = play(13);
    ASSERT_EQ(twelve.size(), again.size());
    EXPECT_EQ(0, std::memcmp(twelve.data(), again.data(), twelve.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(twelve.data(), thirteen.data(), twelve.size() * sizeof(float)));
}

namespace {

// Twenty seconds of every program in turn, chords and runs over most of the
// keyboard, the mod wheel and the delay, with the mesh moving as it does
// while the editor shows; left and right interleaved.
std::vector<float> performance() {
    Host h;
    Instance fx(h);
    fx.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    fx.dispatch(effSetBlockSize, 0, 512);
    fx.dispatch(effMainsChanged, 0, 1);
    fx.dispatch(effVendorSpecific, fourCharCode('T', 'w', 'M', 's'), 1);
    std::vector<float> all;
    uint32_t seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
    };
    int held[4] = {-1, -1, -1, -1};
    for (int block = 0; block < 1720; ++block) {
        if (block % 190 == 0) fx.dispatch(effSetProgram, 0, (block / 190) % 9);
        if (block % 9 == 0) {
            const int slot = next(4);
            if (held[slot] >= 0) fx.midi(0x80, held[slot], 0);
            held[slot] = 24 + next(84);
            fx.midi(0x90, held[slot], 1 + next(127));
        }
        if (block % 37 == 0) fx.midi(0xB0, 1, next(128));
        fx.render(512);
        for (int k = 0; k < 512; ++k) {
            all.push_back(fx.left[k]);
            all.push_back(fx.right[k]);
        }
    }
    return all;
}

}  // namespace

// The same notes give the same sound from every build of the module: the
// native build writes its render (TARNWELL_RENDER_OUT), the Windows builds
// compare theirs with it (TARNWELL_RENDER_REFERENCE). The platforms' maths
// libraries round a transcendental function differently now and then; that
// may move a few samples in a million by a step or two of single precision
// (under 1e-8 for all but loud samples), and nothing more.
TEST(HostAudio, SameSoundFromEveryBuild) {
    const std::vector<float> mine = performance();
    float peak = 0.0f;
    for (float s : mine) peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.05f);

    if (const char *out = std::getenv("TARNWELL_RENDER_OUT")) {
        FILE *f = std::fopen(hostPath(out).c_str(), "wb");
        ASSERT_NE(f, nullptr) << out;
        EXPECT_EQ(std::fwrite(mine.data(), sizeof(float), mine.size(), f), mine.size());
        EXPECT_EQ(std::fclose(f), 0);
    }
    const char *reference = std::getenv("TARNWELL_RENDER_REFERENCE");
    if (!reference) GTEST_SKIP() << "no reference render to compare with (TARNWELL_RENDER_REFERENCE)";
    std::vector<float> theirs(mine.size() + 1);
    FILE *f = std::fopen(hostPath(reference).c_str(), "rb");
    ASSERT_NE(f, nullptr) << reference;
    const size_t got = std::fread(theirs.data(), sizeof(float), theirs.size(), f);
    std::fclose(f);
    ASSERT_EQ(got, mine.size()) << "the reference render has another length";
    size_t differing = 0, tooFar = 0;
    double largest = 0.0;
    for (size_t i = 0; i < mine.size(); ++i) {
        const double d = std::fabs(static_cast<double>(mine[i]) - static_cast<double>(theirs[i]));
        if (d == 0.0) continue;
        ++differing;
        if (!(d <= largest)) largest = d;  // a NaN counts as largest
        if (!(d < 1e-8 + std::ldexp(std::fabs(static_cast<double>(theirs[i])), -23))) ++tooFar;
    }
    std::printf("compared %zu samples with %s: %zu differ, the largest difference %.3g\n", mine.size(), reference,
                differing, largest);
    EXPECT_EQ(tooFar, 0u) << "samples differ by more than rounding";
    EXPECT_LE(differing * 1000000, 30 * mine.size()) << "more than 30 samples per million differ";
}
