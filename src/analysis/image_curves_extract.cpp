#include "analysis/image_curves_extract.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "foundation/numeric.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

bool Used(const TBGRAPixel32& P) { return P.A >= 129; }

template <class TFn>
void ForUsed(const TImage32& Image, TFn F) {
  if (!HasArea(Image)) return;
  for (int32_t I = 0; I < Image.Size; ++I)
    if (Used(Image.Pixels[I].BGRA)) F(Image.Pixels[I].BGRA);
}

// Per channel values (red, green, blue) and a count.
struct TBin {
  std::array<double, 3> C{};
  double Count = 0;
};

std::array<int32_t, 3> Channels(const TBGRAPixel32& P) { return {P.R, P.G, P.B}; }

struct TRange {
  std::array<int32_t, 3> Min{255, 255, 255};
  std::array<int32_t, 3> Max{0, 0, 0};
};

// The robust black and white levels, the image filtered in place.
TRange FilteredRange(TImage32& Image) {
  TRange R;
  Image.MaxFilter4();
  Image.MaxFilter4();
  ForUsed(Image, [&](const TBGRAPixel32& P) {
    const auto C = Channels(P);
    for (int K = 0; K < 3; ++K) R.Min[K] = std::min(R.Min[K], C[K]);
  });
  for (int I = 0; I < 3; ++I) Image.FilterMin();
  ForUsed(Image, [&](const TBGRAPixel32& P) {
    const auto C = Channels(P);
    for (int K = 0; K < 3; ++K) R.Max[K] = std::max(R.Max[K], C[K]);
  });
  return R;
}

double KeyOf(int32_t Method, const std::array<int32_t, 3>& C, const TRange& R) {
  std::array<double, 3> N;
  for (int K = 0; K < 3; ++K) N[K] = double(C[K] - R.Min[K]) / double(R.Max[K] - R.Min[K]);
  switch (Method) {
    case cemAverage:
    case cemMinMaxMid: return 0.35 * N[0] + 0.5 * N[1] + 0.2 * N[2];
    case cemRed: return C[0] / 255.0;
    case cemGreen: return C[1] / 255.0;
    case cemBlue: return C[2] / 255.0;
    default: return 0.3333 * (N[0] + N[1] + N[2]);
  }
}

int32_t BinOfKey(double K, int32_t N) {
  return int32_t(std::clamp<int64_t>(RoundToInt64Saturated(K * (N - 1)), 0, N - 1));
}

int32_t CurveY(double V) {
  return int32_t(std::min<int64_t>(EnvelopeMaxY, RoundToInt64Saturated(V)));
}

}  // namespace

