#include "matching/chart_matching.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "images/pixel128.h"
#include "lut/lut_edit.h"
#include "lut/lut_lookup.h"
#include "platform/translate.h"

namespace kromel {

namespace {

float CityBlock(const TBGRAPixel128& A, const TBGRAPixel128& B) {
  return std::fabs(A.R - B.R) + std::fabs(A.G - B.G) + std::fabs(A.B - B.B);
}

float RGBSum(const TBGRAPixel128& P) { return P.R + P.G + P.B; }

// Flags chosen by saturation may mark coloured patches of equal brightness;
// only sources near each other in every channel are one neutral patch.
bool SimilarColours(const TBGRAPixel128& A, const TBGRAPixel128& B, float Distance) {
  return std::fabs(A.R - B.R) < Distance && std::fabs(A.G - B.G) < Distance &&
         std::fabs(A.B - B.B) < Distance;
}

void Invalidate(TBGRAPixel128& S, TBGRAPixel128& D) { S.A = D.A = 0; }

// Sums of the colours of merged pairs; the first pair keeps the mean.
struct TPairSum {
  double SR = 0, SG = 0, SB = 0, DR = 0, DG = 0, DB = 0;
  int32_t Count = 0;
  void Add(const TBGRAPixel128& S, const TBGRAPixel128& D) {
    SR += S.R;
    SG += S.G;
    SB += S.B;
    DR += D.R;
    DG += D.G;
    DB += D.B;
    ++Count;
  }
  void StoreMean(TBGRAPixel128& S, TBGRAPixel128& D) const {
    S.R = float(SR / Count);
    S.G = float(SG / Count);
    S.B = float(SB / Count);
    D.R = float(DR / Count);
    D.G = float(DG / Count);
    D.B = float(DB / Count);
  }
};

// A pair (0 or 1 for each channel, alpha 1) appended to both lists.
void AppendAnchor(TImage128& Src, TImage128& Dst, TBooleanArray& Flags, float V) {
  const int32_t N = Src.Size + 1;
  if (!Src.Resize(N, 1) || !Dst.Resize(N, 1)) return;
  Src.Data[N - 1].Init(V, V, V, 1);
  Dst.Data[N - 1].Init(V, V, V, 1);
  Flags.resize(size_t(N), false);
  Flags[size_t(N - 1)] = true;
}

bool HasAnchor(const TImage128& Src, float V) { return Src.FindNearColor(V, V, V, 0.01f) >= 0; }

// Smoothing from neutral towards saturated: each node moves towards a
// quadratic estimate from three samples on its line through the grey of
// equal mean, P + (M - P)/3, P + 2 (M - P)/3 and P - (M - P)/3. A sample
// beyond the cube is read as the straight continuation 2 f(P) - f(P + (M -
// P)/3), so a map that is affine (the identity above all) stays as it is.
void SmoothChartLUT(T3DLut& LUT, float Amount) {
  const int32_t N = LUT.Size;
  if (N < 2 || !LUT.R || !LUT.G || !LUT.B) return;
  std::vector<float> Out(size_t(LUT.Count) * 3);
  int64_t I = 0;
  for (int32_t Bi = 0; Bi < N; ++Bi)
    for (int32_t Gi = 0; Gi < N; ++Gi)
      for (int32_t Ri = 0; Ri < N; ++Ri, ++I) {
        const float D = float(N - 1);
        const float P[3] = {float(Ri) / D, float(Gi) / D, float(Bi) / D};
        const float M = (P[0] + P[1] + P[2]) / 3;
        float A0[3], B0[3], C0[3];
        bool Inside = true;
        for (int K = 0; K < 3; ++K) {
          A0[K] = P[K] + (M - P[K]) / 3;
          B0[K] = P[K] + 2 * (M - P[K]) / 3;
          C0[K] = P[K] + (P[K] - M) / 3;
          Inside = Inside && C0[K] >= 0 && C0[K] <= 1;
        }
        ProcessColorTetrahedralQuiet(LUT, A0[0], A0[1], A0[2]);
        ProcessColorTetrahedralQuiet(LUT, B0[0], B0[1], B0[2]);
        const float Node[3] = {LUT.R[I], LUT.G[I], LUT.B[I]};
        if (Inside) {
          ProcessColorTetrahedralQuiet(LUT, C0[0], C0[1], C0[2]);
        } else {
          for (int K = 0; K < 3; ++K) C0[K] = 2 * Node[K] - A0[K];
        }
        for (int K = 0; K < 3; ++K) {
          const float E = 1.25f * A0[K] - 0.5f * B0[K] + 0.25f * C0[K];
          Out[size_t(I) * 3 + size_t(K)] =
              std::clamp((1 - Amount) * Node[K] + Amount * E, 0.0f, 1.0f);
        }
      }
  for (int64_t J = 0; J < LUT.Count; ++J) {
    LUT.R[J] = Out[size_t(J) * 3];
    LUT.G[J] = Out[size_t(J) * 3 + 1];
    LUT.B[J] = Out[size_t(J) * 3 + 2];
  }
}

// Pairs whose sources lie within 0.0035 (city-block) of an earlier pair's
// are one colour to the body: they merge into the earlier pair (sources,
// targets and neutral flags averaged or joined). Targets more than 0.021
// apart are a conflict, reported once with the first pair found.
void MergeCoincidentSources(TImage128& Src, TImage128& Dst, TBooleanArray& Flags) {
  const int32_t N = std::min(Src.Size, Dst.Size);
  std::vector<int32_t> ByRed;
  for (int32_t I = 0; I < N; ++I)
    if (Src.Data[I].A > 0 && Dst.Data[I].A > 0) ByRed.push_back(I);
  std::sort(ByRed.begin(), ByRed.end(),
            [&Src](int32_t X, int32_t Y) { return Src.Data[X].R < Src.Data[Y].R; });
  std::vector<int32_t> Position(size_t(std::max(N, 0)), -1);
  for (size_t K = 0; K < ByRed.size(); ++K) Position[size_t(ByRed[K])] = int32_t(K);
  constexpr float Near = 0.0035f;
  int32_t Conflicts = 0, FirstI = -1, FirstJ = -1;
  std::string FirstText;
  for (int32_t I = 0; I < N; ++I) {
    if (Position[size_t(I)] < 0 || !(Src.Data[I].A > 0)) continue;
    const TBGRAPixel128 S = Src.Data[I], D = Dst.Data[I];
    TPairSum Sum;
    Sum.Add(S, D);
    auto Visit = [&](size_t K) {
      const int32_t J = ByRed[K];
      if (J <= I || !(Src.Data[J].A > 0) || !(CityBlock(S, Src.Data[J]) < Near)) return;
      if (CityBlock(D, Dst.Data[J]) > 0.021f) {
        if (Conflicts++ == 0) {
          std::string S1, D1, D2;
          Pixel128ToRGBText(S, S1);
          Pixel128ToRGBText(D, D1);
          Pixel128ToRGBText(Dst.Data[J], D2);
          FirstI = I;
          FirstJ = J;
          FirstText = "\nSrc: " + S1 + "\nDest1: " + D1 + "\nDest2: " + D2;
        }
      }
      Sum.Add(Src.Data[J], Dst.Data[J]);
      if (J < int32_t(Flags.size()) && Flags[size_t(J)] && I < int32_t(Flags.size()))
        Flags[size_t(I)] = true;
      Invalidate(Src.Data[J], Dst.Data[J]);
    };
    const size_t At = size_t(Position[size_t(I)]);
    for (size_t K = At + 1; K < ByRed.size() && Src.Data[ByRed[K]].R - S.R < Near; ++K) Visit(K);
    for (size_t K = At; K-- > 0 && S.R - Src.Data[ByRed[K]].R < Near;) Visit(K);
    if (Sum.Count > 1) Sum.StoreMean(Src.Data[I], Dst.Data[I]);
  }
  if (Conflicts > 0)
    ErrorMessageProc(_("Warning") + ": " + std::to_string(Conflicts) +
                     " colour pair(s) share a source colour with another pair but not its "
                     "target; their targets are averaged.\nPatches " +
                     std::to_string(FirstI) + " and " + std::to_string(FirstJ) + FirstText);
}

}  // namespace

bool ColorPairsDiffer(const TBGRAPixel128& Src1, const TBGRAPixel128& Src2, float Threshold,
                      float RelThreshold) {
  const float M = std::max({Pixel128Luminance(Src1), Pixel128Luminance(Src2), 0.01f});
  const float D = CityBlock(Src1, Src2) / 3;
  return D > Threshold && D / M > RelThreshold;
}

void ColorPairsAverageDuplicates(TImage128& Src, TImage128& Dst, const TBooleanArray& Flags) {
  int32_t I = 0;
  try {
    if (!Src.Data || !Dst.Data) return;
    const int32_t N = std::min(Src.Size, Dst.Size);
    auto Flag = [&Flags](int32_t K) { return K < int32_t(Flags.size()) && Flags[size_t(K)]; };
    for (I = 0; I < N; ++I) {
      const TBGRAPixel128 Target = Dst.Data[I];
      if ((Target.R == 0 && Target.G == 0 && Target.B == 0) || !(Src.Data[I].A > 0)) continue;
      TPairSum Sum;
      Sum.Add(Src.Data[I], Target);
      for (int32_t J = I + 1; J < N; ++J) {
        if (!(Src.Data[J].A > 0) || !(CityBlock(Target, Dst.Data[J]) < 0.01f) ||
            Flag(I) != Flag(J))
          continue;
        if (ColorPairsDiffer(Src.Data[I], Src.Data[J], 0.07f, 0.15f)) {
          std::string S1, S2, D1, D2;
          Pixel128ToRGBText(Src.Data[I], S1);
          Pixel128ToRGBText(Src.Data[J], S2);
          Pixel128ToRGBText(Target, D1);
          Pixel128ToRGBText(Dst.Data[J], D2);
          ErrorMessageProc(_("Warning") + ": " +
                           _("Attempt of removing duplicate target patches, while source patches "
                             "have serious difference: ") +
                           "\nPatches " + std::to_string(I) + " and " + std::to_string(J) +
                           "\nSrc1: " + S1 + "\nSrc2: " + S2 + "\nDest1: " + D1 +
                           "\nDest2: " + D2 + "\n" +
                           _("This might be caused by shadows or uneven lighting. Patches will be "
                             "averaged, but it's recommended to shoot color charts more "
                             "accurately."));
        }
        Sum.Add(Src.Data[J], Dst.Data[J]);
        Invalidate(Src.Data[J], Dst.Data[J]);
      }
      Sum.StoreMean(Src.Data[I], Dst.Data[I]);
    }
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ColorPairsAverageDuplicates, i=" + std::to_string(I));
  }
}

bool FindCloseSourceColors(const TImage128& Src, const TImage128& Dst, int32_t& I1,
                           int32_t& I2) {
  I1 = I2 = -1;
  if (!Src.Data || !Dst.Data) return false;
  const int32_t N = std::min(Src.Size, Dst.Size);
  for (int32_t I = 0; I < N; ++I) {
    if (!(Dst.Data[I].A > 0)) continue;
    for (int32_t J = I + 1; J < N; ++J)
      if (Dst.Data[J].A > 0 && CityBlock(Src.Data[I], Src.Data[J]) < 0.0035f &&
          CityBlock(Dst.Data[I], Dst.Data[J]) > 0.021f) {
        I1 = I;
        I2 = J;
        return true;
      }
  }
  return false;
}

bool SortImage128PairsBySaturation(TImage128& A, TImage128& B, TBooleanArray* Flags) {
  return SortImage128Pairs(A, B, "SortImage128PairsBySaturation",
                           [](const TBGRAPixel128& P) { return Pixel128Saturation(P); }, Flags);
}

bool SortImage128PairsByLuminance(TImage128& A, TImage128& B, TBooleanArray* Flags) {
  return SortImage128Pairs(A, B, "SortImage128PairsByLuminance",
                           [](const TBGRAPixel128& P) { return Pixel128Luminance(P); }, Flags);
}

bool SortImage128PairsByMaximum(TImage128& A, TImage128& B, float Weight, TBooleanArray* Flags) {
  return SortImage128Pairs(
      A, B, "SortImage128PairsByMaximum",
      [Weight](const TBGRAPixel128& P) { return Pixel128Max(P) + Weight * Pixel128Saturation(P); },
      Flags);
}

bool SortImage128PairsBySatLum(TImage128& A, TImage128& B, float Weight, TBooleanArray* Flags) {
  return SortImage128Pairs(A, B, "SortImage128PairsByLuminance",
                           [Weight](const TBGRAPixel128& P) {
                             return Pixel128Luminance(P) + Weight * Pixel128Saturation(P);
                           },
                           Flags);
}

bool SortImage128PairsForTetrahedralization(TImage128& A, TImage128& B, TBooleanArray& Flags) {
  try {
    if (!A.Data || !B.Data || A.Size != B.Size) {
      ErrorMessageProc("Error in SortImage128PairsForTetrahedralization");
      return false;
    }
    const int32_t N = A.Size;
    std::vector<TBGRAPixel128> CA(A.Data, A.Data + N), CB(B.Data, B.Data + N);
    TBooleanArray CF(Flags);
    CF.resize(size_t(N), false);
    for (int32_t I = 0; I < N; ++I) {
      CA[size_t(I)].R = std::max(CA[size_t(I)].R, 0.0f);
      CB[size_t(I)].R = std::max(CB[size_t(I)].R, 0.0f);
    }
    int32_t Taken = 0;
    auto Open = [&CB](int32_t I) {
      return CB[size_t(I)].A > 0.5f && CB[size_t(I)].R >= 0;
    };
    auto Take = [&](int32_t I) {
      if (Taken >= N) {
        ErrorMessageProc("Error in SortImage128PairsForTetrahedralization");
        return;
      }
      A.Data[Taken] = CA[size_t(I)];
      B.Data[Taken] = CB[size_t(I)];
      if (int32_t(Flags.size()) <= Taken) Flags.resize(size_t(Taken) + 1, false);
      Flags[size_t(Taken)] = CF[size_t(I)];
      ++Taken;
      CB[size_t(I)].R = -1;
    };
    for (;;) {
      bool Any = false;
      for (int32_t I = 0; I < N && !Any; ++I) Any = Open(I);
      if (!Any) break;
      int32_t Darkest = -1;
      for (int32_t I = 0; I < N; ++I)
        if (CF[size_t(I)] && Open(I) &&
            (Darkest < 0 || RGBSum(CA[size_t(I)]) < RGBSum(CA[size_t(Darkest)])))
          Darkest = I;
      const float S = Darkest >= 0 ? RGBSum(CA[size_t(Darkest)]) : -1;
      if (Darkest >= 0) Take(Darkest);
      for (int32_t I = 0; I < N; ++I)
        if (!CF[size_t(I)] && Open(I) && (Darkest < 0 || RGBSum(CA[size_t(I)]) < S - 0.001f))
          Take(I);
    }
    A.Size = A.Width = Taken;
    B.Size = B.Width = Taken;
    A.Height = B.Height = Taken > 0 ? 1 : 0;
    // Flags past the new count would still be counted as neutral.
    Flags.resize(size_t(Taken));
    return true;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in SortImage128PairsForTetrahedralization");
    return false;
  }
}

void TTetrahedralization::DropLowSaturation(float Fraction) {
  if (!(Fraction > 0)) return;
  const int32_t N = PairCount();
  float Max = 0;
  for (int32_t I = 0; I < N; ++I)
    if (Dst(I).A > 0) Max = std::max(Max, Pixel128Saturation(Dst(I)));
  for (int32_t I = 0; I < N; ++I)
    if (Dst(I).A > 0 && Pixel128Saturation(Dst(I)) < Fraction * Max &&
        !(I < int32_t(NeutralFlags.size()) && NeutralFlags[size_t(I)]))
      Invalidate(SrcColors.Data[I], DstColors.Data[I]);
}

void TTetrahedralization::MergeClosePairs(bool FlaggedOnly, float Distance) {
  const int32_t N = PairCount();
  auto Eligible = [&](int32_t K) {
    return !FlaggedOnly || (K < int32_t(NeutralFlags.size()) && NeutralFlags[size_t(K)]);
  };
  for (int32_t I = 0; I < N; ++I) {
    if (Dst(I).A == 0 || !(Src(I).A > 0) || !Eligible(I)) continue;
    const float S = RGBSum(Src(I));
    TPairSum Sum;
    Sum.Add(Src(I), Dst(I));
    for (int32_t J = I + 1; J < N; ++J)
      if (Src(J).A > 0 && Eligible(J) && std::fabs(S - RGBSum(Src(J))) < Distance &&
          SimilarColours(Src(I), Src(J), Distance)) {
        Sum.Add(Src(J), Dst(J));
        Invalidate(SrcColors.Data[J], DstColors.Data[J]);
      }
    Sum.StoreMean(SrcColors.Data[I], DstColors.Data[I]);
  }
}

bool OrderPairsForTetrahedralization(TTetrahedralization& T, int32_t SortOrder) {
  TImage128 &A = T.SrcColors, &B = T.DstColors;
  TBooleanArray* F = &T.NeutralFlags;
  switch (SortOrder) {
    case 1: return SortImage128PairsBySaturation(A, B, F);
    case 2: return SortImage128PairsByLuminance(A, B, F);
    case 3: return SortImage128Pairs(A, B, "SortImage128PairsByMinimum",
                                     [](const TBGRAPixel128& P) { return Pixel128Min(P); }, F);
    case 4: return SortImage128PairsByMaximum(A, B, 0, F);
    case 5: return SortImage128PairsBySatLum(A, B, 1, F);
    case 6: return SortImage128PairsByMaximum(A, B, 0.3f, F);
    case 7: return SortImage128PairsBySatLum(A, B, 0.3f, F);
    default: return SortImage128PairsForTetrahedralization(A, B, T.NeutralFlags);
  }
}

TProfileLUTResult CreateProfileLUT(T3DLut& LUT, TImage128& Src, TImage128& Dst,
                                   const TBooleanArray& Flags, bool ShowViewer, bool Report,
                                   float Tolerance, float LowSaturationFraction,
                                   bool NoExtrapolation, bool ShowSteps, int32_t SortOrder,
                                   const TProgressCallback& Progress, bool Smooth) {
  TTetrahedralization T;
  T.Init();
  bool Built = false;
  try {
    LUT.SetDefault();
    if (Src.IsAllBlack()) {
      ErrorMessageProc(_("All source data is zero. Can not continue."));
      return TProfileLUTResult::NoSourceData;
    }
    if (!Dst.Data || Dst.Size != Src.Size) {
      ErrorMessageProc("Error in CreateProfileLUT: Src.Size<>Dest.Size");
      return TProfileLUTResult::BuildFailed;
    }
    TBooleanArray PairFlags(Flags);
    PairFlags.resize(size_t(Src.Size), false);
    ColorPairsAverageDuplicates(Src, Dst, PairFlags);
    if (!HasAnchor(Src, 0)) AppendAnchor(Src, Dst, PairFlags, 0);
    if (!HasAnchor(Src, 1)) AppendAnchor(Src, Dst, PairFlags, 1);
    // Close neutral patches stay apart: each maps onto its own target.
    MergeCoincidentSources(Src, Dst, PairFlags);
    T.SetData(Src, Dst, PairFlags);
    T.DropLowSaturation(LowSaturationFraction);
    Built = OrderPairsForTetrahedralization(T, SortOrder) &&
            CalcTetrahedralization(T, Report, ShowViewer, ShowSteps, Progress, Tolerance);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in CreateProfileLUT 1");
  }
  if (!Built) {
    T.Done();
    return TProfileLUTResult::BuildFailed;
  }
  try {
    const int32_t N = LUT.Size;
    for (int32_t Bi = 0; Bi < N; ++Bi) {
      for (int32_t Gi = 0; Gi < N; ++Gi)
        for (int32_t Ri = 0; Ri < N; ++Ri) {
          const int64_t Node = Ri + int64_t(N) * (Gi + int64_t(N) * Bi);
          TBGRAPixel128 C{}, Res{};
          C.Init(LUT.R[Node], LUT.G[Node], LUT.B[Node], 0);
          TetrahedralizationCalcColor(T, Res, C, Report, ShowViewer, NoExtrapolation);
          if (Res.A < -0.5f) Report = false;
          LUT.R[Node] = std::clamp(Res.R, 0.0f, 1.0f);
          LUT.G[Node] = std::clamp(Res.G, 0.0f, 1.0f);
          LUT.B[Node] = std::clamp(Res.B, 0.0f, 1.0f);
          if (LUT.A) LUT.A[Node] = Res.A;
        }
      if (Progress) Progress(Bi * 100 / N);
    }
    if (Smooth)
      for (int K = 0; K < 3; ++K) SmoothChartLUT(LUT, 0.3f);
    Clamp(LUT);
    LUT.Name = "Color chart matching 3DLUT";
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in CreateProfileLUT");
    T.Done();
    LUT.SetDefault();
    return TProfileLUTResult::BuildFailed;
  }
  T.Done();
  return TProfileLUTResult::Done;
}

void ColorChartApplyCompensationToImage(TImage64& Image, const TImage128& /*Spare*/,
                                        const TColorChartTable& Chart,
                                        const T2DEnvelopeDots& Grid) {
  try {
    if (!Chart.CompensationValid) {
      ErrorMessageProc(
          _("Black/white compensation data is unavailable for this chart. Can not continue."));
      return;
    }
    if (!Image.Pixels) return;
    const TImage128 &Black = Chart.BlackCompensation, &White = Chart.WhiteCompensation;
    const int32_t Patches = std::min(Black.Data ? Black.Size : 0, White.Data ? White.Size : 0);
    for (int32_t X = 0; X < Image.Width; ++X)
      for (int32_t Y = 0; Y < Image.Height; ++Y) {
        int32_t Col = -1, Row = -1;
        Grid.FindNearestActiveDot(X, Y, Col, Row);
        if (Col < 0 || Row < 0) continue;
        const int32_t P = Row * Grid.ColCount + Col;
        if (P >= Patches) continue;
        const TBGRAPixel128 &Bk = Black.Data[P], &Wh = White.Data[P];
        // A patch whose white is not above its black in every channel has
        // no usable levels: dividing by a tiny span would saturate.
        if (!(Wh.R - Bk.R >= 0.0001f) || !(Wh.G - Bk.G >= 0.0001f) ||
            !(Wh.B - Bk.B >= 0.0001f))
          continue;
        TPixel64& Px = Image.Pixels[int64_t(Y) * Image.Width + X];
        const float Lo[3] = {Bk.R, Bk.G, Bk.B}, Hi[3] = {Wh.R, Wh.G, Wh.B};
        uint16_t* V[3] = {&Px.R, &Px.G, &Px.B};
        for (int C = 0; C < 3; ++C) {
          const double Span = double(Hi[C]) - Lo[C];
          const double Out = (Chart.BlackAverage[C] +
                              (Chart.WhiteAverage[C] - Chart.BlackAverage[C]) / Span *
                                  (*V[C] / 65535.0 - Lo[C])) * 65535.0;
          *V[C] = uint16_t(std::clamp(std::nearbyint(Out), 0.0, 65535.0));
        }
      }
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ColorChartApplyCompensationToImage");
  }
}

}  // namespace kromel
