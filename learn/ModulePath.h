// Where the settings file lives: the directory of the plug-in module itself,
// which is not the host's working directory nor the host program's.
#pragma once

#include <string>

namespace tarn {

constexpr const char *kSettingsFileName = "tarnwell.cfg.txt";

// The full path of the settings file, or an empty string when the module
// cannot find its own file name (then nothing is read or written).
//
// TARNWELL_SETTINGS_DIR, when set and not empty, replaces the module's
// directory. It exists so tests can point instances at a scratch directory
// instead of writing beside the build's module; users never need it.
std::string settingsFilePath();

// The directory part of a module file name: everything before the last
// separator, or "." when there is none.
std::string directoryOf(const std::string &moduleFile, char separator);

// The address the module was loaded at (its instance handle on Windows), or
// null when it cannot be found.
void *moduleBase();

}  // namespace tarn
