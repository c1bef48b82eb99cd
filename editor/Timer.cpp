#include "editor/Timer.h"

#include <map>
#include <mutex>

#include "editor/TimerRegistry.h"

namespace tarn {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<TimerId, Timer *> timers;
};

Registry &registry() {
    static Registry instance;
    return instance;
}

}  // namespace

void timerRegistryInsert(TimerId id, Timer *timer) {
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.timers[id] = timer;
}

void timerRegistryErase(TimerId id) {
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.timers.erase(id);
}

Timer *timerRegistryFind(TimerId id) {
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.timers.find(id);
    return it == r.timers.end() ? nullptr : it->second;
}

int timerRegistrySize() {
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return static_cast<int>(r.timers.size());
}

Timer::Timer(int32_t intervalMs) : interval(intervalMs) {}

Timer::~Timer() { stop(); }

bool Timer::start() {
    if (running) return false;
    const TimerId id = platformStartTimer(interval);
    if (id == 0) return false;
    timerId = id;
    timerRegistryInsert(id, this);
    running = true;
    return true;
}

void Timer::stop() {
    if (!running) return;
    platformStopTimer(timerId);
    timerRegistryErase(timerId);
    running = false;
}

void Timer::deliver(TimerId id) {
    // The object is only ever stopped and destroyed on the thread that owns
    // the timer, which is the thread running this call.
    if (Timer *timer = timerRegistryFind(id)) timer->tick();
}

int Timer::registeredCount() { return timerRegistrySize(); }

}  // namespace tarn
