#include "lv2/TransportClock.h"

#include <cmath>

namespace tarn::lv2door {

namespace {
bool usable(double v) { return std::isfinite(v); }
}  // namespace

void TransportClock::reset() {
    transport = Transport{};
    known = false;
    speed = 0.0;
    beatsPerBar = 4.0;
    beatUnit = 4.0;
    pendingOffset = -1;
}

void TransportClock::receive(const Position &position, int32_t offset) {
    if (offset <= 0) {
        apply(position);
        return;
    }
    // A second position in the same piece replaces the first.
    pending = position;
    pendingOffset = offset;
}

void TransportClock::apply(const Position &p) {
    if (p.hasBeatUnit && usable(p.beatUnit) && p.beatUnit >= 1.0) beatUnit = p.beatUnit;
    if (p.hasBeatsPerBar && usable(p.beatsPerBar) && p.beatsPerBar > 0.0) beatsPerBar = p.beatsPerBar;
    if (p.hasSpeed && usable(p.speed)) speed = p.speed;
    if (p.hasTempo && usable(p.tempo) && p.tempo > 0.0) {
        transport.hasTempo = true;
        transport.tempo = p.tempo;
    }
    // Song position in quarter notes, from the running beat where the host
    // gives it, else from bar and beat in the bar.
    const double quarters = 4.0 / beatUnit;
    if (p.hasBeat && usable(p.beat)) {
        transport.hasBeats = true;
        transport.beats = p.beat * quarters;
    } else if (p.hasBar && p.hasBarBeat && usable(p.bar) && usable(p.barBeat)) {
        transport.hasBeats = true;
        transport.beats = (p.bar * beatsPerBar + p.barBeat) * quarters;
    }
    transport.playing = speed != 0.0;
    known = true;
}

void TransportClock::run(int32_t frames) {
    if (!known || !transport.playing || !transport.hasTempo || !transport.hasBeats || frames <= 0) return;
    transport.beats += frames / sampleRate * transport.tempo / 60.0 * speed * (4.0 / beatUnit);
}

void TransportClock::advance(int32_t frames) {
    if (pendingOffset > 0 && pendingOffset <= frames) {
        apply(pending);
        run(frames - pendingOffset);
        pendingOffset = -1;
        return;
    }
    if (pendingOffset > 0) pendingOffset -= frames;
    run(frames);
}

}  // namespace tarn::lv2door
