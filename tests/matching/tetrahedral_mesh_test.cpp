#include "matching/tetrahedral_mesh.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "matching/tetrahedralization.h"
#include "support/test_support.h"

using namespace kromel;
using TLattice = TTetrahedralMesh::TLattice;

namespace {

__int128 Volume6(const TTetrahedralMesh& M, const TTetrahedralMesh::TCell& C) {
  const TLattice &A = M.Position(C.V[0]), &B = M.Position(C.V[1]), &D = M.Position(C.V[2]),
                 &E = M.Position(C.V[3]);
  __int128 U[3], V[3], W[3];
  for (size_t K = 0; K < 3; ++K) {
    U[K] = B[K] - A[K];
    V[K] = D[K] - A[K];
    W[K] = E[K] - A[K];
  }
  return U[0] * (V[1] * W[2] - V[2] * W[1]) - U[1] * (V[0] * W[2] - V[2] * W[0]) +
         U[2] * (V[0] * W[1] - V[1] * W[0]);
}

// Every cell positively oriented, neighbours mutual and sharing the face,
// the cells filling the box exactly, and (for a few points) no vertex
// strictly inside any cell's sphere.
void ExpectValidDelaunay(const TTetrahedralMesh& M, const TLattice& Hi,
                         const std::vector<int32_t>& Vertices, bool CheckSpheres) {
  __int128 Sum = 0;
  int32_t Live = 0;
  const auto& Cells = M.Cells();
  for (size_t C = 0; C < Cells.size(); ++C) {
    if (!M.IsLive(int32_t(C))) continue;
    ++Live;
    const auto& Cell = Cells[C];
    const __int128 V = Volume6(M, Cell);
    ASSERT_GT(V, 0) << "cell " << C;
    Sum += V;
    for (size_t I = 0; I < 4; ++I) {
      const int32_t Nb = Cell.N[I];
      if (Nb < 0) continue;
      ASSERT_TRUE(M.IsLive(Nb));
      int Back = 0, Shared = 0;
      for (size_t J = 0; J < 4; ++J) {
        Back += Cells[size_t(Nb)].N[J] == int32_t(C);
        for (size_t K = 0; K < 4; ++K)
          if (K != I) Shared += Cells[size_t(Nb)].V[J] == Cell.V[K];
      }
      ASSERT_EQ(Back, 1);
      ASSERT_EQ(Shared, 3);
    }
    if (!CheckSpheres) continue;
    for (int32_t P : Vertices) {
      if (P == Cell.V[0] || P == Cell.V[1] || P == Cell.V[2] || P == Cell.V[3]) continue;
      ASSERT_LE(TTetrahedralMesh::InSphere(M.Position(Cell.V[0]), M.Position(Cell.V[1]),
                                           M.Position(Cell.V[2]), M.Position(Cell.V[3]),
                                           M.Position(P)),
                0)
          << "vertex " << P << " inside the sphere of cell " << C;
    }
  }
  EXPECT_EQ(Sum, __int128(6) * Hi[0] * Hi[1] * Hi[2]);
  EXPECT_GT(Live, 0);
}

}  // namespace

TEST(TetrahedralMesh, Predicates) {
  const TLattice O{0, 0, 0}, X{8, 0, 0}, Y{0, 8, 0}, Z{0, 0, 8};
  EXPECT_EQ(TTetrahedralMesh::Orient(O, X, Y, Z), 1);
  EXPECT_EQ(TTetrahedralMesh::Orient(O, Y, X, Z), -1);
  EXPECT_EQ(TTetrahedralMesh::Orient(O, X, Y, TLattice{3, 5, 0}), 0);
  EXPECT_EQ(TTetrahedralMesh::InSphere(O, X, Y, Z, TLattice{2, 2, 2}), 1);
  EXPECT_EQ(TTetrahedralMesh::InSphere(O, X, Y, Z, TLattice{9, 9, 9}), -1);
  EXPECT_EQ(TTetrahedralMesh::InSphere(O, X, Y, Z, TLattice{8, 8, 8}), 0);  // cube corner
  // Far apart lattice corners do not overflow.
  const int64_t S = TTetrahedralMesh::LatticeSpan;
  EXPECT_EQ(TTetrahedralMesh::InSphere(O, TLattice{S, 0, 0}, TLattice{0, S, 0},
                                       TLattice{0, 0, S}, TLattice{S, S, S}),
            0);
  EXPECT_EQ(TTetrahedralMesh::InSphere(O, TLattice{S, 0, 0}, TLattice{0, S, 0},
                                       TLattice{0, 0, S}, TLattice{S - 1, S, S}),
            1);
}

