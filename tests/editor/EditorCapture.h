// What the end-to-end editor hosts share, whichever window system they read
// the screen from: a captured frame, where things are on a 600 × 600 editor
// with its 10 × 10 mesh, and the colour a resting node must have.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "editor/MeshLayout.h"
#include "editor/Palette.h"

namespace tarn {
namespace editorcheck {

// The pixels of a window as they are on the screen: RGB, top row first.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    bool operator==(const Capture &o) const { return width == o.width && height == o.height && rgb == o.rgb; }
    bool operator!=(const Capture &o) const { return !(*this == o); }

    struct Rgb {
        int r, g, b;
    };
    // Window coordinates: origin top-left.
    Rgb at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }

    // Pixels that differ by more than the tolerance in some channel,
    // inside a rectangle given in window coordinates.
    int differences(const Capture &o, int x0, int y0, int x1, int y1, int tolerance = 0) const {
        int n = 0;
        for (int y = y0; y < y1 && y < height; ++y)
            for (int x = x0; x < x1 && x < width; ++x) {
                const size_t i = (static_cast<size_t>(y) * width + x) * 3;
                for (int k = 0; k < 3; ++k)
                    if (std::abs(rgb[i + k] - o.rgb[i + k]) > tolerance) {
                        ++n;
                        break;
                    }
            }
        return n;
    }
    int count(int x0, int y0, int x1, int y1, Rgb colour) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const Rgb p = at(x, y);
                n += p.r == colour.r && p.g == colour.g && p.b == colour.b;
            }
        return n;
    }
    int distinctColours() const {
        std::vector<uint32_t> seen;
        for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
            const uint32_t c = (rgb[i] << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
            bool found = false;
            for (uint32_t s : seen)
                if (s == c) {
                    found = true;
                    break;
                }
            if (!found) seen.push_back(c);
            if (seen.size() > 64) break;
        }
        return static_cast<int>(seen.size());
    }
};

struct Point {
    int x, y;
};
constexpr int kEditorSize = 600;
constexpr int kMeshSize = 10;

// Window coordinates of the centre of node (row, column).
inline Point nodePoint(int row, int column) {
    const MeshLayout layout = MeshLayout::forView(kEditorSize, kEditorSize, kMeshSize, kMeshSize);
    return {static_cast<int>(layout.centreX(column)), kEditorSize - static_cast<int>(layout.centreY(row)) - 1};
}

// Where the FX button's label is drawn, and the mesh below the top row of
// widgets, in window coordinates (x0, y0, x1, y1).
constexpr int kFxLabel[4] = {0, 570, 80, 592};
constexpr int kMeshAndTop[4] = {0, 0, 600, 560};

// The colour of a resting node with the palette offset at 0, as 8-bit RGB.
inline Capture::Rgb restingColour(int row, int column) {
    static const Palette palette;
    int32_t position = kRowColourStep * row;
    for (int c = 0; c <= column; ++c) position = clampColourPosition(position + kColumnColourStep, palette.size());
    const NodeLook look = nodeLook(0.0, position, palette.size());
    auto byte = [](double v) { return static_cast<int>(std::lround(static_cast<float>(v) * 255.0f)); };
    return {byte(palette.red(look.entry) * look.brightness), byte(palette.green(look.entry) * look.brightness),
            byte(palette.blue(look.entry) * look.brightness)};
}

inline bool closeTo(Capture::Rgb a, Capture::Rgb b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

}  // namespace editorcheck
}  // namespace tarn
