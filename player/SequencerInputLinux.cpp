#include <alsa/asoundlib.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

#include "player/MidiInbox.h"
#include "player/SequencerInput.h"

namespace tarn {

namespace {

constexpr const char *kSequencerDevice = "/dev/snd/seq";

bool toMessage(const snd_seq_event_t &e, MidiInbox::Message &m) {
    const unsigned char channel = e.data.control.channel & 0x0F;
    switch (e.type) {
        case SND_SEQ_EVENT_NOTEON:
            m = {static_cast<unsigned char>(0x90 | (e.data.note.channel & 0x0F)), static_cast<unsigned char>(e.data.note.note & 0x7F),
                 static_cast<unsigned char>(e.data.note.velocity & 0x7F)};
            return true;
        case SND_SEQ_EVENT_NOTEOFF:
            m = {static_cast<unsigned char>(0x80 | (e.data.note.channel & 0x0F)), static_cast<unsigned char>(e.data.note.note & 0x7F),
                 static_cast<unsigned char>(e.data.note.velocity & 0x7F)};
            return true;
        case SND_SEQ_EVENT_KEYPRESS:
            m = {static_cast<unsigned char>(0xA0 | (e.data.note.channel & 0x0F)), static_cast<unsigned char>(e.data.note.note & 0x7F),
                 static_cast<unsigned char>(e.data.note.velocity & 0x7F)};
            return true;
        case SND_SEQ_EVENT_CONTROLLER:
            m = {static_cast<unsigned char>(0xB0 | channel), static_cast<unsigned char>(e.data.control.param & 0x7F),
                 static_cast<unsigned char>(e.data.control.value & 0x7F)};
            return true;
        case SND_SEQ_EVENT_PGMCHANGE:
            m = {static_cast<unsigned char>(0xC0 | channel), static_cast<unsigned char>(e.data.control.value & 0x7F), 0};
            return true;
        case SND_SEQ_EVENT_CHANPRESS:
            m = {static_cast<unsigned char>(0xD0 | channel), static_cast<unsigned char>(e.data.control.value & 0x7F), 0};
            return true;
        case SND_SEQ_EVENT_PITCHBEND: {
            int v = e.data.control.value + 8192;
            v = v < 0 ? 0 : v > 16383 ? 16383 : v;
            m = {static_cast<unsigned char>(0xE0 | channel), static_cast<unsigned char>(v & 0x7F),
                 static_cast<unsigned char>(v >> 7)};
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

SequencerInput::SequencerInput(MidiInbox &inbox) : inbox(inbox) {}

SequencerInput::~SequencerInput() { close(); }

bool SequencerInput::open(const std::string &portName, std::string &reason) {
    // Asking ALSA where there is no device only gets its messages on stderr.
    if (access(kSequencerDevice, R_OK | W_OK) != 0) {
        reason = std::string("no ALSA sequencer here (") + kSequencerDevice + " " +
                 (errno == ENOENT ? "does not exist" : "cannot be opened") + "): MIDI through JACK only";
        return false;
    }
    int err = snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK);
    if (err < 0) {
        seq = nullptr;
        reason = std::string("the ALSA sequencer did not open (") + snd_strerror(err) + "): MIDI through JACK only";
        return false;
    }
    snd_seq_set_client_name(seq, portName.c_str());
    err = snd_seq_create_simple_port(seq, portName.c_str(), SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                     SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTHESIZER |
                                         SND_SEQ_PORT_TYPE_APPLICATION);
    if (err < 0 || pipe(wake) != 0) {
        reason = std::string("no ALSA sequencer port (") + snd_strerror(err < 0 ? err : -errno) +
                 "): MIDI through JACK only";
        close();
        return false;
    }
    reader = std::thread([this] { run(); });
    return true;
}

void SequencerInput::close() {
    if (reader.joinable()) {
        const char bye = 1;
        if (write(wake[1], &bye, 1) < 0) {
            // The reader also ends at its next poll timeout.
        }
        reader.join();
    }
    for (int &fd : wake) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    if (seq) snd_seq_close(seq);
    seq = nullptr;
}

void SequencerInput::run() {
    const int count = snd_seq_poll_descriptors_count(seq, POLLIN);
    std::vector<pollfd> fds(static_cast<std::size_t>(count > 0 ? count : 0) + 1);
    fds[0] = {wake[0], POLLIN, 0};
    if (count > 0) snd_seq_poll_descriptors(seq, fds.data() + 1, static_cast<unsigned>(count), POLLIN);
    for (;;) {
        if (poll(fds.data(), fds.size(), 500) < 0 && errno != EINTR) return;
        if (fds[0].revents) return;
        snd_seq_event_t *e = nullptr;
        while (snd_seq_event_input(seq, &e) >= 0 && e) {
            MidiInbox::Message m;
            if (toMessage(*e, m)) inbox.push(m);
            e = nullptr;
        }
    }
}

}  // namespace tarn
