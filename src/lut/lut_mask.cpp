// T3DLut as a mask: grey key sources, blending two LUTs through a mask,
// masking image alpha, and the 3D mask editors.
#include "lut/lut_mask.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "images/image32.h"
#include "images/image64.h"
#include "lut/lut.h"
#include "lut/lut_levels.h"
#include "lut/lut_lookup.h"
#include "lut/node_workers.h"

namespace kromel {

namespace {

// Node(i) for each of the first N nodes, on the node workers; Node may
// only touch node i.
template <class TNode>
void ForNodes(int64_t N, TNode Node) {
  ParallelForNodes(static_cast<int32_t>(N), [&](int32_t Begin, int32_t End) {
    for (int32_t i = Begin; i < End; ++i) Node(i);
  });
}

// Writes Measure(R, G, B) of each of the first N nodes to R, G and B.
template <class TMeasure>
void WriteGrey(T3DLut& Lut, int64_t N, TMeasure Measure) {
  ForNodes(N, [&](int32_t i) {
    const float V = Measure(Lut.R[i], Lut.G[i], Lut.B[i]);
    Lut.R[i] = V;
    Lut.G[i] = V;
    Lut.B[i] = V;
  });
}

// HSPe chroma pulled in by sqrt(|c|^2 / 10000) + 0.4.
void CompressedHSPeChroma(float R, float G, float B, float& X, float& Y) {
  float P;
  RGBtoHSPeXYSingle(R, G, B, P, X, Y);
  const float K = std::sqrt((X * X + Y * Y) / 10000) + 0.4f;
  X /= K;
  Y /= K;
}

// True when Lut, A and B are present with the same cubic shape; reports
// a size mismatch. Absent or empty A or B: false without a report.
bool DifferenceSourcesUsable(const T3DLut& Lut, int64_t N, const T3DLut* LutA,
                             const T3DLut* LutB) {
  if (LutA == nullptr || LutB == nullptr || !LutA->HasPlanes() || !LutB->HasPlanes()) return false;
  if (N == 0) return false;
  auto Same = [&](const T3DLut& X) {
    return X.Size == Lut.Size && !X.NonCubic && X.Count == Lut.Count;
  };
  if (!Same(*LutA) || !Same(*LutB)) {
    ErrorMessageProc("T3DLut.ExtractDifference error - lut sizes differ");
    return false;
  }
  return true;
}

// Qualifier pixel colour (0..1) and whether its alpha is 0.
inline void QualifierColour(const TImage32& Q, int64_t i, float& R, float& G, float& B,
                            bool& Transparent) {
  const TBGRAPixel32& P = Q.Pixels[i].BGRA;
  R = static_cast<float>(P.R) / 255.0f;
  G = static_cast<float>(P.G) / 255.0f;
  B = static_cast<float>(P.B) / 255.0f;
  Transparent = P.A == 0;
}

inline void QualifierColour(const TImage64& Q, int64_t i, float& R, float& G, float& B,
                            bool& Transparent) {
  const TPixel64& P = Q.Pixels[i];
  R = static_cast<float>(P.R) / 65535.0f;
  G = static_cast<float>(P.G) / 65535.0f;
  B = static_cast<float>(P.B) / 65535.0f;
  Transparent = P.A == 0;
}

// The pixel loop of the ProcessMaskAlpha family; the callers have checked
// the LUT, the qualifier's pixels and that it matches Source.
template <class TQualifier>
void MaskImageAlpha(const T3DLut& Mask, const TQualifier& Qualifier, const TImage32& Source,
                    TImage32& Destination, bool Inverted, const char* Name) {
  if (Destination.Pixels == nullptr || Source.Pixels == nullptr) return;
  const int64_t Pixels = int64_t(Destination.Width) * Destination.Height;
  if (Destination.Width < 0 || Destination.Height < 0 || Pixels > Destination.Size ||
      Pixels > Source.Size || Pixels > Qualifier.Size) {
    ErrorMessageProc(std::string("T3DLut.") + Name + " error: Destination size differs");
    return;
  }
  int32_t X = 0, Y = 0;
  try {
    int64_t i = 0;
    for (Y = 0; Y < Destination.Height; ++Y)
      for (X = 0; X < Destination.Width; ++X, ++i) {
        float R, G, B;
        bool Transparent;
        QualifierColour(Qualifier, i, R, G, B, Transparent);
        if (Transparent) {
          Destination.Pixels[i].Value = 0;
          continue;
        }
        ProcessColorTetrahedralSingle(Mask, R, G, B);
        float M = R < 0 ? 0.0f : R;
        if (Inverted) M = 1 - M;
        Destination.Pixels[i] = Source.Pixels[i];
        // Outside 0..255 the byte is clamped; a NaN mask value gives 0.
        float Alpha = std::nearbyint(static_cast<float>(Source.Pixels[i].BGRA.A) * M);
        if (!(Alpha > 0)) Alpha = 0;
        if (Alpha > 255) Alpha = 255;
        Destination.Pixels[i].BGRA.A = static_cast<uint8_t>(Alpha);
      }
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.ProcessMaskImage, x=" + std::to_string(X) +
                     ", y=" + std::to_string(Y));
    return;
  }
  Destination.CopyMarginsFrom(Source);
}

inline bool MaskLutUsable(const T3DLut& Lut) { return Lut.Size > 0 && LevelNodes(Lut) > 0; }

}  // namespace

