#include "tools/BlockPlanner.h"

#include <algorithm>

namespace tarn {

BlockPlanner::BlockPlanner(const std::vector<ScheduledEvent> &events, int64_t totalFrames, int32_t maxBlock,
                           bool cutAtEvents)
    : events_(events),
      total_(std::max<int64_t>(0, totalFrames)),
      maxBlock_(std::max<int32_t>(1, maxBlock)),
      cutAtEvents_(cutAtEvents) {}

bool BlockPlanner::next(RenderBlock &block) {
    if (position_ >= total_) return false;
    // Anything scheduled before the current position (which only unsorted
    // input could produce) is delivered now rather than lost.
    block.start = position_;
    block.firstEvent = nextEvent_;
    int64_t end = std::min(total_, position_ + maxBlock_);
    const int64_t lastDue = cutAtEvents_ ? position_ : end - 1;
    while (nextEvent_ < events_.size() && events_[nextEvent_].sample <= lastDue) ++nextEvent_;
    block.eventCount = nextEvent_ - block.firstEvent;

    if (cutAtEvents_ && nextEvent_ < events_.size()) end = std::min(end, events_[nextEvent_].sample);
    block.frames = static_cast<int32_t>(end - position_);
    position_ = end;
    return true;
}

}  // namespace tarn
