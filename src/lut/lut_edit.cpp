// T3DLut editing: clamping, weight-plane helpers, colour density, the
// channel-mixer fit, mask upsampling, tricubic reads and the byte list.
#include "lut/lut_edit.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "colour/channel_mixer.h"
#include "colour/log_gamma.h"
#include "foundation/error_sink.h"
#include "images/image64.h"
#include "lut/lut.h"
#include "lut/lut_levels.h"
#include "lut/lut_lookup.h"
#include "lut/lut_smooth.h"

namespace kromel {

void Clamp(T3DLut& Lut) {
  if (!Lut.HasPlanes()) return;
  const int64_t Nodes = std::min<int64_t>(int64_t(Lut.NLRH) * Lut.NLGS * Lut.NLBL, Lut.Count);
  for (float* P : {Lut.R, Lut.G, Lut.B})
    for (int64_t i = 0; i < Nodes; ++i) {
      if (P[i] < 0) P[i] = 0;
      if (P[i] > 1) P[i] = 1;
    }
}

void SaturationToAlpha(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) {
    const float Mx = std::max({Lut.R[i], Lut.G[i], Lut.B[i]});
    const float Mn = std::min({Lut.R[i], Lut.G[i], Lut.B[i]});
    Lut.A[i] = (Mx - Mn) / std::max(Mx, 0.15f);
  }
}

void MultiplyByAlpha(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  for (int64_t i = 0; i < N; ++i) {
    Lut.R[i] *= Lut.A[i];
    Lut.G[i] *= Lut.A[i];
    Lut.B[i] *= Lut.A[i];
  }
}

void ClearAlpha(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  if (N > 0) std::fill_n(Lut.A, N, 0.0f);
}

void NormalizeAlpha(T3DLut& Lut) { NormalizePlane(Lut, Lut.A); }

void AccumulateColorsToAlpha(T3DLut& Lut, const TImage64& Image) {
  if (CubicNodes(Lut) == 0) return;
  ClearAlpha(Lut);
  const int32_t N = Lut.Size;
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
          Lut.A[(ir + dr) + int64_t(N) * ((ig + dg) + int64_t(N) * (ib + db))] += 1;
  }
  NormalizeAlpha(Lut);
}

