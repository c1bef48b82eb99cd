#include <dlfcn.h>

#include <cstdlib>

#include "learn/ModulePath.h"

namespace tarn {

namespace {
// Any function of the module will do: dladdr names the object it lives in.
const void *anchor() { return reinterpret_cast<const void *>(&moduleBase); }
}  // namespace

void *moduleBase() {
    Dl_info info{};
    if (dladdr(anchor(), &info) == 0) return nullptr;
    return info.dli_fbase;
}

std::string settingsFilePath() {
    const char *override = std::getenv("TARNWELL_SETTINGS_DIR");
    if (override != nullptr && override[0] != '\0') return std::string(override) + "/" + kSettingsFileName;

    Dl_info info{};
    if (dladdr(anchor(), &info) == 0 || info.dli_fname == nullptr) return std::string();
    return directoryOf(info.dli_fname, '/') + "/" + kSettingsFileName;
}

}  // namespace tarn
