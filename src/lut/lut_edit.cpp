// T3DLut editing: clamping, weight-plane helpers, colour density, the
// channel-mixer fit, mask upsampling, tricubic reads and the byte list.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "colour/log_gamma.h"
#include "foundation/debug_log.h"
#include "images/image64.h"
#include "lut/lut.h"
#include "lut/lut_lookup.h"

namespace kromel {

namespace {

// One pass of the 3x3x3 smoothing kernel over a plane: face neighbours
// weigh 1, edge neighbours 2, corners 0, the centre (1 - Amount) * 10
// (at least -10); neighbours outside the grid are extrapolated.
void SmoothPlane(const T3DLut& Lut, float* Plane, float Amount) {
  const int64_t Nodes = int64_t(Lut.NLRH) * Lut.NLGS * Lut.NLBL;
  if (Plane == nullptr || Nodes <= 0) return;
  const std::vector<float> Copy(Plane, Plane + Nodes);
  float Centre = (1 - Amount) * 10;
  if (Centre < -10) Centre = -10;
  const float Divisor = 30 + Centre;
  int64_t I = 0;
  for (int32_t b = 0; b < Lut.NLBL; ++b)
    for (int32_t g = 0; g < Lut.NLGS; ++g)
      for (int32_t r = 0; r < Lut.NLRH; ++r, ++I) {
        float S = 0;
        for (int db = -1; db <= 1; ++db)
          for (int dg = -1; dg <= 1; ++dg)
            for (int dr = -1; dr <= 1; ++dr) {
              const int Offsets = (db != 0) + (dg != 0) + (dr != 0);
              if (Offsets == 0 || Offsets == 3) continue;
              const float W = Offsets == 1 ? 1.0f : 2.0f;
              S += W * Lut.GetValExtrapolated(Copy.data(), b + db, g + dg, r + dr);
            }
        Plane[I] = (Centre * Lut.GetValExtrapolated(Copy.data(), b, g, r) + S) / Divisor;
      }
}

// Largest value of the first Count values (from 0); when above 1e-10 the
// values are multiplied by its reciprocal.
void NormalizeValues(float* Plane, int64_t Count) {
  if (Plane == nullptr) return;
  float M = 0;
  for (int64_t i = 0; i < Count; ++i)
    if (Plane[i] > M) M = Plane[i];
  if (!(M > 1e-10f)) return;
  const float K = 1.0f / M;
  for (int64_t i = 0; i < Count; ++i) Plane[i] *= K;
}

// The matrix M with M * Sk = Tk for three colour pairs (Cramer's rule in
// single precision); |det S| + 0.1, or 0 when |det S| <= Threshold.
double SolveThreeColorPairs(const float S[3][3], const float T[3][3], float Threshold,
                            double M[9]) {
  auto Det = [](const float a[3], const float b[3], const float c[3]) {
    return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
           a[2] * (b[0] * c[1] - b[1] * c[0]);
  };
  const float D = Det(S[0], S[1], S[2]);
  if (!(std::fabs(D) > Threshold)) return 0;
  for (int Row = 0; Row < 3; ++Row) {
    for (int Col = 0; Col < 3; ++Col) {
      float Rows[3][3];
      for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j) Rows[k][j] = j == Col ? T[k][Row] : S[k][j];
      M[3 * Row + Col] = double(Det(Rows[0], Rows[1], Rows[2])) / double(D);
    }
  }
  return double(std::fabs(D)) + 0.1;
}

}  // namespace

void T3DLut::Clamp() {
  if (!HasPlanes()) return;
  const int64_t Nodes = std::min<int64_t>(int64_t(NLRH) * NLGS * NLBL, Count);
  for (float* P : {R, G, B})
    for (int64_t i = 0; i < Nodes; ++i) {
      if (P[i] < 0) P[i] = 0;
      if (P[i] > 1) P[i] = 1;
    }
}

void T3DLut::SaturationToAlpha() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) {
    const float Mx = std::max({R[i], G[i], B[i]});
    const float Mn = std::min({R[i], G[i], B[i]});
    A[i] = (Mx - Mn) / std::max(Mx, 0.15f);
  }
}

void T3DLut::MultiplyByAlpha() {
  const int64_t N = CubicNodeCount();
  for (int64_t i = 0; i < N; ++i) {
    R[i] *= A[i];
    G[i] *= A[i];
    B[i] *= A[i];
  }
}

void T3DLut::ClearAlpha() {
  const int64_t N = CubicNodeCount();
  if (N > 0) std::fill_n(A, N, 0.0f);
}