// --- Mask sources ---

void ChannelToGray(T3DLut& Lut, int32_t Channel) {
  if (Channel < 0 || Channel > 2) return;
  WriteGrey(Lut, CubicNodes(Lut), [Channel](float R, float G, float B) {
    return Channel == 0 ? R : Channel == 1 ? G : B;
  });
}

void BrightnessToGray(T3DLut& Lut) {
  WriteGrey(Lut, CubicNodes(Lut), [](float R, float G, float B) {
    return std::sqrt(0.241f * R * R + 0.691f * G * G + 0.068f * B * B);
  });
}

void SaturationToGray(T3DLut& Lut) {
  WriteGrey(Lut, CubicNodes(Lut), [](float R, float G, float B) {
    const float Mx = std::max({R, G, B});
    const float Mn = std::min({R, G, B});
    if (Mx == 0 || Mn == 1) return 0.0f;
    float F = 1 - (Mx + Mn);
    if (F < 0) F = 0.75f * F;
    return (Mx - Mn) / (1 - std::fabs(F));
  });
}

void RedDominanceToGray(T3DLut& Lut) {
  WriteGrey(Lut, CubicNodes(Lut), [](float R, float G, float B) {
    const float Q = std::max(0.7f * G, B);
    return Clamp01((R - Q) / std::max({R, Q, 0.0001f}) + 0.5f);
  });
}

void OrangeToGray(T3DLut& Lut) {
  WriteGrey(Lut, CubicNodes(Lut), [](float R, float G, float B) {
    const float Mx = std::max({R, G, B});
    float E = (R - B) / (Mx + 0.1f);
    if (E < 0) E = 0;
    return Clamp01((1 - 4 * std::fabs((R + B) / 2 - G) / (Mx + 0.01f)) * E);
  });
}

void MinimumToGray(T3DLut& Lut) {
  WriteGrey(Lut, CubicNodes(Lut), [](float R, float G, float B) { return std::min({R, G, B}); });
}

void CMYKChannelToGray(T3DLut& Lut, int32_t Channel) {
  if (Channel < 0 || Channel > 3) return;
  WriteGrey(Lut, CubicNodes(Lut), [Channel](float R, float G, float B) {
    float K = 1 - std::max({R, G, B});
    if (K > 1) K = 1;
    float V = K;
    if (Channel < 3) {
      const float X = Channel == 0 ? R : Channel == 1 ? G : B;
      V = (1 - X - K) / (1.000001f - K);
    }
    return V > 1 ? 1.0f : V;
  });
}

void HSPHueToGray(T3DLut& Lut) {
  WriteGrey(Lut, CubicNodes(Lut), [](float R, float G, float B) {
    float H, S, P;
    RGBtoHSP2pSingle(R, G, B, H, S, P);
    return Clamp01(H);
  });
}

void LabChromaDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB) {
  float L0, A0, B0;
  RGBtoLABSingle(RefR, RefG, RefB, L0, A0, B0);
  WriteGrey(Lut, CubicNodes(Lut), [&](float R, float G, float B) {
    float L, Av, Bv;
    RGBtoLABSingle(R, G, B, L, Av, Bv);
    const float Da = Av - A0, Db = Bv - B0;
    return Clamp01(std::sqrt(Da * Da + Db * Db) / 100);
  });
}

void LabDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB) {
  float L0, A0, B0;
  RGBtoLABSingle(RefR, RefG, RefB, L0, A0, B0);
  WriteGrey(Lut, CubicNodes(Lut), [&](float R, float G, float B) {
    float L, Av, Bv;
    RGBtoLABSingle(R, G, B, L, Av, Bv);
    const float DL = L - L0, Da = Av - A0, Db = Bv - B0;
    return Clamp01(std::sqrt(DL * DL + Da * Da + Db * Db) / 100);
  });
}

void RGBDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB) {
  WriteGrey(Lut, CubicNodes(Lut), [&](float R, float G, float B) {
    const float DR = R - RefR, DG = G - RefG, DB = B - RefB;
    return Clamp01(std::sqrt(DR * DR + DG * DG + DB * DB) / 1.732f);
  });
}

void HSPeDistanceToGray(T3DLut& Lut, float RefR, float RefG, float RefB) {
  float X0, Y0;
  CompressedHSPeChroma(RefR, RefG, RefB, X0, Y0);
  WriteGrey(Lut, CubicNodes(Lut), [&](float R, float G, float B) {
    float X, Y;
    CompressedHSPeChroma(R, G, B, X, Y);
    const float DX = X - X0, DY = Y - Y0;
    return Clamp01(std::sqrt(DX * DX + DY * DY) / 100);
  });
}

namespace {

// Along (or across) the direction of the reference's HSPe chroma.
void ChromaAxis(T3DLut& Lut, int64_t N, float RefR, float RefG, float RefB, bool Across) {
  float P, Xk, Yk;
  RGBtoHSPeXYSingle(RefR, RefG, RefB, P, Xk, Yk);
  const float T = std::atan2(Xk, Yk);
  const float SinT = std::sin(T), CosT = std::cos(T);
  WriteGrey(Lut, N, [&](float R, float G, float B) {
    float Pn, X, Y;
    RGBtoHSPeXYSingle(R, G, B, Pn, X, Y);
    const float V = Across ? X * CosT - Y * SinT : X * SinT + Y * CosT;
    return Clamp01((V + 100) / 200);
  });
}

}  // namespace

void ChromaAxisToGray(T3DLut& Lut, float RefR, float RefG, float RefB) {
  ChromaAxis(Lut, CubicNodes(Lut), RefR, RefG, RefB, false);
}

void ChromaCrossAxisToGray(T3DLut& Lut, float RefR, float RefG, float RefB) {
  ChromaAxis(Lut, CubicNodes(Lut), RefR, RefG, RefB, true);
}

void ExtractDifference(T3DLut& Lut, const T3DLut* LutA, const T3DLut* LutB) {
  const int64_t N = CubicNodes(Lut);
  if (!DifferenceSourcesUsable(Lut, N, LutA, LutB)) return;
  ForNodes(N, [&](int32_t i) {
    const float V[6] = {LutA->R[i], LutA->G[i], LutA->B[i], LutB->R[i], LutB->G[i], LutB->B[i]};
    const float Hi = *std::max_element(V, V + 6);
    const float Lo = *std::min_element(V, V + 6);
    const float DR = V[0] - V[3], DG = V[1] - V[4], DB = V[2] - V[5];
    const float D = std::sqrt((DR * DR + DG * DG + DB * DB) / 3) / (std::min(Hi, 1 - Lo) + 0.0001f);
    Lut.R[i] = Lut.G[i] = Lut.B[i] = D;
  });
}

