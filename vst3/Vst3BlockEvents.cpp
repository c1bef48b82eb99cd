#include "vst3/Vst3BlockEvents.h"

#include <cmath>

#include "engine/Instrument.h"
#include "vst3/Vst3ParameterIds.h"

namespace tarn::vst3 {

namespace {

int32 frameIn(int32 offset, int32 frames) {
    if (offset < 0 || frames <= 0) return 0;
    return offset < frames ? offset : frames - 1;
}

unsigned char velocity(float v, bool noteOn) {
    const unsigned char d = midiDataFromNormalized(v);
    // A soft note-on that rounds to nothing is still a note, not a release.
    return noteOn && d == 0 && v > 0.0f ? 1 : d;
}

bool before(const InstrumentEvent &a, const InstrumentEvent &b) {
    if (a.frame != b.frame) return a.frame < b.frame;
    return a.kind == InstrumentEvent::Kind::Parameter && b.kind != InstrumentEvent::Kind::Parameter;
}

}  // namespace

void Vst3BlockEvents::add(const InstrumentEvent &e) {
    if (used < kCapacity)
        list[used++] = e;
    else
        ++lost;
}

void Vst3BlockEvents::gather(IEventList *events, IParameterChanges *changes, int32 frames) {
    used = 0;
    program = -1;
    lost = 0;
    if (events) {
        const int32 n = events->getEventCount();
        for (int32 i = 0; i < n; ++i) {
            Event e{};
            if (events->getEvent(i, &e) != kResultOk || e.busIndex != 0) continue;
            const int32 frame = frameIn(e.sampleOffset, frames);
            if (e.type == Event::kNoteOnEvent) {
                const auto &on = e.noteOn;
                if (on.pitch < 0 || on.pitch > 127) continue;
                const unsigned char channel = static_cast<unsigned char>(on.channel & 0x0F);
                const unsigned char v = velocity(on.velocity, true);
                // Some hosts send a note-on of velocity 0 for a release.
                const unsigned char status = static_cast<unsigned char>((v ? 0x90 : 0x80) | channel);
                add(InstrumentEvent::midi(frame, status, static_cast<unsigned char>(on.pitch), v));
            } else if (e.type == Event::kNoteOffEvent) {
                const auto &off = e.noteOff;
                if (off.pitch < 0 || off.pitch > 127) continue;
                add(InstrumentEvent::midi(frame, static_cast<unsigned char>(0x80 | (off.channel & 0x0F)),
                                          static_cast<unsigned char>(off.pitch), velocity(off.velocity, false)));
            } else if (e.type == Event::kPolyPressureEvent) {
                const auto &pp = e.polyPressure;
                if (pp.pitch < 0 || pp.pitch > 127) continue;
                add(InstrumentEvent::midi(frame, static_cast<unsigned char>(0xA0 | (pp.channel & 0x0F)),
                                          static_cast<unsigned char>(pp.pitch), velocity(pp.pressure, false)));
            }
        }
    }
    if (changes) {
        const int32 n = changes->getParameterCount();
        for (int32 q = 0; q < n; ++q) {
            IParamValueQueue *queue = changes->getParameterData(q);
            if (!queue) continue;
            const ParamID id = queue->getParameterId();
            const int32 points = queue->getPointCount();
            for (int32 k = 0; k < points; ++k) {
                int32 offset = 0;
                ParamValue value = 0.0;
                if (queue->getPoint(k, &offset, &value) != kResultOk || std::isnan(value)) continue;
                const int32 frame = frameIn(offset, frames);
                if (id < static_cast<ParamID>(Instrument::kNumParams)) {
                    const float v = value < 0.0 ? 0.0f : value > 1.0 ? 1.0f : static_cast<float>(value);
                    add(InstrumentEvent::parameter(frame, static_cast<int32_t>(id), v));
                } else if (id == kProgramParam) {
                    program = programFromNormalized(value);
                } else if (isControllerParam(id)) {
                    const auto cc = static_cast<unsigned char>(id - kControllerParamBase);
                    add(InstrumentEvent::midi(frame, 0xB0, cc, midiDataFromNormalized(value)));
                }
            }
        }
    }
    sort();
}

// A bottom-up merge sort into the scratch list and back: stable, so the
// host's order stands among events of one sample, and without allocation.
void Vst3BlockEvents::sort() {
    bool sorted = true;
    for (int32 i = 1; i < used && sorted; ++i) sorted = !before(list[i], list[i - 1]);
    if (sorted) return;
    InstrumentEvent *from = list, *to = scratch;
    for (int32 width = 1; width < used; width *= 2) {
        for (int32 lo = 0; lo < used; lo += 2 * width) {
            const int32 mid = lo + width < used ? lo + width : used;
            const int32 hi = lo + 2 * width < used ? lo + 2 * width : used;
            int32 a = lo, b = mid, o = lo;
            while (a < mid && b < hi) to[o++] = before(from[b], from[a]) ? from[b++] : from[a++];
            while (a < mid) to[o++] = from[a++];
            while (b < hi) to[o++] = from[b++];
        }
        InstrumentEvent *t = from;
        from = to;
        to = t;
    }
    if (from != list)
        for (int32 i = 0; i < used; ++i) list[i] = from[i];
}

}  // namespace tarn::vst3
