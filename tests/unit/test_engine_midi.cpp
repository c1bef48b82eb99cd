#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EngineFixture.h"
#include "editor/TarnEditor.h"

using tarn::MeshStage;
using tarn::Tarnwell;
using tarn::testing::Engine;

TEST(EngineMidi, NotesTakeTheFirstFreeVoiceAndNeverSteal) {
    Engine e;
    e.host.calls.clear();
    for (int n = 0; n < 13; ++n) e.noteOn(48 + n);
    EXPECT_EQ(e.activeVoices(), 12);
    EXPECT_EQ(e.host.count(audioMasterWantMidi), 13);  // one request per note-on
    for (int i = 0; i < 12; ++i) EXPECT_EQ(e.fx->voice(i).note, 48 + i);
    e.noteOff(60);  // the thirteenth note never sounded: nothing is released
    for (int i = 0; i < 12; ++i) EXPECT_FALSE(e.fx->voice(i).released);

    e.midi(0x90, 48, 0);  // velocity 0 releases
    EXPECT_TRUE(e.fx->voice(0).released);
    e.midi(0xB9, 123, 0);  // all notes off on channel 10
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(e.fx->voice(i).released);
}

TEST(EngineMidi, ANoteStruckTwiceIsReleasedByOneNoteOff) {
    Engine e;
    e.noteOn(64);
    e.noteOn(64, 90, 9);
    e.noteOff(64, 15);
    EXPECT_TRUE(e.fx->voice(0).released);
    EXPECT_TRUE(e.fx->voice(1).released);
    e.noteOn(65);
    e.midi(0xB0, 126, 0);
    EXPECT_TRUE(e.fx->voice(2).released);
}

TEST(EngineMidi, ReleasedVoicesFreeThemselvesEvenWithSustainAtZero) {
    Engine e;
    e.fx->setParameter(18, 0.0f);  // amplitude sustain 0: a release step of zero
    e.render(64);
    for (int round = 0; round < 3; ++round) {
        for (int n = 0; n < 12; ++n) e.noteOn(40 + n);
        e.render(2048);
        for (int n = 0; n < 12; ++n) e.noteOff(40 + n);
        e.render(44100);
        EXPECT_EQ(e.activeVoices(), 0) << round;
    }
}

TEST(EngineMidi, ControllersMoveBoundParametersAndThePalette) {
    Engine e;
    Tarnwell &fx = *e.fx;
    fx.assignController(21, 9);
    e.midi(0xB0, 21, 127);
    EXPECT_EQ(fx.getParameter(9), 1.0f);
    e.midi(0xBF, 21, 64);
    EXPECT_NEAR(fx.getParameter(9), 0.503937f, 1e-6);
    e.midi(0xB3, 21, 0);
    EXPECT_EQ(fx.getParameter(9), 0.0f);
    e.midi(0xB0, 21, 200);  // not MIDI data: read as negative, clamped
    EXPECT_EQ(fx.getParameter(9), 0.0f);

    // The mod wheel moves the palette only, even when bound.
    fx.assignController(1, 10);
    const float res = fx.getParameter(10);
    e.midi(0xB0, 1, 127);
    EXPECT_EQ(fx.getParameter(10), res);
    EXPECT_EQ(static_cast<tarn::TarnEditor *>(fx.getEditor())->getPaletteOffset(), 1035);
    e.midi(0xB0, 1, 64);
    EXPECT_EQ(static_cast<tarn::TarnEditor *>(fx.getEditor())->getPaletteOffset(), 522);

    // Bindings to parameters that do not exist move nothing.
    fx.assignController(30, 500);
    fx.assignController(31, -4);
    e.midi(0xB0, 30, 100);
    e.midi(0xB0, 31, 100);
}

