#include "engine/ParameterText.h"

#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>

namespace tarn {

namespace {

const char* const kMeshParameterNames[kFirstSynthParam] = {
    "Friction", "Viscosity", "Rows", "Columns", "Note scale", "Vel scale",
};

const char* const kSynthParameterNames[kNumSynthParams] = {
    "Shape",       "PW",          "Detune",       "Cut",          "Res",          "Flt Attack",
    "Flt Decay",   "Flt Sustain", "Flt Release",  "Flt Env Mod",  "Attack",       "Decay",
    "Sustain",     "Release",     "LFO1 Speed",   "LFO1->Filter", "LFO2 Speed",   "LFO2->Shape",
    "LFO2->PW",    "LFO2->Detune", "Delay Send",  "Delay Feedback",
};

// The controller's own list calls the delay send "Delay Level"; hosts and
// stored songs have only ever seen that word there, so it stays.
const char* const kControllerTargetNames[kNumSynthParams] = {
    "Shape",       "PW",          "Detune",       "Cut",          "Res",          "Flt Attack",
    "Flt Decay",   "Flt Sustain", "Flt Release",  "Flt Env Mod",  "Attack",       "Decay",
    "Sustain",     "Release",     "LFO1 Speed",   "LFO1->Filter", "LFO2 Speed",   "LFO2->Shape",
    "LFO2->PW",    "LFO2->Detune", "Delay Level", "Delay Feedback",
};

const char* const kControllerSourceNames[kNumControllerSources] = {
    "Point", "Row peak", "Row trough", "Col peak", "Col trough",
};

const char* const kDivisionNames[kNumDivisions] = {
    "Continuous", "32", "16T", "16", "8T", "16.", "8", "8.", "4", "2x 4", "3x 4", "4x 4",
};

const char* const kControllerFieldNames[kControllerStride] = {
    "Type", "X", "Y", "Parameter", "Scale", "Sample",
};

// Synthesis parameters (k = index - 6) whose display is not the plain value.
constexpr int kSynthFltEnvMod = 9;
constexpr int kSynthLfo1Speed = 14;
constexpr int kSynthLfo1ToFilter = 15;
constexpr int kSynthLfo2Speed = 16;
constexpr int kSynthLfo2ToShape = 17;
constexpr int kSynthLfo2ToPw = 18;
constexpr int kSynthLfo2ToDetune = 19;
constexpr int kSynthDelaySend = 20;
constexpr int kSynthDelayFeedback = 21;

constexpr int32_t kParamRows = 2;
constexpr int32_t kParamColumns = 3;
constexpr int32_t kParamNoteScale = 4;
constexpr int32_t kParamVelScale = 5;

// The LFO rate and delay level curves, in the units the display shows.
constexpr double kLfoMinRate = 0.1;
constexpr double kLfoOctaves = 7.2288;
constexpr double kDelayRangeDb = 21.0;
constexpr double kDelayMinDb = -24.0;

bool inTable(int i, int size) { return static_cast<unsigned>(i) < static_cast<unsigned>(size); }

#if defined(__GNUC__)
__attribute__((format(printf, 3, 4)))
#endif
void writeText(char* text, int capacity, const char* format, ...) {
    if (text == nullptr || capacity < 1) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, static_cast<std::size_t>(capacity), format, args);
    va_end(args);
}

// (v - 0.5) * 4 with an explicit sign, so the centre reads "+0.0".
void writeSignedTenths(float v, char* text, int capacity) {
    const double c = (static_cast<double>(v) - 0.5) * 4.0;
    if (c < 0.0)
        writeText(text, capacity, "-%.1f", static_cast<double>(static_cast<float>(std::fabs(c))));
    else
        writeText(text, capacity, "+%.1f", static_cast<double>(static_cast<float>(c)));
}

// Bipolar depth in percent; a value just below the centre reads "-0".
void writeSignedPercent(float v, char* text, int capacity) {
    const double d = ((static_cast<double>(v) - 0.5) * 2.0) * 100.0;
    if (d < 0.0)
        writeText(text, capacity, "-%.0f", static_cast<double>(static_cast<float>(std::fabs(d))));
    else
        writeText(text, capacity, "+%.0f", static_cast<double>(static_cast<float>(d)));
}

void writeFixed(const char* format, double x, char* text, int capacity) {
    writeText(text, capacity, format, static_cast<double>(static_cast<float>(x)));
}

void synthDisplay(int k, float v, char* text, int capacity) {
    const double x = v;
    switch (k) {
        case kSynthFltEnvMod:
        case kSynthLfo1ToFilter:
        case kSynthLfo2ToShape:
        case kSynthLfo2ToPw:
        case kSynthLfo2ToDetune:
            writeSignedPercent(v, text, capacity);
            break;
        case kSynthLfo1Speed:
        case kSynthLfo2Speed:
            writeFixed("%.2f", kLfoMinRate * std::pow(2.0, kLfoOctaves * x), text, capacity);
            break;
        case kSynthDelaySend:
        case kSynthDelayFeedback:
            writeFixed("%.1f", kDelayRangeDb * x + kDelayMinDb, text, capacity);
            break;
        default:
            writeFixed("%.2f", x, text, capacity);
            break;
    }
}

void controllerDisplay(int field, float v, int32_t meshColumns, int32_t meshRows, char* text,
                       int capacity) {
    const double x = v;
    switch (field) {
        case kControllerType:
            writeText(text, capacity, "%s", kControllerSourceNames[quantise(x, kNumControllerSources)]);
            break;
        case kControllerX:
            writeText(text, capacity, "%d", static_cast<int>(quantise(x, meshColumns)));
            break;
        case kControllerY:
            writeText(text, capacity, "%d", static_cast<int>(quantise(x, meshRows)));
            break;
        case kControllerTarget:
            writeText(text, capacity, "%s", kControllerTargetNames[quantise(x, kNumSynthParams)]);
            break;
        case kControllerScale:
            // The one number shown at full double precision, as the
            // controller itself uses it.
            writeText(text, capacity, "%.2f", (x - 0.5) * 4.0);
            break;
        default:
            writeText(text, capacity, "%s", kDivisionNames[quantise(x, kNumDivisions)]);
            break;
    }
}

}  // namespace

