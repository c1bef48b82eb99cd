// The instrument's editor view. It owns the mesh, which lives whether or not
// the window is open; the engine pushes notes into it and reads it back. While
// the window is open a 30 ms timer steps the mesh and draws it as a field of
// coloured squares with the eight widgets around it.
#pragma once

#include <atomic>
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
#include "learn/LearnSequence.h"
#include "mesh/Mesh.h"

namespace tarn {

class Tarnwell;

class TarnEditor final : public VSTGLEditor, public Timer {
public:
    static constexpr int kPaletteSize = Palette::kSize;
    static constexpr int kStepsPerFrame = 15;
    static constexpr double kFrameStepFraction = 0.06666666666666667;  // the double nearest 1/15
    static constexpr int kTimerIntervalMs = 30;
    static const char *const kFirstRunCaption;
    static const char *const kFirstRunText;

    TarnEditor(Tarnwell *effect, int width, int height, bool firstRun);
    ~TarnEditor() override;

    Mesh &getMesh() { return mesh; }
    const Mesh &getMesh() const { return mesh; }

    // True while the window is open, or while an offline render asked the
    // view to behave as if it were.
    bool isShowing() const {
        return showing.load(std::memory_order_relaxed) || offlineShowing.load(std::memory_order_relaxed);
    }
    void setOfflineShowing(bool on) { offlineShowing.store(on, std::memory_order_relaxed); }

    // Called from the thread that delivers MIDI.
    void exciteFromNote(double u, double w, double strength);
    void setPaletteOffset(double x);
    int32_t getPaletteOffset() const { return paletteOffset.load(std::memory_order_relaxed); }
    void learnControllerSeen(int32_t cc) { learnSequence.controllerSeen(cc); }
    void startLearn() { learnSequence.start(); }

    // One frame's worth of simulation: 15 steps of elapsed / 15 seconds each.
    void advanceMesh(double elapsedSeconds);

    // View operations (user-interface thread, context current).
    void glOpen() override;
    void glClose() override;
    void render() override;
    void mouseDown(int button, int x, int y) override;
    void mouseMove(int x, int y) override;
    void mouseUp(int button, int x, int y) override;
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
    void drawMesh(const MeshLayout &layout, int32_t offset);
    bool offerToWidgets(int x, int y);
    void showFirstRunTip();

    Tarnwell *tarnwell;
    double viewWidth;
    double viewHeight;
    Palette palette;
    std::atomic<int32_t> paletteOffset{0};
    Mesh mesh;
    int64_t lastFrameTime = 0;
    double counterFrequency = 1.0;
    // Read by the audio thread to decide whether notes push the mesh.
    std::atomic<bool> showing{false};
    std::atomic<bool> offlineShowing{false};
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
    LearnSequence learnSequence;
};

}  // namespace tarn
