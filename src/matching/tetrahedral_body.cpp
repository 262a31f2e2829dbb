// Building the whole mesh, its hull, and evaluation with extrapolation.
#include <algorithm>
#include <cmath>
#include <exception>

#include "foundation/error_sink.h"
#include "images/pixel128.h"
#include "matching/tetrahedral_mesh.h"
#include "matching/tetrahedralization.h"

namespace kromel {

namespace {

bool ValidPoint(const TTetrahedralization& T, int32_t I) { return T.Src(I).A > 0; }

void ColourOnly(TBGRAPixel128& P) { P.A = 0; }

// True when no hull face has C on its outer side: C lies in a gap of the
// body inside its hull.
bool InsideHull(const TTetrahedralization& T, const TBGRAPixel128& C) {
  bool Any = false;
  for (const TTetrahedron& Tet : T.Tetrahedra) {
    if (Tet.Points[0] < 0 || !Tet.IsExternal) continue;
    for (int32_t F = 0; F < 4; ++F) {
      if (!Tet.FaceExternal[size_t(F)]) continue;
      TTrianglePoints Tri;
      int32_t Opposite = 0;
      GetTetrahedronFace(Tri, Tet.Points, F, Opposite);
      const TBGRAPixel128 &A = T.Src(Tri[0]), &B = T.Src(Tri[1]), &D = T.Src(Tri[2]);
      const int32_t Inner = PlaneSide(A, B, D, T.Src(Opposite));
      if (Inner == 0) continue;
      Any = true;
      if (PlaneSide(A, B, D, C) == -Inner) return false;
    }
  }
  return Any;
}

// The linear map of the tetrahedron that holds C most nearly, clamped; alpha
// is the sum of the negative weights.
bool NearestTetrahedronExtrapolation(TTetrahedralization& T, TBGRAPixel128& Result,
                                     const TBGRAPixel128& C) {
  const int32_t Tet = FindBestTetrahedronByRatio(C, T.SrcColors, T);
  if (Tet < 0) return false;
  const TTetrahedronPoints& Q = T.Tetrahedra[size_t(Tet)].Points;
  const float Ratio =
      TetrahedronContainmentRatio(C, T.Src(Q[0]), T.Src(Q[1]), T.Src(Q[2]), T.Src(Q[3]));
  if (!(Ratio < 1e7f)) return false;
  InterpolateAt(T, Result, C, Tet);
  Result.A = (Ratio - 1) / 2;
  Pixel128Clamp(Result);
  T.LastExternalTetrahedron = Tet;
  return true;
}

}  // namespace

namespace {

constexpr int32_t FaceOpposite[4] = {3, 2, 1, 0};  // sorted point opposite face F

// Margin of the box beyond the pairs and the unit cube.
constexpr double BoxMargin = 0.05;

// The 3 x 3 least-squares matrix from the valid pairs' sources to their
// targets; the identity when the sources do not span the space.
void FitPairsMatrix(const TTetrahedralization& T, double M[3][3]) {
  double A[3][3] = {}, B[3][3] = {};
  for (int32_t I = 0; I < T.PairCount(); ++I) {
    if (!ValidPoint(T, I)) continue;
    const double S[3] = {T.Src(I).R, T.Src(I).G, T.Src(I).B};
    const double D[3] = {T.Dst(I).R, T.Dst(I).G, T.Dst(I).B};
    for (int R = 0; R < 3; ++R)
      for (int C = 0; C < 3; ++C) {
        A[R][C] += S[R] * S[C];
        B[R][C] += S[R] * D[C];
      }
  }
  auto Det = [](const double X[3][3]) {
    return X[0][0] * (X[1][1] * X[2][2] - X[1][2] * X[2][1]) -
           X[0][1] * (X[1][0] * X[2][2] - X[1][2] * X[2][0]) +
           X[0][2] * (X[1][0] * X[2][1] - X[1][1] * X[2][0]);
  };
  const double D0 = Det(A);
  double Trace = A[0][0] + A[1][1] + A[2][2];
  for (int R = 0; R < 3; ++R)
    for (int C = 0; C < 3; ++C) M[R][C] = R == C ? 1 : 0;
  if (!(std::fabs(D0) > 1e-12 * Trace * Trace * Trace)) return;
  // Row Out of M solves A m = B[.][Out] (Cramer).
  for (int Out = 0; Out < 3; ++Out)
    for (int I = 0; I < 3; ++I) {
      double X[3][3];
      for (int R = 0; R < 3; ++R)
        for (int C = 0; C < 3; ++C) X[R][C] = C == I ? B[R][Out] : A[R][C];
      M[Out][I] = Det(X) / D0;
    }
}

bool UsableSource(const TBGRAPixel128& P) {
  for (float V : {P.R, P.G, P.B})
    if (!(std::fabs(V) <= 64)) return false;
  return true;
}

TTetrahedralMesh::TLattice ToLattice(const TTetrahedralBody& Body, const TBGRAPixel128& C) {
  const double V[3] = {C.R, C.G, C.B};
  TTetrahedralMesh::TLattice L{};
  constexpr double Far = double(int64_t(1) << 40);
  for (size_t K = 0; K < 3; ++K) {
    const double X = (V[K] - Body.Origin[K]) * Body.Scale;
    L[K] = std::isnan(X) ? 0 : int64_t(std::nearbyint(std::clamp(X, -Far, Far)));
  }
  return L;
}

// Largest volume of a tetrahedron of valid sources found by growing a seed:
// far point, then widest triangle, then highest apex.
double SpanVolume(const TTetrahedralization& T, const std::vector<int32_t>& Valid) {
  if (Valid.size() < 4) return 0;
  const TBGRAPixel128 P0 = T.Src(Valid[0]);
  int32_t I1 = -1, I2 = -1;
  float Best = 0;
  for (int32_t I : Valid)
    if (Pixel128Distance(T.Src(I), P0) > Best) {
      Best = Pixel128Distance(T.Src(I), P0);
      I1 = I;
    }
  if (I1 < 0) return 0;
  Best = 0;
  for (int32_t I : Valid)
    if (TriangleArea(P0, T.Src(I1), T.Src(I)) > Best) {
      Best = TriangleArea(P0, T.Src(I1), T.Src(I));
      I2 = I;
    }
  if (I2 < 0) return 0;
  double Volume = 0;
  for (int32_t I : Valid) Volume = std::max(Volume, TetrahedronVolume(P0, T.Src(I1), T.Src(I2), T.Src(I)));
  return Volume;
}

uint64_t MortonKey(const TTetrahedralMesh::TLattice& L) {
  uint64_t Key = 0;
  for (int Bit = 20; Bit >= 0; --Bit)
    for (size_t K = 0; K < 3; ++K)
      Key = (Key << 1) | ((uint64_t(std::max<int64_t>(L[K], 0)) >> (Bit + 2)) & 1);
  return Key;
}

// The slot array, hull faces and per-vertex arrays from the mesh.
void TakeCells(TTetrahedralization& T) {
  TTetrahedralBody& Body = *T.Body;
  const auto& Cells = Body.Mesh.Cells();
  const int32_t N = T.PairCount();
  Body.SlotOfCell.assign(Cells.size(), -1);
  int32_t Slots = 0;
  for (size_t C = 0; C < Cells.size(); ++C) {
    if (!Body.Mesh.IsLive(int32_t(C))) continue;
    const auto& V = Cells[C].V;
    if (V[0] < N && V[1] < N && V[2] < N && V[3] < N) Body.SlotOfCell[C] = Slots++;
  }
  T.Tetrahedra.assign(size_t(Slots), TTetrahedron{});
  T.NumTetrahedra = Slots;
  T.VertexDirections.assign(size_t(N), TBGRAPixel128{});
  T.VertexSlopes.assign(size_t(N), TBGRAPixel128{});
  for (size_t C = 0; C < Cells.size(); ++C) {
    const int32_t Slot = Body.SlotOfCell[C];
    if (Slot < 0) continue;
    TTetrahedron& Tet = T.Tetrahedra[size_t(Slot)];
    const auto& Cell = Cells[C];
    Tet.Points = {Cell.V[0], Cell.V[1], Cell.V[2], Cell.V[3]};
    SortTetrahedronPoints(Tet.Points);
    CalcTetrahedronBounds(Tet, T.SrcColors);
    for (int32_t F = 0; F < 4; ++F) {
      const int32_t Opposite = Tet.Points[size_t(FaceOpposite[F])];
      int32_t Beyond = -1;
      for (size_t I = 0; I < 4; ++I)
        if (Cell.V[I] == Opposite) Beyond = Cell.N[I];
      const bool External = Beyond < 0 || Body.SlotOfCell[size_t(Beyond)] < 0;
      Tet.FaceExternal[size_t(F)] = External;
      if (!External) continue;
      TTrianglePoints Tri;
      int32_t Opp = 0;
      GetTetrahedronFace(Tri, Tet.Points, F, Opp);
      for (int32_t Q : Tri) T.VertexDirections[size_t(Q)].A += 1;
    }
  }
}

// Barycentric weights of C in a cell of the body, in lattice units.
void CellWeights(const TTetrahedralBody& Body, int32_t Cell, const TBGRAPixel128& C,
                 double W[4]) {
  const auto& V = Body.Mesh.Cells()[size_t(Cell)].V;
  double P[5][3];
  for (size_t I = 0; I < 4; ++I) {
    const auto& L = Body.Mesh.Position(V[I]);
    for (size_t K = 0; K < 3; ++K) P[I][K] = double(L[K]);
  }
  const double Q[3] = {C.R, C.G, C.B};
  for (size_t K = 0; K < 3; ++K) P[4][K] = (Q[K] - Body.Origin[K]) * Body.Scale;
  auto Orient = [&P](int A, int B, int Cc, int D) {
    const double U[3] = {P[B][0] - P[A][0], P[B][1] - P[A][1], P[B][2] - P[A][2]};
    const double X[3] = {P[Cc][0] - P[A][0], P[Cc][1] - P[A][1], P[Cc][2] - P[A][2]};
    const double Y[3] = {P[D][0] - P[A][0], P[D][1] - P[A][1], P[D][2] - P[A][2]};
    return U[0] * (X[1] * Y[2] - X[2] * Y[1]) - U[1] * (X[0] * Y[2] - X[2] * Y[0]) +
           U[2] * (X[0] * Y[1] - X[1] * Y[0]);
  };
  const double Whole = Orient(0, 1, 2, 3);
  int Q4[4] = {0, 1, 2, 3};
  for (int I = 0; I < 4; ++I) {
    int R[4] = {Q4[0], Q4[1], Q4[2], Q4[3]};
    R[I] = 4;
    W[I] = Whole != 0 ? Orient(R[0], R[1], R[2], R[3]) / Whole : 0.25;
  }
}

// Evaluation through the body: inside the pairs' hull the blend of the four
// targets; beyond it the blend reaches the corners' matrix values, clamped,
// with alpha the corners' share.
void BodyColor(TTetrahedralization& T, TBGRAPixel128& Result, const TBGRAPixel128& C,
               bool NoExtrapolation) {
  TTetrahedralBody& Body = *T.Body;
  const int32_t Cell = Body.Mesh.Locate(ToLattice(Body, C), Body.Hint);
  T.LastTetrahedron = -1;
  if (Cell < 0) return;
  Body.Hint = Cell;
  const int32_t Slot = Body.SlotOfCell[size_t(Cell)];
  if (Slot >= 0) T.LastTetrahedron = Slot;
  if (Slot < 0 && NoExtrapolation) return;
  double W[4];
  CellWeights(Body, Cell, C, W);
  const auto& V = Body.Mesh.Cells()[size_t(Cell)].V;
  double Sum[3] = {0, 0, 0}, Outer = 0;
  for (size_t I = 0; I < 4; ++I) {
    const bool Corner = V[I] >= Body.PairCount;
    const TBGRAPixel128& Target =
        Corner ? Body.CornerTargets[V[I] - Body.PairCount] : T.Dst(V[I]);
    Sum[0] += W[I] * Target.R;
    Sum[1] += W[I] * Target.G;
    Sum[2] += W[I] * Target.B;
    if (Corner) Outer += W[I];
  }
  Result.Init(float(Sum[0]), float(Sum[1]), float(Sum[2]), 0);
  if (Slot < 0) {
    T.LastExternalTetrahedron = Cell;
    Result.A = float(Outer);
    Pixel128Clamp(Result);
  }
}

}  // namespace

bool CalcTetrahedralization(TTetrahedralization& T, bool ReportFailures, bool /*ShowResult*/,
                            bool /*ShowSteps*/, const TProgressCallback& Progress,
                            float Tolerance) {
  const int32_t N = T.PairCount();
  T.Body.reset();
  if (N <= 3) {
    ErrorMessageProc("Not enough data for tetrahedralization!");
    return false;
  }
  if (N > MaxTetrahedralizationPairs) {
    ErrorMessageProc("Too many colour pairs for tetrahedralization: " + std::to_string(N) +
                     " (at most " + std::to_string(MaxTetrahedralizationPairs) + ")");
    return false;
  }
  try {
    T.UsedFlags.assign(size_t(N), false);
    T.Radius = -1;
    T.Centre = TBGRAPixel128{};
    T.Tolerance = Tolerance;
    T.Tetrahedra.clear();
    T.NumTetrahedra = 0;

    std::vector<int32_t> Valid;
    bool Reported = false;
    for (int32_t I = 0; I < N; ++I) {
      if (!ValidPoint(T, I)) continue;
      if (!UsableSource(T.Src(I))) {
        if (!Reported) {
          std::string S;
          Pixel128ToText(S, T.Src(I));
          ErrorMessageProc("Colour pair " + std::to_string(I) +
                           " left out: source outside -64..64: " + S);
        }
        Reported = true;
        continue;
      }
      Valid.push_back(I);
    }
    if (SpanVolume(T, Valid) < 7e-9) {
      ErrorMessageProc("Error: point data is singular.");
      return false;
    }

    auto Body = std::make_shared<TTetrahedralBody>();
    Body->PairCount = N;
    double Lo[3] = {0, 0, 0}, Hi[3] = {1, 1, 1};
    for (int32_t I : Valid) {
      const double V[3] = {T.Src(I).R, T.Src(I).G, T.Src(I).B};
      for (int K = 0; K < 3; ++K) {
        Lo[K] = std::min(Lo[K], V[K]);
        Hi[K] = std::max(Hi[K], V[K]);
      }
    }
    double Extent = 0;
    for (int K = 0; K < 3; ++K) {
      Lo[K] -= BoxMargin;
      Hi[K] += BoxMargin;
      Extent = std::max(Extent, Hi[K] - Lo[K]);
      Body->Origin[K] = Lo[K];
    }
    Body->Scale = std::ldexp(1.0, int(std::floor(std::log2(double(TTetrahedralMesh::LatticeSpan) / Extent))));
    TTetrahedralMesh::TLattice LLo{0, 0, 0}, LHi{};
    for (size_t K = 0; K < 3; ++K)
      LHi[K] = int64_t(std::floor((Hi[K] - Lo[K]) * Body->Scale));
    double M[3][3];
    FitPairsMatrix(T, M);
    for (int32_t K = 0; K < 8; ++K) {
      const double P[3] = {Lo[0] + double((K & 1) ? LHi[0] : 0) / Body->Scale,
                           Lo[1] + double((K & 2) ? LHi[1] : 0) / Body->Scale,
                           Lo[2] + double((K & 4) ? LHi[2] : 0) / Body->Scale};
      double D[3];
      for (int R = 0; R < 3; ++R) D[R] = M[R][0] * P[0] + M[R][1] * P[1] + M[R][2] * P[2];
      Body->CornerTargets[K].Init(float(D[0]), float(D[1]), float(D[2]), 0);
    }
    if (!Body->Mesh.Start(N, LLo, LHi)) {
      ErrorMessageProc("Error: point data is singular.");
      return false;
    }

    // Insertion in Morton order of the lattice points keeps every walk short.
    std::vector<std::pair<uint64_t, int32_t>> Order;
    Order.reserve(Valid.size());
    for (int32_t I : Valid) Order.emplace_back(MortonKey(ToLattice(*Body, T.Src(I))), I);
    std::sort(Order.begin(), Order.end());
    int64_t Done = 0;
    for (const auto& Entry : Order) {
      if (Done % 4 == 0 && Progress)
        Progress(int32_t(Done * 100 / int64_t(Order.size())));
      ++Done;
      const int32_t I = Entry.second;
      int32_t Same = -1;
      if (Body->Mesh.Insert(I, ToLattice(*Body, T.Src(I)), Same)) {
        T.UsedFlags[size_t(I)] = true;
        continue;
      }
      if (Same < 0) {
        ErrorMessageProc("Error in CalcTetrahedralization: failed to insert colour pair " +
                         std::to_string(I));
        return false;
      }
      if (ReportFailures) {
        std::string S;
        Pixel128ToText(S, T.Src(I));
        ErrorMessageProc("Failed to add Vertex " + std::to_string(I) + "\r\n" + S);
      }
    }
    T.Body = Body;
    TakeCells(T);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in CalcTetrahedralization, NumT=" +
                     std::to_string(T.NumTetrahedra));
    T.Body.reset();
    return false;
  }

