// Where a note pushes the mesh. u spreads the note across the columns and w
// the velocity across the rows, both centred on 0; the push always lands on
// an interior node, results beyond the edges piling up on the first or last
// interior row or column.
#pragma once

namespace tarn {

class Mesh;

// Maps (u, w) onto the interior node (column, row) of a columns x rows mesh.
// Returns false, leaving column and row alone, when the mesh has no interior
// node inside the storage or when u or w is NaN. Infinite u or w count as
// far beyond the edge.
bool noteToNode(int columns, int rows, double u, double w, int& column, int& row);

// The view's note push: maps (u, w) on the mesh's current size and pokes the
// node with strength * 0.5 + 0.5 (drive 12.5 to 25 for strengths 0..1).
// Returns whether a node was pushed.
bool pushNote(Mesh& mesh, double u, double w, double strength);

}  // namespace tarn
