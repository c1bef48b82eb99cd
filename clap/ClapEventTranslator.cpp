#include "clap/ClapEventTranslator.h"

#include <cmath>

#include "engine/Instrument.h"

namespace tarn {

namespace {

constexpr unsigned char kNoteOff = 0x80, kNoteOn = 0x90, kController = 0xB0;
constexpr unsigned char kAllNotesOff = 123;

// Hosts may send -1 (every channel) or garbage; the instrument listens on
// every channel alike, so anything but 0..15 is heard on channel 0.
unsigned char channelOf(int16_t channel) {
    return channel >= 0 && channel <= 15 ? static_cast<unsigned char>(channel) : 0;
}

int32_t allNotesOff(int16_t channel, int32_t frame, InstrumentEvent *out) {
    if (channel >= 0 && channel <= 15) {
        out[0] = InstrumentEvent::midi(frame, kController | channel, kAllNotesOff, 0);
        return 1;
    }
    for (int c = 0; c < 16; ++c) out[c] = InstrumentEvent::midi(frame, kController | c, kAllNotesOff, 0);
    return 16;
}

}  // namespace

unsigned char ClapEventTranslator::velocity(double v, bool noteOn) {
    double scaled = v * 127.0;
    if (!(scaled >= 0.0)) scaled = 0.0;  // NaN too
    if (scaled > 127.0) scaled = 127.0;
    long midi = std::lround(scaled);
    // A note-on of velocity 0 would be a MIDI note-off.
    if (noteOn && midi < 1) midi = 1;
    return static_cast<unsigned char>(midi);
}

int32_t ClapEventTranslator::translate(const clap_event_header_t &event, int32_t frame, InstrumentEvent *out) {
    if (event.space_id != kClapCoreEventSpace) return 0;
    switch (event.type) {
        case kClapEventNoteOn:
        case kClapEventNoteOff:
        case kClapEventNoteChoke: {
            if (event.size < sizeof(clap_event_note_t)) return 0;
            const auto &note = reinterpret_cast<const clap_event_note_t &>(event);
            const bool keyKnown = note.key >= 0 && note.key <= 127;
            if (event.type == kClapEventNoteOn) {
                if (!keyKnown) return 0;
                out[0] = InstrumentEvent::midi(frame, kNoteOn | channelOf(note.channel),
                                               static_cast<unsigned char>(note.key), velocity(note.velocity, true));
                return 1;
            }
            // A wildcard key ends every note of the channel.
            if (!keyKnown) return note.key == -1 ? allNotesOff(note.channel, frame, out) : 0;
            const unsigned char release = event.type == kClapEventNoteOff ? velocity(note.velocity, false) : 0;
            out[0] = InstrumentEvent::midi(frame, kNoteOff | channelOf(note.channel),
                                           static_cast<unsigned char>(note.key), release);
            return 1;
        }
        case kClapEventMidi: {
            if (event.size < sizeof(clap_event_midi_t)) return 0;
            const auto &midi = reinterpret_cast<const clap_event_midi_t &>(event);
            if (midi.data[0] < 0x80) return 0;  // no status byte: nothing to act on
            out[0] = InstrumentEvent::midi(frame, midi.data[0], midi.data[1], midi.data[2]);
            return 1;
        }
        case kClapEventParamValue: {
            int32_t index = 0;
            float value = 0.0f;
            if (!parameterValue(event, &index, &value)) return 0;
            out[0] = InstrumentEvent::parameter(frame, index, value);
            return 1;
        }
        default:
            return 0;
    }
}

bool ClapEventTranslator::parameterValue(const clap_event_header_t &event, int32_t *index, float *value) {
    if (event.space_id != kClapCoreEventSpace || event.type != kClapEventParamValue ||
        event.size < sizeof(clap_event_param_value_t))
        return false;
    const auto &param = reinterpret_cast<const clap_event_param_value_t &>(event);
    if (param.param_id >= static_cast<clap_id>(Instrument::kNumParams)) return false;
    double v = param.value;
    if (std::isnan(v)) return false;
    if (v < 0.0) v = 0.0;
    if (v > 1.0) v = 1.0;
    *index = static_cast<int32_t>(param.param_id);
    *value = static_cast<float>(v);
    return true;
}

bool ClapEventTranslator::transport(const clap_event_transport_t *from, Transport *to) {
    if (!from) return false;
    *to = Transport{};
    if ((from->flags & kClapTransportHasTempo) && std::isfinite(from->tempo)) {
        to->hasTempo = true;
        to->tempo = from->tempo;
    }
    if (from->flags & kClapTransportHasBeatsTimeline) {
        to->hasBeats = true;
        to->beats = static_cast<double>(from->song_pos_beats) / kClapBeattimeFactor;
    }
    to->playing = (from->flags & kClapTransportIsPlaying) != 0;
    return true;
}

}  // namespace tarn