bool FitChannelMixerMatrix(const T3DLut& Lut, double (&Matrix)[9], TImageProfile Profile,
                           float Gamma) {
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
  if (Lut.HasPlanes()) {
    Grid.reserve(GridCount);
    for (int b = 0; b < Steps; ++b)
      for (int g = 0; g < Steps; ++g)
        for (int r = 0; r < Steps; ++r) {
          TSample S{{r, g, b}, {r / 5.0f, g / 5.0f, b / 5.0f}, {}, false};
          S.O[0] = S.P[0];
          S.O[1] = S.P[1];
          S.O[2] = S.P[2];
          ProcessColorTetrahedralSingle(Lut, S.O[0], S.O[1], S.O[2]);
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
        TBGRAPixel128 S[3], T[3];
        S[0].Init(P1.P[0], P1.P[1], P1.P[2], 0);
        S[1].Init(P2.P[0], P2.P[1], P2.P[2], 0);
        S[2].Init(P3.P[0], P3.P[1], P3.P[2], 0);
        T[0].Init(P1.O[0], P1.O[1], P1.O[2], 0);
        T[1].Init(P2.O[0], P2.O[1], P2.O[2], 0);
        T[2].Init(P3.O[0], P3.O[1], P3.O[2], 0);
        TChannelMixerParams M;
        const double W = ChannelMixerFromThreeColorPairs(M, S[0], S[1], S[2], T[0], T[1], T[2], Eps);
        if (W > 0) {
          for (int j = 0; j < 9; ++j) Acc[j] += M.Matrix[j] * W;
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

bool UpsampleMaskFrom(T3DLut& Lut, const T3DLut& Source) {
  if (&Source == &Lut) {
    T3DLut Copy;
    if (!Copy.CopyFrom(Lut)) return false;
    return UpsampleMaskFrom(Lut, Copy);
  }
  const int64_t M = 2 * int64_t(Source.Size) - 1;
  if (CubicNodes(Source) == 0 || !ValidLutLevels(M)) {
    ErrorMessageProc("Error in T3DLut.UpsampleMaskFrom - Size=" + std::to_string(Source.Size));
    return false;
  }
  Lut.FreeData();
  if (!Lut.SetSize(static_cast<int32_t>(M))) return false;
  int64_t I = 0;
  for (int32_t b = 0; b < Lut.Size; ++b)
    for (int32_t g = 0; g < Lut.Size; ++g)
      for (int32_t r = 0; r < Lut.Size; ++r, ++I) {
        const float x = b / 2.0f, y = g / 2.0f, z = r / 2.0f;
        Lut.R[I] = std::nearbyint(TetrahedralInterpolation(Source, Source.R, x, y, z));
        Lut.G[I] = std::nearbyint(TetrahedralInterpolation(Source, Source.G, x, y, z));
        Lut.B[I] = std::nearbyint(TetrahedralInterpolation(Source, Source.B, x, y, z));
      }
  for (int Pass = 0; Pass < 3; ++Pass) Smooth(Lut, 0);
  return true;
}

float GetValueTricubicClamped(const T3DLut& Lut, const float* Plane, float pb, float pg, float pr) {
  if (Plane == nullptr || CubicNodes(Lut) == 0 || pb != pb || pg != pg || pr != pr) return 0;
  const int32_t N = Lut.Size;
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

void SaveToByteList(const T3DLut& Lut, std::string& Text) {
  Text.clear();
  if (CubicNodes(Lut) == 0) return;
  const int32_t N = Lut.Size;
  Text.reserve(static_cast<std::size_t>(CubicNodes(Lut)) * 3 * 10);
  for (int32_t r = 0; r < N; ++r)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t b = 0; b < N; ++b) {
        const int64_t I = r + int64_t(N) * (g + int64_t(N) * b);
        for (const float* P : {Lut.R, Lut.G, Lut.B}) {
          const float X = P[I] * 65535.0f;
          const float V = X != X ? 0.0f : std::clamp(std::nearbyint(X), 0.0f, 65535.0f);
          const int32_t W = static_cast<int32_t>(V);
          Text += std::to_string(W / 256) + ", " + std::to_string(W % 256) + ", ";
        }
      }
}

// --- Node helpers ---

void SetNodeCapped(T3DLut& Lut, int32_t b, int32_t g, int32_t r, float Red, float Green,
                   float Blue) {
  if (CubicNodes(Lut) == 0 || b < 0 || g < 0 || r < 0 || b >= Lut.Size || g >= Lut.Size ||
      r >= Lut.Size)
    return;
  const int64_t I = r + int64_t(Lut.Size) * (g + int64_t(Lut.Size) * b);
  Lut.R[I] = Red > 1.0f ? 1.0f : Red;
  Lut.G[I] = Green > 1.0f ? 1.0f : Green;
  Lut.B[I] = Blue > 1.0f ? 1.0f : Blue;
}

void GetGreyPixel(const T3DLut& Lut, uint32_t Index, TRGBAPixel128& Pixel) {
  const float V = (Lut.R != nullptr && Index < static_cast<uint32_t>(std::max(Lut.Count, 0)))
                      ? Lut.R[Index]
                      : 0.0f;
  Pixel = {V, V, V, 0.0f};
}

namespace {

// Node (Step*b, Step*g, Step*r) of the old grid to node (b, g, r) of the
// M-grid, in place (a target index never exceeds its source index).
void DownsamplePlane(float* P, int32_t Old, int32_t M, int32_t Step) {
  for (int32_t b = 0; b < M; ++b)
    for (int32_t g = 0; g < M; ++g)
      for (int32_t r = 0; r < M; ++r) {
        const int64_t ob = std::min(Step * b, Old - 1);
        const int64_t og = std::min(Step * g, Old - 1);
        const int64_t orr = std::min(Step * r, Old - 1);
        P[r + int64_t(M) * (g + int64_t(M) * b)] = P[orr + Old * (og + Old * ob)];
      }
}

// A cube of Size levels down to M levels, every Step-th node kept; a
// result of fewer than MinLutLevels levels leaves the LUT as it is.
void DownsampleCube(T3DLut& Lut, int32_t M, int32_t Step) {
  if (M < MinLutLevels) return;
  DownsamplePlane(Lut.R, Lut.Size, M, Step);
  DownsamplePlane(Lut.G, Lut.Size, M, Step);
  DownsamplePlane(Lut.B, Lut.Size, M, Step);
  Lut.Size = Lut.NLRH = Lut.NLGS = Lut.NLBL = M;
  Lut.Count = M * M * M;
}

}  // namespace

void DownsampleHalf(T3DLut& Lut) {
  if (CubicNodes(Lut) == 0) return;
  DownsampleCube(Lut, Lut.Size / 2, 2);
}

void DownsampleThird(T3DLut& Lut) {
  if (CubicNodes(Lut) == 0) return;
  DownsampleCube(Lut, (Lut.Size + 2) / 3, 3);
}

}  // namespace kromel
