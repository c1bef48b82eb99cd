// A private extension of this plug-in, for tests and offline tools: the mesh
// moves in audio time without an editor, so renders are reproducible (what
// the VST 2.4 door's 'TwMs' vendor request does).
#pragma once

#include "clap/ClapAbi.h"

extern "C" {

struct tarnwell_clap_mesh_clock_t {
    void(CLAP_CALL *set_audio_time)(const clap_plugin_t *plugin, bool on);
};

}  // extern "C"

namespace clapid {
constexpr const char *kTarnwellMeshClock = "com.brackmoor.tarnwell.mesh-clock/1";
}  // namespace clapid
