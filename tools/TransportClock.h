// The renderer's transport: always playing, at one tempo, from sample 0.
#pragma once

#include <cstdint>

#include "plugin/VstAbi.h"

namespace tarn {

class TransportClock final {
public:
    static constexpr VstInt32 kFlags = kVstPpqPosValid | kVstTempoValid | kVstTransportPlaying;

    TransportClock(double sampleRate, double tempo);

    void setPosition(int64_t samplePos);
    int64_t position() const { return position_; }
    double sampleRate() const { return sampleRate_; }
    double tempo() const { return tempo_; }

    // The record handed to the plug-in. It stays at one address and is
    // rewritten in full on every request, so whatever the plug-in scribbled
    // into it last time is gone.
    VstTimeInfo *timeInfo();

private:
    double sampleRate_;
    double tempo_;
    int64_t position_ = 0;
    VstTimeInfo info_{};
};

}  // namespace tarn