  if (!CalcColorBodyCenter(T)) {
    ErrorMessageProc("Failed to calculate color body center. Please check your source data.");
    return false;
  }
  if (CalcNormals(T)) {
    MarkExternalTetrahedra(T, true);
    return true;
  }
  ErrorMessageProc("Failed to calculate normals. Please check your source data.");
  return false;
}

void PrepareTetrahedralization(TTetrahedralization& T) {
  const int32_t N = T.PairCount();
  T.VertexDirections.resize(size_t(N), TBGRAPixel128{});
  T.VertexSlopes.resize(size_t(N), TBGRAPixel128{});
  CalcColorBodyCenter(T);
  for (TTetrahedron& Tet : T.Tetrahedra) Tet.FaceExternal = {false, false, false, false};
  for (TBGRAPixel128& D : T.VertexDirections) D.A = 0;
  for (TBGRAPixel128& S : T.VertexSlopes) S = TBGRAPixel128{};
  for (TTetrahedron& Tet : T.Tetrahedra) {
    if (Tet.Points[0] < 0) continue;
    for (int32_t F = 0; F < 4; ++F) {
      TTrianglePoints Tri;
      int32_t Opposite = 0;
      GetTetrahedronFace(Tri, Tet.Points, F, Opposite);
      int32_t Neg = 0, Pos = 0;
      for (int32_t J = 0; J < N && (Neg == 0 || Pos == 0); ++J) {
        if (!(T.Src(J).A > 0.5f) || J == Tri[0] || J == Tri[1] || J == Tri[2]) continue;
        const int32_t Side = PlaneSide(T.Src(Tri[0]), T.Src(Tri[1]), T.Src(Tri[2]), T.Src(J));
        Neg += Side < 0;
        Pos += Side > 0;
      }
      if (Pos == 0 || Neg == 0) {
        Tet.FaceExternal[size_t(F)] = true;
        for (int32_t Q : Tri) T.VertexDirections[size_t(Q)].A += 1;
      }
    }
  }
}

