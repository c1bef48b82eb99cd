#include <algorithm>
#include <atomic>
#include <chrono>

#include "editor/ThreadTimersLinux.h"
#include "editor/Timer.h"
#include "editor/TimerRegistry.h"

namespace tarn {

namespace {

thread_local ThreadTimers *threadService = nullptr;
std::atomic<uint32_t> lastId{0};

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

ThreadTimers::ThreadTimers() : previous(threadService) { threadService = this; }

ThreadTimers::~ThreadTimers() { threadService = previous; }

int ThreadTimers::millisecondsToNext(int cap) const {
    if (entries.empty()) return cap;
    int64_t due = entries.front().dueNs;
    for (const Entry &e : entries) due = std::min(due, e.dueNs);
    const int64_t waitNs = due - nowNs();
    if (waitNs <= 0) return 0;
    // Rounded up: waking a little early would only mean waiting again.
    return static_cast<int>(std::min<int64_t>(cap, (waitNs + 999999) / 1000000));
}

void ThreadTimers::deliverDue() {
    const int64_t now = nowNs();
    std::vector<uint32_t> due;
    for (Entry &e : entries) {
        if (e.dueNs > now) continue;
        due.push_back(e.id);
        e.dueNs += e.intervalNs;
        if (e.dueNs <= now) e.dueNs = now + e.intervalNs;
    }
    // A tick may start or stop timers, so only ids are held across it.
    for (uint32_t id : due) Timer::deliver(id);
}

uint32_t ThreadTimers::schedule(int32_t intervalMs) {
    ThreadTimers *service = threadService;
    if (service == nullptr) return 0;
    if (intervalMs < 1) intervalMs = 1;
    uint32_t id = lastId.fetch_add(1, std::memory_order_relaxed) + 1;
    if (id == 0) id = lastId.fetch_add(1, std::memory_order_relaxed) + 1;
    const int64_t interval = static_cast<int64_t>(intervalMs) * 1000000;
    service->entries.push_back({id, interval, nowNs() + interval});
    return id;
}

void ThreadTimers::cancel(uint32_t id) {
    ThreadTimers *service = threadService;
    if (service == nullptr) return;
    auto &list = service->entries;
    list.erase(std::remove_if(list.begin(), list.end(), [id](const Entry &e) { return e.id == id; }), list.end());
}

TimerId platformStartTimer(int32_t intervalMs) { return ThreadTimers::schedule(intervalMs); }

// This service hands out 32-bit ids, so any id it is given back fits.
void platformStopTimer(TimerId id) { ThreadTimers::cancel(static_cast<uint32_t>(id)); }

}  // namespace tarn
