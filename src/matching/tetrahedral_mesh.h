// Delaunay tetrahedralization of points snapped to an integer lattice, with
// exact orientation and in-sphere tests (ties broken by symbolic
// perturbation), built by incremental insertion with cavity retriangulation
// and located by walking. Storage is linear in the cells alive.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "images/image128.h"

namespace kromel {

class TTetrahedralMesh {
public:
  using TLattice = std::array<int64_t, 3>;
  // V positively oriented; N[i]: the cell across the face opposite V[i], -1
  // on the outer boundary. V[0] = -1 marks a free cell.
  struct TCell {
    std::array<int32_t, 4> V{-1, -1, -1, -1};
    std::array<int32_t, 4> N{-1, -1, -1, -1};
  };

  // Lattice coordinates may span at most 2^23 units per axis.
  static constexpr int64_t LatticeSpan = int64_t(1) << 23;

  // Starts a mesh over the box of the given lattice corners (all eight
  // corners become vertices, numbered FirstCorner..FirstCorner + 7, corner
  // k taking the high end on axis a when bit a of k is set). Vertices
  // 0..FirstCorner-1 are reserved for points inserted later. False when
  // the box is flat.
  bool Start(int32_t FirstCorner, const TLattice& Lo, const TLattice& Hi);
  // Inserts vertex Id at P, which must lie strictly inside the box. False
  // when P coincides with a vertex already present (Duplicate = that
  // vertex) or the mesh became inconsistent (Duplicate = -1).
  bool Insert(int32_t Id, const TLattice& P, int32_t& Duplicate);

  // A live cell whose closure holds P (walking from Hint), or the boundary
  // cell where the walk left the box; -1 only for an empty mesh.
  int32_t Locate(const TLattice& P, int32_t Hint) const;

  const std::vector<TCell>& Cells() const { return FCells; }
  bool IsLive(int32_t C) const { return FCells[size_t(C)].V[0] >= 0; }
  int32_t LiveCells() const { return int32_t(FCells.size() - FFree.size()); }
  const TLattice& Position(int32_t Vertex) const { return FPoints[size_t(Vertex)]; }
  bool HasVertex(int32_t Vertex) const {
    return Vertex >= 0 && size_t(Vertex) < FPresent.size() && FPresent[size_t(Vertex)];
  }
  int32_t LastCell() const { return FLast; }

  // Exact predicates. Orient > 0 when D lies on the side of plane ABC that
  // (B - A) x (C - A) points to; InSphere > 0 when E lies inside the sphere
  // through A, B, C, D (positively oriented).
  static int Orient(const TLattice& A, const TLattice& B, const TLattice& C, const TLattice& D);
  static int InSphere(const TLattice& A, const TLattice& B, const TLattice& C, const TLattice& D,
                      const TLattice& E);

private:
  std::vector<TLattice> FPoints;
  std::vector<bool> FPresent;
  std::vector<TCell> FCells;
  std::vector<int32_t> FFree;
  std::vector<uint32_t> FMark;
  uint32_t FStamp = 0;
  int32_t FLast = -1;
  uint64_t FRandom = 0x9E3779B97F4A7C15ull;

  int32_t NewCell();
  bool Conflicts(int32_t Cell, const TLattice& P) const;
};

// The mesh a chart match evaluates: vertices 0..PairCount-1 are the pairs'
// sources, PairCount..PairCount+7 the corners of a box around them and the
// unit cube, whose targets follow the pairs' least-squares matrix. Colours
// map to the lattice by (colour - Origin) * Scale.
struct TTetrahedralBody {
  TTetrahedralMesh Mesh;
  int32_t PairCount = 0;
  double Origin[3] = {0, 0, 0};
  double Scale = 1;
  TBGRAPixel128 CornerTargets[8]{};
  std::vector<int32_t> SlotOfCell;  // the slot of a cell of pairs only, else -1
  int32_t Hint = -1;
};

}  // namespace kromel