bool ExtractCurvesFromImage(TImage32& Image, TEnvelopeDots* CurveR, TEnvelopeDots* CurveG,
                            TEnvelopeDots* CurveB, int32_t Method, bool Invert, int32_t Bins) {
  if (CurveR == nullptr || CurveG == nullptr || CurveB == nullptr) {
    PlatformShowMessage(std::string("Error in ExtractCurvesFromImage: ") +
                        (CurveR == nullptr ? "CR" : CurveG == nullptr ? "CG" : "CB") + "=nil");
    return false;
  }
  if (!HasArea(Image)) {
    PlatformShowMessage("ExtractCurvesFromImage: image is empty");
    return false;
  }
  if (Bins < 2 || Bins > EnvelopeMaxDots || Method < cemAverage || Method > cemEqualize) {
    PlatformShowMessage("Error in ExtractCurvesFromImage: Method=" + std::to_string(Method) +
                        " Bins=" + std::to_string(Bins));
    return false;
  }
  TEnvelopeDots* Curves[3] = {CurveR, CurveG, CurveB};
  for (TEnvelopeDots* C : Curves) C->AllowNegative = false;
  const int32_t N = Bins;
  try {
    TRange Range;
    if (Method >= cemRed && Method <= cemBlue)
      Range.Min = {0, 0, 0}, Range.Max = {255, 255, 255};
    else
      Range = FilteredRange(Image);
    for (int K = 0; K < 3; ++K)
      if (Range.Max[K] == Range.Min[K]) ++Range.Max[K];
    if (Method == cemEqualize)
      return EqualizeHistogramByCurves(Image, *CurveR, *CurveG, *CurveB, Range.Min[0],
                                       Range.Min[1], Range.Min[2], Range.Max[0], Range.Max[1],
                                       Range.Max[2], N, !Invert);

    const size_t NB = static_cast<size_t>(N);
    std::vector<TBin> Sum(NB), Lo(NB), Hi(NB);
    for (TBin& B : Lo) B = {{65535, 65535, 65535}, 1};
    for (TBin& B : Hi) B.Count = 1;
    ForUsed(Image, [&](const TBGRAPixel32& P) {
      const auto C = Channels(P);
      const double K = KeyOf(Method, C, Range);
      const int32_t J = BinOfKey(K, N);
      const double T = double(J) / (N - 1);
      const double W = K > 0 && T > 0 ? T / K : 1;
      for (int Ch = 0; Ch < 3; ++Ch) {
        Sum[size_t(J)].C[size_t(Ch)] += C[size_t(Ch)] * W;
        Lo[size_t(J)].C[size_t(Ch)] = std::min<double>(Lo[size_t(J)].C[size_t(Ch)], C[size_t(Ch)]);
        Hi[size_t(J)].C[size_t(Ch)] = std::max<double>(Hi[size_t(J)].C[size_t(Ch)], C[size_t(Ch)]);
      }
      Sum[size_t(J)].Count += 1;
    });

    // Method 4: per channel, the means of the values above and below each
    // pixel's own mean.
    struct TSide {
      std::array<double, 3> Sum{}, Count{};
    };
    std::vector<TSide> High(NB), Low(NB);
    if (Method == cemMinMaxAvg) {
      ForUsed(Image, [&](const TBGRAPixel32& P) {
        const auto C = Channels(P);
        const size_t J = size_t(BinOfKey(KeyOf(Method, C, Range), N));
        const double Avg = (C[0] + C[1] + C[2]) / 3.0;
        for (size_t Ch = 0; Ch < 3; ++Ch) {
          TSide* Side = C[Ch] > Avg ? &High[J] : C[Ch] < Avg ? &Low[J] : nullptr;
          if (Side == nullptr) continue;
          Side->Sum[Ch] += C[Ch];
          Side->Count[Ch] += 1;
        }
      });
      auto MeanOr = [](const TSide& S, size_t Ch, double Else) {
        return S.Count[Ch] == 0 ? Else : S.Sum[Ch] / (S.Count[Ch] + 0.0001);
      };
      for (size_t J = 0; J < size_t(N); ++J)
        for (size_t Ch = 0; Ch < 3; ++Ch) {
          Hi[J].C[Ch] = MeanOr(High[J], Ch, Sum[J].C[Ch]);
          Lo[J].C[Ch] = MeanOr(Low[J], Ch, Sum[J].C[Ch]);
        }
      for (size_t J : {size_t(0), size_t(N - 1)}) High[J].Count.fill(1), Low[J].Count.fill(1);
    }

    // Bin values into Sum; a bin without pixels stays empty (count 0).
    for (int32_t J = 0; J < N; ++J) {
      TBin& S = Sum[size_t(J)];
      const bool Empty = S.Count <= 0;
      switch (Method) {
        case cemMinMaxMid:
        case cemMinMaxMid2:
          for (size_t Ch = 0; Ch < 3; ++Ch)
            S.C[Ch] = Empty ? 0 : (S.C[Ch] / S.Count + Lo[size_t(J)].C[Ch] + Hi[size_t(J)].C[Ch]) / 3;
          S.Count = Empty ? 0 : 1;
          break;
        case cemMinMax:
        case cemMinMaxAvg: {
          if (J == N - 1) break;
          double W = Method == cemMinMaxAvg ? 0.5 : std::clamp(3.0 * J / (N - 1), 1.0, 2.0) / 3;
          for (size_t Ch = 0; Ch < 3; ++Ch)
            S.C[Ch] = Hi[size_t(J)].C[Ch] * W + Lo[size_t(J)].C[Ch] * (1 - W);
          S.Count = Empty ? 0 : Lo[size_t(J)].Count * Hi[size_t(J)].Count;
          break;
        }
        default:
          if (S.Count > 5) {
            for (double& V : S.C) V /= S.Count;
            S.Count = 1;
          } else {
            S.Count = 0;
          }
      }
    }

    for (TEnvelopeDots* C : Curves) {
      C->NumDots = 0;
      C->SplineValid = false;
    }
    const double Stretch = Method <= cemMinMaxMid2 ? double(N + 1) / N : 1.0;
    for (int32_t J = 0; J < N; ++J) {
      const TBin& S = Sum[size_t(J)];
      const int32_t X = J * EnvelopeMaxX / (N - 1);
      if (!(S.Count > 0)) {
        if (J == 0 || J == N - 1)
          for (TEnvelopeDots* C : Curves) C->AddDot(X, J == 0 ? 0 : EnvelopeMaxY, 100);
        continue;
      }
      for (size_t Ch = 0; Ch < 3; ++Ch) {
        if (Method == cemMinMaxAvg && !(High[size_t(J)].Count[Ch] * Low[size_t(J)].Count[Ch] > 0))
          continue;
        Curves[Ch]->AddDot(X, CurveY(S.C[Ch] / S.Count * 32767 / 255 * Stretch), 100);
      }
    }
    // Black and white levels on the first and the last dot.
    if (Method < cemRed || Method > cemBlue)
      for (size_t Ch = 0; Ch < 3; ++Ch) {
        TEnvelopeDots& C = *Curves[Ch];
        if (C.NumDots < 1) continue;
        C.Dot(0).Y = CurveY(Range.Min[Ch] * 32767.0 / 255);
        C.Dot(C.NumDots - 1).Y = CurveY(Range.Max[Ch] * 32767.0 / 255);
      }
    for (TEnvelopeDots* C : Curves) {
      if (C->NumDots < 2) C->ResetDiagonal(2);
      if (Invert) C->Transpose();
      C->CalcSpline();
    }
  } catch (...) {
    PlatformShowMessage("Exception in ExtractCurvesFromImage");
    return false;
  }
  return true;
}

