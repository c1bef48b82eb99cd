// The names this door gives the instrument in LV2: the plug-in, its editor
// and the state property that carries what the ports do not. They are
// published in every bundle and saved in every song, so they never change.
#pragma once

#include <cstdint>

namespace tarn::lv2door {

constexpr const char *kPluginUri = "urn:brackmoor:tarnwell";
constexpr const char *kUiUri = "urn:brackmoor:tarnwell#ui";
constexpr const char *kStateUri = "urn:brackmoor:tarnwell#state";
// Preset N is factory program N.
constexpr const char *kPresetUriPrefix = "urn:brackmoor:tarnwell#program-";

// Port indices: the events in, the two outputs, then one control input per
// parameter in the parameter's own order.
constexpr uint32_t kEventsPort = 0;
constexpr uint32_t kLeftPort = 1;
constexpr uint32_t kRightPort = 2;
constexpr uint32_t kFirstParameterPort = 3;

}  // namespace tarn::lv2door
