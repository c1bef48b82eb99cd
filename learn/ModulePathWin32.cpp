#include <windows.h>

#include "learn/ModulePath.h"

namespace tarn {

namespace {
constexpr DWORD kModuleNameCapacity = 260;
constexpr DWORD kOverrideCapacity = 4096;
}  // namespace

void *moduleBase() {
    // The allocation base of a region inside this module is the module's own
    // handle, whichever program loaded it.
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<LPCVOID>(&moduleBase), &info, sizeof info) == 0) return nullptr;
    return info.AllocationBase;
}

std::string settingsFilePath() {
    // Read through the process environment rather than the C runtime's copy,
    // so a test host can set the variable after it has started.
    char override[kOverrideCapacity];
    const DWORD overrideLength = GetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", override, kOverrideCapacity);
    if (overrideLength > 0 && overrideLength < kOverrideCapacity)
        return std::string(override, overrideLength) + "\\" + kSettingsFileName;

    HMODULE module = static_cast<HMODULE>(moduleBase());
    if (module == nullptr) return std::string();
    char name[kModuleNameCapacity];
    const DWORD length = GetModuleFileNameA(module, name, kModuleNameCapacity);
    // A name that filled the buffer was cut short and names some other place.
    if (length == 0 || length >= kModuleNameCapacity) return std::string();
    return directoryOf(std::string(name, length), '\\') + "\\" + kSettingsFileName;
}

}  // namespace tarn
