#include "learn/ModulePath.h"

namespace tarn {

namespace {
std::string settingsFile(bool forWriting) {
    const std::string moduleFolder = moduleDirectory();
    if (moduleFolder.empty()) return std::string();
    const std::string beside = moduleFolder + kPathSeparator + kSettingsFileName;
    // A folder that is not there is only ever a test's override: nothing
    // could be kept beside it, and nothing is looked for elsewhere either.
    if (fileExists(beside) || folderAccess(moduleFolder) != FolderAccess::readOnly) return beside;
    const std::string userFolder = userSettingsDirectory();
    if (userFolder.empty()) return beside;
    if (forWriting) makeFolders(userFolder);
    return userFolder + kPathSeparator + kSettingsFileName;
}
}  // namespace

std::string settingsFilePath() { return settingsFile(false); }

std::string settingsFilePathForWriting() { return settingsFile(true); }

std::string directoryOf(const std::string &moduleFile, char separator) {
    const size_t cut = moduleFile.find_last_of(separator);
    if (cut == std::string::npos) return ".";
    return moduleFile.substr(0, cut);
}

}  // namespace tarn
