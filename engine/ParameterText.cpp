#include "engine/ParameterText.h"

#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tarn {

namespace {

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

void writeDisplay(ParamDisplay rule, float v, int32_t meshColumns, int32_t meshRows, char* text, int capacity) {
    const double x = v;
    switch (rule) {
        case ParamDisplay::Fixed2:
            writeFixed("%.2f", x, text, capacity);
            break;
        case ParamDisplay::MeshSize:
            writeText(text, capacity, "%d", static_cast<int>(meshSizeFor(v)));
            break;
        case ParamDisplay::SignedTenths:
            writeSignedTenths(v, text, capacity);
            break;
        case ParamDisplay::SignedPercent:
            writeSignedPercent(v, text, capacity);
            break;
        case ParamDisplay::LfoRate:
            writeFixed("%.2f", kLfoMinRate * std::pow(2.0, kLfoOctaves * x), text, capacity);
            break;
        case ParamDisplay::DelayLevel:
            writeFixed("%.1f", kDelayRangeDb * x + kDelayMinDb, text, capacity);
            break;
        case ParamDisplay::ControllerSource:
            writeText(text, capacity, "%s", kControllerSourceNames[quantise(x, kNumControllerSources)]);
            break;
        case ParamDisplay::ControllerColumn:
            writeText(text, capacity, "%d", static_cast<int>(quantise(x, meshColumns)));
            break;
        case ParamDisplay::ControllerRow:
            writeText(text, capacity, "%d", static_cast<int>(quantise(x, meshRows)));
            break;
        case ParamDisplay::ControllerTarget:
            writeText(text, capacity, "%s", kControllerTargetNames[quantise(x, kNumSynthParams)]);
            break;
        case ParamDisplay::ControllerScale:
            // The one number shown at full double precision, as the
            // controller itself uses it.
            writeText(text, capacity, "%.2f", centredScale(x));
            break;
        case ParamDisplay::ControllerDivision:
            writeText(text, capacity, "%s", kDivisionNames[quantise(x, kNumDivisions)]);
            break;
    }
}

}  // namespace

void parameterName(int32_t index, char* text, int capacity) {
    if (!isHostParameter(index)) {
        writeText(text, capacity, "%s", "");
    } else if (index < kFirstControllerParam) {
        writeText(text, capacity, "%s", parameterSpec(index).name);
    } else {
        const int32_t offset = index - kFirstControllerParam;
        writeText(text, capacity, "C%02d %s", static_cast<int>(offset / kControllerStride + 1),
                  parameterSpec(index).name);
    }
}

void parameterLabel(int32_t index, char* text, int capacity) {
    writeText(text, capacity, "%s", isHostParameter(index) ? kParameterLabel : "");
}

void parameterDisplay(int32_t index, float v, int32_t meshColumns, int32_t meshRows, char* text,
                      int capacity) {
    if (!isHostParameter(index))
        writeText(text, capacity, "%s", "");
    else
        writeDisplay(parameterSpec(index).display, v, meshColumns, meshRows, text, capacity);
}

namespace {

// Trims spaces and a trailing unit label into buf; false if nothing is left
// or the text does not fit.
bool trimmedText(const char* text, char* buf, std::size_t capacity) {
    if (text == nullptr) return false;
    while (*text == ' ' || *text == '\t') ++text;
    std::size_t n = std::strlen(text);
    if (n >= capacity) return false;
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    const std::size_t labelLength = std::strlen(kParameterLabel);
    if (n >= labelLength && std::strcmp(buf + n - labelLength, kParameterLabel) == 0) n -= labelLength;
    while (n > 0 && (buf[n - 1] == ' ' || buf[n - 1] == '\t')) --n;
    buf[n] = '\0';
    return n > 0;
}

bool wholeNumber(const char* text, double* x) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v)) return false;
    *x = v;
    return true;
}

// The middle of step k of n, which the quantiser maps back to k.
double stepCentre(double k, int32_t n) { return (k + 0.5) / n; }

bool sameName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        const char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

bool nameStep(const char* text, const char* const* names, int32_t n, double* v) {
    for (int32_t k = 0; k < n; ++k) {
        if (sameName(text, names[k])) {
            *v = stepCentre(k, n);
            return true;
        }
    }
    return false;
}

}  // namespace

bool parameterFromText(int32_t index, const char* text, int32_t meshColumns, int32_t meshRows, float* value) {
    if (!isHostParameter(index) || value == nullptr) return false;
    char buf[64];
    if (!trimmedText(text, buf, sizeof buf)) return false;
    double x = 0.0;
    double v = 0.0;
    const ParamDisplay rule = parameterSpec(index).display;
    switch (rule) {
        case ParamDisplay::ControllerSource:
            if (!nameStep(buf, kControllerSourceNames, kNumControllerSources, &v)) return false;
            break;
        case ParamDisplay::ControllerTarget:
            if (!nameStep(buf, kControllerTargetNames, kNumSynthParams, &v)) return false;
            break;
        case ParamDisplay::ControllerDivision:
            if (!nameStep(buf, kDivisionNames, kNumDivisions, &v)) return false;
            break;
        default:
            if (!wholeNumber(buf, &x)) return false;
            switch (rule) {
                case ParamDisplay::Fixed2:
                    v = x;
                    break;
                case ParamDisplay::MeshSize:
                    v = stepCentre(std::floor(x) - kMinMeshSize, kMeshSizeSteps);
                    break;
                case ParamDisplay::SignedTenths:
                case ParamDisplay::ControllerScale:
                    v = x / 4.0 + 0.5;
                    break;
                case ParamDisplay::SignedPercent:
                    v = x / 200.0 + 0.5;
                    break;
                case ParamDisplay::LfoRate:
                    if (!(x > 0.0)) return false;
                    v = std::log2(x / kLfoMinRate) / kLfoOctaves;
                    break;
                case ParamDisplay::DelayLevel:
                    v = (x - kDelayMinDb) / kDelayRangeDb;
                    break;
                case ParamDisplay::ControllerColumn:
                    v = stepCentre(std::floor(x), meshColumns > 0 ? meshColumns : 1);
                    break;
                case ParamDisplay::ControllerRow:
                    v = stepCentre(std::floor(x), meshRows > 0 ? meshRows : 1);
                    break;
                default:
                    return false;
            }
    }
    if (!(v >= 0.0)) v = 0.0;
    if (v > 1.0) v = 1.0;
    *value = static_cast<float>(v);
    return true;
}

const char* synthParameterName(int k) {
    return inTable(k, kNumSynthParams) ? parameterSpec(kFirstSynthParam + k).name : "";
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