void ExtractDifferenceSXY(T3DLut& Lut, const T3DLut* LutA, const T3DLut* LutB) {
  const int64_t N = CubicNodes(Lut);
  if (!DifferenceSourcesUsable(Lut, N, LutA, LutB)) return;
  ForNodes(N, [&](int32_t i) {
    float S1, X1, Y1, S2, X2, Y2;
    RGBtoSXYSingle(LutA->R[i], LutA->G[i], LutA->B[i], S1, X1, Y1);
    RGBtoSXYSingle(LutB->R[i], LutB->G[i], LutB->B[i], S2, X2, Y2);
    const float DX = X1 - X2, DY = Y1 - Y2;
    Lut.R[i] = Lut.G[i] = Lut.B[i] = std::sqrt(std::sqrt(DX * DX + DY * DY) / 220);
  });
}

void ConvertToHSP2p(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  ForNodes(N, [&](int32_t i) {
    float H, S, P;
    RGBtoHSP2pSingle(Lut.R[i], Lut.G[i], Lut.B[i], H, S, P);
    Lut.R[i] = H;
    Lut.G[i] = S;
    Lut.B[i] = P / 100;
  });
}

void ConvertToHueChromaLightness(T3DLut& Lut) {
  const int64_t N = CubicNodes(Lut);
  ForNodes(N, [&](int32_t i) {
    float L, C, H;
    RGBtoLChSingle(Lut.R[i], Lut.G[i], Lut.B[i], L, C, H);
    Lut.R[i] = H;
    Lut.G[i] = C / 128;
    Lut.B[i] = L / 100;
  });
}

// --- Blending ---

void BlendByMask(T3DLut& Lut, const T3DLut& Wet, const T3DLut& Mask, const T3DLut* Dry,
                 int32_t Method) {
  if (Method < 0 || Method > 2) return;
  const int64_t N = CubicNodes(Lut);
  if (N == 0 || Wet.Size != Lut.Size || CubicNodes(Wet) != N) {
    ErrorMessageProc("Error in T3DLut.BlendByMask - Sizes differ");
    return;
  }
  if (LevelNodes(Mask) == 0 || (Dry != nullptr && LevelNodes(*Dry) == 0)) {
    ErrorMessageProc("Error in T3DLut.BlendByMask - LUT empty");
    return;
  }
  // A mask or dry LUT that is this LUT is read from a copy of it.
  T3DLut Before;
  if (&Mask == &Lut || Dry == &Lut) {
    if (!Before.CopyFrom(Lut)) return;
  }
  const T3DLut& M = &Mask == &Lut ? Before : Mask;
  const T3DLut* D0 = Dry == &Lut ? &Before : Dry;
  const int32_t S = Lut.Size;
  ParallelForNodes(int32_t(N), [&](int32_t Begin, int32_t End) {
    for (int32_t I = Begin; I < End; ++I) {
      const int32_t r = I % S, g = I / S % S, b = I / S / S;
      const float P[3] = {LevelValue(r, Lut.Size), LevelValue(g, Lut.Size),
                          LevelValue(b, Lut.Size)};
      float L = P[0], Mg = P[1], Mb = P[2];
      ProcessColorTetrahedralSingle(M, L, Mg, Mb);
      float D[3] = {P[0], P[1], P[2]};
      if (D0 != nullptr) ProcessColorTetrahedralSingle(*D0, D[0], D[1], D[2]);
      const float W[3] = {Wet.R[I], Wet.G[I], Wet.B[I]};
      float Out[3];
      if (Method == 0) {
        for (int k = 0; k < 3; ++k) Out[k] = L * W[k] + (1 - L) * D[k];
      } else {
        float Delta[3];
        for (int k = 0; k < 3; ++k) Delta[k] = W[k] - D[k];
        const float Rms =
            std::sqrt((Delta[0] * Delta[0] + Delta[1] * Delta[1] + Delta[2] * Delta[2]) / 3);
        if (Method == 1) {
          const float Limit = L * L;
          if (Rms > Limit)
            for (float& X : Delta) X = X * Limit / Rms;
          for (int k = 0; k < 3; ++k) Out[k] = D[k] + Delta[k];
        } else {
          const float Mf = (1 - L) * (1 - L);
          float F;
          if (Mf == 0 || Rms == 0) {
            F = 0;
          } else if (Rms < 2 * Mf) {
            const float T = Rms / (2 * Mf) - 1;
            F = (Mf / Rms) * (1 - T * T);
          } else {
            F = Mf / Rms;
          }
          if (Mf > 0.9f) F = 1 - (1 - (Mf - 0.9f) / 0.1f) * (1 - F);
          for (int k = 0; k < 3; ++k) Out[k] = W[k] + (D[k] - W[k]) * F;
        }
      }
      Lut.R[I] = Clamp01(Out[0]);
      Lut.G[I] = Clamp01(Out[1]);
      Lut.B[I] = Clamp01(Out[2]);
    }
  });
}

