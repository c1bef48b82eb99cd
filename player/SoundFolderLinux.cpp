#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "player/SoundMemory.h"

namespace tarn {

bool makeFolders(const std::string &path) {
    if (path.empty()) return false;
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat s {};
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

}  // namespace tarn
