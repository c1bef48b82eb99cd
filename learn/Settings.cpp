#include "learn/Settings.h"

#include <cstdio>
#include <mutex>

#include "learn/SettingsParser.h"

namespace tarn {

namespace {
// The two lowest controllers are never written: 0 is what the learn dialog
// treats as none, and 1, the modulation wheel, is handled before bindings.
constexpr int32_t kFirstSavedController = 2;
constexpr int32_t kLastSavedController = 127;

// Every instance in the process reads and writes the one file, and on Linux
// each open editor saves from a thread of its own: a reader must never see
// a file half rewritten, nor two writers mix their lines.
std::mutex &fileMutex() {
    static std::mutex m;
    return m;
}
}  // namespace

bool parseSettings(const char *text, size_t size, SettingsData &data, ControllerMap &map) {
    SettingsParser parser(data, map);
    parser.feed(text, size);
    return parser.finish();
}

bool loadSettingsFile(const std::string &path, SettingsData &data, ControllerMap &map) {
    if (path.empty()) return false;
    std::lock_guard<std::mutex> lock(fileMutex());
    // Binary mode: a carriage return is a blank to the parser anyway, and a
    // text-mode reader on Windows would stop at the first Ctrl-Z byte.
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    data.firstRun = false;

    SettingsParser parser(data, map);
    char chunk[4096];
    bool readable = true;
    while (!parser.stopped()) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got > 0) parser.feed(chunk, got);
        if (got < sizeof chunk) {
            readable = std::ferror(file) == 0;
            break;
        }
    }
    // After a read error the unfinished last line may be cut anywhere.
    if (readable) parser.finish();
    std::fclose(file);
    return true;
}

std::string formatSettings(int32_t width, int32_t height, const ControllerMap &map) {
    char line[64];
    std::snprintf(line, sizeof line, "size %d %d\n", static_cast<int>(width), static_cast<int>(height));
    std::string text = line;
    const auto &bindings = map.ccToParam();
    for (auto it = bindings.lower_bound(kFirstSavedController);
         it != bindings.end() && it->first <= kLastSavedController; ++it) {
        if (it->second < 0) continue;
        std::snprintf(line, sizeof line, "cc %d %d\n", static_cast<int>(it->first), static_cast<int>(it->second));
        text += line;
    }
    return text;
}

bool saveSettingsFile(const std::string &path, int32_t width, int32_t height, const ControllerMap &map) {
    if (path.empty()) return false;
    const std::string text = formatSettings(width, height, map);
    std::lock_guard<std::mutex> lock(fileMutex());
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (file == nullptr) return false;
    const bool written = std::fputs(text.c_str(), file) >= 0;
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

}  // namespace tarn