// --- Image masks ---

void ProcessMaskAlpha(const T3DLut& Lut, const TImage32& Qualifier, const TImage32& Source,
                      TImage32& Destination) {
  if (!Lut.HasPlanes()) return;
  if (Qualifier.Pixels == nullptr) {
    ErrorMessageProc("T3DLut.ProcessMaskAlpha error: QualifierImg.Data=nil");
    return;
  }
  if (Qualifier.Size != Source.Size) {
    ErrorMessageProc("T3DLut.ProcessMaskAlpha error: Sizes differ");
    return;
  }
  if (!MaskLutUsable(Lut)) return;
  MaskImageAlpha(Lut, Qualifier, Source, Destination, false, "ProcessMaskAlpha");
}

void ProcessMaskAlphaInverted(const T3DLut& Lut, const TImage32& Qualifier, const TImage32& Source,
                              TImage32& Destination) {
  if (Qualifier.Size != Source.Size) {
    ErrorMessageProc("T3DLut.ProcessMaskAlphaInverted error: Sizes differ");
    return;
  }
  if (!MaskLutUsable(Lut)) {
    ErrorMessageProc("T3DLUT.ProcessMaskAlphaInverted: LUT not initialized! Processing canceled!");
    return;
  }
  if (Qualifier.Pixels == nullptr) return;
  MaskImageAlpha(Lut, Qualifier, Source, Destination, true, "ProcessMaskAlphaInverted");
}

void ProcessMaskAlpha64(const T3DLut& Lut, const TImage64& Qualifier, const TImage32& Source,
                        TImage32& Destination) {
  if (Qualifier.Pixels == nullptr) {
    ErrorMessageProc("T3DLut.ProcessMaskAlpha64 error: QualifierImg.Data=nil");
    return;
  }
  if (Qualifier.Size != Source.Size) {
    ErrorMessageProc("T3DLut.ProcessMaskAlpha64 error: Sizes differ, " +
                     std::to_string(Qualifier.Width) + "x" + std::to_string(Qualifier.Height) +
                     " and " + std::to_string(Source.Width) + "x" +
                     std::to_string(Source.Height));
    return;
  }
  if (!MaskLutUsable(Lut)) {
    ErrorMessageProc("T3DLUT.ProcessMaskAlpha64: LUT not initialized! Processing canceled!");
    return;
  }
  MaskImageAlpha(Lut, Qualifier, Source, Destination, false, "ProcessMaskAlpha64");
}

void ProcessMaskAlphaInverted64(const T3DLut& Lut, const TImage64& Qualifier,
                                const TImage32& Source, TImage32& Destination) {
  if (Qualifier.Size != Source.Size) {
    ErrorMessageProc("T3DLut.ProcessMaskAlphaInverted64 error: Sizes differ");
    return;
  }
  if (!MaskLutUsable(Lut)) {
    ErrorMessageProc(
        "T3DLUT.ProcessMaskAlphaInverted64: LUT not initialized! Processing canceled!");
    return;
  }
  if (Qualifier.Pixels == nullptr) return;
  MaskImageAlpha(Lut, Qualifier, Source, Destination, true, "ProcessMaskAlphaInverted64");
}

