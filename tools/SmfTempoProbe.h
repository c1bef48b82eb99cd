// Finds where a Standard MIDI File sets its first tempo. The sequence reader
// falls back to 100 beats per minute where a file sets none, but the file
// format's default is 120; this probe tells the reader when to put that in.
#pragma once

#include <string>

namespace tarn {

struct FirstTempo {
    bool readable = false;  // the file parsed to its end
    bool present = false;   // a tempo meta event was seen
    long tick = 0;          // its position in its track, in file ticks
};

FirstTempo probeFirstTempo(const std::string &path);

}  // namespace tarn
