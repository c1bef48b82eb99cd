// Timer ticks for a thread that runs its own loop, as a Windows thread's
// message loop delivers its thread timers: Timer::start() on that thread
// schedules here, and the loop asks when the next tick is due and delivers
// the due ones. A thread without such a loop cannot start timers.
#pragma once

#include <cstdint>
#include <vector>

namespace tarn {

class ThreadTimers {
public:
    // Becomes the calling thread's timer service until destroyed; timers
    // still scheduled then are dropped.
    ThreadTimers();
    ~ThreadTimers();
    ThreadTimers(const ThreadTimers &) = delete;
    ThreadTimers &operator=(const ThreadTimers &) = delete;

    // Milliseconds until the next tick is due, at most cap.
    int millisecondsToNext(int cap) const;
    // Ticks every timer that is due. A timer that fell behind by more than
    // its interval ticks once and starts afresh, as Windows coalesces.
    void deliverDue();

    // The calling thread's service: 0 when it has none.
    static uint32_t schedule(int32_t intervalMs);
    static void cancel(uint32_t id);

private:
    struct Entry {
        uint32_t id;
        int64_t intervalNs;
        int64_t dueNs;
    };
    std::vector<Entry> entries;
    ThreadTimers *previous;
};

}  // namespace tarn
