#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "editor/DialogLayer.h"
#include "learn/ControllerMap.h"
#include "learn/LearnSequence.h"
#include "learn/Settings.h"

namespace tarn {
namespace {

class FakeEffect final : public LearnTarget {
public:
    void parameterName(int32_t param, char *text, size_t capacity) override {
        std::snprintf(text, capacity, "Param%d", static_cast<int>(param));
    }
    ControllerMap *controllers() override { return withMap ? &map : nullptr; }
    void saveSettings() override { ++saves; }

    ControllerMap map;
    bool withMap = true;
    int saves = 0;
};

// Stands in for the modal dialog: opens ("initialises"), records what the
// dialog would show, then lets the test answer it.
struct DialogScript {
    std::function<void(LearnPrompt &)> answer;
    std::vector<int32_t> parameters;
    std::vector<std::string> names, currents, heardAtOpen;
    std::vector<int> depthAtOpen;
    std::vector<LearnPrompt *> open;
    int closes = 0;
};
DialogScript *script = nullptr;

class ScriptedDialog final : public LearnDialogDriver {
public:
    bool modal() const override { return true; }
    void run(LearnPrompt &prompt) override;
    void close(LearnPrompt &) override { ++script->closes; }
};

void ScriptedDialog::run(LearnPrompt &prompt) {
    prompt.attach(&prompt);
    script->parameters.push_back(prompt.parameter());
    script->names.push_back(prompt.parameterText());
    script->currents.push_back(prompt.currentText());
    script->heardAtOpen.push_back(prompt.heardText());
    script->open.push_back(&prompt);
    script->depthAtOpen.push_back(static_cast<int>(script->open.size()));
    script->answer(prompt);
    script->open.pop_back();
}
ScriptedDialog kScripted;

class LearnSequenceTest : public ::testing::Test {
protected:
    void SetUp() override { script = &dialogs; }
    void TearDown() override { script = nullptr; }
    FakeEffect effect;
    DialogScript dialogs;
};

TEST(ControllerMapRules, BindingsReassignmentAndForgetting) {
    ControllerMap map;
    map.assign(10, 0);
    map.assign(20, 0);
    EXPECT_EQ(map.parameterFor(10), 0);
    EXPECT_EQ(map.parameterFor(20), 0);
    EXPECT_EQ(map.controllerFor(0), 20);

    // A controller drives one parameter; the old parameter still names it.
    map.assign(20, 1);
    EXPECT_EQ(map.parameterFor(20), 1);
    EXPECT_EQ(map.parameterFor(10), 0);
    EXPECT_EQ(map.controllerFor(0), 20);
    EXPECT_EQ(map.controllerFor(1), 20);

    // "Assign" with nothing heard hides the binding from the dialog only.
    map.forgetControllerOf(0);
    EXPECT_EQ(map.controllerFor(0), 0);
    EXPECT_EQ(map.parameterFor(10), 0);
    EXPECT_EQ(formatSettings(600, 600, map), "size 600 600\ncc 10 0\ncc 20 1\n");

    // Indices that are no parameter replace a binding but never move anything.
    map.assign(5, 3);
    map.assign(5, 88);
    EXPECT_EQ(map.parameterFor(5), ControllerMap::kNoParameter);
    map.assign(-1, 3);
    map.assign(128, 3);
    EXPECT_EQ(map.parameterFor(-1), ControllerMap::kNoParameter);
    EXPECT_EQ(map.parameterFor(128), ControllerMap::kNoParameter);
    EXPECT_EQ(map.controllerFor(3), 128);
}

TEST_F(LearnSequenceTest, FourNestedDialogsAndTheLastControllerWins) {
    effect.map.assign(10, 1);
    LearnSequence sequence(effect, kScripted);
    sequence.controllerSeen(30);  // before any dialog: not offered
    dialogs.answer = [&](LearnPrompt &p) {
        if (p.parameter() != 0) {
            EXPECT_TRUE(p.cancel());
            return;
        }
        EXPECT_EQ(sequence.activePrompt(), &p);
        EXPECT_FALSE(p.poll());
        sequence.controllerSeen(20);
        EXPECT_TRUE(p.poll());
        EXPECT_EQ(p.heardText(), "New MIDI CC: 20");
        EXPECT_FALSE(p.poll()) << "no change, no update";
        sequence.controllerSeen(21);  // not yet shown when Assign is pressed
        EXPECT_TRUE(p.assign());
    };
    sequence.start();

    EXPECT_EQ(dialogs.parameters, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(dialogs.depthAtOpen, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(dialogs.names[2], "Param2");
    EXPECT_EQ(dialogs.currents[0], "Current MIDI CC: none");
    EXPECT_EQ(dialogs.currents[1], "Current MIDI CC: 10");
    for (const auto &text : dialogs.heardAtOpen) EXPECT_EQ(text, "New MIDI CC: none");
    EXPECT_EQ(effect.map.parameterFor(21), 0);
    EXPECT_EQ(effect.map.parameterFor(20), ControllerMap::kNoParameter);
    EXPECT_EQ(effect.map.controllerFor(0), 21);
    EXPECT_EQ(effect.saves, 2) << "after the Assign and after the last dialog";
    EXPECT_EQ(sequence.learnPosition(), 4);
    EXPECT_EQ(sequence.activePrompt(), nullptr);
}

TEST_F(LearnSequenceTest, CancelAndAssignWithNothingHeard) {
    effect.map.assign(10, 0);
    LearnSequence sequence(effect, kScripted);
    dialogs.answer = [](LearnPrompt &p) { EXPECT_TRUE(p.cancel()); };
    sequence.start();
    EXPECT_EQ(effect.saves, 1) << "only at the end of the sequence";
    EXPECT_EQ(effect.map.controllerFor(0), 10);
    EXPECT_EQ(effect.map.ccToParam().size(), 1u);

    // Controller 0, and numbers that are no controller, count as none.
    dialogs.answer = [&](LearnPrompt &p) {
        if (p.parameter() == 0) {
            sequence.controllerSeen(20);
            EXPECT_TRUE(p.poll());
            sequence.controllerSeen(0);
            sequence.controllerSeen(128);
            sequence.controllerSeen(-5);
            EXPECT_TRUE(p.poll());
            EXPECT_EQ(p.heardText(), "New MIDI CC: none");
            EXPECT_TRUE(p.assign());
        } else {
            EXPECT_TRUE(p.cancel());
        }
    };
    sequence.start();
    EXPECT_EQ(effect.map.controllerFor(0), 0);
    EXPECT_EQ(effect.map.parameterFor(10), 0) << "the binding itself stays";
    EXPECT_EQ(effect.map.parameterFor(20), ControllerMap::kNoParameter);
    EXPECT_EQ(effect.saves, 3);
    dialogs.answer = [](LearnPrompt &p) { EXPECT_TRUE(p.cancel()); };
    sequence.start();
    EXPECT_EQ(dialogs.currents.back(), "Current MIDI CC: none");
    EXPECT_EQ(dialogs.currents[dialogs.currents.size() - 4], "Current MIDI CC: none");
}

TEST_F(LearnSequenceTest, AnsweredDialogsUnderneathIgnoreFurtherPresses) {
    LearnSequence sequence(effect, kScripted);
    dialogs.answer = [&](LearnPrompt &p) {
        if (p.parameter() == 1) {
            LearnPrompt &older = *dialogs.open[0];
            sequence.controllerSeen(40);
            EXPECT_FALSE(older.poll()) << "only the newest dialog listens";
            EXPECT_FALSE(older.assign());
            EXPECT_FALSE(older.cancel());
            EXPECT_TRUE(p.poll());
        }
        EXPECT_TRUE(p.cancel());
        EXPECT_FALSE(p.cancel());
    };
    sequence.start();
    EXPECT_EQ(dialogs.parameters.size(), 4u);
    EXPECT_EQ(effect.saves, 1);
    EXPECT_TRUE(effect.map.ccToParam().empty());

    // Without an effect there is nothing to bind, but the sequence still runs.
    effect.withMap = false;
    dialogs.answer = [&](LearnPrompt &p) {
        EXPECT_EQ(p.currentText(), "Current MIDI CC: none");
        sequence.controllerSeen(50);
        EXPECT_TRUE(p.assign());
    };
    sequence.start();
    EXPECT_EQ(effect.saves, 1 + 5);
}

TEST_F(LearnSequenceTest, DestroyedWhileDialogsAreOpen) {
    auto *sequence = new LearnSequence(effect, kScripted);
    dialogs.answer = [&](LearnPrompt &p) {
        if (p.parameter() == 0) {
            EXPECT_TRUE(p.assign());  // opens the next dialog, which deletes the sequence
            EXPECT_TRUE(p.detached());
            return;
        }
        delete sequence;
        EXPECT_EQ(dialogs.closes, 2) << "both open dialogs are told to end";
        EXPECT_TRUE(p.detached());
        EXPECT_FALSE(p.assign());
        EXPECT_FALSE(p.poll());
        EXPECT_EQ(p.parameterText(), "");
    };
    sequence->start();
    EXPECT_EQ(dialogs.parameters, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(effect.saves, 1);
}

// The end-to-end host drives the whole sequence through drawn prompts; here
// what it cannot reach: releases off a button, and prompts whose view goes.
TEST_F(LearnSequenceTest, PromptsDrawnOverTheViewNestAndCloseTogether) {
    DialogLayer layer;
    LearnSequence sequence(effect, layer);
    sequence.start();
    EXPECT_TRUE(layer.key(DialogLayer::Key::Enter));
    ASSERT_EQ(layer.size(), 2u) << "the answered prompt stays under the next";
    const PromptBox::Area cancel = layer.box(1).buttonArea(1);
    EXPECT_TRUE(layer.mouseDown(cancel.left + 1, cancel.bottom + 1));
    EXPECT_TRUE(layer.mouseUp(cancel.left - 30, cancel.bottom + 1));
    EXPECT_EQ(layer.size(), 2u) << "released off the button";
    EXPECT_TRUE(layer.mouseDown(cancel.left + 1, cancel.bottom + 1));
    EXPECT_TRUE(layer.mouseUp(cancel.right - 1, cancel.top - 1));
    EXPECT_EQ(layer.size(), 3u);

    // A view that goes hands the sequence another driver: its prompts close
    // unanswered; a sequence destroyed with prompts up takes them down too.
    sequence.setDriver(kScripted);
    EXPECT_TRUE(layer.empty());
    EXPECT_EQ(sequence.openDialogs(), 0u);
    {
        LearnSequence other(effect, layer);
        other.start();
        EXPECT_EQ(layer.size(), 1u);
    }
    EXPECT_TRUE(layer.empty());
}

}  // namespace
}  // namespace tarn
