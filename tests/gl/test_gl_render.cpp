// Draws the view into a real OpenGL context and checks the pixels against the
// palette, brightness and scale rules.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/GlutText.h"
#include "tests/editor/PngWriter.h"
#include "tests/gl/GlxOffscreen.h"
#include "tests/unit/test_editor_support.h"

namespace tarn {
namespace {

using gltest::GlxOffscreen;

struct Expected {
    int r, g, b;
};

int toByte(float v) { return static_cast<int>(std::lround(v * 255.0f)); }

// The colour the view gives node (row, column) at height z.
Expected nodeColour(const TarnEditor &view, int row, int column, double z) {
    const Palette &p = view.getPalette();
    int32_t position = view.getPaletteOffset() + 20 * row;
    for (int c = 0; c <= column; ++c) position = clampColourPosition(position + 15, p.size());
    const NodeLook look = nodeLook(z, position, p.size());
    return {toByte(static_cast<float>(p.red(look.entry) * look.brightness)),
            toByte(static_cast<float>(p.green(look.entry) * look.brightness)),
            toByte(static_cast<float>(p.blue(look.entry) * look.brightness))};
}

::testing::AssertionResult near(GlxOffscreen::Rgb got, Expected want) {
    const int tolerance = 2;
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << got.r << "," << got.g << "," << got.b << ") expected ("
                                         << want.r << "," << want.g << "," << want.b << ")";
}

class GlRender : public ::testing::TestWithParam<int> {};

TEST_P(GlRender, NodesAndBarsShowTheRules) {
    const int height = GetParam();
    GlxOffscreen gl(600, height);
    if (!gl.ok()) GTEST_SKIP() << "no X display or GLX pbuffer";

    const std::string size = "size 600 " + std::to_string(height) + "\n";
    editortest::Instrument inst(size.c_str());
    TarnEditor &view = inst.view();
    ASSERT_EQ(view.getPixelHeight(), height);
    inst.effect->setParameter(0, 0.5f);   // friction bars: 5 lit
    inst.effect->setParameter(1, 0.85f);  // viscosity bars: 8 lit
    inst.stage().setModWheel(64 / 127.0);
    view.glOpen();

    Mesh &mesh = view.getMesh();
    mesh.setHeight(3, 3, 0.6);
    mesh.setHeight(6, 6, -1.5);
    mesh.setHeight(5, 2, -1.0);
    view.render();

    const MeshLayout layout = view.currentLayout();
    auto centre = [&](int r, int c) {
        return gl.pixel(static_cast<int>(layout.centreX(c)), static_cast<int>(layout.centreY(r)));
    };
    // Resting nodes, boundary ring included, at brightness 0.25.
    EXPECT_TRUE(near(centre(0, 0), nodeColour(view, 0, 0, 0.0)));
    EXPECT_TRUE(near(centre(9, 9), nodeColour(view, 9, 9, 0.0)));
    EXPECT_TRUE(near(centre(2, 7), nodeColour(view, 2, 7, 0.0)));
    // What was drawn is what the mesh held after the frame's steps.
    EXPECT_TRUE(near(centre(3, 3), nodeColour(view, 3, 3, mesh.heightAt(3, 3))));
    EXPECT_GT(centre(3, 3).g + centre(3, 3).r, centre(2, 7).g + centre(2, 7).r);
    EXPECT_TRUE(near(centre(6, 6), {0, 0, 0}));
    // A node at -1 shrinks to a speck: its centre pixel is background.
    EXPECT_TRUE(near(centre(5, 2), {0, 0, 0}));

    // A resting square spans 3 × cellHalfSize either side of its centre.
    const double half = 3.0 * view.getCellHalfSize();
    const int cx = static_cast<int>(layout.centreX(7)), cy = static_cast<int>(layout.centreY(2));
    EXPECT_TRUE(near(gl.pixel(cx + static_cast<int>(half) - 1, cy), nodeColour(view, 2, 7, 0.0)));
    EXPECT_TRUE(near(gl.pixel(cx + static_cast<int>(half) + 2, cy), {0, 0, 0}));

    // Slider bars: lit blue from the start of the strip.
    HSlide &friction = *view.getFrictionSlider();
    for (int i = 0; i < 10; ++i) {
        const GlxOffscreen::Rgb bar = gl.pixel(friction.stripStart() + 6 * i + 2, friction.getBottom() + 10);
        EXPECT_TRUE(near(bar, i < 5 ? Expected{0, 0, 255} : Expected{46, 46, 56})) << "friction bar " << i;
    }
    HSlide &viscosity = *view.getViscositySlider();
    EXPECT_TRUE(near(gl.pixel(viscosity.stripStart() + 6 * 7 + 2, viscosity.getBottom() + 10), {0, 0, 255}));
    EXPECT_TRUE(near(gl.pixel(viscosity.stripStart() + 6 * 8 + 2, viscosity.getBottom() + 10), {46, 46, 56}));
    VSlide &rows = *view.getRowsSlider();
    const float rowsValue = inst.effect->getParameter(2);
    const int litRows = static_cast<int>(rowsValue * 10.0 + 0.1);
    for (int i = 0; i < 10; ++i) {
        const GlxOffscreen::Rgb bar = gl.pixel(rows.barColumn() + 10, rows.stripStart() + 6 * i + 2);
        EXPECT_TRUE(near(bar, i < litRows ? Expected{0, 0, 255} : Expected{46, 46, 56})) << "rows bar " << i;
    }

    // The labels are drawn in white.
    if (glutTextAvailable()) {
        const FXButton &fx = *view.getFxButton();
        int white = 0;
        for (int y = fx.getBottom(); y <= fx.getTop(); ++y)
            for (int x = fx.getLeft(); x <= fx.getRight(); ++x) {
                const GlxOffscreen::Rgb p = gl.pixel(x, y);
                if (p.r == 255 && p.g == 255 && p.b == 255) ++white;
            }
        EXPECT_GT(white, 20);
    }
    // TARNWELL_GL_SCREENSHOT names a PNG to keep the frame in, for eyes.
    if (const char *shot = std::getenv("TARNWELL_GL_SCREENSHOT")) {
        std::vector<uint8_t> frame, flipped;
        gl.readFrame(frame);
        flipped.resize(frame.size());
        const size_t stride = static_cast<size_t>(gl.width) * 3;
        for (int y = 0; y < gl.height; ++y)
            std::copy(frame.begin() + y * stride, frame.begin() + (y + 1) * stride,
                      flipped.begin() + (gl.height - 1 - y) * stride);
        EXPECT_TRUE(pngtest::writePng(std::string(shot) + "-" + std::to_string(height) + ".png", gl.width,
                                      gl.height, flipped));
    }
    view.glClose();
}

INSTANTIATE_TEST_SUITE_P(Sizes, GlRender, ::testing::Values(600, 800));

}  // namespace
}  // namespace tarn
