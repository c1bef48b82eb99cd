// Layout, hit-testing and colour rules of the editor view, without OpenGL.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "editor/MeshLayout.h"
#include "editor/Palette.h"

namespace tarn {
namespace {

TEST(EditorLayout, SquareAndTallWindowsCentreTheGrid) {
    const MeshLayout square = MeshLayout::forView(600, 600, 10, 10);
    EXPECT_EQ(square.side, 500);
    EXPECT_DOUBLE_EQ(square.pitch, 50.0);
    EXPECT_DOUBLE_EQ(square.left, 50.0);
    EXPECT_DOUBLE_EQ(square.bottom, 50.0);
    EXPECT_DOUBLE_EQ(square.centreX(0), 75.0);
    EXPECT_DOUBLE_EQ(square.centreY(0), 75.0);
    EXPECT_DOUBLE_EQ(square.centreX(9), 525.0);
    EXPECT_NEAR(cellHalfSizeFor(500, 10, 10), 5.357142857142857, 1e-12);

    const MeshLayout tall = MeshLayout::forView(600, 800, 10, 10);
    EXPECT_EQ(tall.side, 500);
    EXPECT_DOUBLE_EQ(tall.left, 50.0);
    EXPECT_DOUBLE_EQ(tall.bottom, 150.0);
    EXPECT_DOUBLE_EQ(tall.centreY(0), 175.0);

    // A mesh with fewer rows than columns is centred vertically in the square.
    const MeshLayout wide = MeshLayout::forView(600, 600, 20, 11);
    EXPECT_DOUBLE_EQ(wide.pitch, 25.0);
    EXPECT_DOUBLE_EQ(wide.bottom, (500 - 11 * 25.0) * 0.5 + 50);
    EXPECT_DOUBLE_EQ(wide.left, 50.0);
}

TEST(EditorLayout, ClickPicksTheNodeDrawnUnderThePointer) {
    const MeshLayout layout = MeshLayout::forView(600, 600, 10, 10);
    int column = -1, row = -1;
    ASSERT_TRUE(layout.nodeAt(76, 75, column, row));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 0);
    ASSERT_TRUE(layout.nodeAt(126, 125, column, row));
    EXPECT_EQ(column, 1);
    EXPECT_EQ(row, 1);
    // Beside the grid: clamped onto the boundary ring.
    ASSERT_TRUE(layout.nodeAt(3, 599, column, row));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 9);
    ASSERT_TRUE(layout.nodeAt(-5000, 5000, column, row));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 9);

    // 22 columns: pitch 500/22 is not whole. Truncating the pitch to 22 made a
    // click at x = 297 land in column 11 while column 10 is drawn there.
    const MeshLayout fine = MeshLayout::forView(600, 600, 22, 22);
    ASSERT_TRUE(fine.nodeAt(297, 300, column, row));
    EXPECT_EQ(column, 10);
    EXPECT_EQ(static_cast<int>(297 - fine.left) / 22, 11);
    // Every pixel inside the grid maps to the cell that contains it.
    for (int x = 50; x < 550; ++x) {
        ASSERT_TRUE(fine.nodeAt(x, 300, column, row));
        const double lo = fine.left + column * fine.pitch;
        EXPECT_LE(lo, x) << x;
        EXPECT_LT(x, lo + fine.pitch) << x;
    }

    // Where the pitch is whole, truncation and flooring agree, even with a
    // half-pixel margin.
    const MeshLayout half = MeshLayout::forView(600, 600, 11, 20);
    EXPECT_DOUBLE_EQ(half.left, 162.5);
    for (int x = 160; x < 440; ++x) {
        ASSERT_TRUE(half.nodeAt(x, 300, column, row));
        int old = static_cast<int>(x - half.left) / 25;
        old = old < 0 ? 0 : (old > 10 ? 10 : old);
        EXPECT_EQ(column, old) << x;
    }
}

TEST(EditorLayout, DegenerateWindowsNeverDivideByZero) {
    int column = 7, row = 7;
    // Cells below a pixel cannot be aimed at; the click is ignored.
    const MeshLayout tiny = MeshLayout::forView(150, 150, 59, 59);
    EXPECT_LT(tiny.pitch, 1.0);
    EXPECT_FALSE(tiny.nodeAt(75, 75, column, row));
    const MeshLayout negative = MeshLayout::forView(40, 10, 10, 10);
    EXPECT_FALSE(negative.nodeAt(5, 5, column, row));
    EXPECT_EQ(column, 7);
    // Garbage sizes are held inside the mesh's storage.
    const MeshLayout garbage = MeshLayout::forView(600, 600, 0, 100000);
    EXPECT_EQ(garbage.columns, 1);
    EXPECT_EQ(garbage.rows, 128);
    EXPECT_TRUE(std::isfinite(cellHalfSizeFor(500, 0, 0)));
}