void MarkExternalTetrahedra(TTetrahedralization& T, bool Shrink) {
  int32_t Last = -1;
  for (int32_t I = 0; I < int32_t(T.Tetrahedra.size()); ++I) {
    TTetrahedron& Tet = T.Tetrahedra[size_t(I)];
    if (Tet.Points[0] < 0) continue;
    Tet.IsExternal = Tet.FaceExternal[0] || Tet.FaceExternal[1] || Tet.FaceExternal[2] ||
                     Tet.FaceExternal[3];
    Last = I;
  }
  if (Shrink) T.Tetrahedra.resize(Last >= 0 ? size_t(Last) + 1 : 2);
}

bool CalcNormals(TTetrahedralization& T) {
  const int32_t N = T.PairCount();
  if (int32_t(T.VertexDirections.size()) != N)
    ErrorMessageProc("Error in CalcNormals: Sizes differ: " +
                     std::to_string(T.VertexDirections.size()) + " and " + std::to_string(N));
  // Directions past the held arrays are never read.
  const int32_t Count = std::min({N, int32_t(T.VertexDirections.size()),
                                  int32_t(T.VertexSlopes.size())});
  float Radius = 0;
  for (int32_t I = 0; I < N; ++I)
    if (ValidPoint(T, I)) Radius = std::max(Radius, Pixel128Distance(T.Src(I), T.Centre));
  T.Radius = Radius;
  if (Radius < 0.0001f) return false;
  for (int32_t I = 0; I < Count; ++I) {
    TBGRAPixel128& Dir = T.VertexDirections[size_t(I)];
    Dir.R = Dir.G = Dir.B = 0;
    if (std::nearbyint(Dir.A) < 1) continue;
    const TBGRAPixel128 S = T.Src(I);
    TBGRAPixel128 C;
    SetLuminanceDiamond(T.Centre, C, Pixel128Luminance(S));
    C.R = 0.5f * C.R + 0.5f * T.Centre.R;
    C.G = 0.5f * C.G + 0.5f * T.Centre.G;
    C.B = 0.5f * C.B + 0.5f * T.Centre.B;
    TBGRAPixel128 D = S;
    D.R -= C.R;
    D.G -= C.G;
    D.B -= C.B;
    Pixel128Normalize3(D);
    Dir.R = D.R;
    Dir.G = D.G;
    Dir.B = D.B;
    TBGRAPixel128 Q = S;
    Q.R -= 0.1f * Dir.R;
    Q.G -= 0.1f * Dir.G;
    Q.B -= 0.1f * Dir.B;
    const float Len = Pixel128Distance(Q, S);
    TBGRAPixel128 Col{};
    TetrahedralizationCalcColor(T, Col, Q, true, false, true);
    TBGRAPixel128& Slope = T.VertexSlopes[size_t(I)];
    // A step that leaves the body has no colour to take a slope from.
    if (!(Len > 0) || T.LastTetrahedron < 0) {
      Slope = TBGRAPixel128{};
    } else {
      const TBGRAPixel128& Target = T.Dst(I);
      Slope.Init((Target.R - Col.R) / Len, (Target.G - Col.G) / Len, (Target.B - Col.B) / Len, 1);
    }
  }
  return true;
}

