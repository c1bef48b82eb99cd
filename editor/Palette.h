// The view's colour wheel: 1536 entries running blue, cyan, green, yellow,
// red, magenta in six 256-entry segments.
#pragma once

#include <cstdint>
#include <vector>

namespace tarn {

class Palette final {
public:
    static constexpr int32_t kSize = 1536;
    static constexpr int32_t kSegment = 256;

    Palette();

    int32_t size() const { return kSize; }
    // Entries outside the wheel are clamped to its ends.
    double red(int32_t i) const { return reds[clampIndex(i)]; }
    double green(int32_t i) const { return greens[clampIndex(i)]; }
    double blue(int32_t i) const { return blues[clampIndex(i)]; }

    static int32_t clampIndex(int32_t i) { return i < 0 ? 0 : (i >= kSize ? kSize - 1 : i); }

private:
    std::vector<double> reds;
    std::vector<double> greens;
    std::vector<double> blues;
};

}  // namespace tarn