void EqualizeHistogramByCurve(TSample32& Histogram, TEnvelopeDots& Curve, int32_t Min,
                              int32_t Max, int32_t, bool Inverse) {
  try {
    const int64_t H = Histogram.Data != nullptr ? Histogram.Count : 0;
    Curve.ResetDiagonal(int32_t(std::clamp<int64_t>(H, 2, EnvelopeMaxDots)));
    if (H < 1) return;
    const int32_t M = Curve.NumDots;
    const bool Auto = Min == -1 && Max == -1;
    int64_t MinP = Min, MaxP = Max;
    bool Seen = false;
    double Running = 0;
    for (int64_t I = 0; I < H; ++I) {
      const double V = Histogram.Data[I];
      if (Auto && V > 0) {
        if (!Seen) MinP = I - 2;
        MaxP = I + 1;
        Seen = true;
      }
      Histogram.Data[I] = float(Running);
      Running += V;
    }
    const double T = Running;
    if (MaxP > 255) MaxP = 255;
    if (MaxP == Min) MinP = MaxP - 1;
    if (MinP < 0) MinP = 0;
    if (Auto) {
      Min = 0;
      Max = 255;
    }
    if (!(T >= 0.0001)) return;
    for (int32_t K = M - 1; K >= 0; --K) {
      const double Pos = std::clamp(double(H - 1) * K / (M - 1), 0.0, double(H - 1));
      if (Auto && (Pos < MinP || Pos > MaxP)) {
        Curve.DeleteDot(K);
        continue;
      }
      const double C = Histogram.ValueAt(float(Pos));
      const int64_t Level = int64_t(Max - Min) * K + int64_t(M - 1) * Min;
      TCurveDotPoint& D = Curve.Dot(K);
      if (Inverse) {
        D.X = int32_t(std::clamp<int64_t>(RoundToInt64Saturated(C / T * EnvelopeMaxX), 0, EnvelopeMaxX));
        D.Y = int32_t(Level * EnvelopeMaxY / 255 / (M - 1));
      } else {
        D.Y = CurveY(C / T * EnvelopeMaxY);
        D.X = int32_t(Level * EnvelopeMaxX / 255 / (M - 1));
      }
    }
    Curve.SplineValid = false;
    Curve.RepairDots();
    Curve.CalcSpline();
  } catch (...) {
    PlatformShowMessage("Exception in EqualizeHistogramByCurve");
  }
}

