#include "packaging/PngWriter.h"

#include <zlib.h>

#include <cstdio>

namespace tarn {

namespace {

void put32(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t> &file, const char type[4], const std::vector<uint8_t> &data) {
    put32(file, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    file.insert(file.end(), body.begin(), body.end());
    put32(file, static_cast<uint32_t>(::crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

bool writePng(const std::string &path, int width, int height, const std::vector<uint8_t> &rgba) {
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4) return false;

    // Each row starts with filter type 0 (none).
    std::vector<uint8_t> raw;
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + y * stride, rgba.begin() + (y + 1) * stride);
    }

    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> z(packedSize);
    if (compress2(z.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    z.resize(packedSize);

    std::vector<uint8_t> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, no interlace

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", z);
    chunk(file, "IEND", {});

    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace tarn
