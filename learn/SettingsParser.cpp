#include "learn/SettingsParser.h"

#include <cstring>

namespace tarn {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\0';
}

// Walks the blank-separated words of one line.
class Words final {
public:
    Words(const char *text, size_t length) : cursor(text), end(text + length) {}

    bool next(const char *&word, size_t &size) {
        while (cursor != end && isBlank(*cursor)) ++cursor;
        if (cursor == end) return false;
        word = cursor;
        while (cursor != end && !isBlank(*cursor)) ++cursor;
        size = static_cast<size_t>(cursor - word);
        return true;
    }

private:
    const char *cursor;
    const char *end;
};

// A whole word of optional sign and decimal digits that fits in 32 bits.
// Anything else, an overflowing number included, is not an integer.
bool toInteger(const char *word, size_t size, int32_t &value) {
    size_t i = 0;
    bool negative = false;
    if (i < size && (word[i] == '+' || word[i] == '-')) {
        negative = word[i] == '-';
        ++i;
    }
    if (i == size) return false;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t magnitude = 0;
    for (; i < size; ++i) {
        const char c = word[i];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

bool nextInteger(Words &words, int32_t &value, bool &present) {
    const char *word = nullptr;
    size_t size = 0;
    present = words.next(word, size);
    return present && toInteger(word, size, value);
}

bool isWord(const char *word, size_t size, const char *expected) {
    return size == std::strlen(expected) && std::memcmp(word, expected, size) == 0;
}

bool acceptableSize(int32_t v) {
    return v >= SettingsParser::kMinEditorSize && v <= SettingsParser::kMaxEditorSize;
}

}  // namespace

SettingsParser::SettingsParser(SettingsData &settings, ControllerMap &controllers)
    : data(settings), map(controllers) {}

bool SettingsParser::feed(const char *text, size_t size) {
    if (text == nullptr) return !halted;
    for (size_t i = 0; i < size && !halted; ++i) {
        const char c = text[i];
        if (c == '\n') {
            endLine();
        } else if (length == sizeof line) {
            halted = true;
        } else {
            line[length++] = c;
        }
    }
    return !halted;
}

bool SettingsParser::finish() {
    if (!halted && length > 0) endLine();
    return !halted;
}

bool SettingsParser::endLine() {
    size_t n = length;
    length = 0;
    if (n > 0 && line[n - 1] == '\r') --n;
    if (n > kMaxLineLength) {
        halted = true;
        return false;
    }
    applyLine(line, n);
    return true;
}

void SettingsParser::applyLine(const char *text, size_t n) {
    Words words(text, n);
    const char *word = nullptr;
    size_t size = 0;
    if (!words.next(word, size)) return;

    if (isWord(word, size, "size")) {
        int32_t value = 0;
        bool present = false;
        if (nextInteger(words, value, present) && acceptableSize(value)) data.editorWidth = value;
        // The height follows the width, so a single value gives a square.
        data.editorHeight = data.editorWidth;
        if (present && nextInteger(words, value, present) && acceptableSize(value)) data.editorHeight = value;
    } else if (isWord(word, size, "cc")) {
        int32_t controller = 0;
        int32_t parameter = 0;
        bool present = false;
        // Half a binding would bind whatever happened to be in the variables.
        if (!nextInteger(words, controller, present)) return;
        if (!nextInteger(words, parameter, present)) return;
        map.assign(controller, parameter);
        data.bindings.push_back({controller, parameter});
    }
}

}  // namespace tarn
