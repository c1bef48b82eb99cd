// Reads the settings text a piece at a time, line by line, applying each
// "size" and "cc" line as it completes. The file and the in-memory buffer go
// through the same object so both obey the same line-length stop rule.
#pragma once

#include <cstddef>
#include <cstdint>

#include "learn/ControllerMap.h"
#include "learn/SettingsData.h"

namespace tarn {

class SettingsParser final {
public:
    static constexpr size_t kMaxLineLength = 1023;
    static constexpr int32_t kMinEditorSize = 350;
    static constexpr int32_t kMaxEditorSize = 1999;

    SettingsParser(SettingsData &data, ControllerMap &map);

    // Returns false once reading has stopped at an over-long line; nothing
    // fed after that point is applied.
    bool feed(const char *text, size_t size);
    // Applies a last line that ended without a line feed.
    bool finish();
    bool stopped() const { return halted; }

    // One complete line, without its line feed.
    void applyLine(const char *line, size_t length);

private:
    bool endLine();

    SettingsData &data;
    ControllerMap &map;
    // One character of slack holds a carriage return ahead of the line feed,
    // which does not count against the limit.
    char line[kMaxLineLength + 1];
    size_t length = 0;
    bool halted = false;
};

}  // namespace tarn
