// An interval timer that calls tick() on the thread that started it, from
// that thread's message dispatch. Operating-system timer ids are mapped back
// to their Timer objects through one process-wide registry.
#pragma once

#include <cstdint>

namespace tarn {

class Timer {
public:
    explicit Timer(int32_t intervalMs);
    virtual ~Timer();
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    virtual void tick() = 0;

    // False if already running or the system refused a timer.
    bool start();
    void stop();

    bool isRunning() const { return running; }
    int32_t getInterval() const { return interval; }
    uint32_t getTimerId() const { return timerId; }

    // Routes a system timer id to its Timer; unknown ids (a tick that
    // arrives after stop) are ignored.
    static void deliver(uint32_t id);
    // Entries in the process-wide registry.
    static int registeredCount();

private:
    uint32_t timerId = 0;
    int32_t interval;
    bool running = false;
};

}  // namespace tarn
