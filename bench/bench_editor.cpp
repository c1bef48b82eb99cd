// One editor frame at the largest mesh, 59 × 59: fifteen mesh steps plus
// drawing every square and the widgets, on whatever OpenGL the display offers
// (Mesa's software renderer under Xvfb). Target: under 10 ms a frame. The
// window variant is the whole frame of the Linux editor: drawn into its
// child window and swapped onto the screen.
#include <benchmark/benchmark.h>

#include <cmath>

#include "editor/GlxWindowLinux.h"
#include "tests/gl/GlxOffscreen.h"
#include "tests/unit/test_editor_support.h"

namespace tarn {
namespace {

// Heights within ±0.8, squares from specks to 2.4 times their resting size.
void rollingSurface(Mesh &mesh) {
    mesh.reset();
    for (int r = 1; r < 58; ++r)
        for (int c = 1; c < 58; ++c) mesh.setHeight(r, c, 0.8 * std::sin(r * 0.3) * std::cos(c * 0.3));
}

void BM_EditorFrame59(benchmark::State &state) {
    gltest::GlxOffscreen gl(600, 600);
    if (!gl.ok()) {
        state.SkipWithError("no X display or GLX pbuffer");
        return;
    }
    editortest::Instrument inst("size 600 600\n");
    TarnEditor &view = inst.view();
    inst.effect->setParameter(2, 1.0f);
    inst.effect->setParameter(3, 1.0f);
    if (view.getMesh().columns() != 59 || view.getMesh().rows() != 59) {
        state.SkipWithError("mesh did not reach 59 x 59");
        return;
    }
    view.glOpen();
    Mesh &mesh = view.getMesh();
    for (auto _ : state) {
        // Every frame starts from the same rolling surface, so the figure
        // does not depend on how far a wave has run.
        state.PauseTiming();
        rollingSurface(mesh);
        state.ResumeTiming();
        view.render();
        glFinish();
    }
    view.glClose();
}
BENCHMARK(BM_EditorFrame59)->Unit(benchmark::kMillisecond);

void BM_EditorWindowFrame59(benchmark::State &state) {
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display");
        return;
    }
    const int screen = DefaultScreen(display);
    const Window parent = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 600, 600, 0,
                                              BlackPixel(display, screen), BlackPixel(display, screen));
    XMapWindow(display, parent);
    XSync(display, False);
    GlxWindow window;
    if (!window.create(display, parent, 600, 600, 0) ||
        !glXMakeCurrent(display, window.window(), window.context())) {
        state.SkipWithError("no GLX window");
        window.destroy();
        XCloseDisplay(display);
        return;
    }
    {
        editortest::Instrument inst("size 600 600\n");
        TarnEditor &view = inst.view();
        inst.effect->setParameter(2, 1.0f);
        inst.effect->setParameter(3, 1.0f);
        view.glOpen();
        for (auto _ : state) {
            state.PauseTiming();
            rollingSurface(view.getMesh());
            state.ResumeTiming();
            view.render();
            glXSwapBuffers(display, window.window());
            glFinish();
            XSync(display, False);
        }
        view.glClose();
    }
    glXMakeCurrent(display, None, nullptr);
    window.destroy();
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
}
BENCHMARK(BM_EditorWindowFrame59)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn
