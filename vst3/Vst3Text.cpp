#include "vst3/Vst3Text.h"

#include <cstring>

namespace tarn::vst3 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at text[i]; i moves past it.
char32_t nextUtf8(const unsigned char *text, std::size_t &i) {
    const unsigned char lead = text[i++];
    if (lead < 0x80) return lead;
    int more = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        more = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3;
        cp = lead & 0x07;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < more; ++k) {
        if ((text[i] & 0xC0) != 0x80) return kReplacement;  // stops at the terminator too
        cp = (cp << 6) | (text[i++] & 0x3F);
    }
    static const char32_t least[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

}  // namespace

void toUtf16(const char *text, TChar *out, int capacity) {
    if (!out || capacity < 1) return;
    int n = 0;
    if (text) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(text);
        std::size_t i = 0;
        while (bytes[i]) {
            const char32_t cp = nextUtf8(bytes, i);
            if (cp >= 0x10000) {
                if (n + 2 > capacity - 1) break;
                out[n++] = static_cast<TChar>(0xD800 + ((cp - 0x10000) >> 10));
                out[n++] = static_cast<TChar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                if (n + 1 > capacity - 1) break;
                out[n++] = static_cast<TChar>(cp);
            }
        }
    }
    out[n] = 0;
}

void toUtf8(const TChar *text, int maxUnits, char *out, int capacity) {
    if (!out || capacity < 1) return;
    int n = 0;
    if (text) {
        for (int i = 0; i < maxUnits && text[i]; ++i) {
            char32_t cp = text[i];
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < maxUnits && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = kReplacement;
            }
            char bytes[4];
            int len = 0;
            if (cp < 0x80) {
                bytes[len++] = static_cast<char>(cp);
            } else if (cp < 0x800) {
                bytes[len++] = static_cast<char>(0xC0 | (cp >> 6));
                bytes[len++] = static_cast<char>(0x80 | (cp & 0x3F));
            } else if (cp < 0x10000) {
                bytes[len++] = static_cast<char>(0xE0 | (cp >> 12));
                bytes[len++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                bytes[len++] = static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                bytes[len++] = static_cast<char>(0xF0 | (cp >> 18));
                bytes[len++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                bytes[len++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                bytes[len++] = static_cast<char>(0x80 | (cp & 0x3F));
            }
            if (n + len > capacity - 1) break;
            std::memcpy(out + n, bytes, static_cast<std::size_t>(len));
            n += len;
        }
    }
    out[n] = 0;
}

void copyAscii(const char *text, char *out, int capacity) {
    if (!out || capacity < 1) return;
    std::memset(out, 0, static_cast<std::size_t>(capacity));
    if (!text) return;
    for (int i = 0; i < capacity - 1 && text[i]; ++i) out[i] = text[i];
}

}  // namespace tarn::vst3