// --- 3D mask editing ---

namespace {

// R of every node with green index 1 or more = Combine(extreme of itself
// and its neighbours, own value). Red wraps on a non-cubic LUT, else an
// index beyond an end is the node's own; green beyond the top is the
// node's own; blue layers beyond an end are left out. False (reported with
// Name) when the pass failed; R is then unchanged.
template <class TPick, class TCombine>
bool SpreadMaskRed(T3DLut& Lut, const char* Name, TPick Pick, TCombine Combine) {
  const int64_t N = LevelNodes(Lut);
  if (N == 0) return false;
  const int32_t NR = Lut.NLRH, NG = Lut.NLGS, NB = Lut.NLBL;
  int64_t I = 0;
  int32_t ZR = 0;
  try {
    const std::vector<float> Copy(Lut.R, Lut.R + N);
    std::vector<float> Out(Copy);
    auto At = [&](int32_t b, int32_t g, int32_t r) {
      return Copy[r + int64_t(NR) * (g + int64_t(NG) * b)];
    };
    for (int32_t b = 0; b < NB; ++b)
      for (int32_t g = 1; g < NG; ++g)
        for (ZR = 0; ZR < NR; ++ZR) {
          const int32_t r = ZR;
          I = r + int64_t(NR) * (g + int64_t(NG) * b);
          auto RedAt = [&](int32_t d) {
            const int32_t x = r + d;
            if (x >= 0 && x < NR) return x;
            return Lut.NonCubic ? (x + NR) % NR : r;
          };
          auto GreenAt = [&](int32_t d) {
            const int32_t y = g + d;
            return y < NG ? y : g;
          };
          const float Own = Copy[I];
          float E = Own;
          for (int32_t db = -1; db <= 1; ++db) {
            const int32_t z = b + db;
            if (z < 0 || z >= NB) continue;
            for (int32_t dg = -1; dg <= 1; ++dg)
              for (int32_t dr = -1; dr <= 1; ++dr) E = Pick(E, At(z, GreenAt(dg), RedAt(dr)));
          }
          Out[I] = Combine(E, Own);
        }
    std::copy(Out.begin(), Out.end(), Lut.R);
  } catch (...) {
    ErrorMessageProc(std::string("Exception in ") + Name + ", I=" + std::to_string(I) +
                     " ZR=" + std::to_string(ZR));
    return false;
  }
  return true;
}

}  // namespace

void MaximumR(T3DLut& Lut) {
  const bool Done = SpreadMaskRed(
      Lut, "MaximumR", [](float E, float V) { return V > E ? V : E; },
      [](float E, float Own) { return (E + Own) / 2; });
  if (Done && Lut.OnChange) Lut.OnChange(&Lut);
}

void MinimumR(T3DLut& Lut) {
  const bool Done = SpreadMaskRed(
      Lut, "MinimumR", [](float E, float V) { return V < E ? V : E; },
      [](float E, float) { return E; });
  if (Done && Lut.OnChange) Lut.OnChange(&Lut);
}

void FillWhite(T3DLut& Lut) {
  if (Lut.R == nullptr || Lut.G == nullptr || Lut.B == nullptr) return;
  const std::size_t N = static_cast<std::size_t>(std::max(Lut.Count, 0));
  std::fill_n(Lut.R, N, 1.0f);
  std::fill_n(Lut.G, N, 1.0f);
  std::fill_n(Lut.B, N, 1.0f);
  if (Lut.OnChange) Lut.OnChange(&Lut);
}

void Invert(T3DLut& Lut) {
  const int64_t N = LevelNodes(Lut);
  for (float* P : {Lut.R, Lut.G, Lut.B})
    for (int64_t i = 0; i < N; ++i) P[i] = 1 - P[i];
}

void MultiplyAdd(T3DLut& Lut, float a, float b) {
  const int64_t N = LevelNodes(Lut);
  for (float* P : {Lut.R, Lut.G, Lut.B})
    for (int64_t i = 0; i < N; ++i) P[i] = P[i] * a + b;
}

}  // namespace kromel
