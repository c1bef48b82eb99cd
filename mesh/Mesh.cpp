#include "mesh/Mesh.h"

#include <cmath>
#include <limits>

#include "mesh/SpringTerm.h"

namespace tarn {

namespace {

constexpr std::size_t kCells = static_cast<std::size_t>(Mesh::kCapacity) * Mesh::kCapacity;
constexpr auto kRelaxed = std::memory_order_relaxed;
const double kNoTarget = std::numeric_limits<double>::quiet_NaN();

// Rest length of the springs along an axis of n nodes; a degenerate count
// (only before the first accepted size) yields 0 instead of a division by 0.
double restLength(double extent, int n) { return n > 1 ? extent / (n - 1) : 0.0; }

}  // namespace

Mesh::Mesh(double extent, int columns, int rows, double springConstant, double totalMass,
           double damping)
    : springConstant_(springConstant),
      totalMass_(totalMass),
      damping_(damping),
      extent_(extent),
      horizontalRest_(restLength(extent, columns)),
      verticalRest_(restLength(extent, rows)),
      height_(new Cell[kCells]),
      velocity_(new Cell[kCells]),
      accel_(new Cell[kCells]),
      drive_(new Cell[kCells]),
      spanBuffer_(new double[kCapacity]()),
      pendingFriction_(kNoTarget),
      pendingStiffness_(kNoTarget) {
    resize(columns, rows);
    reset();
    friction_.setNow(kStartFriction);
    stiffness_.setNow(kStartStiffness);
}

void Mesh::setFrictionTarget(double x) {
    if (!std::isnan(x)) pendingFriction_.store(x, kRelaxed);
}

void Mesh::setStiffnessTarget(double x) {
    if (!std::isnan(x)) pendingStiffness_.store(x, kRelaxed);
}

void Mesh::applyPendingTargets() {
    // The mailbox carries the value itself, so relaxed order suffices; the
    // exchange makes sure a target stored meanwhile is not lost.
    if (!std::isnan(pendingFriction_.load(kRelaxed))) {
        const double x = pendingFriction_.exchange(kNoTarget, kRelaxed);
        if (!std::isnan(x)) friction_.setTarget(x);
    }
    if (!std::isnan(pendingStiffness_.load(kRelaxed))) {
        const double x = pendingStiffness_.exchange(kNoTarget, kRelaxed);
        if (!std::isnan(x)) stiffness_.setTarget(x);
    }
}

void Mesh::clearGrids() {
    for (std::size_t i = 0; i < kCells; ++i) {
        height_[i].store(0.0, kRelaxed);
        velocity_[i].store(0.0, kRelaxed);
        accel_[i].store(0.0, kRelaxed);
        drive_[i].store(0.0, kRelaxed);
    }
}

void Mesh::reset() {
    // Odd while clearing. The seq_cst increments pair with the step's check
    // so that a step overlapping this clear either sees the change and clears
    // again, or finished its stores before the clear began.
    resetGeneration_.fetch_add(1, std::memory_order_seq_cst);
    clearGrids();
    resetGeneration_.fetch_add(1, std::memory_order_seq_cst);
}

void Mesh::resize(int columns, int rows) {
    if (columns == columns_.load(kRelaxed) && rows == rows_.load(kRelaxed)) return;
    if (columns < kMinSize || columns > kMaxSize || rows < kMinSize || rows > kMaxSize) return;
    columns_.store(columns, kRelaxed);
    rows_.store(rows, kRelaxed);
    const double k = springConstant_.load(kRelaxed);
    horizontalStiffness_.store(k * columns, kRelaxed);
    verticalStiffness_.store(k * rows, kRelaxed);
    horizontalRest_.store(extent_ / (columns - 1), kRelaxed);
    verticalRest_.store(extent_ / (rows - 1), kRelaxed);
    nodeMass_.store(totalMass_ / (columns * rows), kRelaxed);
    reset();
}

void Mesh::poke(int column, int row, double strength) {
    if (!inStorage(row, column) || !std::isfinite(strength)) return;
    drive_[indexOf(row, column)].store(strength * kPokeDrive, kRelaxed);
}

void Mesh::setHeight(int row, int column, double height) {
    if (!inStorage(row, column) || !std::isfinite(height)) return;
    height_[indexOf(row, column)].store(height, kRelaxed);
}

void Mesh::step(double dt) {
    if (!(dt >= 0.0)) dt = 0.0;
    if (dt > kMaxStep) dt = kMaxStep;

    const std::uint32_t generation = resetGeneration_.load(std::memory_order_seq_cst);
    applyPendingTargets();

    const int cols = columns_.load(kRelaxed);
    const int rows = rows_.load(kRelaxed);

    const double k = stiffness_.get();
    const double hk = k * cols;
    const double vk = k * rows;
    const double mu = friction_.get();
    springConstant_.store(k, kRelaxed);
    horizontalStiffness_.store(hk, kRelaxed);
    verticalStiffness_.store(vk, kRelaxed);
    damping_.store(mu, kRelaxed);

    // Sizes are 0 until the first accepted resize, otherwise kMinSize..kMaxSize,
    // so every index below stays under kCapacity.
    if (cols >= kMinSize && rows >= kMinSize) {
        // The same expressions resize() uses, evaluated from this step's own
        // copy of the sizes.
        const double hRest = extent_ / (cols - 1);
        const double vRest = extent_ / (rows - 1);
        const double mass = totalMass_ / (cols * rows);
        const double decay = dt / kDriveHalfTime;

        Cell* const height = height_.get();
        Cell* const velocity = velocity_.get();
        Cell* const accel = accel_.get();
        Cell* const drive = drive_.get();
        double* const span = spanBuffer_.get();

        // Force pass. A node's own velocity and drive feed only its own
        // force, so they are advanced in the same sweep; heights must wait
        // until every force has been taken.
        for (int r = 1; r <= rows - 2; ++r) {
            const Cell* const above = height + indexOf(r - 1, 0);
            const Cell* const here = height + indexOf(r, 0);
            const Cell* const below = height + indexOf(r + 1, 0);
            double previousRight = 0.0;
            for (int c = 1; c <= cols - 2; ++c) {
                const double h = here[c].load(kRelaxed);
                const double left = c == 1
                                        ? springTerm(hRest, hk, h - here[c - 1].load(kRelaxed))
                                        : -previousRight;
                const double right = springTerm(hRest, hk, h - here[c + 1].load(kRelaxed));
                const double up =
                    r == 1 ? springTerm(vRest, vk, h - above[c].load(kRelaxed)) : -span[c];
                const double down = springTerm(vRest, vk, h - below[c].load(kRelaxed));
                span[c] = down;
                previousRight = right;

                const std::size_t i = indexOf(r, c);
                const double v = velocity[i].load(kRelaxed);
                // Read the drive as late as possible and write its decayed
                // value at once, so a concurrent poke is hardly ever lost.
                const double f = drive[i].load(kRelaxed);
                drive[i].store(f + (f * -0.5) * decay, kRelaxed);
                double a = f - v * mu;
                a += left;
                a += right;
                a += up;
                a += down;
                a /= mass;
                accel[i].store(a, kRelaxed);
                velocity[i].store(v + a * dt, kRelaxed);
            }
        }

        // Semi-implicit Euler: heights move with the velocities just updated.
        // x * 0 is 0 for every finite x and NaN otherwise, so `blownUp` flags
        // a mesh driven past what the integration can hold (sustained long
        // steps at high stiffness) without a branch per node.
        double blownUp = 0.0;
        for (int r = 1; r <= rows - 2; ++r) {
            for (int c = 1; c <= cols - 2; ++c) {
                const std::size_t i = indexOf(r, c);
                const double v = velocity[i].load(kRelaxed);
                const double h = height[i].load(kRelaxed) + v * dt;
                height[i].store(h, kRelaxed);
                blownUp += h * 0.0 + v * 0.0;
            }
        }
        // Infinite or NaN motion never recovers and would reach the drawing
        // and the controllers; the mesh starts again from rest instead.
        if (blownUp != 0.0) clearGrids();
    }

    stiffness_.tick();
    friction_.tick();

    // Pairs with the increments in reset(): if a reset touched the grids at
    // any time during this step, part of its clearing may have been written
    // over with motion computed from the old state.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    const std::uint32_t now = resetGeneration_.load(kRelaxed);
    if (now != generation || (generation & 1u) != 0) clearGrids();
}

}  // namespace tarn