// A lattice of points, four of any face on one circle: the worst case for
// inexact tests, built and checked exactly; then scattered points.
TEST(TetrahedralMesh, CosphericalAndScatteredPointsGiveAValidDelaunayMesh) {
  for (const bool Grid : {true, false}) {
    TTetrahedralMesh M;
    const TLattice Hi{600, 600, 600};
    std::vector<TLattice> Points;
    if (Grid) {
      for (int64_t X = 1; X <= 5; ++X)
        for (int64_t Y = 1; Y <= 5; ++Y)
          for (int64_t Z = 1; Z <= 5; ++Z) Points.push_back({X * 100, Y * 100, Z * 100});
    } else {
      uint64_t R = 12345;
      for (int I = 0; I < 400; ++I) {
        TLattice P;
        for (size_t K = 0; K < 3; ++K) {
          R = R * 6364136223846793005ull + 1442695040888963407ull;
          P[K] = 1 + int64_t((R >> 33) % 598);
        }
        Points.push_back(P);
      }
      Points.push_back(Points[7]);  // a duplicate
    }
    const int32_t N = int32_t(Points.size());
    ASSERT_TRUE(M.Start(N, TLattice{0, 0, 0}, Hi));
    std::vector<int32_t> Vertices;
    for (int32_t I = 0; I < 8; ++I) Vertices.push_back(N + I);
    int32_t Duplicates = 0;
    for (int32_t I = 0; I < N; ++I) {
      int32_t Same = -1;
      if (M.Insert(I, Points[size_t(I)], Same)) {
        Vertices.push_back(I);
      } else {
        ASSERT_GE(Same, 0) << "insertion " << I << " failed";
        ++Duplicates;
      }
    }
    EXPECT_EQ(Duplicates, Grid ? 0 : 1);
    ExpectValidDelaunay(M, Hi, Vertices, true);
    // Storage stays linear in the points.
    EXPECT_LT(M.Cells().size(), size_t(8 * (N + 8)));
    // Every vertex is found again.
    for (int32_t V : Vertices) {
      const int32_t C = M.Locate(M.Position(V), -1);
      ASSERT_GE(C, 0);
      const auto& Cell = M.Cells()[size_t(C)];
      int Found = 0;
      for (int32_t W : Cell.V) Found += M.Position(W) == M.Position(V);
      EXPECT_EQ(Found, 1);
    }
  }
}

// The build keeps slots for the tetrahedra it makes, not for N^2 of them.
TEST(TetrahedralMesh, BuildStorageIsLinearInThePairs) {
  kromel::testing::TErrorCapture Capture;
  const int32_t N = 300;
  TImage128 Src, Dst;
  Src.Init();
  Dst.Init();
  Src.Alloc(N, 1);
  Dst.Alloc(N, 1);
  uint64_t R = 777;
  auto Next = [&R] {
    R = R * 6364136223846793005ull + 1442695040888963407ull;
    return float(R >> 40) / float(1 << 24);
  };
  for (int32_t I = 0; I < N; ++I) {
    const float C[3] = {Next(), Next(), Next()};
    Src.Data[I].Init(C[0], C[1], C[2], 1);
    Dst.Data[I].Init(C[1], C[2], C[0], 1);
  }
  TTetrahedralization T;
  T.Init();
  T.SetData(Src, Dst, TBooleanArray(size_t(N), false));
  EXPECT_LT(T.Tetrahedra.capacity(), size_t(N));
  ASSERT_TRUE(CalcTetrahedralization(T, true, false, false, nullptr, 0));
  EXPECT_GT(T.NumTetrahedra, N);
  EXPECT_LT(T.NumTetrahedra, 8 * N);
  EXPECT_LE(T.Tetrahedra.capacity(), size_t(T.NumTetrahedra) + 1);
  // Every pair is a vertex and maps onto its own target.
  for (int32_t I = 0; I < N; ++I) {
    ASSERT_TRUE(T.UsedFlags[size_t(I)]);
    TBGRAPixel128 Out{};
    TetrahedralizationCalcColor(T, Out, Src.Data[I], true, false, false);
    EXPECT_NEAR(Out.R, Dst.Data[I].R, 2e-5f);
    EXPECT_NEAR(Out.G, Dst.Data[I].G, 2e-5f);
    EXPECT_NEAR(Out.B, Dst.Data[I].B, 2e-5f);
  }
  T.Done();
}
