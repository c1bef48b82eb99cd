// The instrument's editor view. It borrows the engine's mesh: while the window
// is open a 30 ms timer asks the engine for a frame's worth of motion and
// draws the mesh as a field of coloured squares with the eight widgets around
// it; the mouse pushes or stills the mesh. The engine decides when the mesh
// moves and never calls into the view.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/AboutButton.h"
#include "editor/FXButton.h"
#include "editor/HSlide.h"
#include "editor/MeshLayout.h"
#include "editor/MidiButton.h"
#include "editor/Palette.h"
#include "editor/RandomButton.h"
#include "editor/Timer.h"
#include "editor/VSlide.h"
#include "editor/VSTGLEditor.h"
#include "engine/MeshStage.h"

namespace tarn {

class Tarnwell;

class TarnEditor final : public VSTGLEditor, public Timer {
public:
    static constexpr int kPaletteSize = Palette::kSize;
    static constexpr int kTimerIntervalMs = 30;
    static const char *const kFirstRunCaption;
    static const char *const kFirstRunText;

    TarnEditor(Tarnwell *effect, int width, int height, bool firstRun);
    ~TarnEditor() override;

    // The engine's mesh, borrowed for drawing and the mouse.
    Mesh &getMesh() { return stage.mesh(); }
    const Mesh &getMesh() const { return stage.mesh(); }
    // True from glOpen to glClose.
    bool isShowing() const { return stage.isViewShowing(); }
    // First palette entry of the frame, from the engine's mod wheel position.
    int32_t getPaletteOffset() const { return paletteOffsetFor(stage.modWheel(), kPaletteSize); }

    // View operations (user-interface thread, context current).
    void glOpen() override;
    void glClose() override;
    void render() override;
    void mouseDown(int button, int x, int y) override;
    void mouseMove(int x, int y) override;
    void mouseUp(int button, int x, int y) override;
    void hiddenFrame() override;
    void tick() override;

    // Layout and looks of the current frame, for drawing and hit-testing alike.
    MeshLayout currentLayout() const;
    double getCellHalfSize() const { return cellHalfSize; }
    const Palette &getPalette() const { return palette; }
    int getPixelWidth() const { return pixelWidth; }
    int getPixelHeight() const { return pixelHeight; }
    bool isFirstRun() const { return firstRun; }
    void setFirstRun(bool on) { firstRun = on; }

    FXButton *getFxButton() const { return fxButton.get(); }
    MidiButton *getMidiButton() const { return midiButton.get(); }
    AboutButton *getAboutButton() const { return aboutButton.get(); }
    RandomButton *getRandomButton() const { return randomButton.get(); }
    HSlide *getFrictionSlider() const { return frictionSlider.get(); }
    HSlide *getViscositySlider() const { return viscositySlider.get(); }
    HSlide *getColumnsSlider() const { return columnsSlider.get(); }
    VSlide *getRowsSlider() const { return rowsSlider.get(); }

private:
    // Steps the mesh by the time since the last frame.
    void advanceFrame();
    void drawMesh(const MeshLayout &layout, int32_t offset);
    bool offerToWidgets(int x, int y);
    void showFirstRunTip();

    Tarnwell *tarnwell;
    MeshStage &stage;
    double viewWidth;
    double viewHeight;
    Palette palette;
    int64_t lastFrameTime = 0;
    double counterFrequency = 1.0;
    int32_t pixelWidth;
    int32_t pixelHeight;
    int32_t meshAreaWidth;
    int32_t meshAreaHeight;
    double cellHalfSize = 0.0;
    std::unique_ptr<FXButton> fxButton;
    std::unique_ptr<MidiButton> midiButton;
    std::unique_ptr<AboutButton> aboutButton;
    std::unique_ptr<RandomButton> randomButton;
    std::unique_ptr<HSlide> frictionSlider;
    std::unique_ptr<HSlide> viscositySlider;
    std::unique_ptr<HSlide> columnsSlider;
    std::unique_ptr<VSlide> rowsSlider;
    bool firstRun;
};

}  // namespace tarn
