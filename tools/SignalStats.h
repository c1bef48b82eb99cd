// Peak and RMS of the rendered stereo signal, gathered block by block.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

struct ChannelLevels {
    double peak = 0.0;  // largest magnitude
    double rms = 0.0;
};

class SignalStats final {
public:
    void add(const float *left, const float *right, int32_t frames);

    int64_t frames() const { return frames_; }
    // NaN and infinite samples are counted here and left out of the levels,
    // so one bad sample does not hide what the rest of the render did.
    int64_t nonFiniteSamples() const { return nonFinite_; }
    ChannelLevels channel(int index) const;

private:
    double peak_[2] = {0.0, 0.0};
    double sumSquares_[2] = {0.0, 0.0};
    int64_t frames_ = 0;
    int64_t nonFinite_ = 0;
};

// 20·log10 of a magnitude; minus infinity for silence.
double toDbfs(double linear);

// "-6.02 dBFS (0.500000)", or "-inf dBFS (0.000000)" for silence.
std::string formatLevel(double linear);

}  // namespace tarn
