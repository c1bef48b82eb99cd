// What the renderer plays: notes with their spans and the other channel
// messages, timed in seconds from the start of the song.
#pragma once

#include <cstdint>
#include <vector>

namespace tarn {

// One short MIDI message; `size` is 1 to 3.
struct MidiMessage {
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    uint8_t size = 3;
};

// A note from its start to its release. Kept as a pair rather than two loose
// messages so that scheduling can order a zero-length note's release after
// its own start.
struct NoteSpan {
    double start = 0.0;
    double end = 0.0;
    uint8_t channel = 0;
    uint8_t key = 60;
    uint8_t velocity = 100;
};

struct TimedMessage {
    double seconds = 0.0;
    MidiMessage message;
};

struct Performance {
    std::vector<NoteSpan> notes;
    std::vector<TimedMessage> messages;
    double tempo = 120.0;  // beats per minute, reported to the plug-in

    // Time of the last start, release or message; 0 for an empty song.
    double lastEventSeconds() const;
};

}  // namespace tarn
