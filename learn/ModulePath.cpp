#include "learn/ModulePath.h"

namespace tarn {

std::string directoryOf(const std::string &moduleFile, char separator) {
    const size_t cut = moduleFile.find_last_of(separator);
    if (cut == std::string::npos) return ".";
    return moduleFile.substr(0, cut);
}

}  // namespace tarn