TEST(EngineMidi, MalformedEventBlocksAreSkipped) {
    Engine e;
    Tarnwell &fx = *e.fx;
    EXPECT_EQ(fx.processEvents(nullptr), 1);
    VstEvents empty{};
    empty.numEvents = -5;
    EXPECT_EQ(fx.processEvents(&empty), 1);

    VstMidiEvent small{};
    small.type = kVstMidiType;
    small.byteSize = 8;
    small.midiData[0] = static_cast<char>(0x90);
    small.midiData[1] = 60;
    small.midiData[2] = 100;
    VstMidiEvent hostStyle = small;
    hostStyle.byteSize = 24;  // some hosts count only what follows the size fields
    VstEvent sysex{};
    sysex.type = kVstSysExType;
    sysex.byteSize = 32;
    struct {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent *events[4];
    } block{4, 0, {nullptr, reinterpret_cast<VstEvent *>(&small), &sysex, reinterpret_cast<VstEvent *>(&hostStyle)}};
    fx.processEvents(reinterpret_cast<VstEvents *>(&block));
    EXPECT_EQ(e.activeVoices(), 1);
}

TEST(EngineMidi, NotesPushTheMeshOnlyWhileTheViewShows) {
    Engine e;
    Tarnwell &fx = *e.fx;
    fx.setProgram(8);
    e.render(16);
    fx.setParameter(4, 0.5f);
    fx.setParameter(5, 0.5f);
    fx.setParameter(2, 7.5f / 57.0f);  // 10 rows
    fx.setParameter(3, 7.5f / 57.0f);  // 10 columns
    auto &mesh = fx.meshStage().mesh();
    ASSERT_EQ(mesh.rows(), 10);
    e.noteOn(60, 127);
    EXPECT_EQ(mesh.driveAt(5, 5), 0.0);
    fx.vendorSpecific(Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    e.noteOn(61, 127);
    EXPECT_EQ(mesh.driveAt(5, 5), 25.0);
    e.noteOn(62, 1);
    EXPECT_DOUBLE_EQ(mesh.driveAt(5, 5), 12.5 + 12.5 / 127);

    // The renderer's clock is no view, and while it steps the mesh a view's
    // frames must not step it as well.
    MeshStage &stage = fx.meshStage();
    EXPECT_FALSE(stage.isViewShowing());
    stage.advanceFrame(0.03);
    EXPECT_EQ(mesh.heightAt(5, 5), 0.0);
    fx.vendorSpecific(Tarnwell::kVendorOfflineMesh, 0, nullptr, 0.0f);
    stage.advanceFrame(0.03);
    EXPECT_GT(mesh.heightAt(5, 5), 0.0);
}

TEST(EngineMidi, EventsTakeEffectOnTheirSampleInsideTheBlock) {
    // One block with events inside it must sound exactly like the same
    // block cut at those events with each event leading its piece. The LFO
    // speeds and delay gains count their steps from the start of every
    // block, so both instances first let them settle.
    Engine whole, cut;
    for (Engine *e : {&whole, &cut}) e->render(8192);
    std::vector<float> a, b;
    whole.midi(0x90, 60, 100, 100);
    whole.midi(0xB0, 123, 0, 300);  // all notes off
    whole.midi(0x90, 64, 90, 300);  // after it, on the same sample
    whole.midi(0x90, 67, 80, 5000);  // past the block: its last sample
    whole.midi(0x90, 48, 70, -20);  // before it: its first
    whole.renderInto(512, a);
    EXPECT_EQ(whole.activeVoices(), 4);
    cut.noteOn(48, 70);
    cut.renderInto(100, b);
    cut.noteOn(60, 100);
    cut.renderInto(200, b);
    cut.midi(0xB0, 123, 0);
    cut.noteOn(64, 90);
    cut.renderInto(211, b);
    cut.noteOn(67, 80);
    cut.renderInto(1, b);
    for (Engine *e : {&whole, &cut}) e->renderInto(4096, e == &whole ? a : b);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)));
    EXPECT_GT(whole.peak(), 0.001);
}

TEST(EngineMidi, EventsPastTheQueuesRoomKeepTheirOrder) {
    // With the queue full, a note-off that acted at once would overtake
    // its waiting note-on and leave the note hanging.
    Engine e;
    for (int i = 0; i < 255; ++i) e.midi(0xA0, 0, 0, 1);  // aftertouch: ignored
    e.midi(0x90, 60, 100, 2);
    e.midi(0x80, 60, 0, 3);
    e.render(8);
    EXPECT_TRUE(e.fx->voice(0).active);
    EXPECT_TRUE(e.fx->voice(0).released);
}
