#include "editor/MeshLayout.h"

#include <cmath>

namespace tarn {

namespace {

int clampSize(int n) { return n < 1 ? 1 : (n > kMeshCapacity ? kMeshCapacity : n); }

int clampCell(double cell, int count) {
    if (!(cell >= 0.0)) return 0;
    if (cell >= count - 1) return count - 1;
    return static_cast<int>(cell);
}

}  // namespace

MeshLayout MeshLayout::forView(int pixelWidth, int pixelHeight, int columns, int rows) {
    MeshLayout layout;
    layout.columns = clampSize(columns);
    layout.rows = clampSize(rows);
    const int n = layout.columns > layout.rows ? layout.columns : layout.rows;
    const int areaWidth = pixelWidth - kMeshAreaMargin;
    const int areaHeight = pixelHeight - kMeshAreaMargin;
    const int d = areaWidth < areaHeight ? areaWidth : areaHeight;
    layout.side = d;
    layout.pitch = static_cast<double>(d) / n;
    layout.left = (d - layout.columns * layout.pitch) * 0.5 + (pixelWidth - d) / 2;
    layout.bottom = (d - layout.rows * layout.pitch) * 0.5 + (pixelHeight - d) / 2;
    return layout;
}

bool MeshLayout::nodeAt(int x, int y, int &column, int &row) const {
    if (!(pitch >= kMinimumClickPitch)) return false;
    column = clampCell(std::floor((x - left) / pitch), columns);
    row = clampCell(std::floor((y - bottom) / pitch), rows);
    return true;
}

double cellHalfSizeFor(int meshAreaWidth, int columns, int rows) {
    int n = columns > rows ? columns : rows;
    if (n < 1) n = 1;
    return static_cast<double>(meshAreaWidth) / n / 7.0 * 0.75;
}

int32_t clampColourPosition(int32_t position, int32_t paletteSize) {
    if (position + kPaletteSpan >= paletteSize) position = paletteSize - kPaletteSpan - 1;
    if (position < 0) position = 0;
    return position;
}

int32_t paletteOffsetFor(double x, int32_t paletteSize) {
    if (!(x >= 0.0)) x = 0.0;  // NaN too
    if (x > 1.0) x = 1.0;
    return clampColourPosition(static_cast<int32_t>((paletteSize - kPaletteSpan) * x), paletteSize);
}

NodeLook nodeLook(double z, int32_t colourPosition, int32_t paletteSize) {
    NodeLook look;
    double s = 3.0 + 3.0 * z;
    if (!(s >= kMinimumScale)) s = kMinimumScale;  // NaN heights shrink to a speck too
    if (s > kMaximumScale) s = kMaximumScale;
    double b = 0.5 + z / 3.0;
    if (!(b >= 0.0)) b = 0.0;
    if (b > 1.0) b = 1.0;
    look.scale = s;
    look.level = b;
    look.brightness = 0.5 * b;
    int32_t entry = clampColourPosition(colourPosition, paletteSize) + static_cast<int32_t>(kPaletteSpan * b);
    if (entry >= paletteSize) entry = paletteSize - 1;
    if (entry < 0) entry = 0;
    look.entry = entry;
    return look;
}

}  // namespace tarn
