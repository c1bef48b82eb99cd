// The instrument's identity answers, in one place for the effect and for
// every door that names the instrument to its host.
#pragma once

#include <cstdint>

namespace tarn {

constexpr const char *kEffectName = "Tarnwell";
constexpr const char *kVendorName = "Brackmoor Corp";
constexpr const char *kProductName = "Tarnwell";
constexpr int32_t kVendorVersion = 1000;

}  // namespace tarn
