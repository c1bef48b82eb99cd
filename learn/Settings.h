// The settings file beside the module: "size" and "cc" lines. The engine
// reads it once at construction and writes it after MIDI-learn assignments
// and the first opening of the editor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "learn/ControllerMap.h"
#include "learn/SettingsData.h"

namespace tarn {

// Applies the text to data (whose current size is the starting point) and to
// the map. Returns false when reading stopped at a line longer than
// SettingsParser::kMaxLineLength; everything before that line is applied.
// Does not touch data.firstRun: that depends on a file having opened.
bool parseSettings(const char *text, size_t size, SettingsData &data, ControllerMap &map);

// Returns whether the file opened. When it did, data.firstRun becomes false
// and the file's lines are applied as parseSettings does.
bool loadSettingsFile(const std::string &path, SettingsData &data, ControllerMap &map);

// The file's content for a size and the map's bindings: controllers 2 to 127
// in ascending order, those whose parameter is 0 or more; lines end in '\n'.
std::string formatSettings(int32_t width, int32_t height, const ControllerMap &map);

// Replaces the file with formatSettings' text, written in text mode so each
// line ends in the platform's own line ending. Returns false when the file
// could not be opened or written; callers carry on regardless.
bool saveSettingsFile(const std::string &path, int32_t width, int32_t height, const ControllerMap &map);

}  // namespace tarn
