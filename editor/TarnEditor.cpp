#include "editor/TarnEditor.h"

#include <cmath>

#include "editor/FrameClock.h"
#include "editor/GL.h"
#include "editor/GlutText.h"
#include "editor/MessageBox.h"
#include "engine/Tarnwell.h"

namespace tarn {

const char *const TarnEditor::kFirstRunCaption = "Tarnwell!";
const char *const TarnEditor::kFirstRunText =
    "It looks like this is your first time trying Tarnwell.\n"
    "Here's a tip for getting started:\n"
    "* First click the 'MIDI' button to set up your controller.\n"
    "* Record some notes and put them on loop.\n"
    "* Play with the Friction and Viscosity controls to get a feel for how the animation works.\n"
    "* Don't forget to play with the mod wheel.\n"
    "\n"
    "Have fun!";

TarnEditor::TarnEditor(Tarnwell *effect, int width, int height, bool firstRunTip)
    : VSTGLEditor(effect, 0),
      Timer(kTimerIntervalMs),
      tarnwell(effect),
      stage(effect->meshStage()),
      viewWidth(width),
      viewHeight(height),
      pixelWidth(width),
      pixelHeight(height),
      meshAreaWidth(width - kMeshAreaMargin),
      meshAreaHeight(height - kMeshAreaMargin),
      firstRun(firstRunTip) {
    setBounds(0, 0, width, height);
    // The engine's learn prompts appear the way this window shows dialogs.
    effect->setLearnDialogs(learnDialogDriver());
    counterFrequency = frameClockFrequency();
    lastFrameTime = frameClockNow();
}

TarnEditor::~TarnEditor() {
    // A host that closes the instance with the window still up would leave
    // the window calling into a destroyed view.
    if (hasWindow()) close();
    stop();
    // Prompts still drawn by this view close with it.
    if (tarnwell) tarnwell->setLearnDialogs(platformLearnDialog());
}

MeshLayout TarnEditor::currentLayout() const {
    const Mesh &mesh = stage.mesh();
    return MeshLayout::forView(pixelWidth, pixelHeight, mesh.columns(), mesh.rows());
}

void TarnEditor::glOpen() {
    const ERect &r = bounds();
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, w, 0, h);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    initGlutText();
    const int W = pixelWidth;
    const int H = pixelHeight;
    fxButton = std::make_unique<FXButton>(10, 10, tarnwell);
    midiButton = std::make_unique<MidiButton>(W - 48, 10, tarnwell);
    aboutButton = std::make_unique<AboutButton>(10, H - 30);
    randomButton = std::make_unique<RandomButton>(W - 34, H - 30, tarnwell);
    frictionSlider = std::make_unique<HSlide>(W / 2 - 113, 10, tarnwell, kParamFriction, "Frict");
    viscositySlider = std::make_unique<HSlide>(W / 2 + 4, 10, tarnwell, kParamViscosity, "Visc");
    columnsSlider = std::make_unique<HSlide>(W / 2 - 50, H - 30, tarnwell, kParamColumns, "Cols");
    rowsSlider = std::make_unique<VSlide>(10, H / 2 - 40, tarnwell, kParamRows, "Rows");

    lastFrameTime = frameClockNow();
    stage.setViewShowing(true);
    start();

    if (firstRun) showFirstRunTip();
}

void TarnEditor::showFirstRunTip() {
    // Where boxes do not wait, an editor closed before the tip was dismissed
    // shows it again at the next opening.
    showMessageBox(kFirstRunCaption, kFirstRunText, [this] {
        firstRun = false;
        if (tarnwell) tarnwell->saveSettings();
    });
}

void TarnEditor::glClose() {
    stop();
    stage.setViewShowing(false);
}

void TarnEditor::tick() { redraw(); }

