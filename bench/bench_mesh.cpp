// Mesh costs: the editor steps the mesh about 500 times a second (budget:
// 50 us per step at the largest size the parameters allow, 59 x 59), and the
// audio thread runs up to ten controller read-outs every 16 samples.
#include <benchmark/benchmark.h>

#include "mesh/Mesh.h"
#include "mesh/MeshController.h"

namespace {

// A mesh in motion, so the benchmark measures a realistic step rather than
// arithmetic on zeros.
void setMoving(tarn::Mesh& mesh) {
    const int columns = mesh.columns();
    const int rows = mesh.rows();
    mesh.setFrictionTarget(0.2);
    mesh.setStiffnessTarget(0.6);
    mesh.poke(columns / 2, rows / 2, 1.0);
    mesh.poke(columns / 3, rows / 4, 0.7);
    for (int i = 0; i < 200; ++i) mesh.step(0.002);
}

void BM_MeshStep(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    tarn::Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);
    mesh.resize(n, n);
    setMoving(mesh);
    int count = 0;
    for (auto _ : state) {
        mesh.step(0.002);
        // Keep pushing now and then so the motion never dies away.
        if (++count == 500) {
            count = 0;
            mesh.poke(n / 2, n / 2, 1.0);
        }
        benchmark::ClobberMemory();
    }
    state.counters["nodes"] = static_cast<double>((n - 2) * (n - 2));
}
BENCHMARK(BM_MeshStep)->Arg(10)->Arg(59)->Unit(benchmark::kMicrosecond);

// Ten controllers of mixed kinds, as one control pass reads them.
void BM_MeshControllerReads(benchmark::State& state) {
    const int n = 59;
    tarn::Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);
    mesh.resize(n, n);
    setMoving(mesh);
    tarn::MeshController controllers[10];
    for (int j = 0; j < 10; ++j) {
        controllers[j].type = 1 + j % 4;  // row and column peaks and troughs
        controllers[j].column = (7 * j + 3) % n;
        controllers[j].row = (11 * j + 5) % n;
        controllers[j].scale = 1.5;
    }
    controllers[9].type = tarn::MeshController::kPoint;
    for (auto _ : state) {
        float sum = 0.0f;
        for (const auto& controller : controllers) sum += controller.read(mesh, n, n);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_MeshControllerReads)->Unit(benchmark::kNanosecond);

}  // namespace