TEST(EditorPalette, HueWheelSegments) {
    const Palette p;
    ASSERT_EQ(p.size(), 1536);
    EXPECT_EQ(p.red(0), 0.0);
    EXPECT_EQ(p.green(0), 0.0);
    EXPECT_EQ(p.blue(0), 1.0);
    EXPECT_EQ(p.green(265), 1.0);
    EXPECT_DOUBLE_EQ(p.blue(265), 1.0 - 9.0 / 256.0);
    EXPECT_DOUBLE_EQ(p.red(767), 255.0 / 256.0);
    EXPECT_EQ(p.green(900), 1.0 - 132.0 / 256.0);
    EXPECT_DOUBLE_EQ(p.blue(1100), 76.0 / 256.0);
    EXPECT_DOUBLE_EQ(p.red(1535), 1.0 / 256.0);
    EXPECT_EQ(p.blue(1535), 1.0);
    // The wheel is continuous: no step larger than one 256th anywhere.
    for (int i = 1; i < 1536; ++i) {
        EXPECT_LE(std::fabs(p.red(i) - p.red(i - 1)), 1.0 / 256.0 + 1e-12) << i;
        EXPECT_LE(std::fabs(p.green(i) - p.green(i - 1)), 1.0 / 256.0 + 1e-12) << i;
        EXPECT_LE(std::fabs(p.blue(i) - p.blue(i - 1)), 1.0 / 256.0 + 1e-12) << i;
    }
    EXPECT_EQ(p.red(-3), p.red(0));
    EXPECT_EQ(p.blue(99999), p.blue(1535));
}

TEST(EditorPalette, NodeLookFollowsHeight) {
    // Node (0, 0) at rest with offset 0: position 15, level 0.5.
    NodeLook rest = nodeLook(0.0, 15, 1536);
    EXPECT_EQ(rest.entry, 265);
    EXPECT_DOUBLE_EQ(rest.scale, 3.0);
    EXPECT_DOUBLE_EQ(rest.brightness, 0.25);

    NodeLook raised = nodeLook(0.6, 15, 1536);
    EXPECT_DOUBLE_EQ(raised.scale, 3.0 + 3.0 * 0.6);
    EXPECT_DOUBLE_EQ(raised.level, 0.5 + 0.6 / 3.0);
    EXPECT_EQ(raised.entry, 15 + static_cast<int>(500 * (0.5 + 0.6 / 3.0)));

    NodeLook down = nodeLook(-1.0, 15, 1536);
    EXPECT_DOUBLE_EQ(down.scale, 0.01);
    EXPECT_GT(down.brightness, 0.0);
    NodeLook black = nodeLook(-1.5, 15, 1536);
    EXPECT_DOUBLE_EQ(black.scale, 0.01);
    EXPECT_EQ(black.brightness, 0.0);
    EXPECT_EQ(black.entry, 15);

    // Top of the wheel and runaway heights stay inside the palette.
    EXPECT_EQ(nodeLook(50.0, 1035, 1536).entry, 1535);
    const double weird[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), 1e300};
    for (double z : weird) {
        for (int32_t position : {-100, 0, 1035, 5000}) {
            const NodeLook look = nodeLook(z, position, 1536);
            EXPECT_GE(look.entry, 0);
            EXPECT_LT(look.entry, 1536);
            EXPECT_TRUE(std::isfinite(look.scale));
            EXPECT_GE(look.scale, 0.01);
            EXPECT_GE(look.brightness, 0.0);
            EXPECT_LE(look.brightness, 0.5);
        }
    }
}

TEST(EditorPalette, ColourPositionsWalkTheRowsAndStopAtTheTop) {
    EXPECT_EQ(clampColourPosition(1036, 1536), 1035);
    EXPECT_EQ(clampColourPosition(1035, 1536), 1035);
    EXPECT_EQ(clampColourPosition(-1, 1536), 0);
    // The running position of the drawing loop equals the closed form.
    for (int32_t offset : {0, 522, 1035}) {
        for (int r = 0; r < 59; r += 7) {
            int32_t position = offset + kRowColourStep * r;
            for (int c = 0; c < 59; ++c) {
                position = clampColourPosition(position + kColumnColourStep, 1536);
                const int32_t expected = offset + 20 * r + 15 * (c + 1);
                EXPECT_EQ(position, expected < 1035 ? expected : 1035);
            }
        }
    }
}

}  // namespace
}  // namespace tarn
