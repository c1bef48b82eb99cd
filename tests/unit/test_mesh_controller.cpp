#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>

#include "mesh/Mesh.h"
#include "mesh/MeshController.h"
#include "mesh/NoteExcitation.h"

namespace tarn {
namespace {

MeshController makeController(int type, int column, int row, double scale) {
    MeshController c;
    c.type = type;
    c.column = column;
    c.row = row;
    c.scale = scale;
    return c;
}

// The engine's arithmetic for a centre read-out: single-precision centre,
// offset and scaled in double, then rounded to single precision.
float expectedCentre(int b, int n, double scale) {
    const float centre = static_cast<float>(b) / static_cast<float>(n) +
                         1.0f / (2.0f * static_cast<float>(n));
    return static_cast<float>(scale * (centre - 0.5));
}

TEST(MeshControllerRead, PeaksAndTroughsOfRowsAndColumns) {
    Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);

    // At rest every scan answers its first interior node, which is not 0.
    const MeshController restingPeak = makeController(MeshController::kRowPeak, 0, 4, 1.5);
    EXPECT_EQ(expectedCentre(1, 10, 1.5), restingPeak.read(mesh, 10, 10));
    EXPECT_FLOAT_EQ((1.5 / 10 - 0.5) * 1.5, restingPeak.read(mesh, 10, 10));

    mesh.resize(6, 6);
    const double heights[6] = {0.0, 0.1, 0.3, 0.3, 0.2, 0.0};
    for (int c = 0; c < 6; ++c) mesh.setHeight(2, c, heights[c]);
    // The same line down column 3, so column scans see it as well.
    for (int r = 0; r < 6; ++r) mesh.setHeight(r, 3, heights[r]);

    const MeshController rowPeak = makeController(MeshController::kRowPeak, 0, 2, 2.0);
    EXPECT_EQ(expectedCentre(2, 6, 2.0), rowPeak.read(mesh, 6, 6)) << "first of the tie wins";
    EXPECT_NEAR(-0.1667, rowPeak.read(mesh, 6, 6), 1e-4);
    const MeshController rowTrough = makeController(MeshController::kRowTrough, 0, 2, 1.0);
    EXPECT_FLOAT_EQ(-0.25f, rowTrough.read(mesh, 6, 6)) << "boundary zeros are no candidates";

    const MeshController colPeak = makeController(MeshController::kColumnPeak, 3, 0, 2.0);
    EXPECT_EQ(expectedCentre(2, 6, 2.0), colPeak.read(mesh, 6, 6));
    const MeshController colTrough = makeController(MeshController::kColumnTrough, 3, 0, -1.0);
    EXPECT_EQ(expectedCentre(1, 6, -1.0), colTrough.read(mesh, 6, 6));

    // On a 3-wide mesh the only candidate is 1.
    mesh.resize(3, 3);
    mesh.setHeight(1, 1, -4.0);
    EXPECT_EQ(expectedCentre(1, 3, 1.0),
              makeController(MeshController::kRowPeak, 0, 1, 1.0).read(mesh, 3, 3));
}

TEST(MeshControllerRead, PointReadsAnyNodeAndOppositeScalesCancel) {
    Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);
    mesh.poke(3, 4, 1.0);
    for (int i = 0; i < 30; ++i) mesh.step(0.002);
    const double h = mesh.heightAt(4, 3);
    ASSERT_NE(0.0, h);

    const MeshController point = makeController(MeshController::kPoint, 3, 4, 1.25);
    EXPECT_EQ(static_cast<float>(1.25 * (h * 0.5)), point.read(mesh, 10, 10));
    const MeshController mirror = makeController(MeshController::kPoint, 3, 4, -1.25);
    EXPECT_EQ(0.0f, point.read(mesh, 10, 10) + mirror.read(mesh, 10, 10));

    EXPECT_EQ(0.0f, makeController(MeshController::kPoint, 0, 0, 2.0).read(mesh, 10, 10));
    EXPECT_EQ(0.0f, makeController(MeshController::kPoint, 9, 5, 2.0).read(mesh, 10, 10));

    // Fields beyond the engine's sizes are clamped onto its last node, never
    // read from outside the storage.
    mesh.resize(59, 59);
    mesh.setHeight(58, 58, 0.75);
    mesh.setHeight(0, 58, 0.5);
    EXPECT_EQ(0.75f, makeController(MeshController::kPoint, 500, INT_MAX, 2.0).read(mesh, 59, 59));
    EXPECT_EQ(0.5f, makeController(MeshController::kPoint, 500, -7, 2.0).read(mesh, 59, 59));
}

TEST(MeshControllerRead, GarbageNeverEscapesTheStorage) {
    Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);
    mesh.resize(127, 127);
    for (int type : {-1, 0, 1, 2, 3, 4, 5, INT_MAX}) {
        for (int size : {INT_MIN, -1, 0, 1, 2, 3, 128, 129, INT_MAX}) {
            for (int index : {INT_MIN, -1, 0, 200, INT_MAX}) {
                const MeshController c = makeController(type, index, index, 2.0);
                const float v = c.read(mesh, size, size);
                EXPECT_TRUE(std::isfinite(v));
                EXPECT_LE(std::fabs(v), 1.0f);
            }
        }
    }
    EXPECT_EQ(0.0f, makeController(99, 1, 1, 2.0).read(mesh, 10, 10));
    EXPECT_EQ(0.0f, makeController(MeshController::kRowPeak, 1, 1, std::nan("")).read(mesh, 10, 10));
    EXPECT_EQ(FLT_MAX, makeController(MeshController::kRowPeak, 1, 1, -1e300).read(mesh, 10, 10));
}

