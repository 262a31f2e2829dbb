#include "matching/tetrahedral_mesh.h"

#include <algorithm>
#include <utility>

namespace kromel {

namespace {

using I128 = __int128;
using TLattice = TTetrahedralMesh::TLattice;

int Sign(I128 V) { return V > 0 ? 1 : (V < 0 ? -1 : 0); }

I128 Det3(const I128 A[3], const I128 B[3], const I128 C[3]) {
  return A[0] * (B[1] * C[2] - B[2] * C[1]) - A[1] * (B[0] * C[2] - B[2] * C[0]) +
         A[2] * (B[0] * C[1] - B[1] * C[0]);
}

bool LexLess(const TLattice& A, const TLattice& B) { return A < B; }

// The in-sphere test with ties broken as if each point were lifted by an
// infinitesimal amount that grows with its lexicographic rank: the sign
// then comes from the highest-ranked point whose replacement by E changes
// the orientation.
int PerturbedInSphere(const TLattice* P[5]) {
  const int S = TTetrahedralMesh::InSphere(*P[0], *P[1], *P[2], *P[3], *P[4]);
  if (S != 0) return S;
  int Order[5] = {0, 1, 2, 3, 4};
  std::sort(Order, Order + 5, [&P](int X, int Y) { return LexLess(*P[Y], *P[X]); });
  for (int K : Order) {
    if (K == 4) return -1;
    const TLattice* Q[4] = {P[0], P[1], P[2], P[3]};
    Q[K] = P[4];
    const int O = TTetrahedralMesh::Orient(*Q[0], *Q[1], *Q[2], *Q[3]);
    if (O != 0) return O;
  }
  return -1;
}

}  // namespace

int TTetrahedralMesh::Orient(const TLattice& A, const TLattice& B, const TLattice& C,
                             const TLattice& D) {
  I128 U[3], V[3], W[3];
  for (int K = 0; K < 3; ++K) {
    U[K] = I128(B[size_t(K)]) - A[size_t(K)];
    V[K] = I128(C[size_t(K)]) - A[size_t(K)];
    W[K] = I128(D[size_t(K)]) - A[size_t(K)];
  }
  return Sign(Det3(U, V, W));
}

int TTetrahedralMesh::InSphere(const TLattice& A, const TLattice& B, const TLattice& C,
                               const TLattice& D, const TLattice& E) {
  I128 R[4][3];
  I128 L[4];
  const TLattice* P[4] = {&A, &B, &C, &D};
  for (int I = 0; I < 4; ++I) {
    L[I] = 0;
    for (int K = 0; K < 3; ++K) {
      R[I][K] = I128((*P[I])[size_t(K)]) - E[size_t(K)];
      L[I] += R[I][K] * R[I][K];
    }
  }
  // The 4 x 4 determinant of rows (P - E, |P - E|^2), expanded along the
  // lifted column; it is negative for E inside a positively oriented cell.
  const I128 D4 = -L[0] * Det3(R[1], R[2], R[3]) + L[1] * Det3(R[0], R[2], R[3]) -
                  L[2] * Det3(R[0], R[1], R[3]) + L[3] * Det3(R[0], R[1], R[2]);
  return -Sign(D4);
}

int32_t TTetrahedralMesh::NewCell() {
  if (!FFree.empty()) {
    const int32_t C = FFree.back();
    FFree.pop_back();
    return C;
  }
  FCells.emplace_back();
  FMark.push_back(0);
  return int32_t(FCells.size() - 1);
}

bool TTetrahedralMesh::Conflicts(int32_t Cell, const TLattice& P) const {
  const TCell& C = FCells[size_t(Cell)];
  const TLattice* Q[5] = {&FPoints[size_t(C.V[0])], &FPoints[size_t(C.V[1])],
                          &FPoints[size_t(C.V[2])], &FPoints[size_t(C.V[3])], &P};
  return PerturbedInSphere(Q) > 0;
}

bool TTetrahedralMesh::Start(int32_t FirstCorner, const TLattice& Lo, const TLattice& Hi) {
  FPoints.assign(size_t(FirstCorner) + 8, TLattice{});
  FPresent.assign(size_t(FirstCorner) + 8, false);
  FCells.clear();
  FFree.clear();
  FMark.clear();
  FStamp = 0;
  FLast = -1;
  for (int K = 0; K < 3; ++K)
    if (!(Hi[size_t(K)] > Lo[size_t(K)]) || Hi[size_t(K)] - Lo[size_t(K)] > LatticeSpan)
      return false;
  for (int32_t K = 0; K < 8; ++K) {
    FPoints[size_t(FirstCorner + K)] = {(K & 1) ? Hi[0] : Lo[0], (K & 2) ? Hi[1] : Lo[1],
                                        (K & 4) ? Hi[2] : Lo[2]};
    FPresent[size_t(FirstCorner + K)] = true;
  }
  // The corners lie on one sphere: the perturbed test picks one of the
  // triangulations of the box, the one later insertions agree with.
  int64_t Volume = 0;
  for (int32_t A = 0; A < 8; ++A)
    for (int32_t B = A + 1; B < 8; ++B)
      for (int32_t C = B + 1; C < 8; ++C)
        for (int32_t D = C + 1; D < 8; ++D) {
          std::array<int32_t, 4> V{FirstCorner + A, FirstCorner + B, FirstCorner + C,
                                   FirstCorner + D};
          const int O = Orient(Position(V[0]), Position(V[1]), Position(V[2]), Position(V[3]));
          if (O == 0) continue;
          if (O < 0) std::swap(V[2], V[3]);
          bool Empty = true;
          for (int32_t M = 0; M < 8 && Empty; ++M) {
            const int32_t Id = FirstCorner + M;
            if (Id == V[0] || Id == V[1] || Id == V[2] || Id == V[3]) continue;
            const TLattice* Q[5] = {&Position(V[0]), &Position(V[1]), &Position(V[2]),
                                    &Position(V[3]), &Position(Id)};
            Empty = PerturbedInSphere(Q) <= 0;
          }
          if (!Empty) continue;
          const int32_t Cell = NewCell();
          FCells[size_t(Cell)].V = V;
          I128 U[3], W[3], X[3];
          for (int K = 0; K < 3; ++K) {
            U[K] = I128(Position(V[1])[size_t(K)]) - Position(V[0])[size_t(K)];
            W[K] = I128(Position(V[2])[size_t(K)]) - Position(V[0])[size_t(K)];
            X[K] = I128(Position(V[3])[size_t(K)]) - Position(V[0])[size_t(K)];
          }
          Volume += int64_t(Det3(U, W, X) / ((Hi[0] - Lo[0]) * (Hi[1] - Lo[1])));
        }
  // The cells must fill the box (six times its volume, in units of the two
  // first sides) and meet face to face.
  if (Volume != 6 * (Hi[2] - Lo[2])) return false;
  for (size_t A = 0; A < FCells.size(); ++A)
    for (int I = 0; I < 4; ++I) {
      TCell& CA = FCells[A];
      if (CA.N[size_t(I)] >= 0) continue;
      for (size_t B = 0; B < FCells.size() && CA.N[size_t(I)] < 0; ++B) {
        if (B == A) continue;
        for (int J = 0; J < 4; ++J) {
          int Shared = 0;
          for (int K = 0; K < 4; ++K)
            if (K != I)
              for (int M = 0; M < 4; ++M)
                if (M != J && CA.V[size_t(K)] == FCells[B].V[size_t(M)]) ++Shared;
          if (Shared == 3) {
            CA.N[size_t(I)] = int32_t(B);
            FCells[B].N[size_t(J)] = int32_t(A);
            break;
          }
        }
      }
    }
  FLast = 0;
  return true;
}

int32_t TTetrahedralMesh::Locate(const TLattice& P, int32_t Hint) const {
  if (FCells.size() == FFree.size()) return -1;
  int32_t C = Hint;
  if (C < 0 || size_t(C) >= FCells.size() || !IsLive(C)) {
    C = 0;
    while (!IsLive(C)) ++C;
  }
  uint64_t Random = FRandom;
  const int64_t Limit = int64_t(FCells.size()) + 16;
  for (int64_t Step = 0; Step < Limit; ++Step) {
    const TCell& Cell = FCells[size_t(C)];
    Random ^= Random << 13;
    Random ^= Random >> 7;
    Random ^= Random << 17;
    const int First = int(Random & 3);
    int Across = -1;
    for (int K = 0; K < 4 && Across < 0; ++K) {
      const int I = (First + K) & 3;
      const TLattice* Q[4] = {&FPoints[size_t(Cell.V[0])], &FPoints[size_t(Cell.V[1])],
                              &FPoints[size_t(Cell.V[2])], &FPoints[size_t(Cell.V[3])]};
      Q[I] = &P;
      if (Orient(*Q[0], *Q[1], *Q[2], *Q[3]) < 0) Across = I;
    }
    if (Across < 0) return C;
    const int32_t Next = Cell.N[size_t(Across)];
    if (Next < 0) return C;
    C = Next;
  }
  // A walk that does not settle: scan every cell.
  for (int32_t K = 0; K < int32_t(FCells.size()); ++K) {
    if (!IsLive(K)) continue;
    const TCell& Cell = FCells[size_t(K)];
    bool Inside = true;
    for (int I = 0; I < 4 && Inside; ++I) {
      const TLattice* Q[4] = {&FPoints[size_t(Cell.V[0])], &FPoints[size_t(Cell.V[1])],
                              &FPoints[size_t(Cell.V[2])], &FPoints[size_t(Cell.V[3])]};
      Q[I] = &P;
      Inside = Orient(*Q[0], *Q[1], *Q[2], *Q[3]) >= 0;
    }
    if (Inside) return K;
  }
  return C;
}

bool TTetrahedralMesh::Insert(int32_t Id, const TLattice& P, int32_t& Duplicate) {
  Duplicate = -1;
  if (Id < 0 || size_t(Id) >= FPoints.size() || FPresent[size_t(Id)]) return false;
  const int32_t Start = Locate(P, FLast);
  if (Start < 0) return false;
  {
    const TCell& Cell = FCells[size_t(Start)];
    for (int I = 0; I < 4; ++I) {
      if (FPoints[size_t(Cell.V[size_t(I)])] == P) {
        Duplicate = Cell.V[size_t(I)];
        return false;
      }
      const TLattice* Q[4] = {&FPoints[size_t(Cell.V[0])], &FPoints[size_t(Cell.V[1])],
                              &FPoints[size_t(Cell.V[2])], &FPoints[size_t(Cell.V[3])]};
      Q[I] = &P;
      if (Orient(*Q[0], *Q[1], *Q[2], *Q[3]) < 0) return false;  // outside the box
    }
  }
  FPoints[size_t(Id)] = P;

  // The cavity: every cell whose sphere holds P, grown from the cell that
  // holds it; its boundary faces are recorded with the cell beyond them.
  FStamp += 2;
  if (FStamp < 2) {  // wrapped
    std::fill(FMark.begin(), FMark.end(), 0u);
    FStamp = 2;
  }
  const uint32_t InCavity = FStamp, Outside = FStamp + 1;
  struct TBoundary {
    std::array<int32_t, 4> V;
    int32_t Face;
    int32_t Beyond;
    int32_t BeyondFace;
  };
  std::vector<int32_t> Cavity{Start};
  std::vector<TBoundary> Boundary;
  FMark[size_t(Start)] = InCavity;
  for (size_t K = 0; K < Cavity.size(); ++K) {
    const int32_t C = Cavity[K];
    for (int I = 0; I < 4; ++I) {
      const int32_t Nb = FCells[size_t(C)].N[size_t(I)];
      if (Nb >= 0 && FMark[size_t(Nb)] == InCavity) continue;
      if (Nb >= 0 && FMark[size_t(Nb)] != Outside) {
        if (Conflicts(Nb, P)) {
          FMark[size_t(Nb)] = InCavity;
          Cavity.push_back(Nb);
          continue;
        }
        FMark[size_t(Nb)] = Outside;
      }
      int32_t BeyondFace = -1;
      if (Nb >= 0)
        for (int J = 0; J < 4; ++J)
          if (FCells[size_t(Nb)].N[size_t(J)] == C) BeyondFace = J;
      Boundary.push_back({FCells[size_t(C)].V, I, Nb, BeyondFace});
    }
  }
  for (const TBoundary& B : Boundary) {
    std::array<int32_t, 4> V = B.V;
    V[size_t(B.Face)] = Id;
    if (Orient(FPoints[size_t(V[0])], FPoints[size_t(V[1])], FPoints[size_t(V[2])],
               FPoints[size_t(V[3])]) <= 0)
      return false;  // not star-shaped: inconsistent predicates
  }

  for (int32_t C : Cavity) {
    FCells[size_t(C)].V[0] = -1;
    FFree.push_back(C);
  }
  // New cells: one per boundary face, joined to the cell beyond it and to
  // each other across the faces through Id (matched by their other edge).
  struct TEdge {
    int32_t A, B, Cell, Face;
  };
  std::vector<TEdge> Edges;
  Edges.reserve(Boundary.size() * 3);
  for (const TBoundary& B : Boundary) {
    const int32_t C = NewCell();
    TCell& Cell = FCells[size_t(C)];
    Cell.V = B.V;
    Cell.V[size_t(B.Face)] = Id;
    Cell.N = {-1, -1, -1, -1};
    Cell.N[size_t(B.Face)] = B.Beyond;
    if (B.Beyond >= 0 && B.BeyondFace >= 0) FCells[size_t(B.Beyond)].N[size_t(B.BeyondFace)] = C;
    for (int J = 0; J < 4; ++J) {
      if (J == B.Face) continue;
      int32_t E[2], K = 0;
      for (int M = 0; M < 4; ++M)
        if (M != J && M != B.Face) E[K++] = Cell.V[size_t(M)];
      if (E[1] < E[0]) std::swap(E[0], E[1]);
      Edges.push_back({E[0], E[1], C, J});
    }
    FLast = C;
  }
  std::sort(Edges.begin(), Edges.end(), [](const TEdge& X, const TEdge& Y) {
    return X.A != Y.A ? X.A < Y.A : X.B < Y.B;
  });
  for (size_t K = 0; K < Edges.size(); K += 2) {
    if (K + 1 >= Edges.size() || Edges[K].A != Edges[K + 1].A || Edges[K].B != Edges[K + 1].B)
      return false;
    FCells[size_t(Edges[K].Cell)].N[size_t(Edges[K].Face)] = Edges[K + 1].Cell;
    FCells[size_t(Edges[K + 1].Cell)].N[size_t(Edges[K + 1].Face)] = Edges[K].Cell;
  }
  FPresent[size_t(Id)] = true;
  return true;
}

}  // namespace kromel