bool EqualizeHistogramByCurves(const TImage32& Image, TEnvelopeDots& CurveR, TEnvelopeDots& CurveG,
                               TEnvelopeDots& CurveB, int32_t MinR, int32_t MinG, int32_t MinB,
                               int32_t MaxR, int32_t MaxG, int32_t MaxB, int32_t Bins,
                               bool Inverse) {
  std::array<int32_t, 3> Min{MinR, MinG, MinB}, Max{MaxR, MaxG, MaxB};
  // A range of width 0 would divide by zero.
  for (size_t K = 0; K < 3; ++K)
    if (Max[K] == Min[K]) Max[K] = Min[K] + 1;
  if (Bins < 1) {
    PlatformShowMessage("Exception in EqualizeHistogramByCurves: J=0");
    return false;
  }
  TSample32 Hist[3];
  for (TSample32& S : Hist) S.Init();
  bool Ok = true;
  for (TSample32& S : Hist) Ok = S.Alloc(Bins) && Ok;
  if (Ok) {
    for (TSample32& S : Hist) S.Clear();
    ForUsed(Image, [&](const TBGRAPixel32& P) {
      const auto C = Channels(P);
      for (size_t K = 0; K < 3; ++K) {
        const int64_t J = int64_t(C[K] - Min[K]) * (Bins - 1) / (Max[K] - Min[K]);
        Hist[K].Data[std::clamp<int64_t>(J, 0, Bins - 1)] += 1;
      }
    });
    TEnvelopeDots* Curves[3] = {&CurveR, &CurveG, &CurveB};
    for (size_t K = 0; K < 3; ++K)
      EqualizeHistogramByCurve(Hist[K], *Curves[K], Min[K], Max[K], Bins, Inverse);
  } else {
    PlatformShowMessage("Exception in EqualizeHistogramByCurves, MinR=" + std::to_string(MinR) +
                        " MaxR=" + std::to_string(MaxR));
  }
  for (TSample32& S : Hist) S.Dispose();
  return Ok;
}

void ApplyCurvesToImage32(TImage32& Image, const TEnvelopeDots& CurveR,
                          const TEnvelopeDots& CurveG, const TEnvelopeDots& CurveB, float Amount) {
  if (!HasArea(Image)) return;
  auto Map = [Amount](const TEnvelopeDots& Curve, uint8_t& C) {
    const float V = Curve.GetValueS(float(C) * 16384.0f / 255.0f);
    const float R = V / 128.502f * Amount + float(C) * (1.0f - Amount);
    C = uint8_t(std::clamp<int64_t>(RoundToInt64Saturated(R), 0, 255));
  };
  for (int32_t I = 0; I < Image.Size; ++I) {
    TBGRAPixel32& P = Image.Pixels[I].BGRA;
    Map(CurveR, P.R);
    Map(CurveG, P.G);
    Map(CurveB, P.B);
  }
}

}  // namespace kromel
