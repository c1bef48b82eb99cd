#include <pthread.h>

#include "clap/ClapThread.h"

namespace tarn {

// pthread_self reads the thread pointer: no system call, no allocation.
uint64_t currentThreadId() { return static_cast<uint64_t>(pthread_self()); }

}  // namespace tarn
