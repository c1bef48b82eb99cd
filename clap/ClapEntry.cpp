// The module's one export. init and deinit may come again and again; only
// the first init and the last deinit would have work to do, and there is
// none: the instrument builds everything per instance.
#include <mutex>

#include "clap/ClapAbi.h"
#include "clap/ClapFactory.h"

#if defined(_WIN32)
#define TARNWELL_CLAP_EXPORT __declspec(dllexport)
#else
#define TARNWELL_CLAP_EXPORT __attribute__((visibility("default")))
#endif

namespace {

std::mutex initMutex;
int initCount = 0;

bool CLAP_CALL entryInit(const char *) {
    std::lock_guard<std::mutex> lock(initMutex);
    ++initCount;
    return true;
}

void CLAP_CALL entryDeinit(void) {
    std::lock_guard<std::mutex> lock(initMutex);
    if (initCount > 0) --initCount;
}

const void *CLAP_CALL entryFactory(const char *factoryId) { return tarn::ClapFactory::get(factoryId); }

}  // namespace

extern "C" TARNWELL_CLAP_EXPORT const clap_plugin_entry_t clap_entry = {kClapVersion, entryInit, entryDeinit,
                                                                          entryFactory};
