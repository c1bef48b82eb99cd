// What every door tells its host the instrument is called, who makes it and
// which version it is. The version is set once, in the build.
#pragma once

#include <cstdint>

#include "engine/Identity.h"

#ifndef TARNWELL_VERSION_TEXT
#define TARNWELL_VERSION_TEXT "1.0.0"
#endif

namespace tarn {

struct InstrumentIdentity {
    static constexpr const char *kName = kEffectName;
    static constexpr const char *kVendor = kVendorName;
    static constexpr const char *kProduct = kProductName;
    static constexpr const char *kVersion = TARNWELL_VERSION_TEXT;
    static constexpr const char *kDescription =
        "Twelve-voice wavetable synthesizer whose editor's mass-spring mesh moves the sound";
    static constexpr int32_t kNumInputs = 0;
    static constexpr int32_t kNumOutputs = 2;
};

}  // namespace tarn
