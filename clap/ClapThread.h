// Which OS thread is running, cheaply and without the C++ runtime: the audio
// thread asks, and must neither allocate nor call into the system.
#pragma once

#include <cstdint>

namespace tarn {

// Never 0 for a running thread.
uint64_t currentThreadId();

}  // namespace tarn
