// One editor frame at the largest mesh, 59 × 59: fifteen mesh steps plus
// drawing every square and the widgets, on whatever OpenGL the display offers
// (Mesa's software renderer under Xvfb). Target: under 10 ms a frame.
#include <benchmark/benchmark.h>

#include "tests/gl/GlxOffscreen.h"
#include "tests/unit/test_editor_support.h"

namespace tarn {
namespace {

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
    view.getMesh().poke(29, 29, 1.0);
    for (auto _ : state) {
        view.render();
        glFinish();
    }
    view.glClose();
}
BENCHMARK(BM_EditorFrame59)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarn
