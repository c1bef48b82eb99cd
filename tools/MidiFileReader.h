// Reads a Standard MIDI File into a performance: every track merged, times
// in seconds through the file's tempo map.
#pragma once

#include <string>

#include "tools/Performance.h"

namespace tarn {

struct MidiFileContents {
    bool ok = false;
    std::string error;        // set when !ok
    Performance performance;  // tempo: the file's first tempo (120 when it gives none)
    size_t skippedEvents = 0; // meta and other events that reach no plug-in
};

MidiFileContents readMidiFile(const std::string &path);

}  // namespace tarn
