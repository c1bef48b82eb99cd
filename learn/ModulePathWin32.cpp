#include <windows.h>

#include <atomic>

#include "learn/ModulePath.h"

namespace tarn {

const char kPathSeparator = '\\';

namespace {
constexpr DWORD kModuleNameCapacity = 260;
constexpr DWORD kVariableCapacity = 4096;

// Read through the process environment rather than the C runtime's copy, so
// a test host can set a variable after it has started.
std::string environmentVariable(const char *name) {
    char value[kVariableCapacity];
    const DWORD length = GetEnvironmentVariableA(name, value, kVariableCapacity);
    if (length == 0 || length >= kVariableCapacity) return std::string();
    return std::string(value, length);
}
}  // namespace

void *moduleBase() {
    // The allocation base of a region inside this module is the module's own
    // handle, whichever program loaded it.
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<LPCVOID>(&moduleBase), &info, sizeof info) == 0) return nullptr;
    return info.AllocationBase;
}

std::string moduleDirectory() {
    const std::string override = environmentVariable("TARNWELL_SETTINGS_DIR");
    if (!override.empty()) return override;

    HMODULE module = static_cast<HMODULE>(moduleBase());
    if (module == nullptr) return std::string();
    char name[kModuleNameCapacity];
    const DWORD length = GetModuleFileNameA(module, name, kModuleNameCapacity);
    // A name that filled the buffer was cut short and names some other place.
    if (length == 0 || length >= kModuleNameCapacity) return std::string();
    return directoryOf(std::string(name, length), '\\');
}

std::string userSettingsDirectory() {
    const std::string appData = environmentVariable("APPDATA");
    if (appData.empty()) return std::string();
    return appData + "\\Tarnwell";
}

FolderAccess folderAccess(const std::string &folder) {
    static std::atomic<unsigned> probes{0};
    const std::string probe = folder + "\\.tarnwell-write-probe-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(probes.fetch_add(1));
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return FolderAccess::writable;
    }
    switch (GetLastError()) {
        case ERROR_PATH_NOT_FOUND:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY: return FolderAccess::missing;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return FolderAccess::writable;
        default: return FolderAccess::readOnly;
    }
}

bool fileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool makeFolders(const std::string &folder) {
    // %APPDATA% itself always exists; only Tarnwell's folder inside it is new.
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace tarn
