// Building the whole mesh, its hull, and evaluation with extrapolation.
#include <algorithm>
#include <cmath>
#include <exception>

#include "foundation/debug_log.h"
#include "images/pixel128.h"
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

bool CalcTetrahedralization(TTetrahedralization& T, bool ReportFailures, bool /*ShowResult*/,
                            bool /*ShowSteps*/, const TProgressCallback& Progress,
                            float Tolerance) {
  const int32_t N = T.PairCount();
  if (N <= 3) {
    ErrorMessageProc("Not enough data for tetrahedralization!");
    return false;
  }
  try {
    T.UsedFlags.assign(size_t(N), false);
    T.Radius = -1;
    T.Centre = TBGRAPixel128{};
    T.Tolerance = Tolerance;
    for (TTetrahedron& Tet : T.Tetrahedra) Tet.Points[0] = -1;
    T.NumTetrahedra = 0;
    if (T.Tetrahedra.empty()) T.Tetrahedra.resize(size_t(2) * size_t(N) * size_t(N));

    // Seed: the first valid quadruple of non-zero volume.
    auto Seeded = [&T] { return T.Tetrahedra[0].Points[0] >= 0; };
    for (int32_t I = 0; I < N && !Seeded(); ++I) {
      if (!ValidPoint(T, I)) continue;
      for (int32_t J = I + 1; J < N && !Seeded(); ++J) {
        if (!ValidPoint(T, J)) continue;
        for (int32_t K = J + 1; K < N && !Seeded(); ++K) {
          if (!ValidPoint(T, K)) continue;
          for (int32_t L = K + 1; L < N; ++L) {
            if (!ValidPoint(T, L)) continue;
            if (TetrahedronVolume(T.Src(I), T.Src(J), T.Src(K), T.Src(L)) > 0) {
              AddTetraheadron(T, I, J, K, L);
              break;
            }
          }
        }
      }
    }
    if (!Seeded()) {
      ErrorMessageProc("Error: point data is singular.");
      return false;
    }

    // Insertion passes: after every success the scan starts again.
    int64_t Added = 0;
    bool Grew = true;
    while (Grew) {
      Grew = false;
      for (int32_t I = 0; I < N; ++I) {
        if (!ValidPoint(T, I) || T.UsedFlags[size_t(I)]) continue;
        if (Added % 4 == 0 && Progress) Progress(int32_t(Added * Added * 100 / (int64_t(N) * N)));
        if (AddVertex(T, I, false)) {
          ++Added;
          Grew = true;
          break;
        }
      }
    }
    for (int32_t I = 0; I < N; ++I)
      if (ValidPoint(T, I) && !T.UsedFlags[size_t(I)]) AddVertex(T, I, ReportFailures);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in CalcTetrahedralization, NumT=" +
                     std::to_string(T.NumTetrahedra));
  }

  PrepareTetrahedralization(T);
  if (!CalcColorBodyCenter(T)) {
    ErrorMessageProc("Failed to calculate color body center. Please check your source data.");
    return false;
  }
  if (CalcNormals(T)) {
    MarkExternalTetrahedra(T, true);
    return true;
  }
  ErrorMessageProc("Failed to calculate normals. Please check your source data.");
  CalcNormals(T);
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
