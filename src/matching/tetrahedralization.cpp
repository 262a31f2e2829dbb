#include "matching/tetrahedralization.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "foundation/error_sink.h"
#include "images/pixel128.h"

namespace kromel {

namespace {

struct TVec {
  double X, Y, Z;
};

TVec Vec(const TBGRAPixel128& P) { return {P.R, P.G, P.B}; }
TVec Sub(const TVec& A, const TVec& B) { return {A.X - B.X, A.Y - B.Y, A.Z - B.Z}; }
TVec Cross(const TVec& A, const TVec& B) {
  return {A.Y * B.Z - A.Z * B.Y, A.Z * B.X - A.X * B.Z, A.X * B.Y - A.Y * B.X};
}
double Dot(const TVec& A, const TVec& B) { return A.X * B.X + A.Y * B.Y + A.Z * B.Z; }
double Length(const TVec& A) { return std::sqrt(Dot(A, A)); }
TVec Normalised(const TVec& A) {
  const double L = Length(A);
  if (L == 0) return A;
  return {A.X / L, A.Y / L, A.Z / L};
}

constexpr std::array<std::array<int32_t, 4>, 4> FaceTable = {{
    {0, 1, 2, 3}, {0, 1, 3, 2}, {0, 2, 3, 1}, {1, 2, 3, 0}}};
constexpr std::array<std::array<int32_t, 2>, 6> EdgeTable = {
    {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}};

bool HasPoint(const TTetrahedronPoints& P, int32_t V) {
  return P[0] == V || P[1] == V || P[2] == V || P[3] == V;
}

// D0 and the four determinants with row i replaced by P.
void BarycentricDeterminants(const TBGRAPixel128& P, const TBGRAPixel128& V0,
                             const TBGRAPixel128& V1, const TBGRAPixel128& V2,
                             const TBGRAPixel128& V3, double D[5]) {
  D[0] = Det4(V0, V1, V2, V3);
  D[1] = Det4(P, V1, V2, V3);
  D[2] = Det4(V0, P, V2, V3);
  D[3] = Det4(V0, V1, P, V3);
  D[4] = Det4(V0, V1, V2, P);
}

bool OutsideInChannel(float P, float A, float B, float C, float D) {
  return (P < A && P < B && P < C && P < D) || (P > A && P > B && P > C && P > D);
}

}  // namespace

void TTetrahedralization::Init() {
  SrcColors.Init();
  DstColors.Init();
  LastFace = {-1, -1, -1};
}

void TTetrahedralization::SetData(const TImage128& Src, const TImage128& Dst,
                                  const TBooleanArray& Flags) {
  try {
    const int32_t N = Src.Data ? Src.Size : 0;
    SrcColors.Dispose();
    DstColors.Dispose();
    if (N > 0) {
      SrcColors.Alloc(N, 1);
      SrcColors.Copy(Src);
      DstColors.Alloc(N, 1);
      if (Dst.Data && Dst.Size >= N) {
        DstColors.Copy(Dst);
      } else {
        DstColors.Clear();
        ErrorMessageProc("Error in TTetrahedralization.SetData: Src.Size<>Dest.Size");
      }
    }
    Tetrahedra.clear();
    NumTetrahedra = 0;
    Body.reset();
    NeutralFlags.assign(size_t(N), false);
    EnclosedFlags.assign(size_t(N), false);
    if (int32_t(Flags.size()) >= N && CountTrueValues(Flags) >= 3)
      for (int32_t I = 0; I < N; ++I) NeutralFlags[size_t(I)] = Flags[size_t(I)];
    CalcColorBodyCenter(*this);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TTetrahedralization.SetData");
  }
}

void TTetrahedralization::Done() {
  SrcColors.Dispose();
  DstColors.Dispose();
  Tetrahedra.clear();
  NumTetrahedra = 0;
  NeutralFlags.clear();
  EnclosedFlags.clear();
  VertexDirections.clear();
  VertexSlopes.clear();
  UsedFlags.clear();
  Body.reset();
}

bool CalcColorBodyCenter(TTetrahedralization& T) {
  const int32_t N = T.PairCount();
  if (CountTrueValues(T.NeutralFlags) < 3) {
    const int32_t Enough = N < 25 ? 4 : 7;
    float Limit = 0.06f;
    int32_t Flagged = 0;
    do {
      FillBooleanArray(T.NeutralFlags, false);
      Flagged = 0;
      for (int32_t I = 0; I < N && I < int32_t(T.NeutralFlags.size()); ++I)
        if (T.Src(I).A > 0 && Pixel128Saturation(T.Dst(I)) < Limit) {
          T.NeutralFlags[size_t(I)] = true;
          ++Flagged;
        }
      Limit *= 2;
    } while (Flagged <= Enough && Limit <= 1);
  }
  T.Centre.R = T.Centre.G = T.Centre.B = 0;
  double R = 0, G = 0, B = 0;
  int32_t Count = 0;
  for (int32_t I = 0; I < N && I < int32_t(T.NeutralFlags.size()); ++I)
    if (T.NeutralFlags[size_t(I)] && T.Src(I).A > 0) {
      R += T.Src(I).R;
      G += T.Src(I).G;
      B += T.Src(I).B;
      ++Count;
    }
  if (Count == 0) return false;
  T.Centre.R = float(R / Count);
  T.Centre.G = float(G / Count);
  T.Centre.B = float(B / Count);
  T.BodyCentre = T.Centre;
  return true;
}

bool GetTetrahedronFace(TTrianglePoints& Tri, const TTetrahedronPoints& Points, int32_t F,
                        int32_t& Opposite) {
  if (F < 0 || F > 3) {
    ErrorMessageProc("Error in GetTetrahedronFace, F=" + std::to_string(F));
    return false;
  }
  const auto& Row = FaceTable[size_t(F)];
  Tri = {Points[size_t(Row[0])], Points[size_t(Row[1])], Points[size_t(Row[2])]};
  Opposite = Points[size_t(Row[3])];
  return true;
}

void SortTetrahedronPoints(TTetrahedronPoints& Points) {
  for (const auto& E : EdgeTable)
    if (Points[size_t(E[1])] < Points[size_t(E[0])]) std::swap(Points[size_t(E[0])], Points[size_t(E[1])]);
}

std::string TetrahedronPointsToText(const TTetrahedronPoints& P) {
  return "(" + std::to_string(P[0]) + ", " + std::to_string(P[1]) + ", " + std::to_string(P[2]) +
         ", " + std::to_string(P[3]) + ")";
}

std::string TrianglePointsToText(const TTrianglePoints& P) {
  return "(" + std::to_string(P[0]) + ", " + std::to_string(P[1]) + ", " + std::to_string(P[2]) +
         ")";
}

bool TetrahedronHasFace(const TTetrahedronPoints& Points, const TTrianglePoints& Tri) {
  return HasPoint(Points, Tri[0]) && HasPoint(Points, Tri[1]) && HasPoint(Points, Tri[2]);
}

bool CommonFace(const TTetrahedronPoints& A, const TTetrahedronPoints& B,
                std::array<int32_t, 4>& Tri) {
  Tri[3] = -1;
  size_t K = 0;
  for (int32_t P : A)
    if (HasPoint(B, P) && K < 4) Tri[K++] = P;
  return K == 3;
}

void CalcTetrahedronBounds(TTetrahedron& Tet, const TImage128& Src) {
  const TBGRAPixel128& P = Src.Data[Tet.Points[0]];
  Tet.MaxR = Tet.MinR = P.R;
  Tet.MaxG = Tet.MinG = P.G;
  Tet.MaxB = Tet.MinB = P.B;
  for (size_t I = 1; I < 4; ++I) {
    const TBGRAPixel128& Q = Src.Data[Tet.Points[I]];
    Tet.MaxR = std::max(Tet.MaxR, Q.R);
    Tet.MaxG = std::max(Tet.MaxG, Q.G);
    Tet.MaxB = std::max(Tet.MaxB, Q.B);
    Tet.MinR = std::min(Tet.MinR, Q.R);
    Tet.MinG = std::min(Tet.MinG, Q.G);
    Tet.MinB = std::min(Tet.MinB, Q.B);
  }
}

double Det3(const TBGRAPixel128& A, const TBGRAPixel128& B, const TBGRAPixel128& C) {
  return Dot(Vec(A), Cross(Vec(B), Vec(C)));
}

double Det4(const TBGRAPixel128& P0, const TBGRAPixel128& P1, const TBGRAPixel128& P2,
            const TBGRAPixel128& P3) {
  const TVec V3 = Vec(P3);
  return Dot(Sub(Vec(P0), V3), Cross(Sub(Vec(P1), V3), Sub(Vec(P2), V3)));
}

double TetrahedronVolume(const TBGRAPixel128& P0, const TBGRAPixel128& P1,
                         const TBGRAPixel128& P2, const TBGRAPixel128& P3) {
  return std::fabs(Det4(P0, P1, P2, P3)) / 6;
}

int32_t PlaneSide(const TBGRAPixel128& V0, const TBGRAPixel128& V1, const TBGRAPixel128& V2,
                  const TBGRAPixel128& P) {
  const TVec A = Vec(V0);
  const TVec N = Normalised(Cross(Sub(Vec(V1), A), Sub(Vec(V2), A)));
  const double D = Dot(Sub(Vec(P), A), N);
  if (std::fabs(D) < 0.001) return 0;
  return D < 0 ? -1 : 1;
}

bool PointInTetrahedron(const TBGRAPixel128& P, const TBGRAPixel128& V0, const TBGRAPixel128& V1,
                        const TBGRAPixel128& V2, const TBGRAPixel128& V3) {
  if (OutsideInChannel(P.R, V0.R, V1.R, V2.R, V3.R) ||
      OutsideInChannel(P.G, V0.G, V1.G, V2.G, V3.G) ||
      OutsideInChannel(P.B, V0.B, V1.B, V2.B, V3.B))
    return false;
  double D[5];
  BarycentricDeterminants(P, V0, V1, V2, V3, D);
  if (D[0] == 0) return false;
  for (int I = 1; I <= 4; ++I) {
    const double Di = D[0] < 0 ? D[I] / D[0] : D[I];
    if (!(Di >= -9e-19)) return false;
  }
  return true;
}

bool ColorInsideTetrahedron(const TBGRAPixel128& P, const TBGRAPixel128& V0,
                            const TBGRAPixel128& V1, const TBGRAPixel128& V2,
                            const TBGRAPixel128& V3, float& Distance) {
  try {
    if (OutsideInChannel(P.R, V0.R, V1.R, V2.R, V3.R)) return false;
    if (P.G < V0.G && P.G < V1.G && P.G < V2.G && P.G < V3.G) return false;
    if (P.G > V0.G + 0.0001f && P.G > V1.G + 0.0001f && P.G > V2.G && P.G > V3.G) return false;
    if (P.B < V0.B && P.B < V1.B && P.B < V2.B && P.B < V3.B) return false;
    if (P.B > V0.B + 0.0001f && P.B > V1.B + 0.0001f && P.B > V2.B + 0.0001f &&
        P.B > V3.B + 0.0001f)
      return false;
    double D[5];
    BarycentricDeterminants(P, V0, V1, V2, V3, D);
    if (D[0] == 0) {
      Distance = 0;
      return false;
    }
    if (D[0] < 0)
      for (double& X : D) X = -X;
    for (int I = 1; I <= 4; ++I)
      if (std::fabs(D[I]) < 4e-10) D[I] = 0;
    Distance = float(std::min({D[1], D[2], D[3], D[4]}) / D[0]);
    return true;
  } catch (const std::exception&) {
    std::string S;
    Pixel128ToText(S, P);
    ErrorMessageProc("Exception in ColorInsideTetrahedron");
    ErrorMessageProc("Exception in ColorInsideTetrahedron: " + S);
    return false;
  }
}

void TetrahedronInterpolate(TBGRAPixel128& Result, const TBGRAPixel128& P,
                            const TBGRAPixel128& S0, const TBGRAPixel128& S1,
                            const TBGRAPixel128& S2, const TBGRAPixel128& S3,
                            const TBGRAPixel128& T0, const TBGRAPixel128& T1,
                            const TBGRAPixel128& T2, const TBGRAPixel128& T3) {
  const double U = Det4(S0, S1, S2, S3);
  if (U == 0) {
    Result.R = Result.G = Result.B = 0;
    return;
  }
  const double W0 = Det4(P, S1, S2, S3) / U, W1 = Det4(S0, P, S2, S3) / U,
               W2 = Det4(S0, S1, P, S3) / U, W3 = Det4(S0, S1, S2, P) / U;
  Result.R = float(W0 * T0.R + W1 * T1.R + W2 * T2.R + W3 * T3.R);
  Result.G = float(W0 * T0.G + W1 * T1.G + W2 * T2.G + W3 * T3.G);
  Result.B = float(W0 * T0.B + W1 * T1.B + W2 * T2.B + W3 * T3.B);
  Result.A = float(W0 * T0.A + W1 * T1.A + W2 * T2.A + W3 * T3.A);
}

namespace {

// Signed plane distances of the segment ends, snapped to 0 near the plane;
// false when the triangle is degenerate or the ends are not on opposite sides.
bool SegmentPlaneCrossing(const TBGRAPixel128& T0, const TBGRAPixel128& T1,
                          const TBGRAPixel128& T2, const TBGRAPixel128& L0,
                          const TBGRAPixel128& L1, TVec& N, TVec& X) {
  const TVec A = Vec(T0);
  N = Normalised(Cross(Sub(Vec(T1), A), Sub(Vec(T2), A)));
  double D0 = Dot(Sub(Vec(L0), A), N), D1 = Dot(Sub(Vec(L1), A), N);
  if (std::fabs(D0) < 4e-8) D0 = 0;
  if (std::fabs(D1) < 3e-8) D1 = 0;
  if (D0 * D1 >= 0 || D0 == D1) return false;
  const double K = -D0 / (D1 - D0);
  const TVec E = Sub(Vec(L1), Vec(L0));
  X = {L0.R + E.X * K, L0.G + E.Y * K, L0.B + E.Z * K};
  return true;
}

}  // namespace

bool SegmentCrossesTriangle(const TBGRAPixel128& T0, const TBGRAPixel128& T1,
                            const TBGRAPixel128& T2, const TBGRAPixel128& L0,
                            const TBGRAPixel128& L1) {
  auto Beyond = [](float A, float B, float X, float Y, float Z) {
    return (A > X && A > Y && A > Z && B > X && B > Y && B > Z) ||
           (A < X && A < Y && A < Z && B < X && B < Y && B < Z);
  };
  if (Beyond(L0.R, L1.R, T0.R, T1.R, T2.R) || Beyond(L0.G, L1.G, T0.G, T1.G, T2.G) ||
      Beyond(L0.B, L1.B, T0.B, T1.B, T2.B))
    return false;
  TVec N, X;
  if (!SegmentPlaneCrossing(T0, T1, T2, L0, L1, N, X)) return false;
  const TVec A = Vec(T0), B = Vec(T1), C = Vec(T2);
  return Dot(Cross(N, Sub(B, A)), Sub(X, A)) >= 0 && Dot(Cross(N, Sub(C, B)), Sub(X, B)) >= 0 &&
         Dot(Cross(N, Sub(A, C)), Sub(X, A)) >= 0;
}

bool TetrahedraIntersect(const TTetrahedron& A, const TTetrahedron& B, const TImage128& Src) {
  if (A.MaxR < B.MinR || B.MaxR < A.MinR || A.MaxG < B.MinG || B.MaxG < A.MinG ||
      A.MaxB < B.MinB || B.MaxB < A.MinB)
    return false;
  auto Vertex = [&Src](const TTetrahedron& T, int32_t I) -> const TBGRAPixel128& {
    return Src.Data[T.Points[size_t(I)]];
  };
  auto VertexInside = [&](const TTetrahedron& X, const TTetrahedron& Y) {
    for (int32_t I = 0; I < 4; ++I)
      if (!HasPoint(Y.Points, X.Points[size_t(I)]) &&
          PointInTetrahedron(Vertex(X, I), Vertex(Y, 0), Vertex(Y, 1), Vertex(Y, 2), Vertex(Y, 3)))
        return true;
    return false;
  };
  if (VertexInside(A, B) || VertexInside(B, A)) return true;
  auto EdgesCross = [&](const TTetrahedron& X, const TTetrahedron& Y) {
    for (const auto& E : EdgeTable)
      for (const auto& F : FaceTable)
        if (SegmentCrossesTriangle(Vertex(Y, F[0]), Vertex(Y, F[1]), Vertex(Y, F[2]),
                                   Vertex(X, E[0]), Vertex(X, E[1])))
          return true;
    return false;
  };
  return EdgesCross(B, A) || EdgesCross(A, B);
}

float TriangleArea(const TBGRAPixel128& A, const TBGRAPixel128& B, const TBGRAPixel128& C) {
  const TVec V = Vec(A);
  return float(Length(Cross(Sub(Vec(B), V), Sub(Vec(C), V))) / 2);
}

void LineTriangleIntersectionP(TBGRAPixel128& X, const TBGRAPixel128& T0,
                               const TBGRAPixel128& T1, const TBGRAPixel128& T2,
                               const TBGRAPixel128& L0, const TBGRAPixel128& L1) {
  try {
    TVec N, P;
    X.R = X.G = X.B = 0;
    if (!SegmentPlaneCrossing(T0, T1, T2, L0, L1, N, P)) return;
    X.R = float(P.X);
    X.G = float(P.Y);
    X.B = float(P.Z);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in LineTriangleIntersectionP");
  }
}

float TetrahedronContainmentRatio(const TBGRAPixel128& P, const TBGRAPixel128& V0,
                                  const TBGRAPixel128& V1, const TBGRAPixel128& V2,
                                  const TBGRAPixel128& V3) {
  double D[5];
  BarycentricDeterminants(P, V0, V1, V2, V3, D);
  if (D[0] == 0) return 1e7f;
  return float((std::fabs(D[1]) + std::fabs(D[2]) + std::fabs(D[3]) + std::fabs(D[4])) /
               std::fabs(D[0]));
}

int32_t FindBestTetrahedronByRatio(const TBGRAPixel128& P, const TImage128& Src,
                                   const TTetrahedralization& T) {
  const int32_t N = Src.Data ? Src.Size : 0;
  int32_t Best = -1;
  float BestRatio = 0;
  for (int32_t I = 0; I < int32_t(T.Tetrahedra.size()); ++I) {
    const TTetrahedronPoints& Q = T.Tetrahedra[size_t(I)].Points;
    if (Q[0] < 0 || Q[3] >= N) continue;
    const float Ratio = TetrahedronContainmentRatio(P, Src.Data[Q[0]], Src.Data[Q[1]],
                                                    Src.Data[Q[2]], Src.Data[Q[3]]);
    if (Best < 0 || Ratio < BestRatio) {
      Best = I;
      BestRatio = Ratio;
    }
  }
  return Best;
}

int32_t FindTetrahedronInTetrahedralization(const TBGRAPixel128& P, const TImage128& Src,
                                            const TTetrahedralization& T) {
  try {
    if (T.Radius > 0 && Pixel128Distance(P, T.Centre) > T.Radius) return -1;
    if (P.R > 3.0f) ErrorMessageProc("Find tetrahedron: Color is too far outside of 0-1 gamut!");
    const int32_t N = Src.Data ? Src.Size : 0;
    const int32_t Slots = int32_t(T.Tetrahedra.size());
    for (int32_t I = 0; I < Slots; ++I) {
      const TTetrahedron& Tet = T.Tetrahedra[size_t(I)];
      if (Tet.Points[0] < 0) continue;
      for (int32_t Q : Tet.Points)
        if (Q < 0 || Q >= N) {
          ErrorMessageProc("Error in FindTetrahedronInTetrahedralization, I=" + std::to_string(I) +
                           "  T:" + TetrahedronPointsToText(Tet.Points) +
                           " Len:" + std::to_string(Slots) +
                           " SrcColors size:" + std::to_string(N));
          return -1;
        }
      float Distance = 0;
      if (ColorInsideTetrahedron(P, Src.Data[Tet.Points[0]], Src.Data[Tet.Points[1]],
                                 Src.Data[Tet.Points[2]], Src.Data[Tet.Points[3]], Distance) &&
          Distance >= 0)
        return I;
    }
    return -1;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in FindTetrahedronInTetrahedralization");
    return -1;
  }
}

void AddTetraheadron(TTetrahedralization& T, int32_t P0, int32_t P1, int32_t P2, int32_t P3) {
  // Slots grow with the tetrahedra made; a body of N points never needs
  // more than about 7 N of them, far below this bound.
  const int64_t Cap = 64 * int64_t(std::max(T.PairCount(), 1)) + 64;
  if (T.NumTetrahedra >= Cap) {
    ErrorMessageProc("Too many tetrahedrons!");
    return;
  }
  const int32_t N = T.PairCount();
  const char* Names[3] = {"T2", "T3", "T4"};
  const int32_t Later[3] = {P1, P2, P3};
  for (int32_t I = 0; I < 3; ++I)
    if (Later[I] >= N)
      ErrorMessageProc(std::string("Error in AddTetraheadron: ") + Names[I] + "=" +
                       std::to_string(Later[I]) + " SrcSize=" + std::to_string(N));
  TTetrahedronPoints Points{P0, P1, P2, P3};
  SortTetrahedronPoints(Points);
  // Out-of-range indexes are reported above and never stored.
  if (Points[0] < 0 || Points[3] >= N) return;
  for (const TTetrahedron& Tet : T.Tetrahedra)
    if (Tet.Points == Points) return;
  if (TetrahedronVolume(T.Src(Points[0]), T.Src(Points[1]), T.Src(Points[2]), T.Src(Points[3])) <
      7e-9)
    return;
  if (T.NumTetrahedra >= int32_t(T.Tetrahedra.size())) T.Tetrahedra.emplace_back();
  TTetrahedron& Slot = T.Tetrahedra[size_t(T.NumTetrahedra)];
  Slot.Points = Points;
  CalcTetrahedronBounds(Slot, T.SrcColors);
  if (int32_t(T.UsedFlags.size()) < N) T.UsedFlags.resize(size_t(N), false);
  for (int32_t Q : Points) T.UsedFlags[size_t(Q)] = true;
  ++T.NumTetrahedra;
}

bool TryAddFaceTetrahedron(TTetrahedralization& T, int32_t A, int32_t B, int32_t C, int32_t V) {
  for (int32_t Q : {A, B, C, V})
    if (Q < int32_t(T.EnclosedFlags.size()) && T.EnclosedFlags[size_t(Q)]) return false;
  if (TetrahedronVolume(T.Src(A), T.Src(B), T.Src(C), T.Src(V)) < 9e-16) return false;
  TTetrahedron Candidate;
  Candidate.Points = {A, B, C, V};
  CalcTetrahedronBounds(Candidate, T.SrcColors);
  for (const TTetrahedron& Tet : T.Tetrahedra)
    if (Tet.Points[0] >= 0 && TetrahedraIntersect(Candidate, Tet, T.SrcColors)) return false;
  AddTetraheadron(T, A, B, C, V);
  return true;
}

bool VertexIsEnclosed(const TTetrahedralization& T, int32_t V) {
  std::vector<TTrianglePoints> Faces;
  for (const TTetrahedron& Tet : T.Tetrahedra) {
    if (Tet.Points[0] < 0 || !HasPoint(Tet.Points, V)) continue;
    for (int32_t F = 0; F < 4; ++F) {
      TTrianglePoints Tri;
      int32_t Opposite = 0;
      GetTetrahedronFace(Tri, Tet.Points, F, Opposite);
      if (Opposite != V) Faces.push_back(Tri);
    }
  }
  if (Faces.empty()) return false;
  for (const TTrianglePoints& F : Faces)
    if (std::count(Faces.begin(), Faces.end(), F) < 2) return false;
  return true;
}

void UpdateEnclosedVertices(TTetrahedralization& T) {
  const int32_t N = std::min<int32_t>(int32_t(T.UsedFlags.size()), int32_t(T.EnclosedFlags.size()));
  for (int32_t I = 0; I < N; ++I)
    if (T.UsedFlags[size_t(I)] && !T.EnclosedFlags[size_t(I)])
      T.EnclosedFlags[size_t(I)] = VertexIsEnclosed(T, I);
}

bool AddVertex(TTetrahedralization& T, int32_t V, bool Report) {
  try {
    UpdateEnclosedVertices(T);
    const TBGRAPixel128 P = T.Src(V);
    const int32_t Found = FindTetrahedronInTetrahedralization(P, T.SrcColors, T);
    if (Found < 0) {
      const int32_t Before = T.NumTetrahedra;
      for (int32_t I = 0; I < Before; ++I) {
        const TTetrahedronPoints Points = T.Tetrahedra[size_t(I)].Points;
        if (Points[0] < 0 || HasPoint(Points, V)) continue;
        for (int32_t F = 0; F < 4; ++F) {
          TTrianglePoints Tri;
          int32_t Opposite = 0;
          GetTetrahedronFace(Tri, Points, F, Opposite);
          TryAddFaceTetrahedron(T, Tri[0], Tri[1], Tri[2], V);
        }
      }
      if (T.NumTetrahedra > Before) return true;
      if (Report) {
        std::string S;
        Pixel128ToText(S, P);
        ErrorMessageProc("Failed to add Vertex " + std::to_string(V) + "\r\n" + S);
      }
      return false;
    }
    bool Split = false;
    for (int32_t I = 0; I < int32_t(T.Tetrahedra.size()); ++I) {
      const TTetrahedronPoints Pt = T.Tetrahedra[size_t(I)].Points;
      if (Pt[0] < 0 || HasPoint(Pt, V)) continue;
      if (!PointInTetrahedron(P, T.Src(Pt[0]), T.Src(Pt[1]), T.Src(Pt[2]), T.Src(Pt[3]))) continue;
      T.Tetrahedra.erase(T.Tetrahedra.begin() + I);
      T.Tetrahedra.push_back(TTetrahedron{});
      --T.NumTetrahedra;
      AddTetraheadron(T, Pt[0], Pt[1], Pt[2], V);
      AddTetraheadron(T, Pt[0], Pt[1], V, Pt[3]);
      AddTetraheadron(T, Pt[0], V, Pt[2], Pt[3]);
      AddTetraheadron(T, V, Pt[1], Pt[2], Pt[3]);
      Split = true;
      --I;
    }
    return Split;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in AddVertex");
    return false;
  }
}

}  // namespace kromel
