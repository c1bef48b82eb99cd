// The player's JACK client: one MIDI input, two audio outputs, and the
// process callback that turns a period's MIDI into instrument events at
// their frames and renders the period. The rate and period size JACK
// announces reach the instrument off the audio thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "engine/InstrumentEvent.h"

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace tarn {

class Instrument;
class MidiInbox;

class JackPlayer final {
public:
    // The message for a missing server, at start and when it goes away.
    static constexpr const char *kNoServer =
        "no JACK server is running: start one (e.g. \"jackd -d alsa\", or PipeWire's JACK with "
        "\"pw-jack tarnwell\") and try again";
    // Events one period can carry to the instrument; more are dropped.
    static constexpr int32_t kMaxEvents = 2048;
    // The instrument is prepared for periods up to this size (or JACK's own,
    // if larger) before the first one, so no period makes it grow.
    static constexpr int32_t kPreparedFrames = 8192;

    JackPlayer(Instrument &instrument, MidiInbox &inbox);
    ~JackPlayer();
    JackPlayer(const JackPlayer &) = delete;
    JackPlayer &operator=(const JackPlayer &) = delete;

    enum class Opened { Running, NoServer, Failed };
    // Never starts a server. On Failed, error says why.
    Opened open(const std::string &clientName, std::string &error);
    // Outputs to the physical playback ports, every MIDI source to the input.
    // Returns a line saying what was connected.
    std::string connectToSystem();
    void close();

    const std::string &clientName() const { return name; }
    double sampleRate() const { return activeRate.load(std::memory_order_relaxed); }
    int32_t periodFrames() const { return periodSize.load(std::memory_order_relaxed); }
    bool serverGone() const { return lost.load(std::memory_order_acquire); }

private:
    static int processThunk(uint32_t frames, void *self);
    static int bufferSizeThunk(uint32_t frames, void *self);
    static int sampleRateThunk(uint32_t rate, void *self);
    static void shutdownThunk(void *self);
    int process(uint32_t frames);
    // Either may be 0: unchanged.
    void reconfigure(double rate, int32_t frames);

    Instrument &instrument;
    MidiInbox &inbox;
    jack_client_t *client = nullptr;
    jack_port_t *midiIn = nullptr, *outLeft = nullptr, *outRight = nullptr;
    std::string name;

    // Held by the audio thread for each period and by a reconfiguration;
    // the audio thread only ever tries it and plays silence if it is taken.
    std::atomic<bool> busy{false};
    std::atomic<int32_t> preparedFrames{0};
    std::atomic<int32_t> periodSize{0};
    std::atomic<bool> lost{false};
    std::mutex reconfiguring;  // between the non-audio threads only
    std::atomic<double> activeRate{0.0};
    InstrumentEvent events[kMaxEvents];
};

}  // namespace tarn
