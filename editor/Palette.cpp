#include "editor/Palette.h"

namespace tarn {

Palette::Palette() {
    reds.reserve(kSize);
    greens.reserve(kSize);
    blues.reserve(kSize);
    for (int32_t i = 0; i < kSize; ++i) {
        const double t = static_cast<double>(i % kSegment) / kSegment;
        double r = 0.0, g = 0.0, b = 0.0;
        switch (i / kSegment) {
            case 0: r = 0.0; g = t; b = 1.0; break;
            case 1: r = 0.0; g = 1.0; b = 1.0 - t; break;
            case 2: r = t; g = 1.0; b = 0.0; break;
            case 3: r = 1.0; g = 1.0 - t; b = 0.0; break;
            case 4: r = 1.0; g = 0.0; b = t; break;
            default: r = 1.0 - t; g = 0.0; b = 1.0; break;
        }
        reds.push_back(r);
        greens.push_back(g);
        blues.push_back(b);
    }
}

}  // namespace tarn
