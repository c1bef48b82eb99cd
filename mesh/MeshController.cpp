#include "mesh/MeshController.h"

#include <cfloat>
#include <cmath>

#include "mesh/Mesh.h"

namespace tarn {

namespace {

// Sizes as the read-outs use them: never below the smallest mesh (so a scan
// has at least one candidate and nothing is divided by 0) and never beyond
// the storage.
int usableSize(int n) {
    if (n < Mesh::kMinSize) return Mesh::kMinSize;
    if (n > Mesh::kCapacity) return Mesh::kCapacity;
    return n;
}

int clampIndex(int i, int n) {
    if (i < 0) return 0;
    if (i > n - 1) return n - 1;
    return i;
}

// Middle of cell b when the span is cut into n equal cells, in single
// precision.
float centre(int b, int n) {
    const float fn = static_cast<float>(n);
    return static_cast<float>(b) / fn + 1.0f / (2.0f * fn);
}

// Index, among 1..n-2, of the highest (peak) or lowest node of a line whose
// node i is at(i). Only a strictly better node moves the answer, so ties go
// to the lowest index and a flat line answers 1.
template <typename At>
int extremeIndex(int n, bool peak, At at) {
    int best = 1;
    double bestHeight = at(1);
    for (int i = 2; i <= n - 2; ++i) {
        const double h = at(i);
        if (peak ? h > bestHeight : h < bestHeight) {
            best = i;
            bestHeight = h;
        }
    }
    return best;
}

}  // namespace

double MeshController::divisionBeats(int division) {
    switch (division) {
        case 1: return 0.125;
        case 2: return 1.0 / 6.0;
        case 3: return 0.25;
        case 4: return 1.0 / 3.0;
        case 5: return 0.375;
        case 6: return 0.5;
        case 7: return 0.75;
        case 8: return 1.0;
        case 9: return 2.0;
        case 10: return 3.0;
        default: return 4.0;
    }
}

std::int32_t MeshController::period(int division, double sampleRate, double tempo,
                                    int samplesPerTick) {
    if (division == kContinuous) return 1;
    if (!(std::isfinite(tempo) && tempo > 0.0)) tempo = kFallbackTempo;
    if (samplesPerTick < 1) samplesPerTick = 1;
    const double ticks = divisionBeats(division) * (sampleRate * 60.0 / tempo / samplesPerTick);
    // Range-check in double: converting a huge or NaN value would be undefined.
    if (!(ticks >= 1.0)) return 1;
    if (ticks >= static_cast<double>(kMaxPeriod)) return kMaxPeriod;
    return static_cast<std::int32_t>(ticks);
}

float MeshController::read(const Mesh& mesh, int meshColumns, int meshRows) const {
    const int columns = usableSize(meshColumns);
    const int rows = usableSize(meshRows);
    const int x = clampIndex(column, columns);
    const int y = clampIndex(row, rows);

    double c;
    switch (type) {
        case kPoint:
            c = mesh.heightAt(y, x) * 0.5;
            // A mesh driven past its limits must not poison the sound.
            if (!std::isfinite(c)) c = 0.0;
            break;
        case kRowPeak:
        case kRowTrough: {
            const int b = extremeIndex(columns, type == kRowPeak,
                                       [&](int i) { return mesh.heightAt(y, i); });
            c = centre(b, columns) - 0.5;
            break;
        }
        case kColumnPeak:
        case kColumnTrough: {
            const int b = extremeIndex(rows, type == kColumnPeak,
                                       [&](int i) { return mesh.heightAt(i, x); });
            c = centre(b, rows) - 0.5;
            break;
        }
        default:
            c = 0.0;
            break;
    }
    double held = scale * c;
    // Keep the conversion to single precision defined for a garbage scale.
    if (std::isnan(held)) held = 0.0;
    if (held > FLT_MAX) held = FLT_MAX;
    if (held < -FLT_MAX) held = -FLT_MAX;
    return static_cast<float>(held);
}

}  // namespace tarn
