#include "mesh/NoteExcitation.h"

#include <cmath>

#include "mesh/Mesh.h"

namespace tarn {

namespace {

// n * p + n * 0.5, truncated toward zero, raised to at least 1 and kept below
// n - 1. Clamping happens in double first: converting a huge value to int
// would be undefined. Clamping before truncating gives the same index as the
// other way round, since both bounds are whole numbers.
int interiorIndex(int n, double p) {
    double x = n * p + n * 0.5;
    if (x < 1.0) x = 1.0;
    if (x > n - 2) x = n - 2;
    return static_cast<int>(x);
}

}  // namespace

bool noteToNode(int columns, int rows, double u, double w, int& column, int& row) {
    if (columns < Mesh::kMinSize || columns > Mesh::kCapacity) return false;
    if (rows < Mesh::kMinSize || rows > Mesh::kCapacity) return false;
    if (std::isnan(u) || std::isnan(w)) return false;
    row = interiorIndex(rows, w);
    column = interiorIndex(columns, u);
    return true;
}

bool pushNote(Mesh& mesh, double u, double w, double strength) {
    int column = 0;
    int row = 0;
    if (!noteToNode(mesh.columns(), mesh.rows(), u, w, column, row)) return false;
    mesh.poke(column, row, strength * 0.5 + 0.5);
    return true;
}

}  // namespace tarn
