// The factory programs the bank starts from. Parameters 0..27 are kept as one
// row per parameter with a column per program, the way they were voiced; the
// mesh controllers are kept per program, one line per slot with the six
// values Type, X, Y, Parameter, Scale, Sample. The comment on each slot tells
// what it does on that program's own mesh size (node positions, and whether it
// reads continuously or holds for a musical division).
//
// Scale 0.5 means no effect. The crest and dip readers ("Row peak" and
// friends) report the low edge on a mesh at rest, so where one alone would
// shift its target while nothing moves, a crest and a dip of the same line
// with opposite scales are paired: they cancel at rest and differ only once
// waves run.
#include "engine/ProgramBank.h"

namespace tarn {

namespace {

constexpr int kNumTableParams = kFirstControllerParam;

const char* const kFactoryNames[ProgramBank::kNumPrograms] = {
    "pingy", "subtle", "hide and seek", "chirps", "brassy", "wake the cat", "skittish", "in the distance",
    "blank slate",
};

// Parameters 0..27: row = parameter, column = program 0..8.
const double kFactoryTable[kNumTableParams][ProgramBank::kNumPrograms] = {
    {0.1575, 0.5118, 0.0485, 0.4275, 0.2112, 0.3701, 0.1339, 0.3033, 0.3500},  //  0 Friction
    {0.0000, 0.1732, 0.3461, 0.2216, 0.3246, 0.2283, 0.0866, 0.7239, 0.1500},  //  1 Viscosity
    {0.2520, 0.1654, 0.0186, 0.6785, 0.0501, 0.1575, 0.9945, 0.5553, 0.2500},  //  2 Rows
    {0.3386, 0.2756, 0.9784, 0.1664, 0.8816, 0.7244, 0.7541, 0.5661, 0.2500},  //  3 Columns
    {0.0000, 0.0000, 0.6476, 0.4975, 0.2488, 0.2488, 0.8933, 0.1647, 0.7000},  //  4 Note scale
    {0.8032, 0.5943, 0.0537, 0.5076, 0.4038, 0.4038, 0.5477, 0.5382, 0.5000},  //  5 Vel scale
    {1.0000, 0.1698, 0.9142, 0.8027, 0.1449, 0.1449, 0.8918, 0.2239, 1.0000},  //  6 Shape
    {0.6981, 0.5000, 0.6375, 0.4351, 0.8753, 0.8753, 0.8689, 0.3068, 0.5000},  //  7 PW
    {0.6038, 0.5000, 0.4317, 0.0045, 0.6081, 0.6081, 0.6160, 0.4636, 0.5000},  //  8 Detune
    {0.5000, 0.2358, 0.0211, 0.3395, 0.7837, 0.7837, 0.7199, 0.8000, 1.0000},  //  9 Cut
    {0.3774, 0.7075, 0.2426, 0.3759, 0.1968, 0.1968, 0.7311, 0.8017, 0.0000},  // 10 Res
    {0.0000, 0.1321, 0.3919, 0.1286, 0.4517, 0.4517, 0.1519, 0.9704, 0.0000},  // 11 Flt Attack
    {0.5000, 0.1887, 0.6540, 0.8273, 0.7618, 0.7618, 0.7562, 0.8229, 0.0000},  // 12 Flt Decay
    {0.0943, 0.2170, 0.7819, 0.7333, 0.4333, 0.4333, 0.1528, 0.0487, 1.0000},  // 13 Flt Sustain
    {0.0566, 0.1132, 0.0228, 0.8911, 0.6365, 0.6365, 0.4047, 0.9443, 0.0000},  // 14 Flt Release
    {0.6509, 0.8019, 0.8260, 0.6433, 0.8046, 0.8046, 0.6145, 0.2686, 0.5000},  // 15 Flt Env Mod
    {0.0000, 0.0000, 0.1384, 0.6506, 0.1744, 0.1744, 0.7168, 0.5729, 0.0000},  // 16 Attack
    {0.1321, 0.3868, 0.6343, 0.5145, 0.3227, 0.3227, 0.8300, 0.3980, 0.0000},  // 17 Decay
    {0.0755, 0.1698, 0.5504, 0.7340, 0.9632, 0.9632, 0.8860, 0.4991, 1.0000},  // 18 Sustain
    {0.1415, 0.1792, 0.9835, 0.7372, 0.7094, 0.7094, 0.0637, 0.5949, 0.0000},  // 19 Release
    {0.1415, 0.7925, 0.4634, 0.9571, 0.1975, 0.1975, 0.3948, 0.2250, 0.0000},  // 20 LFO1 Speed
    {0.5472, 0.5755, 0.2148, 0.4658, 0.8629, 0.8629, 0.6036, 0.7376, 0.5000},  // 21 LFO1->Filter
    {0.4623, 0.2264, 0.3007, 0.3633, 0.0473, 0.0473, 0.4881, 0.0239, 0.0000},  // 22 LFO2 Speed
    {0.5000, 0.5755, 0.7822, 0.1122, 0.7432, 0.7432, 0.4514, 0.0949, 0.5000},  // 23 LFO2->Shape
    {0.5943, 0.5943, 0.3425, 0.9047, 0.0360, 0.0360, 0.7618, 0.3859, 0.5000},  // 24 LFO2->PW
    {0.5189, 0.5000, 0.4806, 0.8212, 0.1308, 0.1308, 0.5788, 0.6174, 0.5000},  // 25 LFO2->Detune
    {0.9057, 0.7075, 0.6080, 0.4548, 0.0824, 0.0824, 0.3357, 0.2600, 0.0000},  // 26 Delay Send
    {0.5660, 0.5660, 0.1025, 0.1087, 0.5527, 0.5527, 0.5831, 0.8718, 0.0000},  // 27 Delay Feedback
};

struct ControllerSlot final {
    double field[kControllerStride];  // Type, X, Y, Parameter, Scale, Sample
};

struct ControllerSet final {
    ControllerSlot slot[kNumControllers];
};

const ControllerSet kFactoryControllers[ProgramBank::kNumPrograms] = {
    // 0 "pingy"
    {{
        {0.0660, 0.3491, 0.5000, 0.5000, 0.5377, 0.0000},  // C01 Point col 7 row 8 -> Decay +0.15
        {0.0472, 0.3113, 0.3491, 0.9906, 0.6321, 0.0000},  // C02 Point col 6 row 5 -> Delay Feedback +0.53
        {0.0000, 0.8113, 0.3868, 0.1604, 0.5943, 0.0000},  // C03 Point col 17 row 6 -> Cut +0.38
        {0.0000, 0.8208, 0.7642, 0.4340, 0.4151, 0.5000},  // C04 Point col 18 row 12 -> Flt Env Mod -0.34, every 8
        {0.0000, 0.3962, 0.1226, 0.2453, 0.3113, 0.0000},  // C05 Point col 8 row 2 -> Flt Attack -0.75
        {0.0000, 0.5000, 0.7264, 0.1981, 0.3774, 0.0000},  // C06 Point col 11 row 12 -> Res -0.49
        {0.0000, 0.4811, 0.5000, 0.7547, 0.7170, 0.0000},  // C07 Point col 10 row 8 -> LFO2 Speed +0.87
        {0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000},  // C08 no effect
        {0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000},  // C09 no effect
        {0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000},  // C10 no effect
    }},
    // 1 "subtle"
    // A nudge rather than a sweep: the centre node opens the filter a little and
    // deepens the LFO's filter wobble, a node off to the side leans the detune the
    // other way, and a node near the top edge lifts the echo level, all smoothly.
    {{
        {0.1000, 0.5000, 0.5000, 0.1591, 0.6000, 0.0000},  // C01 Point col 9 row 6 -> Cut +0.40
        {0.1000, 0.3000, 0.6000, 0.7045, 0.5750, 0.0000},  // C02 Point col 5 row 7 -> LFO1->Filter +0.30
        {0.1000, 0.7000, 0.4000, 0.1136, 0.4250, 0.0000},  // C03 Point col 12 row 4 -> Detune -0.30
        {0.1000, 0.5000, 0.2500, 0.9318, 0.6000, 0.0000},  // C04 Point col 9 row 3 -> Delay Level +0.40
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C05 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
    // 2 "hide and seek"
    // The long, narrow strip plays tag with itself: the crest and the dip of the
    // middle row pull the cutoff in opposite directions, so at rest they cancel and
    // the filter opens while the crest runs ahead of the dip. A node on the first
    // row flips the pulse width in sixteenths, the far end brings the echoes in and
    // the centre feeds the LFO into the wave shape.
    {{
        {0.3000, 0.5000, 0.5000, 0.1591, 0.7000, 0.0000},  // C01 Row peak row 2 -> Cut +0.80
        {0.5000, 0.5000, 0.5000, 0.1591, 0.3000, 0.0000},  // C02 Row trough row 2 -> Cut -0.80
        {0.1000, 0.2500, 0.3000, 0.0682, 0.3500, 0.2917},  // C03 Point col 14 row 1 -> PW -0.60, every 16
        {0.1000, 0.7500, 0.7000, 0.9318, 0.7000, 0.0000},  // C04 Point col 43 row 2 -> Delay Level +0.80
        {0.1000, 0.5000, 0.5000, 0.7955, 0.6250, 0.0000},  // C05 Point col 29 row 2 -> LFO2->Shape +0.50
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
    // 3 "chirps"
    // Fast, bright gestures: two nodes a few rows apart push and pull the cutoff,
    // so each wave passing by sweeps it up and back down; the crest and dip of the
    // centre column twitch the pulse width every thirty-second (cancelling at rest),
    // and a node near the left edge adds bursts of resonance.
    {{
        {0.1000, 0.5000, 0.5000, 0.1591, 0.8000, 0.0000},  // C01 Point col 6 row 20 -> Cut +1.20
        {0.1000, 0.5000, 0.3000, 0.1591, 0.3500, 0.0000},  // C02 Point col 6 row 12 -> Cut -0.60
        {0.7000, 0.5000, 0.5000, 0.0682, 0.3500, 0.1250},  // C03 Col peak col 6 -> PW -0.60, every 32
        {0.9000, 0.5000, 0.5000, 0.0682, 0.6500, 0.1250},  // C04 Col trough col 6 -> PW +0.60, every 32
        {0.1000, 0.3000, 0.6000, 0.2045, 0.7000, 0.0000},  // C05 Point col 3 row 24 -> Res +0.80
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
    // 4 "brassy"
    // Brass swell: the hit node deepens the filter envelope and the node beside it
    // brightens the tone as the wave passes; the crest and dip of the middle row
    // re-spread the section's detune once a beat (neutral at rest), and the LFO's
    // growl backs off while the mesh is busy.
    {{
        {0.1000, 0.5000, 0.5000, 0.4318, 0.6500, 0.0000},  // C01 Point col 26 row 2 -> Flt Env Mod +0.60
        {0.1000, 0.4000, 0.5000, 0.1591, 0.6250, 0.0000},  // C02 Point col 21 row 2 -> Cut +0.50
        {0.3000, 0.5000, 0.5000, 0.1136, 0.5750, 0.7083},  // C03 Row peak row 2 -> Detune +0.30, every 4
        {0.5000, 0.5000, 0.5000, 0.1136, 0.4250, 0.7083},  // C04 Row trough row 2 -> Detune -0.30, every 4
        {0.1000, 0.6000, 0.5000, 0.7045, 0.3750, 0.0000},  // C05 Point col 31 row 2 -> LFO1->Filter -0.50
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
    // 5 "wake the cat"
    // Same controllers as "brassy"; the larger mesh makes the swells slower and
    // rounder.
    {{
        {0.1000, 0.5000, 0.5000, 0.4318, 0.6500, 0.0000},  // C01 Point col 22 row 5 -> Flt Env Mod +0.60
        {0.1000, 0.4000, 0.5000, 0.1591, 0.6250, 0.0000},  // C02 Point col 17 row 5 -> Cut +0.50
        {0.3000, 0.5000, 0.5000, 0.1136, 0.5750, 0.7083},  // C03 Row peak row 5 -> Detune +0.30, every 4
        {0.5000, 0.5000, 0.5000, 0.1136, 0.4250, 0.7083},  // C04 Row trough row 5 -> Detune -0.30, every 4
        {0.1000, 0.6000, 0.5000, 0.7045, 0.3750, 0.0000},  // C05 Point col 26 row 5 -> LFO1->Filter -0.50
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
    // 6 "skittish"
    // Nervous: the crest of the middle row drags the detune about, the dip of the
    // centre column jumps the resonance in sixteenths, a node up and to the left
    // flicks the cutoff, a lower row's dip resets the LFO's pulse-width depth in
    // triplet sixteenths, and a node to the right retunes the LFO rate in eighths.
    // The crest and dip readers sit low on a mesh at rest, so detune, resonance
    // and pulse-width depth settle below their stored values until it moves.
    {{
        {0.3000, 0.5000, 0.5000, 0.1136, 0.6500, 0.0000},  // C01 Row peak row 29 -> Detune +0.60
        {0.9000, 0.5000, 0.5000, 0.2045, 0.6500, 0.2917},  // C02 Col trough col 22 -> Res +0.60, every 16
        {0.1000, 0.3000, 0.3000, 0.1591, 0.7000, 0.0000},  // C03 Point col 13 row 17 -> Cut +0.80
        {0.5000, 0.5000, 0.7000, 0.8409, 0.6500, 0.2083},  // C04 Row trough row 41 -> LFO2->PW +0.60, every 16T
        {0.1000, 0.7000, 0.6000, 0.6591, 0.7500, 0.5417},  // C05 Point col 31 row 35 -> LFO1 Speed +1.00, every 8
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
    // 7 "in the distance"
    // Slow and far away: the centre node raises the echo feedback once a beat, a
    // node off centre pulls the echo level back every two beats, another darkens
    // the tone as a wave reaches it, and the crest of the centre column shifts the
    // LFO's detune depth once a bar.
    {{
        {0.1000, 0.5000, 0.5000, 0.9773, 0.6250, 0.7083},  // C01 Point col 17 row 17 -> Delay Feedback +0.50, every 4
        {0.1000, 0.3500, 0.6500, 0.9318, 0.3500, 0.7917},  // C02 Point col 12 row 22 -> Delay Level -0.60, every 2x 4
        {0.1000, 0.6500, 0.3500, 0.1591, 0.3750, 0.0000},  // C03 Point col 22 row 11 -> Cut -0.50
        {0.7000, 0.5000, 0.5000, 0.8864, 0.6000, 0.9583},  // C04 Col peak col 17 -> LFO2->Detune +0.40, every 4x 4
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C05 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
    // 8 "blank slate"
    {{
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C01 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C02 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C03 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C04 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C05 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C06 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C07 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C08 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C09 no effect
        {0.0000, 0.5000, 0.5000, 0.0000, 0.5000, 0.0000},  // C10 no effect
    }},
};

}  // namespace

double ProgramBank::factoryValue(int program, int index) {
    if (static_cast<unsigned>(program) >= static_cast<unsigned>(kNumPrograms)) return 0.0;
    if (static_cast<unsigned>(index) >= static_cast<unsigned>(kNumParams)) return 0.0;
    if (index < kNumTableParams) return kFactoryTable[index][program];
    const int offset = index - kFirstControllerParam;
    return kFactoryControllers[program].slot[offset / kControllerStride].field[offset % kControllerStride];
}

const char* ProgramBank::factoryName(int program) {
    if (static_cast<unsigned>(program) >= static_cast<unsigned>(kNumPrograms)) return "";
    return kFactoryNames[program];
}

}  // namespace tarn
