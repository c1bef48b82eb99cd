// Widget geometry and presses. Text widths come from the 9-pixel fixed font
// (GLUT's, or the fallback when there is no display).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "editor/AboutButton.h"
#include "editor/FXButton.h"
#include "editor/HSlide.h"
#include "editor/MidiButton.h"
#include "editor/RandomButton.h"
#include "editor/SliderBars.h"
#include "editor/VSlide.h"
#include "plugin/AudioEffect.h"
#include "test_editor_support.h"

namespace tarn {
namespace {

class RecordingEffect final : public AudioEffect {
public:
    RecordingEffect() : AudioEffect(nullptr, 1, 88) {}
    void processReplacing(float **, float **, VstInt32) override {}
    void setParameter(VstInt32 index, float value) override {
        if (index >= 0 && index < 88) values[index] = value;
        ++sets;
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < 88 ? values[index] : 0.0f; }
    std::array<float, 88> values{};
    int sets = 0;
};

TEST(EditorWidgets, TextButtonsAreTheirLabelsBox) {
    MidiButton midi(552, 10, nullptr);
    EXPECT_EQ(midi.getLabel(), "MIDI");
    EXPECT_EQ(midi.getRight(), 552 + 4 * 9);
    EXPECT_EQ(midi.getTop(), 25);
    EXPECT_TRUE(midi.contains(552, 10));
    EXPECT_TRUE(midi.contains(588, 25));
    EXPECT_FALSE(midi.contains(589, 25));
    EXPECT_FALSE(midi.contains(560, 9));
    EXPECT_FALSE(midi.contains(560, 26));
    midi.press(560, 12);  // no view: nothing to start, nothing to crash

    AboutButton about(10, 570);
    EXPECT_EQ(about.getLabel(), "Tarnwell!");
    EXPECT_EQ(about.getRight(), 10 + 81);
    RandomButton random(566, 570, nullptr);
    EXPECT_EQ(random.getRight(), 575);
    EXPECT_EQ(random.getTop(), 585);
    random.press(570, 575);
}

TEST(EditorWidgets, AboutBoxCreditsOnlyThisProject) {
    editortest::shownBoxes().clear();
    setMessageBoxHandler(editortest::recordBox);
    AboutButton about(10, 570);
    about.press(12, 572);
    setMessageBoxHandler(nullptr);
    ASSERT_EQ(editortest::shownBoxes().size(), 1u);
    EXPECT_EQ(editortest::shownBoxes()[0].caption, "About Tarnwell");
    EXPECT_EQ(editortest::shownBoxes()[0].text.rfind("Tarnwell 1.0\n\n", 0), 0u);
}

TEST(EditorWidgets, HorizontalSliderStripAndDrag) {
    RecordingEffect fx;
    fx.values[0] = 0.25f;
    HSlide slide(187, 10, &fx, 0, "Frict");
    EXPECT_EQ(slide.getValue(), 0.25f);
    EXPECT_EQ(slide.getLeft(), 187);
    EXPECT_EQ(slide.getBottom(), 7);
    EXPECT_EQ(slide.getTop(), 27);
    EXPECT_EQ(slide.getRight(), 187 + 45 + 64);
    const int x0 = slide.stripStart();
    EXPECT_EQ(x0, 187 + 45 + 4);

    // Outside the strip: nothing at all.
    slide.press(x0 - 1, 15);
    slide.press(x0 + 61, 15);
    EXPECT_EQ(fx.sets, 0);
    EXPECT_FALSE(slide.isDragging());
    slide.drag(x0 + 30, 15);  // not dragging
    EXPECT_EQ(fx.sets, 0);

    slide.press(x0, 15);
    EXPECT_TRUE(slide.isDragging());
    EXPECT_EQ(fx.values[0], 0.0f);
    slide.press(x0 + 60, 15);
    EXPECT_EQ(fx.values[0], 1.0f);
    slide.drag(x0 + 30, -400);  // y is not examined
    EXPECT_EQ(fx.values[0], 0.5f);
    slide.drag(x0 + 500, 15);
    EXPECT_EQ(fx.values[0], 1.0f);
    slide.drag(x0 - 500, 15);
    EXPECT_EQ(fx.values[0], 0.0f);
    slide.endDrag();
    const int setsBefore = fx.sets;
    slide.drag(x0 + 30, 15);
    EXPECT_EQ(fx.sets, setsBefore);
}

TEST(EditorWidgets, VerticalSliderColumnAndDrag) {
    RecordingEffect fx;
    VSlide slide(10, 260, &fx, 2, "Rows");
    EXPECT_EQ(slide.barColumn(), 18);
    EXPECT_EQ(slide.getRight(), 54);
    EXPECT_EQ(slide.getTop(), 339);
    EXPECT_EQ(slide.getBottom(), 260);
    const int y0 = slide.stripStart();
    EXPECT_EQ(y0, 279);

    // Inside the rectangle but right of the bars, or below the strip: ignored.
    slide.press(18 + 21, y0 + 10);
    slide.press(18 - 1, y0 + 10);
    slide.press(20, y0 - 1);
    slide.press(20, y0 + 61);
    EXPECT_EQ(fx.sets, 0);

    slide.press(38, y0 + 15);
    EXPECT_TRUE(slide.isDragging());
    EXPECT_EQ(fx.values[2], 0.25f);
    slide.drag(5000, y0 + 60);  // x is not examined
    EXPECT_EQ(fx.values[2], 1.0f);
    slide.drag(0, -5000);
    EXPECT_EQ(fx.values[2], 0.0f);
}

TEST(EditorWidgets, LitBarCounts) {
    EXPECT_EQ(litBars(0.85f), 8);
    EXPECT_EQ(litBars(0.9f), 9);
    EXPECT_EQ(litBars(0.89f), 8);
    EXPECT_EQ(litBars(0.99f), 10);
    EXPECT_EQ(litBars(1.0f), 10);
    EXPECT_EQ(litBars(0.0f), 0);
    EXPECT_EQ(litBars(0.1f), 1);
    EXPECT_EQ(litBars(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(litBars(-3.0f), 0);
    EXPECT_EQ(litBars(7.0f), 10);
}

TEST(EditorWidgets, FxButtonTogglesFlagAndLabel) {
    editortest::Instrument inst;
    Tarnwell &fx = *inst.effect;
    ASSERT_TRUE(fx.fxOn());
    FXButton button(10, 10, &fx);
    EXPECT_EQ(button.getLabel(), "FX on");
    EXPECT_EQ(button.getRight(), 10 + 5 * 9);
    button.press(12, 12);
    EXPECT_FALSE(fx.fxOn());
    EXPECT_EQ(button.getLabel(), "FX off");
    EXPECT_EQ(button.getRight(), 10 + 6 * 9);
    button.press(12, 12);
    EXPECT_TRUE(fx.fxOn());
    EXPECT_EQ(button.getLabel(), "FX on");
    EXPECT_EQ(button.getRight(), 10 + 5 * 9);

    fx.setFxOn(false);
    FXButton second(10, 10, &fx);
    EXPECT_EQ(second.getLabel(), "FX off");
}

TEST(EditorWidgets, RandomButtonChangesEveryParameter) {
    editortest::Instrument inst;
    Tarnwell &fx = *inst.effect;
    for (int i = 0; i < 88; ++i) fx.setParameter(i, 0.123456f);
    std::srand(12345);
    RandomButton button(566, 570, &fx);
    button.press(570, 575);
    int changed = 0;
    for (int i = 0; i < 88; ++i) {
        const float v = fx.getParameter(i);
        EXPECT_GE(v, 0.0f) << i;
        EXPECT_LE(v, 1.0f) << i;
        if (v != 0.123456f) ++changed;
    }
    EXPECT_EQ(changed, 88);
    // Rows and Columns went through the engine, which resized the mesh.
    EXPECT_EQ(inst.view().getMesh().columns(), fx.getMeshColumns());
    EXPECT_EQ(inst.view().getMesh().rows(), fx.getMeshRows());

    RecordingEffect recorder;
    RandomButton plain(0, 0, &recorder);
    plain.press(1, 1);
    EXPECT_EQ(recorder.sets, 88);
}

}  // namespace
}  // namespace tarn
