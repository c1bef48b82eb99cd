// Where the view draws the mesh and how each node looks: the arithmetic of a
// frame without any OpenGL, shared by drawing and by mouse hit-testing so a
// click always lands on the node drawn under the pointer.
#pragma once

#include <cstdint>

namespace tarn {

constexpr int kMeshCapacity = 128;      // rows and columns the mesh's grids hold
constexpr int kMeshAreaMargin = 100;    // pixels around the mesh area, both axes together
constexpr int32_t kPaletteSpan = 500;   // entries a node's level can move it along the wheel
constexpr int32_t kRowColourStep = 20;
constexpr int32_t kColumnColourStep = 15;
constexpr double kMinimumScale = 0.01;
// Far beyond any real height; only keeps a runaway mesh's squares finite.
constexpr double kMaximumScale = 1.0e6;
// Cells narrower than this cannot be aimed at with the mouse.
constexpr double kMinimumClickPitch = 1.0;

struct MeshLayout {
    int columns = 1;
    int rows = 1;
    int side = 0;         // d: the square the grid is centred in
    double pitch = 0.0;   // p: distance between neighbouring node centres
    double left = 0.0;    // X0
    double bottom = 0.0;  // Y0

    // Sizes are clamped to 1..kMeshCapacity so a garbage size reads no
    // memory outside the mesh.
    static MeshLayout forView(int pixelWidth, int pixelHeight, int columns, int rows);

    double centreX(int column) const { return left + column * pitch + pitch * 0.5; }
    double centreY(int row) const { return bottom + row * pitch + pitch * 0.5; }

    // The node whose cell contains the drawing-space point, clamped onto the
    // grid (points beside it land on a boundary node). False when the cells
    // are too small to aim at.
    bool nodeAt(int x, int y, int &column, int &row) const;
};

// Half the side of an unscaled square.
double cellHalfSizeFor(int meshAreaWidth, int columns, int rows);

// Keeps a colour position where a full level swing stays on the wheel.
int32_t clampColourPosition(int32_t position, int32_t paletteSize);

// First colour position of a frame for a mod wheel position x in 0..1 (values
// outside, NaN included, count as the nearer end).
int32_t paletteOffsetFor(double x, int32_t paletteSize);

struct NodeLook {
    double scale;
    double level;       // b, 0..1
    double brightness;  // 0.5 × b
    int32_t entry;      // palette entry, always inside the palette
};

NodeLook nodeLook(double height, int32_t colourPosition, int32_t paletteSize);

}  // namespace tarn
