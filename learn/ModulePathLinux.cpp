#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "learn/ModulePath.h"

namespace tarn {

const char kPathSeparator = '/';

namespace {
// Any function of the module will do: dladdr names the object it lives in.
const void *anchor() { return reinterpret_cast<const void *>(&moduleBase); }

bool isAbsolute(const char *path) { return path != nullptr && path[0] == '/'; }

std::string homeDirectory() {
    const char *home = std::getenv("HOME");
    if (isAbsolute(home)) return home;
    // A host started without a login environment still has an account.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        isAbsolute(found->pw_dir))
        return found->pw_dir;
    return std::string();
}
}  // namespace

void *moduleBase() {
    Dl_info info{};
    if (dladdr(anchor(), &info) == 0) return nullptr;
    return info.dli_fbase;
}

std::string moduleDirectory() {
    const char *override = std::getenv("TARNWELL_SETTINGS_DIR");
    if (override != nullptr && override[0] != '\0') return override;

    Dl_info info{};
    if (dladdr(anchor(), &info) == 0 || info.dli_fname == nullptr) return std::string();
    return directoryOf(info.dli_fname, '/');
}

std::string userSettingsDirectory() {
    // Relative values are to be ignored, as the base directory rules say.
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (isAbsolute(config)) return std::string(config) + "/tarnwell";
    const std::string home = homeDirectory();
    if (home.empty()) return std::string();
    return home + "/.config/tarnwell";
}

FolderAccess folderAccess(const std::string &folder) {
    static std::atomic<unsigned> probes{0};
    const std::string probe = folder + "/.tarnwell-write-probe-" + std::to_string(getpid()) + "-" +
                              std::to_string(probes.fetch_add(1));
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        close(fd);
        unlink(probe.c_str());
        return FolderAccess::writable;
    }
    switch (errno) {
        case ENOENT:
        case ENOTDIR: return FolderAccess::missing;
        case EEXIST: return FolderAccess::writable;  // someone made a file here, so files can be made
        default: return FolderAccess::readOnly;
    }
}

bool fileExists(const std::string &path) {
    struct stat info{};
    return stat(path.c_str(), &info) == 0;
}

bool makeFolders(const std::string &folder) {
    for (size_t cut = folder.find('/', 1);; cut = folder.find('/', cut + 1)) {
        const std::string part = folder.substr(0, cut);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (cut == std::string::npos) break;
    }
    struct stat info{};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace tarn
