// A 32-bit float WAV file as Ardour's export writes it: read whole into
// interleaved samples. Anything else, or a damaged file, is refused with a
// reason instead of being half read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::testing {

struct FloatWavFile {
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    std::vector<float> samples;  // interleaved, frames() * channels

    size_t frames() const { return channels ? samples.size() / channels : 0; }
    float at(size_t frame, uint32_t channel) const { return samples[frame * channels + channel]; }

    // Empty on success, else why the file was refused.
    std::string read(const std::string &path);
};

}  // namespace tarn::testing