void CalcNeutralAtLuminance(TTetrahedralization& T, TBGRAPixel128& N, float L) {
  int32_t Below = -1, Above = -1;
  float LBelow = 0, LAbove = 0;
  const int32_t Count = std::min<int32_t>(T.PairCount(), int32_t(T.NeutralFlags.size()));
  for (int32_t I = 0; I < Count; ++I) {
    if (!T.NeutralFlags[size_t(I)]) continue;
    const float Li = Pixel128Luminance(T.Src(I));
    if (Li < L) {
      if (Below < 0 || Li > LBelow) {
        Below = I;
        LBelow = Li;
      }
    } else if (Above < 0 || Li < LAbove) {
      Above = I;
      LAbove = Li;
    }
  }
  if (Below >= 0 && Above >= 0) {
    const float D = LAbove - LBelow;
    const float K = D > 0 ? (L - LBelow) / D : 0.5f;
    const TBGRAPixel128 &A = T.Src(Above), &B = T.Src(Below);
    N.Init(K * A.R + (1 - K) * B.R, K * A.G + (1 - K) * B.G, K * A.B + (1 - K) * B.B,
           K * A.A + (1 - K) * B.A);
  } else if (Above >= 0) {
    N = T.Src(Above);
  } else if (Below >= 0) {
    N = T.Src(Below);
  } else {
    ErrorMessageProc("Error in CalcNeutralAtLuminance, L=" + std::to_string(L));
  }
}