void T3DLut::NormalizeAlpha() { NormalizeValues(A, CubicNodeCount()); }

void T3DLut::AccumulateColorsToAlpha(const TImage64& Image) {
  if (CubicNodeCount() == 0) return;
  ClearAlpha();
  const int32_t N = Size;
  const float L = static_cast<float>(N - 1);
  const int64_t Pixels = Image.Pixels != nullptr ? std::max(Image.Size, 0) : 0;
  auto Cell = [&](uint16_t V) {
    const float C = std::min(1.0f, static_cast<float>(V) / 65535.0f);
    return std::min(static_cast<int32_t>(L * C), N - 2);
  };
  for (int64_t k = 0; k < Pixels; ++k) {
    const TPixel64& P = Image.Pixels[k];
    const int32_t ir = Cell(P.R), ig = Cell(P.G), ib = Cell(P.B);
    for (int db = 0; db < 2; ++db)
      for (int dg = 0; dg < 2; ++dg)
        for (int dr = 0; dr < 2; ++dr)
          A[(ir + dr) + int64_t(N) * ((ig + dg) + int64_t(N) * (ib + db))] += 1;
  }
  NormalizeAlpha();
}

bool T3DLut::FitChannelMixerMatrix(double (&Matrix)[9], TImageProfile Profile,
                                   float Gamma) const {
  constexpr int Steps = 6;
  constexpr int GridCount = Steps * Steps * Steps;
  constexpr float Eps = 0.01f;
  struct TSample {
    int Idx[3];  // r, g, b step indices
    float P[3];  // input, linear
    float O[3];  // output, linear
    bool Inside;
  };
  std::vector<TSample> Grid;
  if (HasPlanes()) {
    Grid.reserve(GridCount);
    for (int b = 0; b < Steps; ++b)
      for (int g = 0; g < Steps; ++g)
        for (int r = 0; r < Steps; ++r) {
          TSample S{{r, g, b}, {r / 5.0f, g / 5.0f, b / 5.0f}, {}, false};
          S.O[0] = S.P[0];
          S.O[1] = S.P[1];
          S.O[2] = S.P[2];
          ProcessColorTetrahedralSingle(S.O[0], S.O[1], S.O[2]);
          GammaToLinearRGBByProfile(S.P[0], S.P[1], S.P[2], Profile, Gamma);
          GammaToLinearRGBByProfile(S.O[0], S.O[1], S.O[2], Profile, Gamma);
          S.Inside = true;
          for (float V : S.O)
            if (!(V > 0 && V < 1)) S.Inside = false;
          Grid.push_back(S);
        }
  }
  auto AtLeast = [](const TSample& X, const TSample& Y) {
    return X.Idx[0] >= Y.Idx[0] && X.Idx[1] >= Y.Idx[1] && X.Idx[2] >= Y.Idx[2];
  };
  double Acc[9] = {};
  double Sum = 0;
  int64_t K = 0;
  for (std::size_t i1 = 0; i1 < Grid.size(); ++i1) {
    const TSample& P1 = Grid[i1];
    if (!P1.Inside) continue;
    for (std::size_t i2 = 0; i2 < Grid.size(); ++i2) {
      const TSample& P2 = Grid[i2];
      if (i2 == i1 || !P2.Inside || !AtLeast(P2, P1)) continue;
      for (std::size_t i3 = 0; i3 < Grid.size(); ++i3) {
        const TSample& P3 = Grid[i3];
        if (i3 == i2 || i3 == i1 || !P3.Inside || !AtLeast(P3, P2)) continue;
        const float S[3][3] = {{P1.P[0], P1.P[1], P1.P[2]},
                               {P2.P[0], P2.P[1], P2.P[2]},
                               {P3.P[0], P3.P[1], P3.P[2]}};
        const float T[3][3] = {{P1.O[0], P1.O[1], P1.O[2]},
                               {P2.O[0], P2.O[1], P2.O[2]},
                               {P3.O[0], P3.O[1], P3.O[2]}};
        double M[9];
        const double W = SolveThreeColorPairs(S, T, Eps, M);
        if (W > 0) {
          for (int j = 0; j < 9; ++j) Acc[j] += M[j] * W;
          Sum += W;
          ++K;
        }
      }
    }
  }
  if (K > 2 && Sum > 0.01) {
    const double F = 1.0 / Sum;
    for (int j = 0; j < 9; ++j) Matrix[j] = Acc[j] * F;
    return true;
  }
  ErrorMessageProc("Matrix optimization error: not enough colors found");
  return false;
}

