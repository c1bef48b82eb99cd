// MIDI from the ALSA sequencer, for keyboards and programs that speak it
// rather than JACK MIDI: a port named for the client, read on a thread of
// its own and handed to the audio thread through a MidiInbox.
#pragma once

#include <atomic>
#include <string>
#include <thread>

typedef struct _snd_seq snd_seq_t;

namespace tarn {

class MidiInbox;

class SequencerInput final {
public:
    explicit SequencerInput(MidiInbox &inbox);
    ~SequencerInput();
    SequencerInput(const SequencerInput &) = delete;
    SequencerInput &operator=(const SequencerInput &) = delete;

    // False, with a one-line reason, where there is no sequencer to open;
    // the player then goes on with JACK MIDI alone.
    bool open(const std::string &portName, std::string &reason);
    void close();

private:
    void run();

    MidiInbox &inbox;
    snd_seq_t *seq = nullptr;
    std::thread reader;
    int wake[2] = {-1, -1};  // a pipe: written once to end the reader
};

}  // namespace tarn
