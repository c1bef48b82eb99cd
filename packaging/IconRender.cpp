// Draws the application icon the way the editor draws its mesh: the start
// mesh, pushed off-centre and left to ring for a few frames, coloured from the
// editor's own palette with the editor's node looks. Same code, same picture,
// on every machine: the mesh is stepped with fixed frame times.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/MeshLayout.h"
#include "editor/Palette.h"
#include "engine/MeshStage.h"
#include "packaging/PngWriter.h"

namespace {

constexpr int kIconSide = 256;
constexpr int kOversample = 2;            // drawn at twice the size, then averaged
constexpr int kNodes = 20;                // a side of the mesh shown
constexpr int kFrames = 10;               // frames of 30 ms after the pushes
constexpr double kFrameSeconds = 0.03;
constexpr double kModWheel = 0.45;        // where the colours start on the wheel

struct Canvas {
    int side;
    std::vector<double> rgb;
    explicit Canvas(int s) : side(s), rgb(static_cast<size_t>(s) * s * 3, 0.0) {}

    // A filled square in the editor's drawing space (y upward).
    void square(double cx, double cy, double half, double r, double g, double b) {
        const int x0 = clampPixel(cx - half), x1 = clampPixel(cx + half);
        const int y0 = clampPixel(cy - half), y1 = clampPixel(cy + half);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                double *p = &rgb[(static_cast<size_t>(side - 1 - y) * side + x) * 3];
                p[0] = r;
                p[1] = g;
                p[2] = b;
            }
    }
    int clampPixel(double v) const {
        const int i = static_cast<int>(v + 0.5);
        return i < 0 ? 0 : (i > side ? side : i);
    }
};

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ICON.png\n", argv[0]);
        return 2;
    }
    using namespace tarn;

    MeshStage stage;
    stage.setViewShowing(true);
    Mesh &mesh = stage.mesh();
    mesh.resize(kNodes, kNodes);
    mesh.poke(7, 12, 1.0);
    mesh.poke(12, 7, 0.8);
    for (int frame = 0; frame < kFrames; ++frame) stage.advanceFrame(kFrameSeconds);

    // The view the mesh fills edge to edge: the editor's margin lies outside the icon.
    const int drawn = kIconSide * kOversample;
    const int view = drawn + kMeshAreaMargin;
    const MeshLayout layout = MeshLayout::forView(view, view, mesh.columns(), mesh.rows());
    const double half = cellHalfSizeFor(view - kMeshAreaMargin, layout.columns, layout.rows);
    const double shift = kMeshAreaMargin / 2;

    Palette palette;
    const int32_t size = palette.size();
    Canvas canvas(drawn);
    for (int r = 0; r < layout.rows; ++r) {
        int32_t position = clampColourPosition(paletteOffsetFor(kModWheel, size), size) + kRowColourStep * r;
        for (int c = 0; c < layout.columns; ++c) {
            position = clampColourPosition(position + kColumnColourStep, size);
            const NodeLook look = nodeLook(mesh.heightAt(r, c), position, size);
            canvas.square(layout.centreX(c) - shift, layout.centreY(r) - shift, look.scale * half,
                          palette.red(look.entry) * look.brightness, palette.green(look.entry) * look.brightness,
                          palette.blue(look.entry) * look.brightness);
        }
    }

    std::vector<uint8_t> rgba(static_cast<size_t>(kIconSide) * kIconSide * 4);
    for (int y = 0; y < kIconSide; ++y)
        for (int x = 0; x < kIconSide; ++x) {
            double sum[3] = {0, 0, 0};
            for (int dy = 0; dy < kOversample; ++dy)
                for (int dx = 0; dx < kOversample; ++dx)
                    for (int k = 0; k < 3; ++k)
                        sum[k] += canvas.rgb[((static_cast<size_t>(y) * kOversample + dy) * drawn +
                                              x * kOversample + dx) * 3 + k];
            uint8_t *out = &rgba[(static_cast<size_t>(y) * kIconSide + x) * 4];
            for (int k = 0; k < 3; ++k) {
                const double v = sum[k] / (kOversample * kOversample);
                out[k] = static_cast<uint8_t>(v <= 0 ? 0 : v >= 1 ? 255 : v * 255.0 + 0.5);
            }
            out[3] = 255;
        }
    if (!writePng(argv[1], kIconSide, kIconSide, rgba)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
