// One mesh controller: which node, row or column it watches, how it reads
// it, which sound parameter its output goes to, how strongly, and how often.
// The engine decodes the fields from the controller's six parameters and
// keeps the countdown and held value; everything here is a pure function of
// the fields, the mesh and the arguments, safe to call on the audio thread.
#pragma once

#include <cstdint>

namespace tarn {

class Mesh;

class MeshController final {
public:
    enum Type : std::int32_t {
        kPoint = 0,
        kRowPeak = 1,
        kRowTrough = 2,
        kColumnPeak = 3,
        kColumnTrough = 4,
    };
    static constexpr int kTypeCount = 5;
    static constexpr int kDivisionCount = 12;
    static constexpr int kContinuous = 0;
    // Tempo assumed until the host reports a usable one.
    static constexpr double kFallbackTempo = 120.0;
    // Longest period in ticks (about 100 minutes of ticks at 44.1 kHz).
    static constexpr std::int32_t kMaxPeriod = 1 << 24;

    std::int32_t type = kPoint;
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t target = 0;
    double scale = 0.0;
    std::int32_t division = kContinuous;

    // Length of a division in quarter-note beats; anything outside 1..10
    // counts as four beats.
    static double divisionBeats(int division);

    // Ticks between two reads: 1 for "Continuous", otherwise the division's
    // length at the given rate and tempo, truncated, kept within 1..kMaxPeriod.
    static std::int32_t period(int division, double sampleRate, double tempo,
                               int samplesPerTick);

    // The held value a read produces, with meshColumns and meshRows the
    // engine's copies of the mesh size. Indices are kept inside those sizes
    // and inside the mesh's storage whatever the fields hold.
    float read(const Mesh& mesh, int meshColumns, int meshRows) const;
};

}  // namespace tarn
