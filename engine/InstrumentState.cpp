#include "engine/InstrumentState.h"

#include <cstring>

namespace tarn {

namespace {

constexpr unsigned char kMagic[4] = {'T', 'w', 'S', 't'};

void putWord(unsigned char *out, uint32_t w) {
    out[0] = static_cast<unsigned char>(w);
    out[1] = static_cast<unsigned char>(w >> 8);
    out[2] = static_cast<unsigned char>(w >> 16);
    out[3] = static_cast<unsigned char>(w >> 24);
}

uint32_t getWord(const unsigned char *in) {
    return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
           (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

}  // namespace

void InstrumentState::encode(unsigned char *out) const {
    std::memcpy(out, kMagic, 4);
    putWord(out + 4, kVersion);
    putWord(out + 8, static_cast<uint32_t>(program));
    std::memset(out + 12, 0, kNameCapacity);
    std::size_t n = strnlen(programName, kNameCapacity - 1);
    std::memcpy(out + 12, programName, n);
    unsigned char *v = out + 12 + kNameCapacity;
    for (int32_t i = 0; i < kNumParams; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], 4);
        putWord(v + 4 * i, bits);
    }
}

bool InstrumentState::decode(const unsigned char *bytes, std::size_t size) {
    if (!bytes || size != kBytes) return false;
    if (std::memcmp(bytes, kMagic, 4) != 0 || getWord(bytes + 4) != kVersion) return false;
    const uint32_t p = getWord(bytes + 8);
    if (p >= static_cast<uint32_t>(kNumPrograms)) return false;
    const unsigned char *name = bytes + 12;
    if (std::memchr(name, 0, kNameCapacity) == nullptr) return false;
    float decoded[kNumParams];
    const unsigned char *v = name + kNameCapacity;
    for (int32_t i = 0; i < kNumParams; ++i) {
        const uint32_t bits = getWord(v + 4 * i);
        std::memcpy(&decoded[i], &bits, 4);
        if (!(decoded[i] >= 0.0f && decoded[i] <= 1.0f)) return false;
    }
    program = static_cast<int32_t>(p);
    std::memcpy(programName, name, kNameCapacity);
    std::memcpy(values, decoded, sizeof decoded);
    return true;
}

}  // namespace tarn
