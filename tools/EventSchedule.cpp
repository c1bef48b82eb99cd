#include "tools/EventSchedule.h"

#include <algorithm>
#include <cmath>

namespace tarn {

namespace {

enum Rank : int { kEarlierRelease = 0, kChannelMessage = 1, kNoteStart = 2, kSameSampleRelease = 3 };

struct Ranked {
    ScheduledEvent event;
    int rank;
    size_t order;
};

}  // namespace

int64_t secondsToSample(double seconds, double sampleRate) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) return 0;
    if (std::isnan(seconds) || seconds <= 0.0) return 0;
    const double position = std::round(seconds * sampleRate);
    if (!(position < static_cast<double>(kLatestSchedulableSample))) return kLatestSchedulableSample;
    return static_cast<int64_t>(position);
}

std::vector<ScheduledEvent> scheduleEvents(const Performance &performance, double sampleRate) {
    std::vector<Ranked> ranked;
    ranked.reserve(performance.notes.size() * 2 + performance.messages.size());
    size_t order = 0;
    for (const NoteSpan &note : performance.notes) {
        const uint8_t channel = note.channel & 0x0F;
        const uint8_t key = note.key & 0x7F;
        // Velocity 0 would be read as a release; the quietest start is 1.
        const uint8_t velocity = std::max<uint8_t>(1, note.velocity & 0x7F);
        const int64_t on = secondsToSample(note.start, sampleRate);
        const int64_t off = std::max(on, secondsToSample(note.end, sampleRate));
        ranked.push_back({{on, {static_cast<uint8_t>(0x90 | channel), key, velocity, 3}}, kNoteStart, order++});
        ranked.push_back({{off, {static_cast<uint8_t>(0x80 | channel), key, 64, 3}},
                          off > on ? kEarlierRelease : kSameSampleRelease, order++});
    }
    for (const TimedMessage &timed : performance.messages) {
        ranked.push_back({{secondsToSample(timed.seconds, sampleRate), timed.message}, kChannelMessage, order++});
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked &a, const Ranked &b) {
        if (a.event.sample != b.event.sample) return a.event.sample < b.event.sample;
        if (a.rank != b.rank) return a.rank < b.rank;
        return a.order < b.order;
    });
    std::vector<ScheduledEvent> events;
    events.reserve(ranked.size());
    for (const Ranked &r : ranked) events.push_back(r.event);
    return events;
}

}  // namespace tarn
