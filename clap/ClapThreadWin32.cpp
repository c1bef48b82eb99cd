#include <windows.h>

#include "clap/ClapThread.h"

namespace tarn {

// Read from the thread's own block; unlike pthread_self under MinGW it never
// allocates a record for a thread the host made.
uint64_t currentThreadId() { return static_cast<uint64_t>(GetCurrentThreadId()); }

}  // namespace tarn
