// The render loop: events in batches before the blocks that hold their
// samples, audio out block by block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/EventSchedule.h"

namespace tarn {

class EffectInstance;
class ProgressReporter;
class SignalStats;
class TransportClock;
class WavWriter;

class RenderSession final {
public:
    RenderSession(EffectInstance &effect, TransportClock &clock, WavWriter &writer, SignalStats &stats,
                  ProgressReporter &progress);

    // Renders `totalFrames` samples in blocks of at most `maxBlock`, cut at
    // events or whole (events inside by their deltaFrames). False, with
    // `error` set, if the output could not be written.
    bool run(const std::vector<ScheduledEvent> &events, int64_t totalFrames, int32_t maxBlock, bool cutAtEvents,
             std::string &error);

private:
    EffectInstance &effect_;
    TransportClock &clock_;
    WavWriter &writer_;
    SignalStats &stats_;
    ProgressReporter &progress_;
};

}  // namespace tarn
