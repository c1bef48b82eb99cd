// The instrument's mesh and the rule for when it moves. The engine owns both:
// the mesh is stepped while a view shows it (each of the view's frames) or
// while the offline renderer has asked for motion in audio time, and only then
// do notes push it; otherwise it stands still and the controllers read it as
// it was left. A view is handed this object and borrows the mesh from it to
// draw it and to push or still it from the mouse; it owns none of it.
//
// Threads. Frames come from the view's user-interface thread, note pushes and
// the mod wheel from the thread that delivers MIDI, the renderer's request from
// the dispatcher and the audio clock from the audio thread. Each flag is one
// relaxed atomic; the mesh documents its own sharing. While the audio clock
// runs, view frames leave the mesh alone, so the two never step it together.
#pragma once

#include <atomic>
#include <cstdint>

#include "mesh/Mesh.h"

namespace tarn {

class MeshStage final {
public:
    // The mesh every instance starts with: 10 × 10 nodes over an extent of 5,
    // total mass 6; the spring constant and damping hold only until the first
    // step replaces them from the mesh's own controls.
    static constexpr double kExtent = 5.0;
    static constexpr int kStartColumns = 10;
    static constexpr int kStartRows = 10;
    static constexpr double kStartSpringConstant = 3.5;
    static constexpr double kTotalMass = 6.0;
    static constexpr double kStartDamping = 0.0075;

    // A view's frame: 15 steps, each a fifteenth of the time since the last.
    static constexpr int kStepsPerFrame = 15;
    static constexpr double kFrameStepFraction = 0.06666666666666667;  // the double nearest 1/15
    // The renderer's clock: a frame of 15 steps of 2 ms every 30 ms of audio,
    // so renders do not depend on how fast the machine is.
    static constexpr double kAudioFrameSeconds = 0.03;
    static constexpr double kAudioStepSeconds = 0.002;

    MeshStage();
    MeshStage(const MeshStage &) = delete;
    MeshStage &operator=(const MeshStage &) = delete;

    // For views, on their user-interface thread.
    Mesh &mesh() { return grid; }
    const Mesh &mesh() const { return grid; }
    void setViewShowing(bool on) { viewShowing.store(on, std::memory_order_relaxed); }
    bool isViewShowing() const { return viewShowing.load(std::memory_order_relaxed); }
    // One frame after elapsedSeconds of wall time.
    void advanceFrame(double elapsedSeconds);
    // Last mod wheel position, 0..1 as received; the view turns it into colour.
    double modWheel() const { return wheel.load(std::memory_order_relaxed); }

    // For the engine.
    bool isMoving() const { return isViewShowing() || audioClockOn.load(std::memory_order_relaxed); }
    // Thread that delivers MIDI: a note's push, only while the mesh moves.
    void pushNote(double u, double w, double strength);
    void setModWheel(double x) { wheel.store(x, std::memory_order_relaxed); }
    // The renderer's request, from the dispatcher; every request restarts the
    // audio clock's frame count.
    void requestAudioClock(bool on);
    // Audio thread, once per rendered piece: whether the audio clock steps
    // the mesh during it.
    bool audioClockRunning();
    // Audio thread, once per sample while the audio clock runs.
    void advanceAudioSample(double sampleRate) {
        audioClockSamples += 1.0;
        const double framePeriod = sampleRate * kAudioFrameSeconds;
        if (audioClockSamples < framePeriod) return;
        audioClockSamples -= framePeriod;
        for (int i = 0; i < kStepsPerFrame; ++i) grid.step(kAudioStepSeconds);
    }

private:
    Mesh grid;
    std::atomic<bool> viewShowing{false};
    std::atomic<bool> audioClockOn{false};
    std::atomic<uint32_t> audioClockRequests{0};
    std::atomic<double> wheel{0.0};
    // Audio thread only.
    uint32_t audioClockRequestsSeen = 0;
    double audioClockSamples = 0.0;
};

}  // namespace tarn