int32_t quantise(double v, int32_t n) {
    if (n < 1) return 0;
    if (!(v > 0.0)) return 0;  // also catches NaN
    if (v >= 1.0) return n - 1;
    const int32_t q = static_cast<int32_t>(static_cast<double>(n) * v);
    return q >= n ? n - 1 : q;
}

void parameterName(int32_t index, char* text, int capacity) {
    if (!inTable(index, kNumParams)) {
        writeText(text, capacity, "%s", "");
    } else if (index < kFirstSynthParam) {
        writeText(text, capacity, "%s", kMeshParameterNames[index]);
    } else if (index < kFirstControllerParam) {
        writeText(text, capacity, "%s", kSynthParameterNames[index - kFirstSynthParam]);
    } else {
        const int32_t offset = index - kFirstControllerParam;
        writeText(text, capacity, "C%02d %s", static_cast<int>(offset / kControllerStride + 1),
                  kControllerFieldNames[offset % kControllerStride]);
    }
}

void parameterLabel(int32_t index, char* text, int capacity) {
    writeText(text, capacity, "%s", inTable(index, kNumParams) ? kParameterLabel : "");
}

void parameterDisplay(int32_t index, float v, int32_t meshColumns, int32_t meshRows, char* text,
                      int capacity) {
    if (!inTable(index, kNumParams)) {
        writeText(text, capacity, "%s", "");
    } else if (index == kParamRows || index == kParamColumns) {
        writeText(text, capacity, "%d", static_cast<int>(quantise(v, kMeshSizeSteps) + kMinMeshSize));
    } else if (index == kParamNoteScale || index == kParamVelScale) {
        writeSignedTenths(v, text, capacity);
    } else if (index < kFirstSynthParam) {
        writeFixed("%.2f", v, text, capacity);
    } else if (index < kFirstControllerParam) {
        synthDisplay(index - kFirstSynthParam, v, text, capacity);
    } else {
        controllerDisplay((index - kFirstControllerParam) % kControllerStride, v, meshColumns, meshRows,
                          text, capacity);
    }
}

const char* synthParameterName(int k) {
    return inTable(k, kNumSynthParams) ? kSynthParameterNames[k] : "";
}

const char* controllerSourceName(int type) {
    return inTable(type, kNumControllerSources) ? kControllerSourceNames[type] : "";
}

const char* controllerTargetName(int target) {
    return inTable(target, kNumSynthParams) ? kControllerTargetNames[target] : "";
}

const char* divisionName(int division) {
    return inTable(division, kNumDivisions) ? kDivisionNames[division] : "";
}

}  // namespace tarn