void InterpolateAt(TTetrahedralization& T, TBGRAPixel128& Result, const TBGRAPixel128& P,
                   int32_t Tet) {
  Result.R = -1000;
  Result.G = 0;
  Result.B = 0;
  if (Tet < 0) Tet = FindTetrahedronInTetrahedralization(P, T.SrcColors, T);
  if (Tet < 0) return;
  const TTetrahedronPoints& Q = T.Tetrahedra[size_t(Tet)].Points;
  TetrahedronInterpolate(Result, P, T.Src(Q[0]), T.Src(Q[1]), T.Src(Q[2]), T.Src(Q[3]),
                         T.Dst(Q[0]), T.Dst(Q[1]), T.Dst(Q[2]), T.Dst(Q[3]));
}

void PlaneLineIntersection(TBGRAPixel128& Q, const TBGRAPixel128& P, const TBGRAPixel128& N,
                           const TBGRAPixel128& S, const TBGRAPixel128& A) {
  const float DR = A.R - S.R, DG = A.G - S.G, DB = A.B - S.B;
  const float Den = N.R * DR + N.G * DG + N.B * DB;
  if (std::fabs(Den) <= 1e-9f) {
    Q = TBGRAPixel128{};
    return;
  }
  const double K = -(double(N.R) * (S.R - P.R) + double(N.G) * (S.G - P.G) +
                     double(N.B) * (S.B - P.B)) / Den;
  Q.Init(float(S.R + K * DR), float(S.G + K * DG), float(S.B + K * DB), float(K));
}