TEST(MeshControllerPeriod, DivisionsAtTheHostTempoAndFallbacks) {
    EXPECT_EQ(1378, MeshController::period(8, 44100.0, 120.0, 16));  // "4"
    EXPECT_EQ(172, MeshController::period(1, 44100.0, 120.0, 16));   // "32"
    EXPECT_EQ(5512, MeshController::period(11, 44100.0, 120.0, 16));  // "4x 4"
    EXPECT_EQ(459, MeshController::period(4, 44100.0, 120.0, 16));    // "8T": 1378.125 / 3
    EXPECT_EQ(1, MeshController::period(0, 44100.0, 120.0, 16));
    EXPECT_EQ(1, MeshController::period(0, std::nan(""), 0.0, 0));
    EXPECT_EQ(2756, MeshController::period(8, 44100.0, 60.0, 16));
    EXPECT_EQ(1200, MeshController::period(8, 48000.0, 150.0, 16));

    // No usable tempo: 120 beats per minute.
    for (double tempo : {0.0, -90.0, std::nan(""), double(INFINITY), -double(INFINITY)})
        EXPECT_EQ(1378, MeshController::period(8, 44100.0, tempo, 16)) << tempo;

    // Rates that would overflow or have no meaning stay in 1..kMaxPeriod.
    EXPECT_EQ(MeshController::kMaxPeriod, MeshController::period(11, 1e300, 120.0, 16));
    EXPECT_EQ(MeshController::kMaxPeriod, MeshController::period(11, INFINITY, 120.0, 16));
    EXPECT_EQ(MeshController::kMaxPeriod, MeshController::period(11, 44100.0, 1e-300, 16));
    EXPECT_EQ(1, MeshController::period(8, std::nan(""), 120.0, 16));
    EXPECT_EQ(1, MeshController::period(8, -44100.0, 120.0, 16));
    EXPECT_EQ(1, MeshController::period(1, 10.0, 120.0, 16));
    EXPECT_GE(MeshController::period(8, 44100.0, 120.0, 0), 1);

    EXPECT_EQ(1.0 / 6.0, MeshController::divisionBeats(2));
    EXPECT_EQ(3.0, MeshController::divisionBeats(10));
    for (int d : {0, 11, 12, -1, INT_MAX}) EXPECT_EQ(4.0, MeshController::divisionBeats(d));
}

// The engine's note arithmetic, as it reaches the view.
double noteU(int note, double noteScale) { return ((note - 12) / 103.0 - 0.5) * noteScale; }
double noteW(int velocity, double velScale) {
    const double v = velocity / 127.0;
    return (v * v - 0.5) * velScale;
}

TEST(MeshNoteExcitation, NotesLandOnInteriorNodes) {
    int column = -1;
    int row = -1;
    ASSERT_TRUE(noteToNode(10, 10, noteU(60, 0.0), noteW(127, 0.0), column, row));
    EXPECT_EQ(5, column);
    EXPECT_EQ(5, row);

    // "Note scale" 2: the lowest note piles up on column 1, a high one on
    // the last interior column.
    ASSERT_TRUE(noteToNode(10, 10, noteU(12, 2.0), 0.0, column, row));
    EXPECT_EQ(1, column);
    ASSERT_TRUE(noteToNode(10, 10, noteU(115, 2.0), 0.0, column, row));
    EXPECT_EQ(8, column);
    ASSERT_TRUE(noteToNode(10, 10, noteU(115, -2.0), 0.0, column, row));
    EXPECT_EQ(1, column);
    ASSERT_TRUE(noteToNode(17, 22, 0.1, -0.3, column, row));
    EXPECT_EQ(10, column);  // trunc(17 * 0.1 + 8.5) = trunc(10.2)
    EXPECT_EQ(4, row);      // trunc(-6.6 + 11) = trunc(4.4)

    ASSERT_TRUE(noteToNode(10, 10, INFINITY, -INFINITY, column, row));
    EXPECT_EQ(8, column);
    EXPECT_EQ(1, row);
    ASSERT_TRUE(noteToNode(59, 59, 1e300, -1e300, column, row));
    EXPECT_EQ(57, column);
    EXPECT_EQ(1, row);

    column = row = -1;
    EXPECT_FALSE(noteToNode(10, 10, std::nan(""), 0.0, column, row));
    EXPECT_FALSE(noteToNode(10, 10, 0.0, std::nan(""), column, row));
    EXPECT_FALSE(noteToNode(0, 0, 0.0, 0.0, column, row));
    EXPECT_FALSE(noteToNode(10, 2, 0.0, 0.0, column, row));
    EXPECT_FALSE(noteToNode(INT_MAX, 10, 0.0, 0.0, column, row));
    EXPECT_EQ(-1, column);
    EXPECT_EQ(-1, row);
}

TEST(MeshNoteExcitation, PushStrengthFollowsVelocity) {
    Mesh mesh(5.0, 10, 10, 3.5, 6.0, 0.0075);
    EXPECT_TRUE(pushNote(mesh, noteU(60, 0.0), noteW(127, 0.0), 127 / 127.0));
    EXPECT_EQ(25.0, mesh.driveAt(5, 5));
    EXPECT_TRUE(pushNote(mesh, 0.0, 0.0, 1 / 127.0));
    EXPECT_DOUBLE_EQ(12.5 + 12.5 / 127.0, mesh.driveAt(5, 5));
}

}  // namespace
}  // namespace tarn
