// A rectangular mass-spring mesh: every node moves along one axis, joined to
// its four neighbours by springs, with a fixed outer ring.
//
// Threads. One thread steps the mesh (a view's frames, or the engine's audio
// clock for the offline renderer); others read heights, poke single nodes, resize, reset and set
// the friction and stiffness targets, all without locks:
//  - Storage has a fixed 128 x 128 capacity allocated once, so every index
//    below 128 is valid forever. Cells are relaxed atomics: readers may see a
//    mixture of values from before and after a step, never a torn value.
//  - Sizes are relaxed atomics. A step reads them once and derives its whole
//    geometry from that pair, so it is self-consistent whatever lands meanwhile.
//  - reset() brackets its clearing with two increments of a generation
//    counter; a step that overlapped any part of a reset clears the grids
//    again at its end, so a reset never leaves stale motion behind.
//  - Friction and stiffness targets from any thread go into two atomic
//    mailboxes that the step hands to the parameter objects; those objects
//    are touched by the stepping thread only.
// step() itself must not run on two threads at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "dsp/param.h"

namespace tarn {

class Mesh final {
public:
    static constexpr int kCapacity = 128;
    static constexpr int kMinSize = 3;
    static constexpr int kMaxSize = 127;
    // Longest time one step may cover; a frame after a long pause must not
    // blow the mesh up.
    static constexpr double kMaxStep = 0.05;
    // Drive written by a poke of strength 1.
    static constexpr double kPokeDrive = 25.0;
    // A poke's drive loses half its value every this many seconds (linearly
    // extrapolated per step).
    static constexpr double kDriveHalfTime = 0.03;
    // Control positions applied at construction (friction 0.5 * 0.34^4,
    // spring constant 3.55).
    static constexpr double kStartFriction = 0.34;
    static constexpr double kStartStiffness = 0.15;

    Mesh(double extent, int columns, int rows, double springConstant, double totalMass,
         double damping);
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Advances by dt seconds (clamped to 0..kMaxStep; NaN counts as 0).
    void step(double dt);
    // Sizes outside kMinSize..kMaxSize and an unchanged size are ignored;
    // any real change clears the mesh.
    void resize(int columns, int rows);
    // Clears heights, velocities, accelerations and drives over the whole
    // capacity. The parameter objects keep their state.
    void reset();
    // Drive of the node becomes strength * kPokeDrive (overwrites). Indices
    // outside the storage and non-finite strengths are ignored.
    void poke(int column, int row, double strength);

    // Places one node directly, for tools and tests that need a given shape.
    // Out-of-storage indices and non-finite heights are ignored.
    void setHeight(int row, int column, double height);

    // Safe from any thread; the newest value reaches the glide at the start
    // of the next step. NaN is ignored.
    void setFrictionTarget(double x);
    void setStiffnessTarget(double x);

    int columns() const { return columns_.load(std::memory_order_relaxed); }
    int rows() const { return rows_.load(std::memory_order_relaxed); }

    // Any indices are accepted; those outside the storage read 0.
    double heightAt(int row, int column) const { return cellAt(height_.get(), row, column); }
    double velocityAt(int row, int column) const {
        return cellAt(velocity_.get(), row, column);
    }
    double accelAt(int row, int column) const { return cellAt(accel_.get(), row, column); }
    double driveAt(int row, int column) const { return cellAt(drive_.get(), row, column); }

    double springConstant() const { return springConstant_.load(std::memory_order_relaxed); }
    double horizontalStiffness() const {
        return horizontalStiffness_.load(std::memory_order_relaxed);
    }
    double verticalStiffness() const {
        return verticalStiffness_.load(std::memory_order_relaxed);
    }
    double damping() const { return damping_.load(std::memory_order_relaxed); }
    double nodeMass() const { return nodeMass_.load(std::memory_order_relaxed); }
    double horizontalRest() const { return horizontalRest_.load(std::memory_order_relaxed); }
    double verticalRest() const { return verticalRest_.load(std::memory_order_relaxed); }
    double totalMass() const { return totalMass_; }
    double extent() const { return extent_; }

    // The glides themselves: read these on the stepping thread only.
    const springp& stiffness() const { return stiffness_; }
    const frictp& friction() const { return friction_; }

private:
    using Cell = std::atomic<double>;

    static std::size_t indexOf(int row, int column) {
        return static_cast<std::size_t>(row) * kCapacity + static_cast<std::size_t>(column);
    }
    static bool inStorage(int row, int column) {
        return static_cast<unsigned>(row) < static_cast<unsigned>(kCapacity) &&
               static_cast<unsigned>(column) < static_cast<unsigned>(kCapacity);
    }
    static double cellAt(const Cell* grid, int row, int column) {
        return inStorage(row, column) ? grid[indexOf(row, column)].load(std::memory_order_relaxed)
                                      : 0.0;
    }

    void clearGrids();
    void applyPendingTargets();

    springp stiffness_;
    frictp friction_;
    std::atomic<int> columns_{0};
    std::atomic<int> rows_{0};
    std::atomic<double> springConstant_;
    std::atomic<double> horizontalStiffness_{0.0};
    std::atomic<double> verticalStiffness_{0.0};
    const double totalMass_;
    std::atomic<double> nodeMass_{0.0};
    std::atomic<double> damping_;
    const double extent_;
    std::atomic<double> horizontalRest_;
    std::atomic<double> verticalRest_;
    std::unique_ptr<Cell[]> height_;
    std::unique_ptr<Cell[]> velocity_;
    std::unique_ptr<Cell[]> accel_;
    std::unique_ptr<Cell[]> drive_;
    // Down terms of the row above, handed to the next row as its up terms.
    std::unique_ptr<double[]> spanBuffer_;

    // Odd while a reset is clearing; every reset adds 2.
    std::atomic<std::uint32_t> resetGeneration_{0};
    // NaN means "no new target".
    std::atomic<double> pendingFriction_;
    std::atomic<double> pendingStiffness_;
};

}  // namespace tarn
