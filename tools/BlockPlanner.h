// Cuts a render into processing blocks. Either every event is delivered
// right before a block that begins on its sample (blocks are cut at events),
// or blocks are whole and each event goes with the block that holds its
// sample, placed inside it by its deltaFrames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/EventSchedule.h"

namespace tarn {

struct RenderBlock {
    int64_t start = 0;        // first sample of the block
    int32_t frames = 0;       // 1 .. the largest block
    size_t firstEvent = 0;    // events due in the block (cut: on `start`), an index range into the schedule
    size_t eventCount = 0;
};

class BlockPlanner final {
public:
    // `events` must be sorted by sample (as scheduleEvents leaves them) and
    // outlive the planner. Events on or after `totalFrames` are never
    // delivered: there is no block for them to precede.
    BlockPlanner(const std::vector<ScheduledEvent> &events, int64_t totalFrames, int32_t maxBlock,
                 bool cutAtEvents = true);

    // The next block, or false once `totalFrames` samples are planned.
    bool next(RenderBlock &block);

    int64_t position() const { return position_; }
    int64_t totalFrames() const { return total_; }

private:
    const std::vector<ScheduledEvent> &events_;
    int64_t total_;
    int32_t maxBlock_;
    bool cutAtEvents_;
    int64_t position_ = 0;
    size_t nextEvent_ = 0;
};

}  // namespace tarn