bool PointInTriangleByAreas(const TBGRAPixel128& Q0, const TBGRAPixel128& Q1,
                            const TBGRAPixel128& Q2, const TBGRAPixel128& P, double& W0,
                            double& W1, double& W2) {
  const double A = TriangleArea(Q0, Q1, Q2), A1 = TriangleArea(P, Q1, Q2),
               A2 = TriangleArea(P, Q0, Q2), A3 = TriangleArea(P, Q0, Q1);
  if (A > 1e-33) {
    W0 = A1 / A;
    W1 = A2 / A;
    W2 = A3 / A;
  } else {
    W0 = W1 = W2 = 1.0 / 3;
  }
  return A1 + A2 + A3 <= A + 0.001;
}

bool RayHitsExternalFace(const TBGRAPixel128& P, const TBGRAPixel128& S0,
                         const TBGRAPixel128& S1, const TBGRAPixel128& S2,
                         const TBGRAPixel128& E0, const TBGRAPixel128& E1,
                         const TBGRAPixel128& E2, TBGRAPixel128& Q0, TBGRAPixel128& Q1,
                         TBGRAPixel128& Q2, double& W0, double& W1, double& W2) {
  auto Along = [](const TBGRAPixel128& S, const TBGRAPixel128& E) {
    TBGRAPixel128 A = S;
    A.R += E.R;
    A.G += E.G;
    A.B += E.B;
    return A;
  };
  TBGRAPixel128 U = S2, V = S1;
  U.R -= S0.R;
  U.G -= S0.G;
  U.B -= S0.B;
  V.R -= S0.R;
  V.G -= S0.G;
  V.B -= S0.B;
  TBGRAPixel128 N{};
  N.Init(U.G * V.B - U.B * V.G, U.B * V.R - U.R * V.B, U.R * V.G - U.G * V.R, 0);
  auto Parallel = [&N](const TBGRAPixel128& E) {
    return std::fabs(N.R * E.R + N.G * E.G + N.B * E.B) <= 1e-9f;
  };
  if (Parallel(E0) || Parallel(E1) || Parallel(E2)) return false;
  PlaneLineIntersection(Q0, P, N, S0, Along(S0, E0));
  PlaneLineIntersection(Q1, P, N, S1, Along(S1, E1));
  PlaneLineIntersection(Q2, P, N, S2, Along(S2, E2));
  if (Q0.A < 0 || Q1.A < 0 || Q2.A < 0) return false;
  return PointInTriangleByAreas(Q0, Q1, Q2, P, W0, W1, W2);
}

