// The whole state of one instance as bytes, the same in every door: a
// format version, the program that is loaded with its name, and the 88
// parameter values. Little-endian, fixed size; anything else is refused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarn {

struct InstrumentState {
    static constexpr int32_t kNumParams = 88;
    static constexpr int32_t kNumPrograms = 9;
    static constexpr int kNameCapacity = 24;
    static constexpr uint32_t kVersion = 1;
    static constexpr std::size_t kBytes = 4 + 4 + 4 + kNameCapacity + 4 * kNumParams;

    int32_t program = 0;
    char programName[kNameCapacity] = {};
    float values[kNumParams] = {};

    // Writes kBytes into out.
    void encode(unsigned char *out) const;
    // True, with the state filled, only for exactly kBytes of our own format
    // and version whose program is 0..8, whose name is terminated and whose
    // values all lie in 0..1; otherwise false and the state is untouched.
    bool decode(const unsigned char *bytes, std::size_t size);
};

}  // namespace tarn
