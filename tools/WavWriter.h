// A 32-bit float stereo WAV file, written block by block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

class WavWriter final {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter &) = delete;
    WavWriter &operator=(const WavWriter &) = delete;

    bool open(const std::string &path, int sampleRate, std::string &error);
    bool write(const float *left, const float *right, int32_t frames, std::string &error);
    // Finishes the header; false if the file could not be completed.
    bool close(std::string &error);
    // Closes and deletes an unfinished file.
    void discard();

private:
    void *file_ = nullptr;  // SNDFILE*, kept out of the header
    std::string path_;
    std::vector<float> interleaved_;
};

}  // namespace tarn
