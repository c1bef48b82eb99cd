// Where the settings file lives. Beside the plug-in module itself (not the
// host's working directory nor the host program's), as it always has; but a
// module installed for every user sits in a folder its users cannot write,
// and there the file moves to the user's own configuration folder so that
// bindings and the first-run answer survive.
#pragma once

#include <string>

namespace tarn {

constexpr const char *kSettingsFileName = "tarnwell.cfg.txt";

// The settings file to read, or an empty string when the module cannot find
// its own file name (then nothing is read or written). A file beside the
// module wins wherever it is; without one, a module folder that exists but
// cannot be written sends the file to userSettingsDirectory().
//
// TARNWELL_SETTINGS_DIR, when set and not empty, replaces the module's
// directory. It exists so tests can point instances at a scratch directory
// instead of writing beside the build's module; users never need it.
std::string settingsFilePath();

// The same file for a save: when it lives in the user's configuration folder,
// that folder is made first if it does not exist yet.
std::string settingsFilePathForWriting();

// The directory part of a module file name: everything before the last
// separator, or "." when there is none.
std::string directoryOf(const std::string &moduleFile, char separator);

// The address the module was loaded at (its instance handle on Windows), or
// null when it cannot be found.
void *moduleBase();

// What follows is the platform's part of the above (ModulePath{Linux,Win32}.cpp).

extern const char kPathSeparator;

// The module's directory, or the override; empty when neither is known.
std::string moduleDirectory();

// Tarnwell's folder among the user's configuration folders: on Linux
// $XDG_CONFIG_HOME/tarnwell (an absolute one only), else ~/.config/tarnwell;
// on Windows %APPDATA%\Tarnwell. Empty when there is no such place.
std::string userSettingsDirectory();

enum class FolderAccess { missing, writable, readOnly };

// Whether a file can be made in the folder, found by making one and removing
// it again: permission bits alone say nothing to root, and say nothing of
// read-only mounts, access lists or immutable folders.
FolderAccess folderAccess(const std::string &folder);

bool fileExists(const std::string &path);

// Makes the folder and any missing parents; true when it exists afterwards.
bool makeFolders(const std::string &folder);

}  // namespace tarn
