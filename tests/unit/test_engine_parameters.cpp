#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "engine/ProgramBank.h"

using tarn::Tarnwell;
using tarn::testing::Engine;

namespace {

std::string display(Tarnwell &fx, int index) {
    char text[64];
    fx.getParameterDisplay(index, text);
    return text;
}

}  // namespace

TEST(EngineConstruction, LoadsPingyAndAppliesItOnce) {
    Engine e;
    Tarnwell &fx = *e.fx;
    EXPECT_EQ(fx.getProgram(), 0);
    char name[32];
    fx.getProgramName(name);
    EXPECT_STREQ(name, "pingy");
    // 88 automation notices in index order, then a MIDI request.
    int expected = 0;
    for (const auto &c : e.host.calls)
        if (c.opcode == audioMasterAutomate) {
            EXPECT_EQ(c.index, expected++);
        }
    EXPECT_EQ(expected, 88);
    EXPECT_EQ(e.host.calls.back().opcode, audioMasterWantMidi);
    EXPECT_EQ(e.host.calls.back().value, 1);
    for (int k = 0; k < Tarnwell::kNumSynthParams; ++k)
        EXPECT_EQ(fx.effectiveParameter(k), fx.getParameter(6 + k)) << k;
    EXPECT_FLOAT_EQ(fx.getParameter(0), 0.1575f);
    EXPECT_EQ(display(fx, 27), "-12.1");

    // Program 0's slots: C01..C07 read single nodes and drive Decay, Delay
    // Feedback, Cut, Flt Env Mod, Flt Attack, Res and LFO2 Speed.
    const int targets[] = {11, 21, 3, 9, 5, 4, 16};
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(fx.controller(j).type, 0) << j;
        EXPECT_EQ(fx.controller(j).target, targets[j]) << j;
        EXPECT_EQ(fx.controller(j).division, j == 3 ? 6 : 0) << j;
    }
    for (int j = 7; j < 10; ++j) {
        EXPECT_EQ(fx.controller(j).type, 2);
        EXPECT_EQ(fx.controller(j).scale, 0.0);
    }
}

TEST(EngineConstruction, MeshTakesTheProgramSizeAtTheFirstControlTick) {
    Engine e;
    EXPECT_EQ(e.fx->getMeshRows(), 10);
    EXPECT_EQ(e.fx->meshStage().mesh().columns(), 10);
    e.render(1);
    EXPECT_EQ(e.fx->getMeshRows(), 17);
    EXPECT_EQ(e.fx->getMeshColumns(), 22);
    EXPECT_EQ(e.fx->meshStage().mesh().rows(), 17);
    EXPECT_EQ(e.fx->meshStage().mesh().columns(), 22);
    // X shows the column it reads, so its text follows "Columns".
    e.fx->setParameter(29, 1.0f);
    EXPECT_EQ(display(*e.fx, 29), "21");
}

TEST(EngineParameters, GarbageValuesAreClampedAndIndicesIgnored) {
    Engine e;
    Tarnwell &fx = *e.fx;
    fx.setParameter(9, 1.7f);
    EXPECT_EQ(fx.getParameter(9), 1.0f);
    fx.setParameter(9, -3.0f);
    EXPECT_EQ(fx.getParameter(9), 0.0f);
    fx.setParameter(9, std::nanf(""));
    EXPECT_EQ(fx.getParameter(9), 0.0f);
    fx.setParameter(2, INFINITY);
    EXPECT_EQ(fx.getMeshRows(), 59);
    fx.setParameter(3, -INFINITY);
    EXPECT_EQ(fx.getMeshColumns(), 3);
    for (int p = 28; p < 88; ++p) fx.setParameter(p, std::nanf(""));
    e.render(256);  // decodes every slot from the clamped values
    EXPECT_EQ(fx.controller(0).column, 0);

    const float before = fx.getParameter(87);
    fx.setParameter(88, 0.5f);
    fx.setParameter(-1, 0.5f);
    EXPECT_EQ(fx.getParameter(88), 0.0f);
    EXPECT_EQ(fx.getParameter(-1), 0.0f);
    EXPECT_EQ(fx.getParameter(87), before);

    char text[64] = "x";
    fx.getParameterName(88, text);
    EXPECT_STREQ(text, "");
    fx.getParameterDisplay(-5, text);
    EXPECT_STREQ(text, "");
    fx.getParameterLabel(200, text);
    EXPECT_STREQ(text, "(none)");
}

