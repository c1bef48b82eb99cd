#include "player/BarBeatTick.h"

#include <cmath>

namespace tarn {

bool BarBeatTick::toTransport(Transport &out) const {
    if (!valid || !std::isfinite(beatsPerMinute) || !(beatsPerMinute > 0.0) || beatsPerMinute > 1.0e6) return false;
    out = Transport{};
    out.hasTempo = true;
    out.tempo = beatsPerMinute;
    out.playing = rolling;
    const bool meter = std::isfinite(beatsPerBar) && beatsPerBar > 0.0f && std::isfinite(beatType) && beatType > 0.0f &&
                       std::isfinite(ticksPerBeat) && ticksPerBeat > 0.0;
    if (meter && bar >= 1 && beat >= 1 && tick >= 0) {
        const double beats = (bar - 1) * static_cast<double>(beatsPerBar) + (beat - 1) + tick / ticksPerBeat;
        out.beats = beats * 4.0 / beatType;
        out.hasBeats = std::isfinite(out.beats);
        if (!out.hasBeats) out.beats = 0.0;
    }
    return true;
}

}  // namespace tarn