int32_t FindExtrapolatedTetrahedron(TTetrahedralization& T, const TBGRAPixel128& P,
                                    TTrianglePoints& Face, double& D0, double& D1, double& D2,
                                    double& W0, double& W1, double& W2) {
  const int32_t N = std::min<int32_t>(T.PairCount(), int32_t(T.VertexDirections.size()));
  const int32_t Slots = int32_t(T.Tetrahedra.size());
  for (int32_t I = 0; I < Slots; ++I) {
    const TTetrahedron& Tet = T.Tetrahedra[size_t(I)];
    if (Tet.Points[0] < 0 || !Tet.IsExternal) continue;
    bool Bad = false;
    for (int32_t Q : Tet.Points) Bad = Bad || Q < 0 || Q >= N;
    if (Bad) {
      ErrorMessageProc("Error in FindExtrapolatedTetrahedron, I=" + std::to_string(I) +
                       "  T:" + TetrahedronPointsToText(Tet.Points) +
                       " Len:" + std::to_string(Slots) +
                       " SrcColors size:" + std::to_string(T.PairCount()));
      continue;
    }
    for (int32_t F = 0; F < 4; ++F) {
      if (!Tet.FaceExternal[size_t(F)]) continue;
      TTrianglePoints Tri;
      int32_t Opposite = 0;
      GetTetrahedronFace(Tri, Tet.Points, F, Opposite);
      TBGRAPixel128 Q0, Q1, Q2;
      if (!RayHitsExternalFace(P, T.Src(Tri[0]), T.Src(Tri[1]), T.Src(Tri[2]),
                               T.VertexDirections[size_t(Tri[0])],
                               T.VertexDirections[size_t(Tri[1])],
                               T.VertexDirections[size_t(Tri[2])], Q0, Q1, Q2, W0, W1, W2))
        continue;
      Face = Tri;
      T.LastHit0 = Q0;
      T.LastHit1 = Q1;
      T.LastHit2 = Q2;
      D0 = Pixel128Distance(T.Src(Tri[0]), Q0);
      D1 = Pixel128Distance(T.Src(Tri[1]), Q1);
      D2 = Pixel128Distance(T.Src(Tri[2]), Q2);
      return I;
    }
  }
  return -1;
}