bool T3DLut::UpsampleMaskFrom(const T3DLut& Source) {
  if (&Source == this) {
    T3DLut Copy;
    if (!Copy.CopyFrom(*this)) return false;
    return UpsampleMaskFrom(Copy);
  }
  const int64_t M = 2 * int64_t(Source.Size) - 1;
  if (Source.CubicNodeCount() == 0 || !ValidLutLevels(M)) {
    ErrorMessageProc("Error in T3DLut.UpsampleMaskFrom - Size=" + std::to_string(Source.Size));
    return false;
  }
  FreeData();
  if (!SetSize(static_cast<int32_t>(M))) return false;
  int64_t I = 0;
  for (int32_t b = 0; b < Size; ++b)
    for (int32_t g = 0; g < Size; ++g)
      for (int32_t r = 0; r < Size; ++r, ++I) {
        const float x = b / 2.0f, y = g / 2.0f, z = r / 2.0f;
        R[I] = std::nearbyint(Source.TetrahedralInterpolation(Source.R, x, y, z));
        G[I] = std::nearbyint(Source.TetrahedralInterpolation(Source.G, x, y, z));
        B[I] = std::nearbyint(Source.TetrahedralInterpolation(Source.B, x, y, z));
      }
  for (int Pass = 0; Pass < 3; ++Pass) {
    SmoothPlane(*this, R, 0);
    SmoothPlane(*this, G, 0);
    SmoothPlane(*this, B, 0);
  }
  return true;
}

float T3DLut::GetValueTricubicClamped(const float* Plane, float pb, float pg, float pr) const {
  if (Plane == nullptr || CubicNodeCount() == 0 || pb != pb || pg != pg || pr != pr) return 0;
  const int32_t N = Size;
  const float Top = static_cast<float>(N - 1);
  if (pb < 0) pb = 0;
  if (pb >= Top) pb = Top - 0.0001f;
  // Far-off green and red positions are kept near the grid so the
  // integer conversion stays in range.
  pg = std::clamp(pg, -64.0f, Top + 64.0f);
  pr = std::clamp(pr, -64.0f, Top + 64.0f);
  auto Cubic = [](float t, float p0, float p1, float p2, float p3) {
    return p1 + 0.5f * t * (p2 - p0) + t * t * (p0 - 2.5f * p1 + 2 * p2 - 0.5f * p3) +
           t * t * t * (1.5f * p1 - 0.5f * p0 - 1.5f * p2 + 0.5f * p3);
  };
  const int32_t i = static_cast<int32_t>(pb + 100) - 100;
  const int32_t j = static_cast<int32_t>(pg + 100) - 100;
  const int32_t k = static_cast<int32_t>(pr + 100) - 100;
  const float tb = pb - static_cast<float>(i);
  const float tg = pg - static_cast<float>(j);
  const float tr = pr - static_cast<float>(k);
  float AlongRed[4];
  for (int dr = 0; dr < 4; ++dr) {
    float AlongGreen[4];
    for (int dg = 0; dg < 4; ++dg) {
      float P[4];
      for (int db = 0; db < 4; ++db)
        P[db] = GetLutNodeClamped(Plane, N, i - 1 + db, j - 1 + dg, k - 1 + dr);
      AlongGreen[dg] = Cubic(tb, P[0], P[1], P[2], P[3]);
    }
    AlongRed[dr] = Cubic(tg, AlongGreen[0], AlongGreen[1], AlongGreen[2], AlongGreen[3]);
  }
  float V = Cubic(tr, AlongRed[0], AlongRed[1], AlongRed[2], AlongRed[3]);
  if (V < 0) V = 0;
  if (V > 1) V = 1;
  return V;
}

void T3DLut::SaveToByteList(std::string& Text) const {
  Text.clear();
  if (CubicNodeCount() == 0) return;
  const int32_t N = Size;
  Text.reserve(static_cast<std::size_t>(CubicNodeCount()) * 3 * 10);
  for (int32_t r = 0; r < N; ++r)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t b = 0; b < N; ++b) {
        const int64_t I = r + int64_t(N) * (g + int64_t(N) * b);
        for (const float* P : {R, G, B}) {
          const float X = P[I] * 65535.0f;
          const float V = X != X ? 0.0f : std::clamp(std::nearbyint(X), 0.0f, 65535.0f);
          const int32_t W = static_cast<int32_t>(V);
          Text += std::to_string(W / 256) + ", " + std::to_string(W % 256) + ", ";
        }
      }
}

}  // namespace kromel
