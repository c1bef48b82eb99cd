#include "tools/MidiFileReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>  // allegro.h uses memcpy without including it
#include <memory>
#include <new>

#include <allegro.h>

#include "tools/SmfTempoProbe.h"

namespace tarn {

namespace {

constexpr double kSmfDefaultTempo = 120.0;

uint8_t toDataByte(double value) {
    if (!std::isfinite(value)) return 0;
    return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 127L));
}

uint8_t toChannel(long chan) { return static_cast<uint8_t>(chan < 0 ? 0 : chan & 0x0F); }

bool startsWith(const char *text, const char *prefix) {
    return text && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// The reader keeps channel messages as named updates; these are the ones
// that map back to a MIDI message. Returns false for anything else.
bool updateToMessage(Alg_update &update, MidiMessage &out) {
    Alg_parameter &p = update.parameter;
    const char *name = p.attr_name();
    const char type = p.attr_type();
    const uint8_t channel = toChannel(update.chan);
    if (startsWith(name, "control") && type == 'r') {
        char *end = nullptr;
        const long number = std::strtol(name + 7, &end, 10);
        if (end == name + 7 || number < 0 || number > 127) return false;
        out = {static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(number), toDataByte(p.r * 127.0), 3};
        return true;
    }
    if (std::strcmp(name, "bendr") == 0 && type == 'r') {
        const double r = std::isfinite(p.r) ? std::clamp(p.r, -1.0, 1.0) : 0.0;
        const long bend = std::clamp(std::lround(8192.0 + r * 8192.0), 0L, 16383L);
        out = {static_cast<uint8_t>(0xE0 | channel), static_cast<uint8_t>(bend & 0x7F),
               static_cast<uint8_t>((bend >> 7) & 0x7F), 3};
        return true;
    }
    if (std::strcmp(name, "programi") == 0 && type == 'i') {
        out = {static_cast<uint8_t>(0xC0 | channel), toDataByte(static_cast<double>(p.i)), 0, 2};
        return true;
    }
    if (std::strcmp(name, "pressurer") == 0 && type == 'r') {
        const uint8_t amount = toDataByte(p.r * 127.0);
        const long key = update.get_identifier();
        if (key < 0) {
            out = {static_cast<uint8_t>(0xD0 | channel), amount, 0, 2};
        } else {
            out = {static_cast<uint8_t>(0xA0 | channel), static_cast<uint8_t>(key & 0x7F), amount, 3};
        }
        return true;
    }
    return false;
}

}  // namespace

MidiFileContents readMidiFile(const std::string &path) {
    MidiFileContents contents;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        contents.error = "cannot open MIDI file " + path + ": " + std::strerror(errno);
        return contents;
    }
    if (!S_ISREG(st.st_mode)) {
        contents.error = path + " is not a MIDI file (not a regular file)";
        return contents;
    }

    std::unique_ptr<Alg_seq> seq(new (std::nothrow) Alg_seq(path.c_str(), true));
    if (!seq) {
        contents.error = "out of memory reading " + path;
        return contents;
    }
    const int status = seq->get_read_error();
    if (status == alg_error_open) {
        contents.error = "cannot open MIDI file " + path;
        return contents;
    }
    if (status != alg_no_error) {
        contents.error = path + " is not a readable Standard MIDI File";
        return contents;
    }

    // Where the file sets no tempo before its first beat, the file format
    // says 120 beats per minute; the sequence reader would assume 100.
    const FirstTempo first = probeFirstTempo(path);
    if (first.readable && (!first.present || first.tick > 0)) seq->insert_tempo(kSmfDefaultTempo, 0.0);

    // The tempo map's first entry, in beats per second.
    const double firstTempo = seq->get_tempo(0.0) * 60.0;
    contents.performance.tempo = std::isfinite(firstTempo) && firstTempo > 0.0 ? firstTempo : kSmfDefaultTempo;

    seq->convert_to_seconds();
    for (int t = 0; t < seq->tracks(); ++t) {
        Alg_track *track = seq->track(t);
        if (!track) continue;
        for (int i = 0; i < track->length(); ++i) {
            Alg_event *event = (*track)[i];
            if (!event) continue;
            if (event->is_note()) {
                Alg_note *note = static_cast<Alg_note *>(event);
                NoteSpan span;
                span.start = note->time;
                span.end = note->time + std::max(0.0, note->dur);
                span.channel = toChannel(note->chan);
                span.key = toDataByte(note->pitch);
                span.velocity = std::max<uint8_t>(1, toDataByte(note->loud));
                contents.performance.notes.push_back(span);
            } else if (event->is_update()) {
                MidiMessage message;
                if (updateToMessage(*static_cast<Alg_update *>(event), message)) {
                    contents.performance.messages.push_back({event->time, message});
                } else {
                    ++contents.skippedEvents;
                }
            }
        }
    }
    contents.ok = true;
    return contents;
}

}  // namespace tarn