TEST(EngineParameters, NoteAndVelocityScalesAndMeshParameters) {
    Engine e;
    Tarnwell &fx = *e.fx;
    fx.setParameter(4, 0.25f);
    EXPECT_EQ(display(fx, 4), "-1.0");
    fx.setParameter(2, 0.5f);
    EXPECT_EQ(display(fx, 2), "31");
    EXPECT_EQ(fx.getMeshRows(), 31);
    EXPECT_EQ(fx.meshStage().mesh().rows(), 31);
    // Friction glides on the mesh at 0.01 per step.
    fx.setParameter(0, 1.0f);
    auto &mesh = fx.meshStage().mesh();
    const double before = mesh.friction().value;
    mesh.step(0.001);
    EXPECT_NEAR(mesh.friction().value, before + 0.01, 1e-12);
}

TEST(EnginePrograms, SwitchingKeepsEditsInTheSharedBank) {
    Engine e;
    Tarnwell &fx = *e.fx;
    const float original = static_cast<float>(tarn::ProgramBank::shared().value(0, 9));
    fx.setParameter(9, 0.123f);
    e.host.calls.clear();
    fx.setProgram(1);
    EXPECT_EQ(e.host.count(audioMasterAutomate), 88);
    EXPECT_FLOAT_EQ(fx.getParameter(0), 0.5118f);
    fx.setProgram(0);
    EXPECT_EQ(fx.getParameter(9), 0.123f);
    {
        // A second instance in the same process sees the edited bank.
        Engine other(120.0, false);
        EXPECT_EQ(other.fx->getParameter(9), 0.123f);
    }
    fx.setParameter(9, original);
    fx.setProgram(1);
    fx.setProgram(0);
    fx.setProgram(9);
    fx.setProgram(-1);
    EXPECT_EQ(fx.getProgram(), 0);

    char name[40];
    EXPECT_TRUE(fx.getProgramNameIndexed(0, 8, name));
    EXPECT_STREQ(name, "blank slate");
    EXPECT_FALSE(fx.getProgramNameIndexed(0, 9, name));
    fx.setProgram(8);
    char longName[] = "a program name far longer than the slot";
    fx.setProgramName(longName);
    fx.getProgramName(name);
    EXPECT_EQ(std::strlen(name), 23u);
    char restore[] = "blank slate";
    fx.setProgramName(restore);
    fx.setProgram(0);
}

TEST(EngineIdentity, AnswersTheHostsQuestions) {
    Engine e;
    Tarnwell &fx = *e.fx;
    char yes1[] = "receiveVstMidiEvent", no1[] = "sendVstMidiEvent", no2[] = "receiveVstEvent";
    EXPECT_EQ(fx.canDo(yes1), 1);
    EXPECT_EQ(fx.canDo(no1), -1);
    EXPECT_EQ(fx.canDo(no2), -1);
    VstPinProperties pin{};
    EXPECT_TRUE(fx.getOutputProperties(1, &pin));
    EXPECT_STREQ(pin.label, "Tarnwell R");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_FALSE(fx.getOutputProperties(2, &pin));
    EXPECT_FALSE(fx.getOutputProperties(-1, &pin));
    MidiProgramName p{};
    EXPECT_EQ(fx.getCurrentMidiProgram(16, &p), -1);
    EXPECT_EQ(fx.getCurrentMidiProgram(0, nullptr), -1);
    EXPECT_EQ(fx.getCurrentMidiProgram(0, &p), 0);
    EXPECT_STREQ(p.name, "Acoustic Grand Piano");
    EXPECT_EQ(fx.getAeffect()->flags, 273);
    EXPECT_EQ(fx.getAeffect()->uniqueID, 1951559255);
}
