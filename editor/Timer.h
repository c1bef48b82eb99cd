// An interval timer that calls tick() on the thread that started it, from
// that thread's message dispatch. Operating-system timer ids are mapped back
// to their Timer objects through one process-wide registry.
#pragma once

#include <cstdint>

namespace tarn {

// Operating-system timer ids are as wide as a pointer (UINT_PTR on Windows).
using TimerId = uintptr_t;

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
    TimerId getTimerId() const { return timerId; }

    // Routes a system timer id to its Timer; unknown ids (a tick that
    // arrives after stop) are ignored.
    static void deliver(TimerId id);
    // Entries in the process-wide registry.
    static int registeredCount();

private:
    TimerId timerId = 0;
    int32_t interval;
    bool running = false;
};

}  // namespace tarn
