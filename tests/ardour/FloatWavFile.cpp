#include "FloatWavFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace tarn::testing {

namespace {

uint32_t le32(const unsigned char *p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const unsigned char *p) { return uint16_t(p[0] | p[1] << 8); }

constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

}  // namespace

std::string FloatWavFile::read(const std::string &path) {
    *this = FloatWavFile{};
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot open " + path;
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return path + " is not a RIFF WAVE file";

    bool haveFormat = false;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const unsigned char *chunk = bytes.data() + at;
        const uint32_t size = le32(chunk + 4);
        const size_t body = at + 8;
        if (size > bytes.size() - body) return path + ": a chunk runs past the end of the file";
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16) return path + ": short format chunk";
            uint16_t format = le16(chunk + 8);
            channels = le16(chunk + 10);
            sampleRate = le32(chunk + 12);
            const uint16_t bits = le16(chunk + 22);
            // The extensible form keeps the real format in its sub-format's first two bytes.
            if (format == kFormatExtensible && size >= 40) format = le16(chunk + 32);
            if (format != kFormatFloat || bits != 32) return path + ": not 32-bit float samples";
            if (channels == 0) return path + ": no channels";
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return path + ": samples before the format";
            const size_t frameBytes = size_t(channels) * 4;
            const size_t count = size / frameBytes * channels;
            samples.resize(count);
            std::memcpy(samples.data(), chunk + 8, count * 4);
            return std::string();
        }
        at = body + size + (size & 1u);
    }
    return path + ": no samples";
}

}  // namespace tarn::testing
