// The host's transport at the first sample of a block, as a door reads it
// from its format: what the instrument may be told, each part only when the
// host gives it.
#pragma once

namespace tarn {

struct Transport {
    bool hasTempo = false;
    double tempo = 0.0;  // beats per minute
    bool hasBeats = false;
    double beats = 0.0;  // song position in quarter notes
    bool playing = false;
};

}  // namespace tarn
