// The control tick: every 16 samples the mesh controllers read the mesh and
// their offsets, added to the stored sound parameters, reach the sound.
#include <cmath>
#include <cstring>

#include "engine/Tarnwell.h"

namespace tarn {

void Tarnwell::controlTick() {
    if (tickCount == 0) decodeControllers();
    if (tickCount % samplesPerTick == 0) controlPass();
    tickCount = (tickCount + 1) % kTicksPerRebuild;
}

void Tarnwell::controlPass() {
    const Mesh &mesh = stage.mesh();
    const int32_t columns = getMeshColumns();
    const int32_t rows = getMeshRows();
    float sums[kNumSynthParams] = {};
    for (int j = 0; j < kNumControllers; ++j) {
        const MeshController &c = meshControllers[j];
        countdown[j] -= 1;
        if (countdown[j] > 0) {
            sums[c.target] += held[j];
        } else {
            held[j] = c.read(mesh, columns, rows);
            sums[c.target] += held[j];
            countdown[j] = controllerPeriod(j);
        }
    }
    for (int i = 0; i < kNumSynthParams; ++i) {
        float value = storedParams[kFirstSynthParam + i].load(std::memory_order_relaxed) + sums[i];
        if (!(value >= 0.0f)) value = 0.0f;
        if (value > 1.0f) value = 1.0f;
        // A target set again to what it holds changes nothing the next
        // smoothing tick does not undo, so an unchanged value is not sent.
        if (!reapplyUnchanged && std::memcmp(&value, &effectiveParams[i], sizeof value) == 0) continue;
        setEffectiveParameter(i, value);
    }
}

int32_t Tarnwell::controllerPeriod(int j) const {
    if (static_cast<uint32_t>(j) >= static_cast<uint32_t>(kNumControllers)) return 1;
    return MeshController::period(meshControllers[j].division, engineSampleRate, tempo, samplesPerTick);
}

void Tarnwell::syncControllersToHost() {
    for (int j = 0; j < kNumControllers; ++j) builtDivisions[j] = meshControllers[j].division;
    builtSampleRate = engineSampleRate;
    alignControllerClocks(getTimeInfo(kVstPpqPosValid | kVstTempoValid));
}

void Tarnwell::syncControllersAsBuilt(const VstTimeInfo *info) { alignControllerClocks(info); }

void Tarnwell::alignControllerClocks(const VstTimeInfo *info) {
    if (!info) return;
    const double ppq = (info->flags & kVstPpqPosValid) ? info->ppqPos : -1.0;
    if (info->flags & kVstTempoValid) {
        tempo = info->tempo;
        tempoReported = true;
    }
    // NaN fails this test too: an unusable position leaves the clocks alone.
    if (!(ppq >= -0.5) || !std::isfinite(ppq)) return;
    for (int j = 0; j < kNumControllers; ++j) {
        const int32_t division = builtDivisions[j];
        if (division == 0) {
            countdown[j] = 1;
            continue;
        }
        const double beats = MeshController::divisionBeats(division);
        double f = ppq / beats - std::floor(ppq / beats);
        if (!(f >= 0.0 && f < 1.0)) f = 0.0;
        countdown[j] = MeshController::period(division, builtSampleRate, tempo, samplesPerTick);
        countdown[j] -= static_cast<int32_t>(countdown[j] * f);
    }
}

}  // namespace tarn
