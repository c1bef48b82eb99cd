// A minimal PNG writer for 8-bit RGBA pictures, compressed with zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn {

bool writePng(const std::string &path, int width, int height, const std::vector<uint8_t> &rgba);

}  // namespace tarn