void TetrahedralizationCalcColor(TTetrahedralization& T, TBGRAPixel128& Result,
                                 const TBGRAPixel128& C, bool Report, bool /*ShowViewer*/,
                                 bool NoExtrapolation) {
  try {
    Result = TBGRAPixel128{};
    T.LastExtrapolated.R = T.LastExtrapolated.G = T.LastExtrapolated.B = -1;
    T.LastFace[0] = -1;
    T.LastExternalTetrahedron = -1;
    if (T.Body) {
      BodyColor(T, Result, C, NoExtrapolation);
      return;
    }
    const int32_t Found = FindTetrahedronInTetrahedralization(C, T.SrcColors, T);
    T.LastTetrahedron = Found;
    if (Found >= 0) {
      InterpolateAt(T, Result, C, Found);
      Result.A = 0;
      return;
    }
    if (NoExtrapolation) return;
    // A gap inside the hull: the neighbouring tetrahedron's map reaches it.
    if (InsideHull(T, C) && NearestTetrahedronExtrapolation(T, Result, C)) return;

    // The neutral point nearest in luminance that lies inside the body.
    const float LBody = Pixel128Luminance(T.BodyCentre), LColour = Pixel128Luminance(C);
    TBGRAPixel128 Neutral{};
    for (int32_t K = 0; K <= 10; ++K) {
      const float L = (float(K) / 10) * LBody + (1 - float(K) / 10) * LColour;
      SetLuminanceDiamond(T.BodyCentre, Neutral, L);
      CalcNeutralAtLuminance(T, Neutral, L);
      InterpolateAt(T, Result, Neutral, -1);
      if (Result.R > -100) break;
    }
    T.Centre = Neutral;
    CalcNormals(T);

    TBGRAPixel128 E{};
    E.Init(T.Centre.R + 1.1f * (C.R - T.Centre.R), T.Centre.G + 1.1f * (C.G - T.Centre.G),
           T.Centre.B + 1.1f * (C.B - T.Centre.B), 0);
    TTrianglePoints Face{};
    double D[3] = {}, W[3] = {};
    const int32_t Ext = FindExtrapolatedTetrahedron(T, E, Face, D[0], D[1], D[2], W[0], W[1], W[2]);
    if (Ext < 0 && NearestTetrahedronExtrapolation(T, Result, C)) return;
    if (Ext < 0) {
      if (Report) {
        std::string S;
        Pixel128ToText(S, C);
        ErrorMessageProc("Failed to find tetrahedron for color " + S);
        Result.A = -1;
      }
      return;
    }
    T.LastExternalTetrahedron = Ext;
    T.LastFace = Face;
    TBGRAPixel128 Sum{};
    for (size_t J = 0; J < 3; ++J) {
      TBGRAPixel128 Cj = T.Dst(Face[J]);
      ColourOnly(Cj);
      const TBGRAPixel128& Slope = T.VertexSlopes[size_t(Face[J])];
      const double Dj = D[J];
      Sum.R += float(W[J] * (Cj.R + Slope.R * Dj));
      Sum.G += float(W[J] * (Cj.G + Slope.G * Dj));
      Sum.B += float(W[J] * (Cj.B + Slope.B * Dj));
      Sum.A += float(W[J] * (Cj.A + Slope.A * Dj));
    }
    Result = Sum;
    Pixel128Clamp(Result);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TetrahedralizationCalcColor");
  }
}

}  // namespace kromel
