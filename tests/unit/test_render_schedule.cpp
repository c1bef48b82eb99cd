// Event scheduling and block planning of the offline renderer. The renderer
// is built only natively, so these tests exist only where it does.
#ifdef TARNWELL_HAVE_RENDER_SUPPORT

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include "tools/BlockPlanner.h"
#include "tools/EventBatch.h"
#include "tools/EventSchedule.h"

namespace tarn {
namespace {

NoteSpan note(double start, double end, int key, int velocity = 100, int channel = 0) {
    NoteSpan n;
    n.start = start;
    n.end = end;
    n.key = static_cast<uint8_t>(key);
    n.velocity = static_cast<uint8_t>(velocity);
    n.channel = static_cast<uint8_t>(channel);
    return n;
}

TEST(RenderSchedule, SecondsMapToTheNearestPlayableSample) {
    EXPECT_EQ(secondsToSample(0.5, 44100.0), 22050);
    // Tempo maps give times like 0.49999999999 for a sample that is meant
    // to be exact; rounding keeps them on it.
    EXPECT_EQ(secondsToSample(0.5 - 1e-12, 44100.0), 22050);
    EXPECT_EQ(secondsToSample(1.0 / 44100.0 * 0.49, 44100.0), 0);
    EXPECT_EQ(secondsToSample(-3.0, 44100.0), 0);
    EXPECT_EQ(secondsToSample(std::nan(""), 44100.0), 0);
    EXPECT_EQ(secondsToSample(std::numeric_limits<double>::infinity(), 44100.0), kLatestSchedulableSample);
    EXPECT_EQ(secondsToSample(1e300, 44100.0), kLatestSchedulableSample);
    EXPECT_EQ(secondsToSample(1.0, 0.0), 0);
    EXPECT_EQ(secondsToSample(1.0, std::nan("")), 0);
}

TEST(RenderSchedule, SimultaneousEventsAreOrderedSoNoNoteIsLostOrStuck) {
    Performance p;
    p.notes.push_back(note(0.0, 1.0, 60));   // released on sample 100 ...
    p.notes.push_back(note(1.0, 2.0, 60));   // ... and struck again there
    p.notes.push_back(note(1.0, 1.0, 72));   // zero length on the same sample
    p.messages.push_back({1.0, {0xB1, 1, 64, 3}});
    const std::vector<ScheduledEvent> events = scheduleEvents(p, 100.0);
    ASSERT_EQ(events.size(), 7u);

    EXPECT_EQ(events[0].sample, 0);
    EXPECT_EQ(events[0].message.status, 0x90);
    // Sample 100: earlier note's release, the controller, the two starts,
    // and last the release of the note that began there.
    for (size_t i = 1; i <= 5; ++i) EXPECT_EQ(events[i].sample, 100) << i;
    EXPECT_EQ(events[1].message.status, 0x80);
    EXPECT_EQ(events[1].message.data1, 60);
    EXPECT_EQ(events[2].message.status, 0xB1);
    EXPECT_EQ(events[3].message.status, 0x90);
    EXPECT_EQ(events[3].message.data1, 60);
    EXPECT_EQ(events[4].message.status, 0x90);
    EXPECT_EQ(events[4].message.data1, 72);
    EXPECT_EQ(events[5].message.status, 0x80);
    EXPECT_EQ(events[5].message.data1, 72);
    EXPECT_EQ(events[6].sample, 200);
}

TEST(RenderSchedule, GarbageNotesBecomePlayableMessages) {
    Performance p;
    p.notes.push_back(note(2.0, 1.0, 200, 0, 17));  // ends before it starts, key and channel out of range
    const std::vector<ScheduledEvent> events = scheduleEvents(p, 10.0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].message.status, 0x91);
    EXPECT_EQ(events[0].message.data1, 200 & 0x7F);
    EXPECT_EQ(events[0].message.data2, 1) << "velocity 0 would be a release";
    EXPECT_EQ(events[1].message.status, 0x81);
    EXPECT_EQ(events[1].sample, events[0].sample) << "a release never comes before its note";
}

// The event array really runs past its declared two entries.
const VstMidiEvent *eventAt(VstEvents *block, int i) {
    auto *slots = reinterpret_cast<VstEvent **>(reinterpret_cast<char *>(block) + offsetof(VstEvents, events));
    return reinterpret_cast<const VstMidiEvent *>(slots[i]);
}

std::vector<ScheduledEvent> eventsAt(std::initializer_list<int64_t> samples) {
    std::vector<ScheduledEvent> events;
    for (int64_t s : samples) events.push_back({s, {0x90, 60, 100, 3}});
    return events;
}

TEST(RenderBlocks, EveryEventLeadsTheBlockThatStartsOnItsSample) {
    const std::vector<ScheduledEvent> events = eventsAt({0, 0, 700, 1023, 1024, 5000});
    BlockPlanner planner(events, 5001, 512);
    RenderBlock block;
    int64_t expectedStart = 0;
    size_t delivered = 0;
    std::vector<int64_t> starts;
    while (planner.next(block)) {
        EXPECT_EQ(block.start, expectedStart);
        EXPECT_GE(block.frames, 1);
        EXPECT_LE(block.frames, 512);
        EXPECT_EQ(block.firstEvent, delivered);
        for (size_t i = 0; i < block.eventCount; ++i) EXPECT_EQ(events[block.firstEvent + i].sample, block.start);
        // No event falls inside a block after its first sample.
        for (const ScheduledEvent &e : events) EXPECT_FALSE(e.sample > block.start && e.sample < block.start + block.frames);
        delivered += block.eventCount;
        starts.push_back(block.start);
        expectedStart += block.frames;
    }
    EXPECT_EQ(expectedStart, 5001);
    EXPECT_EQ(delivered, events.size());
    const std::vector<int64_t> wanted = {0, 512, 700, 1023, 1024, 1536, 2048, 2560, 3072, 3584, 4096, 4608, 5000};
    EXPECT_EQ(starts, wanted);
}

TEST(RenderBlocks, WholeBlocksCarryTheEventsOnTheirSamples) {
    const std::vector<ScheduledEvent> events = eventsAt({0, 0, 700, 1023, 1024, 5000});
    BlockPlanner planner(events, 5001, 512, false);
    RenderBlock block;
    std::vector<std::pair<int64_t, size_t>> blocks;  // start, events
    int64_t frames = 0;
    while (planner.next(block)) {
        for (size_t i = 0; i < block.eventCount; ++i) {
            EXPECT_GE(events[block.firstEvent + i].sample, block.start);
            EXPECT_LT(events[block.firstEvent + i].sample, block.start + block.frames);
        }
        if (block.eventCount) blocks.push_back({block.start, block.eventCount});
        frames += block.frames;
    }
    EXPECT_EQ(frames, 5001);
    const std::vector<std::pair<int64_t, size_t>> wanted = {{0, 2}, {512, 2}, {1024, 1}, {4608, 1}};
    EXPECT_EQ(blocks, wanted);

    EventBatch batch;
    VstEvents *batched = batch.fill(events.data() + 2, 2, 512);
    EXPECT_EQ(eventAt(batched, 0)->deltaFrames, 188);
    EXPECT_EQ(eventAt(batched, 1)->deltaFrames, 511);
    batched = batch.fill(events.data() + 2, 1, 900);  // already due: the block's first sample
    EXPECT_EQ(eventAt(batched, 0)->deltaFrames, 0);
}

TEST(RenderBlocks, EventsPastTheEndAreNotDeliveredAndEmptyRendersPlanNothing) {
    const std::vector<ScheduledEvent> events = eventsAt({10, 99, 100, 250});
    BlockPlanner planner(events, 100, 64);
    RenderBlock block;
    size_t delivered = 0;
    int64_t frames = 0;
    while (planner.next(block)) {
        delivered += block.eventCount;
        frames += block.frames;
    }
    EXPECT_EQ(delivered, 2u);
    EXPECT_EQ(frames, 100);

    const std::vector<ScheduledEvent> none;
    BlockPlanner empty(none, 0, 64);
    EXPECT_FALSE(empty.next(block));
    BlockPlanner guarded(none, 10, 0);  // a block size of 0 still makes progress
    ASSERT_TRUE(guarded.next(block));
    EXPECT_EQ(block.frames, 1);
}

TEST(RenderBlocks, BatchHoldsEveryEventAtDeltaZero) {
    std::vector<ScheduledEvent> events;
    for (int i = 0; i < 5; ++i) events.push_back({7, {static_cast<uint8_t>(0x90 + i), static_cast<uint8_t>(60 + i), 127, 3}});
    events.push_back({7, {0xC3, 5, 99, 2}});  // two-byte message: no third byte
    EventBatch batch;
    VstEvents *block = batch.fill(events.data(), events.size(), 7);
    ASSERT_EQ(block->numEvents, 6);
    for (int i = 0; i < 6; ++i) {
        const VstMidiEvent *e = eventAt(block, i);
        EXPECT_EQ(e->type, kVstMidiType);
        EXPECT_EQ(e->byteSize, static_cast<VstInt32>(sizeof(VstMidiEvent)));
        EXPECT_EQ(e->deltaFrames, 0);
        EXPECT_EQ(e->midiData[3], 0);
    }
    const VstMidiEvent *first = eventAt(block, 0);
    EXPECT_EQ(static_cast<unsigned char>(first->midiData[0]), 0x90);
    EXPECT_EQ(first->midiData[2], 127);
    const VstMidiEvent *last = eventAt(block, 5);
    EXPECT_EQ(static_cast<unsigned char>(last->midiData[0]), 0xC3);
    EXPECT_EQ(last->midiData[2], 0);

    VstEvents *emptyBlock = batch.fill(nullptr, 0, 0);
    EXPECT_EQ(emptyBlock->numEvents, 0);
}

}  // namespace
}  // namespace tarn

#endif  // TARNWELL_HAVE_RENDER_SUPPORT
