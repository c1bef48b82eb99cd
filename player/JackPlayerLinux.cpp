#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/transport.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "engine/Instrument.h"
#include "player/BarBeatTick.h"
#include "player/JackPlayer.h"
#include "player/MidiInbox.h"

namespace tarn {

namespace {

// libjack reports on stderr in many lines; the player says what matters in one.
void quiet(const char *) {}

// Channel messages only: the instrument has no use for system messages, and
// a truncated or empty event is skipped.
bool channelMessage(const jack_midi_event_t &e, unsigned char &status, unsigned char &d1, unsigned char &d2) {
    if (e.size < 1 || !e.buffer) return false;
    status = e.buffer[0];
    if (status < 0x80 || status >= 0xF0) return false;
    const bool oneDataByte = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0;
    const std::size_t needed = oneDataByte ? 2 : 3;
    if (e.size < needed) return false;
    d1 = e.buffer[1] & 0x7F;
    d2 = oneDataByte ? 0 : e.buffer[2] & 0x7F;
    return true;
}

std::string portName(jack_port_t *port) { return port ? jack_port_name(port) : std::string(); }

}  // namespace

JackPlayer::JackPlayer(Instrument &instrument, MidiInbox &inbox) : instrument(instrument), inbox(inbox) {}

JackPlayer::~JackPlayer() { close(); }

JackPlayer::Opened JackPlayer::open(const std::string &clientName, std::string &error) {
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    jack_status_t status{};
    client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (!client) {
        if (status & JackServerFailed) return Opened::NoServer;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(status));
        error = "JACK refused the client \"" + clientName + "\" (status 0x" + hex + ")";
        return Opened::Failed;
    }
    name = jack_get_client_name(client);
    midiIn = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    outLeft = jack_port_register(client, "out_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    outRight = jack_port_register(client, "out_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (!midiIn || !outLeft || !outRight) {
        error = "JACK could not register the ports of \"" + name + "\"";
        close();
        return Opened::Failed;
    }
    // Before the first period: the instrument is ready for the rate and
    // any period size up to kPreparedFrames.
    reconfigure(jack_get_sample_rate(client), static_cast<int32_t>(jack_get_buffer_size(client)));
    jack_set_process_callback(client, processThunk, this);
    jack_set_buffer_size_callback(client, bufferSizeThunk, this);
    jack_set_sample_rate_callback(client, sampleRateThunk, this);
    jack_on_shutdown(client, shutdownThunk, this);
    if (jack_activate(client) != 0) {
        error = "JACK would not activate the client \"" + name + "\"";
        close();
        return Opened::Failed;
    }
    return Opened::Running;
}

std::string JackPlayer::connectToSystem() {
    if (!client) return std::string();
    std::string said;
    const char **playback =
        jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
    if (playback && playback[0]) {
        const char *right = playback[1] ? playback[1] : playback[0];
        const bool left = jack_connect(client, portName(outLeft).c_str(), playback[0]) == 0;
        const bool rightOk = jack_connect(client, portName(outRight).c_str(), right) == 0;
        said = std::string("outputs to ") + (left ? playback[0] : "(failed)") + " and " +
               (rightOk ? right : "(failed)");
    } else {
        said = "no playback ports to connect to";
    }
    if (playback) jack_free(playback);
    int sources = 0;
    const char **midi = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    for (int i = 0; midi && midi[i]; ++i)
        if (jack_connect(client, midi[i], portName(midiIn).c_str()) == 0) ++sources;
    if (midi) jack_free(midi);
    return said + ", " + std::to_string(sources) + (sources == 1 ? " MIDI source" : " MIDI sources") +
           " to the input";
}

void JackPlayer::close() {
    if (!client) return;
    // Closing takes the client out of the graph first.
    jack_client_close(client);
    client = nullptr;
    midiIn = outLeft = outRight = nullptr;
}

int JackPlayer::processThunk(uint32_t frames, void *self) { return static_cast<JackPlayer *>(self)->process(frames); }

int JackPlayer::bufferSizeThunk(uint32_t frames, void *self) {
    auto *p = static_cast<JackPlayer *>(self);
    p->reconfigure(0.0, static_cast<int32_t>(frames));
    return 0;
}

int JackPlayer::sampleRateThunk(uint32_t rate, void *self) {
    auto *p = static_cast<JackPlayer *>(self);
    p->reconfigure(rate, 0);
    return 0;
}

void JackPlayer::shutdownThunk(void *self) { static_cast<JackPlayer *>(self)->lost.store(true, std::memory_order_release); }

void JackPlayer::reconfigure(double rate, int32_t frames) {
    std::lock_guard<std::mutex> one(reconfiguring);
    // Zero keeps what JACK said before.
    if (rate <= 0.0) rate = activeRate.load(std::memory_order_relaxed);
    if (frames <= 0) frames = periodSize.load(std::memory_order_relaxed);
    periodSize.store(frames, std::memory_order_relaxed);
    if (rate == activeRate.load(std::memory_order_relaxed) && frames <= preparedFrames.load(std::memory_order_relaxed)) return;
    // The audio thread never waits for this: while it is held, periods are silent.
    bool expected = false;
    while (!busy.compare_exchange_weak(expected, true, std::memory_order_acquire)) {
        expected = false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int32_t prepared = frames > kPreparedFrames ? frames : kPreparedFrames;
    instrument.activate(rate, prepared);
    activeRate.store(rate, std::memory_order_relaxed);
    preparedFrames.store(prepared, std::memory_order_relaxed);
    busy.store(false, std::memory_order_release);
}

int JackPlayer::process(uint32_t frames) {
    auto *left = static_cast<float *>(jack_port_get_buffer(outLeft, frames));
    auto *right = static_cast<float *>(jack_port_get_buffer(outRight, frames));
    void *midi = jack_port_get_buffer(midiIn, frames);
    bool expected = false;
    const int32_t n = static_cast<int32_t>(frames);
    if (!left || !right || n > preparedFrames.load(std::memory_order_relaxed) ||
        !busy.compare_exchange_strong(expected, true, std::memory_order_acquire)) {
        if (left) std::memset(left, 0, sizeof(float) * frames);
        if (right) std::memset(right, 0, sizeof(float) * frames);
        return 0;
    }
    int32_t count = 0;
    // The sequencer's messages came in since the last period: they act at its start.
    MidiInbox::Message m;
    while (count < kMaxEvents && inbox.pop(m)) events[count++] = InstrumentEvent::midi(0, m.status, m.data1, m.data2);
    const uint32_t jackEvents = midi ? jack_midi_get_event_count(midi) : 0;
    for (uint32_t i = 0; i < jackEvents && count < kMaxEvents; ++i) {
        jack_midi_event_t e;
        unsigned char status, d1, d2;
        if (jack_midi_event_get(&e, midi, i) != 0 || !channelMessage(e, status, d1, d2)) continue;
        // JACK hands them in time order; one stamped past the period acts on its last frame.
        const int32_t at = e.time < frames ? static_cast<int32_t>(e.time) : n - 1;
        events[count++] = InstrumentEvent::midi(at, status, d1, d2);
    }
    jack_position_t pos;
    const jack_transport_state_t state = jack_transport_query(client, &pos);
    BarBeatTick bbt;
    bbt.valid = (pos.valid & JackPositionBBT) != 0;
    bbt.rolling = state == JackTransportRolling;
    bbt.bar = pos.bar;
    bbt.beat = pos.beat;
    bbt.tick = pos.tick;
    bbt.ticksPerBeat = pos.ticks_per_beat;
    bbt.beatsPerBar = pos.beats_per_bar;
    bbt.beatType = pos.beat_type;
    bbt.beatsPerMinute = pos.beats_per_minute;
    Transport transport;
    const bool known = bbt.toTransport(transport);
    instrument.process(events, count, left, right, n, known ? &transport : nullptr);
    busy.store(false, std::memory_order_release);
    return 0;
}

}  // namespace tarn
