// The tests' side of the JACK graph: "keys", a client that plays MIDI
// messages at exact frames of JACK's clock, and "ears", a client that
// records two audio inputs from a given frame on. Two clients rather than
// one so that keys -> player -> ears is a chain, not a loop: JACK then runs
// all three in that order within every period, and all three see the same
// frame time at its start. What keys writes at frame f of a period the
// player renders at sample f of that same period, and ears hears it in that
// same period: no latency to allow for.
#pragma once

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn {
namespace playertest {

struct TimedMessage {
    jack_nframes_t at;  // JACK frame time
    unsigned char bytes[3];
    int size;
};

inline void quietJack(const char *) {}

class JackTestClient {
public:
    // On the server JACK_DEFAULT_SERVER names, or the one given.
    explicit JackTestClient(const std::string &name, const std::string &server = std::string()) {
        jack_set_error_function(quietJack);
        jack_set_info_function(quietJack);
        const auto options = static_cast<jack_options_t>(JackNoStartServer | (server.empty() ? 0 : JackServerName));
        keys = jack_client_open((name + "-keys").c_str(), options, nullptr, server.c_str());
        ears = jack_client_open((name + "-ears").c_str(), options, nullptr, server.c_str());
        if (!keys || !ears) return;
        keysOut = jack_port_register(keys, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        earsIn[0] = jack_port_register(ears, "in_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        earsIn[1] = jack_port_register(ears, "in_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(keys, [](jack_nframes_t n, void *s) { return static_cast<JackTestClient *>(s)->play(n); },
                                  this);
        jack_set_process_callback(ears, [](jack_nframes_t n, void *s) { return static_cast<JackTestClient *>(s)->hear(n); },
                                  this);
        jack_set_xrun_callback(keys, [](void *s) {
            static_cast<JackTestClient *>(s)->xrunCount.fetch_add(1, std::memory_order_relaxed);
            return 0;
        }, this);
        ok = keysOut && earsIn[0] && earsIn[1] && jack_activate(keys) == 0 && jack_activate(ears) == 0;
    }
    ~JackTestClient() {
        if (keys) jack_client_close(keys);
        if (ears) jack_client_close(ears);
    }
    JackTestClient(const JackTestClient &) = delete;
    JackTestClient &operator=(const JackTestClient &) = delete;

    bool ready() const { return ok; }
    jack_client_t *handle() const { return keys; }
    jack_nframes_t rate() const { return jack_get_sample_rate(keys); }
    jack_nframes_t period() const { return jack_get_buffer_size(keys); }
    jack_nframes_t now() const { return jack_frame_time(keys); }
    // The frame time at which the latest period began.
    jack_nframes_t lastPeriod() const { return lastStart.load(std::memory_order_acquire); }

    bool portExists(const std::string &port) const { return jack_port_by_name(keys, port.c_str()) != nullptr; }
    bool connect(const std::string &from, const std::string &to) { return jack_connect(keys, from.c_str(), to.c_str()) == 0; }
    bool hearPlayer(const std::string &player) {
        return connect(player + ":out_left", jack_port_name(earsIn[0])) &&
               connect(player + ":out_right", jack_port_name(earsIn[1]));
    }
    bool playTo(const std::string &player) { return connect(jack_port_name(keysOut), player + ":midi_in"); }

    // Before the first message is due. The messages are sorted here.
    void schedule(std::vector<TimedMessage> messages) {
        std::stable_sort(messages.begin(), messages.end(),
                         [](const TimedMessage &a, const TimedMessage &b) { return a.at < b.at; });
        pendingPlay.store(false, std::memory_order_release);
        score = std::move(messages);
        next = 0;
        late.store(false, std::memory_order_relaxed);
        pendingPlay.store(true, std::memory_order_release);
    }
    // Records frames [from, from + frames) of JACK's clock.
    void record(jack_nframes_t from, std::size_t frames) {
        recording.store(false, std::memory_order_release);
        left.assign(frames, 0.0f);
        right.assign(frames, 0.0f);
        const std::size_t periods = frames / period() + 2;
        heard.assign(periods, 0);
        recordFrom = from;
        recorded.store(0, std::memory_order_relaxed);
        recording.store(true, std::memory_order_release);
    }
    std::size_t recordedFrames() const { return recorded.load(std::memory_order_acquire); }
    bool recordingDone() const { return recorded.load(std::memory_order_acquire) >= left.size(); }
    // Every period of the recording was heard, each exactly once, in full.
    bool recordingWhole() const {
        std::size_t sum = 0;
        for (std::size_t i = 0; i * period() < left.size(); ++i) {
            if (heard[i] != 1) return false;
            ++sum;
        }
        return sum > 0 && recordingDone();
    }
    void stopRecording() { recording.store(false, std::memory_order_release); }
    const std::vector<float> &recordedLeft() const { return left; }
    const std::vector<float> &recordedRight() const { return right; }

private:
    int play(jack_nframes_t n) {
        void *buffer = jack_port_get_buffer(keysOut, n);
        jack_midi_clear_buffer(buffer);
        const jack_nframes_t start = jack_last_frame_time(keys);
        lastStart.store(start, std::memory_order_release);
        if (!pendingPlay.load(std::memory_order_acquire)) return 0;
        while (next < score.size() && static_cast<int32_t>(score[next].at - start) < static_cast<int32_t>(n)) {
            const TimedMessage &m = score[next++];
            // Only a message due in this very period may go out; one already
            // late breaks the test's premise and is sent at 0 to be seen.
            const int32_t offset = static_cast<int32_t>(m.at - start);
            jack_midi_event_write(buffer, offset >= 0 ? static_cast<jack_nframes_t>(offset) : 0, m.bytes,
                                  static_cast<size_t>(m.size));
            if (offset < 0) late.store(true, std::memory_order_relaxed);
        }
        return 0;
    }
    int hear(jack_nframes_t n) {
        if (!recording.load(std::memory_order_acquire)) return 0;
        const jack_nframes_t start = jack_last_frame_time(ears);
        const int32_t offset = static_cast<int32_t>(start - recordFrom);
        if (offset < 0 || static_cast<std::size_t>(offset) >= left.size()) return 0;
        const auto *l = static_cast<const float *>(jack_port_get_buffer(earsIn[0], n));
        const auto *r = static_cast<const float *>(jack_port_get_buffer(earsIn[1], n));
        const std::size_t count = std::min<std::size_t>(n, left.size() - static_cast<std::size_t>(offset));
        std::copy(l, l + count, left.begin() + offset);
        std::copy(r, r + count, right.begin() + offset);
        const std::size_t which = static_cast<std::size_t>(offset) / period();
        if (which < heard.size()) ++heard[which];
        recorded.fetch_add(count, std::memory_order_release);
        return 0;
    }

public:
    std::atomic<bool> late{false};
    // Periods JACK reported as overrun: in one, some clients may have run and others not.
    std::atomic<int> xrunCount{0};

private:
    jack_client_t *keys = nullptr, *ears = nullptr;
    jack_port_t *keysOut = nullptr, *earsIn[2] = {nullptr, nullptr};
    bool ok = false;
    std::atomic<jack_nframes_t> lastStart{0};
    std::atomic<bool> pendingPlay{false}, recording{false};
    std::vector<TimedMessage> score;
    std::size_t next = 0;
    std::vector<float> left, right;
    std::vector<int> heard;
    jack_nframes_t recordFrom = 0;
    std::atomic<std::size_t> recorded{0};
};

}  // namespace playertest
}  // namespace tarn