void TarnEditor::advanceFrame() {
    const int64_t now = frameClockNow();
    double elapsed = static_cast<double>(now - lastFrameTime) / counterFrequency;
    lastFrameTime = now;
    if (!(elapsed >= 0.0)) elapsed = 0.0;
    stage.advanceFrame(elapsed);
}

void TarnEditor::hiddenFrame() { advanceFrame(); }

void TarnEditor::render() {
    advanceFrame();

    const MeshLayout layout = currentLayout();
    cellHalfSize = cellHalfSizeFor(meshAreaWidth, layout.columns, layout.rows);

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    drawMesh(layout, getPaletteOffset());

    if (fxButton) fxButton->paint();
    if (midiButton) midiButton->paint();
    if (aboutButton) aboutButton->paint();
    if (randomButton) randomButton->paint();
    if (frictionSlider) frictionSlider->paint();
    if (viscositySlider) viscositySlider->paint();
    if (columnsSlider) columnsSlider->paint();
    if (rowsSlider) rowsSlider->paint();
    glFlush();
}

void TarnEditor::drawMesh(const MeshLayout &layout, int32_t offset) {
    const int32_t size = palette.size();
    offset = clampColourPosition(offset, size);
    const Mesh &mesh = stage.mesh();
    const float h = static_cast<float>(cellHalfSize);
    // One batch for the whole field. Each corner is placed as a translate and
    // scale of the unit square would place it, in single precision, so the
    // squares land where a per-square matrix would put them.
    glBegin(GL_QUADS);
    for (int r = 0; r < layout.rows; ++r) {
        int32_t position = offset + kRowColourStep * r;
        const float y = static_cast<float>(layout.centreY(r));
        for (int c = 0; c < layout.columns; ++c) {
            position = clampColourPosition(position + kColumnColourStep, size);
            const NodeLook look = nodeLook(mesh.heightAt(r, c), position, size);
            glColor3f(static_cast<float>(palette.red(look.entry) * look.brightness),
                      static_cast<float>(palette.green(look.entry) * look.brightness),
                      static_cast<float>(palette.blue(look.entry) * look.brightness));
            const float x = static_cast<float>(layout.centreX(c));
            const float e = static_cast<float>(look.scale) * h;
            glVertex2f(x - e, y + e);
            glVertex2f(x + e, y + e);
            glVertex2f(x + e, y - e);
            glVertex2f(x - e, y - e);
        }
    }
    glEnd();
}

bool TarnEditor::offerToWidgets(int x, int y) {
    glbutton *const order[] = {midiButton.get(),     fxButton.get(),        aboutButton.get(), randomButton.get(),
                               frictionSlider.get(), viscositySlider.get(), rowsSlider.get(),  columnsSlider.get()};
    for (glbutton *widget : order) {
        if (widget && widget->contains(x, y)) {
            widget->press(x, y);
            return true;
        }
    }
    return false;
}

void TarnEditor::mouseDown(int button, int x, int y) {
    if (button == 1) {
        const int yUp = pixelHeight - y - 1;
        if (offerToWidgets(x, yUp)) return;
        int column = 0, row = 0;
        if (currentLayout().nodeAt(x, yUp, column, row)) stage.mesh().poke(column, row, 1.0);
    } else if (button == 2) {
        stage.mesh().reset();
    }
}

void TarnEditor::mouseMove(int x, int y) {
    const int yUp = pixelHeight - y - 1;
    if (frictionSlider) frictionSlider->drag(x, yUp);
    if (viscositySlider) viscositySlider->drag(x, yUp);
    if (columnsSlider) columnsSlider->drag(x, yUp);
    if (rowsSlider) rowsSlider->drag(x, yUp);
}

void TarnEditor::mouseUp(int, int, int) {
    if (frictionSlider) frictionSlider->endDrag();
    if (viscositySlider) viscositySlider->endDrag();
    if (columnsSlider) columnsSlider->endDrag();
    if (rowsSlider) rowsSlider->endDrag();
}

}  // namespace tarn
