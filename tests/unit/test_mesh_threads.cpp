// The mesh is stepped on one thread while others poke, read, resize and
// reset it. These tests hammer that sharing; run under AddressSanitizer or
// ThreadSanitizer they also catch any index escaping the storage or any
// unsynchronised access.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>

#include "mesh/Mesh.h"
#include "mesh/MeshController.h"
#include "mesh/NoteExcitation.h"

namespace tarn {
namespace {

// Small deterministic generator, so a failure can be replayed.
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int range(int lo, int hi) { return lo + static_cast<int>(next() % (hi - lo + 1)); }
    double unit() { return (next() & 0xFFFF) / 65535.0; }

private:
    std::uint32_t state_;
};

TEST(MeshThreads, SteppingWhileOthersPokeReadAndResize) {
    Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);
    std::atomic<bool> stop{false};
    std::atomic<int> steps{0};

    std::thread stepper([&] {
        Lcg rng(7);
        while (!stop.load(std::memory_order_relaxed)) {
            mesh.step(rng.unit() * 0.004);
            steps.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // Stands in for the audio thread: note pushes, read-outs and the
    // periodic re-application of the size, with garbage mixed in.
    // On a loaded machine the stepper may be scheduled late: the others start
    // only once it runs, so the sharing is really exercised.
    const auto awaitStepper = [&] {
        while (steps.load(std::memory_order_relaxed) == 0) std::this_thread::yield();
    };
    std::thread audio([&] {
        awaitStepper();
        Lcg rng(11);
        volatile float sink = 0.0f;
        for (int i = 0; i < 40000; ++i) {
            switch (rng.range(0, 5)) {
                case 0: mesh.poke(rng.range(-300, 300), rng.range(-300, 300), rng.unit()); break;
                case 1: pushNote(mesh, rng.unit() * 4 - 2, rng.unit() * 4 - 2, rng.unit()); break;
                case 2:
                    if (rng.range(0, 50) == 0) mesh.resize(rng.range(-5, 135), rng.range(-5, 135));
                    break;
                case 3: mesh.setFrictionTarget(rng.unit() * 3 - 1); break;
                case 4: mesh.setStiffnessTarget(rng.unit() * 3 - 1); break;
                default: {
                    MeshController c;
                    c.type = rng.range(-1, 5);
                    c.column = rng.range(-300, 300);
                    c.row = rng.range(-300, 300);
                    c.scale = rng.unit() * 4 - 2;
                    sink = sink + c.read(mesh, rng.range(-5, 200), rng.range(-5, 200));
                    sink = sink + static_cast<float>(mesh.heightAt(rng.range(-300, 300),
                                                                   rng.range(-300, 300)));
                    break;
                }
            }
        }
    });

    // Stands in for the user interface: mouse resets and drawing reads.
    std::thread ui([&] {
        awaitStepper();
        Lcg rng(13);
        double sum = 0.0;
        for (int i = 0; i < 2000; ++i) {
            if (rng.range(0, 20) == 0) mesh.reset();
            const int columns = mesh.columns();
            const int rows = mesh.rows();
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < columns; ++c) sum += mesh.heightAt(r, c);
        }
        volatile double sink = sum;
        (void)sink;
    });

    audio.join();
    ui.join();
    stop.store(true, std::memory_order_relaxed);
    stepper.join();

    EXPECT_GT(steps.load(), 0);
    EXPECT_GE(mesh.columns(), Mesh::kMinSize);
    EXPECT_LE(mesh.columns(), Mesh::kMaxSize);
    EXPECT_GE(mesh.rows(), Mesh::kMinSize);
    EXPECT_LE(mesh.rows(), Mesh::kMaxSize);
}

// A reset that lands in the middle of a step must not leave stale motion
// behind: a mesh at rest stays at rest, so after the reset every later step
// must find nothing but zeros.
TEST(MeshThreads, ResetDuringAStepLeavesNoMotion) {
    Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);
    for (int round = 0; round < 150; ++round) {
        mesh.resize(round % 2 ? 59 : 58, 59);
        for (int k = 0; k < 8; ++k) mesh.poke(5 + 6 * k, 3 + 7 * k, 1.0);
        for (int i = 0; i < 5; ++i) mesh.step(0.002);

        std::atomic<bool> stop{false};
        std::atomic<int> steps{0};
        std::thread stepper([&] {
            while (!stop.load(std::memory_order_relaxed)) {
                mesh.step(0.002);
                steps.fetch_add(1, std::memory_order_relaxed);
            }
        });
        while (steps.load(std::memory_order_relaxed) < 2) std::this_thread::yield();
        if (round % 3 == 0)
            mesh.resize(round % 2 ? 58 : 59, 59);
        else
            mesh.reset();
        const int before = steps.load(std::memory_order_relaxed);
        while (steps.load(std::memory_order_relaxed) < before + 2) std::this_thread::yield();
        stop.store(true, std::memory_order_relaxed);
        stepper.join();

        int moving = 0;
        for (int r = 0; r < Mesh::kCapacity; ++r)
            for (int c = 0; c < Mesh::kCapacity; ++c)
                if (mesh.heightAt(r, c) != 0.0 || mesh.velocityAt(r, c) != 0.0 ||
                    mesh.driveAt(r, c) != 0.0)
                    ++moving;
        ASSERT_EQ(0, moving) << "round " << round;
    }
}

}  // namespace
}  // namespace tarn
