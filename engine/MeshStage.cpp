#include "engine/MeshStage.h"

#include "mesh/NoteExcitation.h"

namespace tarn {

MeshStage::MeshStage()
    : grid(kExtent, kStartColumns, kStartRows, kStartSpringConstant, kTotalMass, kStartDamping) {}

void MeshStage::advanceFrame(double elapsedSeconds) {
    if (audioClockOn.load(std::memory_order_relaxed)) return;
    const double dt = elapsedSeconds * kFrameStepFraction;
    for (int i = 0; i < kStepsPerFrame; ++i) grid.step(dt);
}

void MeshStage::pushNote(double u, double w, double strength) {
    if (!isMoving()) return;
    tarn::pushNote(grid, u, w, strength);
}

void MeshStage::requestAudioClock(bool on) {
    audioClockOn.store(on, std::memory_order_relaxed);
    audioClockRequests.fetch_add(1, std::memory_order_release);
}

bool MeshStage::audioClockRunning() {
    const uint32_t requests = audioClockRequests.load(std::memory_order_acquire);
    if (requests != audioClockRequestsSeen) {
        audioClockRequestsSeen = requests;
        audioClockSamples = 0.0;
    }
    return audioClockOn.load(std::memory_order_relaxed);
}

}  // namespace tarn
