#include "tools/SignalStats.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace tarn {

void SignalStats::add(const float *left, const float *right, int32_t frames) {
    if (frames <= 0) return;
    const float *channels[2] = {left, right};
    for (int c = 0; c < 2; ++c) {
        const float *samples = channels[c];
        if (!samples) continue;
        for (int32_t i = 0; i < frames; ++i) {
            const double x = samples[i];
            if (!std::isfinite(x)) {
                ++nonFinite_;
                continue;
            }
            const double magnitude = std::fabs(x);
            if (magnitude > peak_[c]) peak_[c] = magnitude;
            sumSquares_[c] += x * x;
        }
    }
    frames_ += frames;
}

ChannelLevels SignalStats::channel(int index) const {
    ChannelLevels levels;
    if (index < 0 || index > 1) return levels;
    levels.peak = peak_[index];
    levels.rms = frames_ > 0 ? std::sqrt(sumSquares_[index] / static_cast<double>(frames_)) : 0.0;
    return levels;
}

double toDbfs(double linear) {
    if (!(linear > 0.0)) return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(linear);
}

std::string formatLevel(double linear) {
    char text[64];
    const double db = toDbfs(linear);
    if (std::isinf(db)) {
        std::snprintf(text, sizeof text, "-inf dBFS (%.6f)", 0.0);
    } else {
        std::snprintf(text, sizeof text, "%.2f dBFS (%.6f)", db, linear);
    }
    return text;
}

}  // namespace tarn
