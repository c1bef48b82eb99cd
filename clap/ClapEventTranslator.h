// CLAP input events as the instrument's events: notes become MIDI note
// messages, MIDI passes as it is, parameter values act at their sample.
// Events of other spaces and types the instrument has no use for are left out.
#pragma once

#include <cstdint>

#include "clap/ClapAbi.h"
#include "engine/InstrumentEvent.h"
#include "engine/Transport.h"

namespace tarn {

class ClapEventTranslator final {
public:
    // The most instrument events one CLAP event can become (a choke of
    // every channel).
    static constexpr int32_t kMostPerEvent = 16;

    // Writes at most kMostPerEvent events at frame into out; returns how many.
    static int32_t translate(const clap_event_header_t &event, int32_t frame, InstrumentEvent *out);
    // A parameter value event's id and value, if it is one this instrument has.
    static bool parameterValue(const clap_event_header_t &event, int32_t *index, float *value);
    // What a CLAP transport tells; false for none.
    static bool transport(const clap_event_transport_t *from, Transport *to);
    // CLAP's velocity 0..1 as a MIDI velocity; a note-on keeps at least 1.
    static unsigned char velocity(double v, bool noteOn);
};

}  // namespace tarn
