#include "tools/TransportClock.h"

namespace tarn {

TransportClock::TransportClock(double sampleRate, double tempo) : sampleRate_(sampleRate), tempo_(tempo) {}

void TransportClock::setPosition(int64_t samplePos) { position_ = samplePos; }

VstTimeInfo *TransportClock::timeInfo() {
    info_ = VstTimeInfo{};
    info_.samplePos = static_cast<double>(position_);
    info_.sampleRate = sampleRate_;
    info_.ppqPos = sampleRate_ > 0.0 ? info_.samplePos / sampleRate_ * (tempo_ / 60.0) : 0.0;
    info_.tempo = tempo_;
    info_.timeSigNumerator = 4;
    info_.timeSigDenominator = 4;
    info_.flags = kFlags;
    return &info_;
}

}  // namespace tarn
