#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "mesh/ApproxSqrt.h"
#include "mesh/Mesh.h"
#include "mesh/SpringTerm.h"

namespace tarn {
namespace {

constexpr int kN = Mesh::kCapacity;

// The instrument's mesh: 10 x 10 nodes over 5 units, 6 units of mass.
Mesh makeViewMesh() { return Mesh(5.0, 10, 10, 3.5, 6.0, 0.0075); }

// The worked values are given to 12 significant digits.
std::string twelveDigits(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.12g", x);
    return text;
}

// Runs f(row, column) over the whole storage and counts the cells where it
// is not zero.
template <typename F>
int nonZeroCells(F f) {
    int count = 0;
    for (int r = 0; r < kN; ++r)
        for (int c = 0; c < kN; ++c)
            if (f(r, c) != 0.0) ++count;
    return count;
}

int movingCells(const Mesh& m) {
    return nonZeroCells([&](int r, int c) {
        return std::fabs(m.heightAt(r, c)) + std::fabs(m.velocityAt(r, c)) +
               std::fabs(m.accelAt(r, c)) + std::fabs(m.driveAt(r, c));
    });
}

TEST(MeshApproxSqrt, WorkedValuesAndOddSpringTerm) {
    EXPECT_EQ(2.0, approxSqrt(4.0));
    EXPECT_EQ(1.5, approxSqrt(2.0));
    EXPECT_EQ(1.75, approxSqrt(3.0));
    EXPECT_EQ(2.5, approxSqrt(6.0));
    // A negative odd exponent: halving must truncate toward zero.
    EXPECT_EQ(0.5, approxSqrt(0.1875));
    const double rest = 5.0 / 9.0;
    EXPECT_NEAR(0.5586420, approxSqrt(rest * rest), 5e-8);

    for (double d : {1e-9, 0.003, 0.25, 1.0, 7.5}) {
        const double up = springTerm(rest, 35.5, d);
        EXPECT_EQ(-up, springTerm(rest, 35.5, -d)) << d;
        EXPECT_LT(up, 0.0) << "a raised node is pulled back, d = " << d;
    }
    EXPECT_EQ(0.0, springTerm(rest, 35.5, 0.0));
}

TEST(MeshModel, WorkedRunMatchesToTwelveDigits) {
    Mesh m(5.0, 4, 4, 3.5, 6.0, 0.0075);
    EXPECT_DOUBLE_EQ(5.0 / 3.0, m.horizontalRest());
    EXPECT_DOUBLE_EQ(5.0 / 3.0, m.verticalRest());
    EXPECT_DOUBLE_EQ(0.375, m.nodeMass());
    EXPECT_EQ(3.5, m.springConstant());
    EXPECT_EQ(0.0075, m.damping());

    m.poke(1, 1, 1.0);
    m.step(0.002);
    EXPECT_DOUBLE_EQ(3.55, m.springConstant());
    EXPECT_DOUBLE_EQ(0.5 * 0.34 * 0.34 * 0.34 * 0.34, m.damping());
    EXPECT_DOUBLE_EQ(3.55 * 4, m.horizontalStiffness());
    EXPECT_EQ("0.000266666666667", twelveDigits(m.heightAt(1, 1)));
    EXPECT_EQ(0.0, m.heightAt(1, 2));
    EXPECT_EQ(0.0, m.heightAt(2, 1));
    EXPECT_EQ(0.0, m.heightAt(2, 2));

    m.step(0.002);
    EXPECT_EQ("0.000791097193941", twelveDigits(m.heightAt(1, 1)));
    EXPECT_EQ("1.10358420056e-09", twelveDigits(m.heightAt(1, 2)));
    EXPECT_EQ("1.10358420056e-09", twelveDigits(m.heightAt(2, 1)));
    EXPECT_EQ(0.0, m.heightAt(2, 2));

    m.step(0.002);
    EXPECT_EQ("0.00156468112218", twelveDigits(m.heightAt(1, 1)));
    EXPECT_EQ("5.48106433028e-09", twelveDigits(m.heightAt(1, 2)));
    EXPECT_EQ("5.48106433028e-09", twelveDigits(m.heightAt(2, 1)));
    EXPECT_EQ("9.13421968548e-15", twelveDigits(m.heightAt(2, 2)));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(0.0, m.heightAt(0, i));
        EXPECT_EQ(0.0, m.heightAt(3, i));
        EXPECT_EQ(0.0, m.heightAt(i, 0));
        EXPECT_EQ(0.0, m.heightAt(i, 3));
    }
}

TEST(MeshModel, RestStaysExactlyAtRest) {
    Mesh m = makeViewMesh();
    m.resize(31, 17);
    m.setStiffnessTarget(1.0);
    m.setFrictionTarget(0.0);
    for (int i = 0; i < 300; ++i) m.step(i % 2 ? 0.05 : 0.001);
    EXPECT_EQ(0, movingCells(m));
}

TEST(MeshModel, OnePokeMovesOnlyItsNodeInTheFirstStep) {
    Mesh m = makeViewMesh();
    const double dt = 0.002;
    m.poke(4, 6, 1.0);
    EXPECT_EQ(25.0, m.driveAt(6, 4));
    m.step(dt);
    const double mass = m.nodeMass();
    EXPECT_DOUBLE_EQ(0.06, mass);
    EXPECT_DOUBLE_EQ(25.0 * dt / mass, m.velocityAt(6, 4));
    EXPECT_DOUBLE_EQ(25.0 * dt * dt / mass, m.heightAt(6, 4));
    EXPECT_DOUBLE_EQ(25.0 * (1.0 - 0.5 * dt / 0.03), m.driveAt(6, 4));
    EXPECT_EQ(0, nonZeroCells([&](int r, int c) {
                  return (r == 6 && c == 4) ? 0.0 : m.heightAt(r, c) + m.velocityAt(r, c);
              }));

    // A poke overwrites rather than adds.
    m.poke(4, 6, 0.5);
    EXPECT_EQ(12.5, m.driveAt(6, 4));
}

TEST(MeshModel, PokesThatCannotMoveAnything) {
    Mesh m = makeViewMesh();
    m.poke(0, 5, 1.0);
    m.poke(9, 5, 1.0);
    m.poke(5, 0, 1.0);
    m.poke(5, 9, 1.0);
    m.poke(20, 20, 1.0);  // inside the storage, outside the mesh in use
    for (int i = 0; i < 50; ++i) m.step(0.002);
    EXPECT_EQ(0, nonZeroCells([&](int r, int c) { return m.heightAt(r, c); }));
    EXPECT_EQ(25.0, m.driveAt(5, 0)) << "boundary drive is neither read nor decayed";

    // Outside the storage, or garbage strength: ignored, and reads answer 0.
    m.poke(-1, 5, 1.0);
    m.poke(5, 128, 1.0);
    m.poke(1 << 30, -(1 << 30), 1.0);
    m.poke(3, 3, std::nan(""));
    m.poke(3, 4, INFINITY);
    EXPECT_EQ(0.0, m.driveAt(3, 3));
    EXPECT_EQ(0.0, m.driveAt(4, 3));
    EXPECT_EQ(0.0, m.heightAt(-1, 0));
    EXPECT_EQ(0.0, m.driveAt(0, 128));
}

TEST(MeshModel, TimeStepIsClampedAndGarbageStepsStandStill) {
    Mesh a = makeViewMesh();
    Mesh b = makeViewMesh();
    a.poke(3, 4, 1.0);
    b.poke(3, 4, 1.0);
    for (int i = 0; i < 5; ++i) {
        a.step(0.1);
        b.step(0.05);
    }
    EXPECT_EQ(0, nonZeroCells([&](int r, int c) {
                  return (a.heightAt(r, c) != b.heightAt(r, c)) +
                         (a.velocityAt(r, c) != b.velocityAt(r, c)) +
                         (a.driveAt(r, c) != b.driveAt(r, c));
              }));

    // A NaN or negative step must not poison or run the mesh backwards.
    const double h = a.heightAt(4, 3);
    const double v = a.velocityAt(4, 3);
    const double d = a.driveAt(4, 3);
    a.step(std::nan(""));
    a.step(-1.0);
    EXPECT_EQ(h, a.heightAt(4, 3));
    EXPECT_EQ(v, a.velocityAt(4, 3));
    EXPECT_EQ(d, a.driveAt(4, 3));
}

TEST(MeshModel, MotionBeyondTheIntegrationsReachStartsAgainFromRest) {
    // Long steps at full stiffness diverge; the mesh must never be left
    // holding infinite or NaN values.
    Mesh m = makeViewMesh();
    m.resize(59, 59);
    m.setStiffnessTarget(1.0);
    for (int i = 0; i < 100; ++i) m.step(0.002);
    bool everCleared = false;
    for (int i = 0; i < 400; ++i) {
        if (i % 50 == 0) m.poke(29, 29, 1.0);
        m.step(0.05);
        int bad = 0;
        for (int r = 0; r < 59; ++r)
            for (int c = 0; c < 59; ++c)
                if (!std::isfinite(m.heightAt(r, c)) || !std::isfinite(m.velocityAt(r, c))) ++bad;
        ASSERT_EQ(0, bad) << "step " << i;
        if (i % 50 != 49 && m.heightAt(29, 29) == 0.0) everCleared = true;
    }
    EXPECT_TRUE(everCleared);
}

TEST(MeshModel, ResizeKeepsMotionOnlyForTheSameSize) {
    Mesh m = makeViewMesh();
    m.poke(5, 5, 1.0);
    for (int i = 0; i < 20; ++i) m.step(0.002);
    const int moving = movingCells(m);
    EXPECT_GT(moving, 1);

    m.resize(10, 10);
    EXPECT_EQ(moving, movingCells(m));
    for (auto size : {std::make_pair(2, 10), std::make_pair(10, 128), std::make_pair(-5, 10),
                      std::make_pair(10, 2), std::make_pair(1 << 30, 1 << 30)}) {
        m.resize(size.first, size.second);
        EXPECT_EQ(10, m.columns());
        EXPECT_EQ(10, m.rows());
        EXPECT_EQ(moving, movingCells(m));
    }

    m.resize(59, 3);
    EXPECT_EQ(59, m.columns());
    EXPECT_EQ(3, m.rows());
    EXPECT_EQ(0, movingCells(m));
    EXPECT_DOUBLE_EQ(5.0 / 58.0, m.horizontalRest());
    EXPECT_DOUBLE_EQ(2.5, m.verticalRest());
    EXPECT_DOUBLE_EQ(6.0 / 177.0, m.nodeMass());
    EXPECT_DOUBLE_EQ(m.springConstant() * 59, m.horizontalStiffness());
    EXPECT_DOUBLE_EQ(m.springConstant() * 3, m.verticalStiffness());

    m.resize(127, 127);
    m.poke(126, 126, 1.0);  // boundary of the largest mesh
    m.poke(125, 125, 1.0);
    for (int i = 0; i < 10; ++i) m.step(0.01);
    EXPECT_NE(0.0, m.heightAt(125, 125));
    EXPECT_EQ(0.0, m.heightAt(126, 125));

    m.reset();
    EXPECT_EQ(0, movingCells(m));
}

TEST(MeshModel, FrictionAndStiffnessGlideOneHundredthPerStep) {
    for (double requested : {1.0, 1.7}) {
        Mesh m = makeViewMesh();
        m.setFrictionTarget(requested);
        EXPECT_EQ(0.34, m.friction().value) << "targets wait for the next step";
        double previous = m.friction().value;
        int steps = 0;
        while (m.friction().value < 1.0 && steps < 1000) {
            m.step(0.002);
            ++steps;
            EXPECT_NEAR(0.01, m.friction().value - previous, 1e-12);
            previous = m.friction().value;
        }
        EXPECT_EQ(66, steps);
        EXPECT_EQ(1.0, m.friction().target);
        for (int i = 0; i < 5; ++i) {
            m.step(0.002);
            EXPECT_EQ(1.0, m.friction().value);
            EXPECT_EQ(0.5, m.damping());
        }
    }

    Mesh m = makeViewMesh();
    m.setStiffnessTarget(0.2);
    m.setStiffnessTarget(-3.0);  // only the newest target counts; clamped to 0
    m.setStiffnessTarget(std::nan(""));
    for (int i = 0; i < 20; ++i) m.step(0.002);
    EXPECT_EQ(0.0, m.stiffness().value);
    EXPECT_EQ(0.0, m.stiffness().step);
    EXPECT_EQ(1.0, m.springConstant());
}

}  // namespace
}  // namespace tarn
