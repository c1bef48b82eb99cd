#include "tools/RenderSession.h"

#include "tools/BlockPlanner.h"
#include "tools/EffectInstance.h"
#include "tools/EventBatch.h"
#include "tools/ProgressReporter.h"
#include "tools/SignalStats.h"
#include "tools/TransportClock.h"
#include "tools/WavWriter.h"

namespace tarn {

RenderSession::RenderSession(EffectInstance &effect, TransportClock &clock, WavWriter &writer, SignalStats &stats,
                             ProgressReporter &progress)
    : effect_(effect), clock_(clock), writer_(writer), stats_(stats), progress_(progress) {}

bool RenderSession::run(const std::vector<ScheduledEvent> &events, int64_t totalFrames, int32_t maxBlock,
                        bool cutAtEvents, std::string &error) {
    BlockPlanner planner(events, totalFrames, maxBlock, cutAtEvents);
    EventBatch batch;
    std::vector<float> left(static_cast<size_t>(maxBlock > 0 ? maxBlock : 1));
    std::vector<float> right(left.size());
    effect_.reserveFrames(maxBlock);

    RenderBlock block;
    while (planner.next(block)) {
        // The transport stands on the block's first sample both while the
        // events arrive and while the block is processed.
        clock_.setPosition(block.start);
        if (block.eventCount > 0) {
            VstEvents *vstEvents = batch.fill(events.data() + block.firstEvent, block.eventCount, block.start);
            effect_.dispatch(effProcessEvents, 0, 0, vstEvents);
        }
        effect_.process(left.data(), right.data(), block.frames);
        stats_.add(left.data(), right.data(), block.frames);
        if (!writer_.write(left.data(), right.data(), block.frames, error)) return false;
        progress_.update(planner.position());
    }
    progress_.finish();
    return true;
}

}  // namespace tarn
