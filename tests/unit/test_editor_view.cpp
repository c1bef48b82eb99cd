// The editor view without a rendering context: opening, the first-run tip,
// mouse handling and the palette offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "editor/DialogLayer.h"
#include "editor/GlutText.h"
#include "editor/VSTGLEditor.h"
#include "test_editor_support.h"

namespace tarn {
namespace {

using editortest::Instrument;
using editortest::shownBoxes;

bool meshAtRest(const Mesh &mesh) {
    for (int r = 0; r < mesh.rows(); ++r)
        for (int c = 0; c < mesh.columns(); ++c)
            if (mesh.heightAt(r, c) != 0.0 || mesh.velocityAt(r, c) != 0.0) return false;
    return true;
}

// Window y of a drawing-space y.
int windowY(const TarnEditor &view, int yUp) { return view.getPixelHeight() - yUp - 1; }

TEST(EditorView, ModWheelMovesThePaletteOffset) {
    Instrument inst("size 600 600\n");
    TarnEditor &view = inst.view();
    EXPECT_EQ(view.getPaletteOffset(), 0);
    inst.stage().setModWheel(127 / 127.0);
    EXPECT_EQ(view.getPaletteOffset(), 1035);
    inst.stage().setModWheel(0.0);
    EXPECT_EQ(view.getPaletteOffset(), 0);
    inst.stage().setModWheel(64 / 127.0);
    EXPECT_EQ(view.getPaletteOffset(), 522);
    inst.stage().setModWheel(std::nan(""));
    EXPECT_EQ(view.getPaletteOffset(), 0);
    inst.stage().setModWheel(9.0);
    EXPECT_EQ(view.getPaletteOffset(), 1035);
}

TEST(EditorView, OpenPlacesTheWidgetsAndCloseStopsShowing) {
    Instrument inst("size 600 600\n");
    TarnEditor &view = inst.view();
    ERect *rect = nullptr;
    ASSERT_TRUE(view.getRect(&rect));
    EXPECT_EQ(rect->right - rect->left, 600);
    EXPECT_EQ(rect->bottom - rect->top, 600);
    EXPECT_EQ(view.getFxButton(), nullptr);
    EXPECT_FALSE(view.isShowing());

    view.glOpen();
    EXPECT_TRUE(view.isShowing());
    ASSERT_NE(view.getFxButton(), nullptr);
    EXPECT_EQ(view.getFxButton()->getLeft(), 10);
    EXPECT_EQ(view.getFxButton()->getBottom(), 10);
    EXPECT_EQ(view.getMidiButton()->getLeft(), 552);
    EXPECT_EQ(view.getAboutButton()->getBottom(), 570);
    EXPECT_EQ(view.getRandomButton()->getLeft(), 566);
    EXPECT_EQ(view.getFrictionSlider()->getLeft(), 187);
    EXPECT_EQ(view.getViscositySlider()->getLeft(), 304);
    EXPECT_EQ(view.getColumnsSlider()->getLeft(), 250);
    EXPECT_EQ(view.getColumnsSlider()->getBottom(), 567);
    EXPECT_EQ(view.getRowsSlider()->getBottom(), 260);
    // No two widgets overlap, so the press order never hides one.
    glbutton *all[] = {view.getFxButton(),       view.getMidiButton(),      view.getAboutButton(),
                       view.getRandomButton(),   view.getFrictionSlider(),  view.getViscositySlider(),
                       view.getColumnsSlider(),  view.getRowsSlider()};
    for (glbutton *a : all) {
        for (glbutton *b : all) {
            if (a == b) continue;
            EXPECT_TRUE(a->getRight() < b->getLeft() || b->getRight() < a->getLeft() ||
                        a->getTop() < b->getBottom() || b->getTop() < a->getBottom())
                << a->getLabel() << " / " << b->getLabel();
        }
    }

    view.glClose();
    EXPECT_FALSE(view.isShowing());
    view.glOpen();  // replaces the widgets
    EXPECT_TRUE(view.isShowing());
    EXPECT_EQ(view.getFxButton()->getLabel(), "FX on");
    view.glClose();
    EXPECT_TRUE(shownBoxes().empty());
}

TEST(EditorView, FirstRunTipShowsOnceAndSavesSettings) {
    Instrument inst;  // no settings file: first run
    TarnEditor &view = inst.view();
    ASSERT_TRUE(view.isFirstRun());
    EXPECT_FALSE(inst.settings.fileExists());
    view.glOpen();
    ASSERT_EQ(shownBoxes().size(), 1u);
    EXPECT_EQ(shownBoxes()[0].caption, "Tarnwell!");
    EXPECT_EQ(shownBoxes()[0].text.size(), 334u);
    EXPECT_EQ(shownBoxes()[0].text, TarnEditor::kFirstRunText);
    EXPECT_FALSE(view.isFirstRun());
    EXPECT_FALSE(inst.effect->isFirstRun());
    EXPECT_TRUE(inst.settings.fileExists());
    view.glClose();
    view.glOpen();
    view.glClose();
    EXPECT_EQ(shownBoxes().size(), 1u);
}

TEST(EditorView, TipDrawnOverTheViewCountsOnlyWhenDismissed) {
    Instrument inst;
    setMessageBoxHandler(nullptr);
    DialogLayer layer;
    MessageBoxSink *previous = setThreadMessageBoxSink(&layer);
    TarnEditor &view = inst.view();
    view.glOpen();
    ASSERT_EQ(layer.size(), 1u);
    EXPECT_EQ(layer.box(0).caption(), "Tarnwell!");
    EXPECT_TRUE(view.isFirstRun());
    EXPECT_FALSE(inst.settings.fileExists());
    // Closed before it was dismissed: it comes back at the next opening.
    view.glClose();
    layer.dropMessages();
    view.glOpen();
    ASSERT_EQ(layer.size(), 1u);

    // The text wraps inside the box and loses no character but blanks.
    const PromptBox &tip = layer.box(0);
    std::string kept, original;
    for (const std::string &line : tip.lines()) {
        EXPECT_LE(glutTextWidth(line), tip.frame().right - tip.frame().left - 2 * PromptBox::kMargin) << line;
        kept += line;
    }
    for (const char *c = TarnEditor::kFirstRunText; *c; ++c) original += *c == '\n' ? "" : std::string(1, *c);
    auto noBlanks = [](std::string t) {
        t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
        return t;
    };
    EXPECT_EQ(noBlanks(kept), noBlanks(original));
    EXPECT_TRUE(view.isFirstRun());
    EXPECT_TRUE(layer.key(DialogLayer::Key::Escape));
    EXPECT_TRUE(layer.empty());
    EXPECT_FALSE(view.isFirstRun());
    EXPECT_TRUE(inst.settings.fileExists());
    view.glClose();
    setThreadMessageBoxSink(previous);
}

TEST(EditorView, LeftClickPokesTheNodeUnderThePointerRightClickStills) {
    Instrument inst("size 600 600\n");
    TarnEditor &view = inst.view();
    Mesh &mesh = view.getMesh();
    ASSERT_EQ(mesh.columns(), 10);

    // Before the first opening there are no widgets, and clicks still land.
    view.mouseDown(1, 126, 474);
    EXPECT_EQ(mesh.driveAt(1, 1), 25.0);
    mesh.reset();

    view.glOpen();
    view.mouseDown(1, 76, 524);  // node (0, 0): the fixed ring
    EXPECT_EQ(mesh.driveAt(0, 0), 25.0);
    inst.stage().advanceFrame(0.1);
    EXPECT_TRUE(meshAtRest(mesh));

    view.mouseDown(1, 126, 474);
    EXPECT_EQ(mesh.driveAt(1, 1), 25.0);
    inst.stage().advanceFrame(0.1);
    EXPECT_GT(mesh.heightAt(1, 1), 0.0);
    inst.stage().advanceFrame(0.1);
    EXPECT_FALSE(meshAtRest(mesh));

    view.mouseDown(3, 300, 300);  // middle button: nothing
    EXPECT_FALSE(meshAtRest(mesh));
    view.mouseDown(2, 300, 300);
    EXPECT_TRUE(meshAtRest(mesh));
    EXPECT_EQ(mesh.driveAt(1, 1), 0.0);

    // A press on a widget does not reach the mesh.
    const bool fx = inst.effect->fxOn();
    view.mouseDown(1, 12, windowY(view, 12));
    EXPECT_NE(inst.effect->fxOn(), fx);
    EXPECT_EQ(mesh.driveAt(0, 0), 0.0);
    view.glClose();
}

TEST(EditorView, TallEditorClicksStillLandOnTheDrawnNode) {
    Instrument inst("size 600 800\n");
    TarnEditor &view = inst.view();
    ASSERT_EQ(view.getPixelHeight(), 800);
    const MeshLayout layout = view.currentLayout();
    EXPECT_DOUBLE_EQ(layout.bottom, 150.0);
    view.glOpen();
    for (int r = 1; r < 9; r += 3) {
        for (int c = 1; c < 9; c += 2) {
            view.getMesh().reset();
            const int x = static_cast<int>(layout.centreX(c));
            const int y = static_cast<int>(layout.centreY(r));
            view.mouseDown(1, x, windowY(view, y));
            EXPECT_EQ(view.getMesh().driveAt(r, c), 25.0) << r << "," << c;
        }
    }
    view.glClose();
}

TEST(EditorView, SlidersFollowDragsUntilAnyRelease) {
    Instrument inst("size 600 600\n");
    TarnEditor &view = inst.view();
    Tarnwell &fx = *inst.effect;
    view.glOpen();
    HSlide &friction = *view.getFrictionSlider();
    const int x0 = friction.stripStart();
    view.mouseDown(1, x0 + 30, windowY(view, 15));
    EXPECT_FLOAT_EQ(fx.getParameter(0), 0.5f);
    view.mouseMove(x0 + 1000, 0);
    EXPECT_FLOAT_EQ(fx.getParameter(0), 1.0f);
    view.mouseUp(2, 0, 0);
    EXPECT_FALSE(friction.isDragging());
    view.mouseMove(x0, windowY(view, 15));
    EXPECT_FLOAT_EQ(fx.getParameter(0), 1.0f);

    // The rows slider resizes the mesh through the engine.
    VSlide &rows = *view.getRowsSlider();
    view.mouseDown(1, rows.barColumn() + 2, windowY(view, rows.stripStart() + 60));
    EXPECT_FLOAT_EQ(fx.getParameter(2), 1.0f);
    EXPECT_EQ(view.getMesh().rows(), fx.getMeshRows());
    EXPECT_GT(view.getMesh().rows(), 10);
    view.mouseMove(0, windowY(view, rows.stripStart() - 100));
    EXPECT_FLOAT_EQ(fx.getParameter(2), 0.0f);
    EXPECT_EQ(view.getMesh().rows(), 3);
    view.mouseUp(1, 0, 0);
    view.glClose();
}

TEST(EditorView, RenderStepsTheMeshByElapsedTime) {
    Instrument inst("size 600 600\n");
    TarnEditor &view = inst.view();
    view.glOpen();
    view.getMesh().poke(4, 4, 1.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    view.render();  // no context: the GL calls do nothing, the mesh still moves
    EXPECT_GT(view.getMesh().heightAt(4, 4), 0.0);
    EXPECT_NEAR(view.getCellHalfSize(), 500.0 / 10 / 7 * 0.75, 1e-12);
    view.glClose();
}

class BareEditor final : public VSTGLEditor {
public:
    explicit BareEditor(int32_t options) : VSTGLEditor(nullptr, options) {}
    void glOpen() override {}
    void glClose() override {}
    void render() override {}
};

TEST(EditorWindowBase, OptionWordAndRectangle) {
    const int32_t samples[] = {0, 0, 6, 4, 2, 2, 2, 2};
    for (int32_t options = 0; options < 8; ++options) {
        BareEditor editor(options);
        EXPECT_EQ(editor.sampleCountWanted(), samples[options]) << options;
        EXPECT_EQ(editor.verticalSyncWanted(), (options & 1) != 0) << options;
    }
    BareEditor editor(0);
    ERect *rect = nullptr;
    ASSERT_TRUE(editor.getRect(&rect));
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top | rect->left | rect->bottom | rect->right, 0);
    editor.setBounds(5, 7, 600, 800);
    EXPECT_EQ(rect->left, 5);
    EXPECT_EQ(rect->top, 7);
    EXPECT_EQ(rect->right, 605);
    EXPECT_EQ(rect->bottom, 807);
    editor.setBounds(0, 0, 100000, -100000);
    EXPECT_EQ(rect->right, 32767);
    EXPECT_EQ(rect->bottom, -32768);
    EXPECT_FALSE(editor.getRect(nullptr));
}

}  // namespace
}  // namespace tarn
