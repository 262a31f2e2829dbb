#include "matching/colour_matrix_fit.h"

#include <algorithm>
#include <cmath>

#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "images/pixel128.h"

namespace kromel {

float RandomSingle() { return RandomFloat01(); }

namespace {

bool IsEdge(float X) { return X == 0 || X == 1; }

bool PureBlack(const TBGRAPixel128& P) { return P.R == 0 && P.G == 0 && P.B == 0; }

void ApplyMatrix(const TChannelMixerParams& P, const TBGRAPixel128& S, float Out[3]) {
  const double R = double(S.R + P.OffsetR), G = double(S.G + P.OffsetG),
               B = double(S.B + P.OffsetB);
  const double* M = P.Matrix;
  Out[0] = float(M[0] * R + M[1] * G + M[2] * B);
  Out[1] = float(M[3] * R + M[4] * G + M[5] * B);
  Out[2] = float(M[6] * R + M[7] * G + M[8] * B);
}

// Factor < 0: the plain cost; otherwise both colours are pulled towards
// their grey by Factor and negative outputs are not penalised.
float FitCost(const TImage128& Source, const TImage128& Target, const TChannelMixerParams& P,
              float Factor) {
  const int32_t N = std::min(Source.Size, Target.Size);
  float Sum = 0, Max = 0;
  int32_t Count = 0;
  for (int32_t I = 0; I < N; ++I) {
    const TBGRAPixel128 &S = Source.Data[I], &T = Target.Data[I];
    if (T.A == 0) continue;
    float W = (IsEdge(S.R) || IsEdge(S.G) || IsEdge(S.B)) ? 0.2f : 1.0f;
    if (IsEdge(T.R) || IsEdge(T.G) || IsEdge(T.B)) W *= 0.2f;
    float Out[3];
    ApplyMatrix(P, S, Out);
    float Tgt[3] = {T.R, T.G, T.B};
    const float Mean = std::max((T.R + T.G + T.B) / 3, 0.0001f);
    float E = 0;
    if (Factor >= 0) {
      const float OutMean = (Out[0] + Out[1] + Out[2]) / 3, TMean = (T.R + T.G + T.B) / 3;
      for (int C = 0; C < 3; ++C) {
        Out[C] = (Out[C] - OutMean) * Factor + OutMean;
        Tgt[C] = (Tgt[C] - TMean) * Factor + TMean;
      }
    }
    for (int C = 0; C < 3; ++C) E += (Tgt[C] - Out[C]) * (Tgt[C] - Out[C]);
    E *= W;
    if (Factor < 0)
      for (float O : Out)
        if (O < 0) E += (0.1f - O) * 10;
    E /= Mean + 0.001f;
    Max = std::max(Max, E);
    Sum += E * T.A;
    ++Count;
  }
  if (Count == 0) return -1;
  float Distance = 0;
  for (int K = 0; K < 9; ++K) Distance += float(std::fabs(P.Matrix[K] - (K % 4 == 0 ? 1 : 0)));
  float Cost = 0.001f * Distance + Sum / float(Count) + Max;
  for (float O : {P.OffsetR, P.OffsetG, P.OffsetB})
    if (O > 0) Cost += O;
  return Cost;
}

int32_t CountNeutral(const TImage128& Image, float Threshold) {
  int32_t Count = 0;
  for (int32_t I = 0; I < Image.Size; ++I)
    if (Pixel128Saturation(Image.Data[I]) < Threshold && Pixel128Max(Image.Data[I]) > 0) ++Count;
  return Count;
}

}  // namespace

float ColorMatrixFitCost(const TImage128& Source, const TImage128& Target,
                         const TChannelMixerParams& Params) {
  return FitCost(Source, Target, Params, -1);
}

float ColorMatrixFitCostSaturated(const TImage128& Source, const TImage128& Target,
                                  const TChannelMixerParams& Params, float Factor) {
  return FitCost(Source, Target, Params, std::max(Factor, 0.0f));
}

bool OptimizeColorMatrix(const TImage128& Source, const TImage128& Target,
                         TChannelMixerParams& Params, bool RandomSearch,
                         const TProgressCallback& Progress) {
  if (Target.Data == nullptr || Source.Data == nullptr) return false;
  TImage128 Work;
  if (!Work.Alloc(Target.Width, Target.Height)) return false;
  Work.Copy(Target);
  float Threshold = 0.12f;
  if (CountNeutral(Work, Threshold) < 2) {
    Threshold = 0.33f;
    if (CountNeutral(Work, Threshold) < 2) {
      ErrorMessageProc("No neutral colors found. Will try to match exposure by colored colors.");
      Threshold = 0.63f;
    }
  }
  for (int32_t I = 0; I < Work.Size; ++I)
    if (Pixel128Saturation(Work.Data[I]) > Threshold || PureBlack(Work.Data[I])) Work.Data[I].A = 0;
  if (ColorMatrixFitCost(Source, Work, Params) == -1) {
    Work.Dispose();
    return false;
  }
  const int32_t N = std::min(Source.Size, Work.Size);
  bool Result = false;
  if (!RandomSearch) {
    ChannelMixerClear(Params);
    double Sums[3] = {};
    for (int32_t I = 0; I < N; ++I) {
      if (!(Work.Data[I].A > 0)) continue;
      const float S[3] = {Source.Data[I].R, Source.Data[I].G, Source.Data[I].B};
      const float T[3] = {Work.Data[I].R, Work.Data[I].G, Work.Data[I].B};
      for (int C = 0; C < 3; ++C)
        if (S[C] > 0.002f && T[C] < 1) {
          Params.Matrix[4 * C] += double(T[C]) / S[C] * T[C];
          Sums[C] += T[C];
        }
    }
    for (int C = 0; C < 3; ++C)
      Params.Matrix[4 * C] = Sums[C] > 0 ? Params.Matrix[4 * C] / Sums[C] : 1;
    Result = Sums[0] * Sums[1] * Sums[2] > 0;
  } else {
    for (int K = 0; K < 9; ++K) Params.Matrix[K] = K % 4 == 0 ? 1 : 0;
    TChannelMixerParams Best = Params;
    float BestCost = 100000000;
    float Step = 0.01f;
    int32_t LastReported = -1;
    constexpr int32_t Iterations = 2000000;
    for (int32_t K = 0; K < Iterations; ++K) {
      if (K == 666666 || K == 1333333) Step /= 3;
      const float Cost = ColorMatrixFitCost(Source, Work, Params);
      if (K == 0 || Cost < BestCost) {
        Best = Params;
        BestCost = Cost;
      }
      for (int D : {0, 4, 8}) Params.Matrix[D] = Best.Matrix[D] + (RandomSingle() - 0.5) * Step;
      Params.OffsetR = Best.OffsetR + (RandomSingle() - 0.5f) * Step * 0.1f;
      Params.OffsetG = Best.OffsetG + (RandomSingle() - 0.5f) * Step * 0.1f;
      Params.OffsetB = Best.OffsetB + (RandomSingle() - 0.5f) * Step * 0.1f;
      const int32_t P = int32_t(int64_t(K) * 100 / Iterations) - 1;
      if (P >= 0 && P <= 80 && P % 20 == 0 && P != LastReported) {
        if (Progress) Progress(P);
        LastReported = P;
      }
    }
    Params = Best;
    Result = ColorMatrixFitCost(Source, Work, Params) >= 0;
  }
  Work.Dispose();
  return Result;
}

void EstimateColorMatrixFromPairs(const TImage128& Source, TImage128& Target,
                                  TChannelMixerParams& Params) {
  const int32_t N = std::min(Source.Size, Target.Size);
  for (int32_t I = 0; I < Target.Size; ++I)
    if (PureBlack(Target.Data[I])) Target.Data[I].A = 0;
  float Threshold = 0.2f;
  double Sum = 0;
  int32_t Count = 0;
  TChannelMixerParams Accumulator;
  for (;;) {
    Sum = 0;
    Count = 0;
    ChannelMixerClear(Accumulator);
    for (int32_t I = 0; I < N; ++I) {
      if (Target.Data[I].A == 0) continue;
      for (int32_t J = I + 1; J < N; ++J) {
        if (Target.Data[J].A == 0) continue;
        TChannelMixerParams M;
        const float Weight = ChannelMixerFromColorSamples(M, Source.Data[I], Source.Data[J],
                                                          Target.Data[I], Target.Data[J], Threshold);
        if (!(Weight > 0)) continue;
        ChannelMixerScale(M, Weight);
        ChannelMixerAdd(Accumulator, M);
        Sum += Weight;
        ++Count;
      }
    }
    Threshold /= 2;
    if (Sum > 3 || Threshold < 0.0015f) break;
  }
  if (Count == 0 || !(Sum > 0.01)) {
    ErrorMessageProc("Matrix optimization error: not enough colors found");
    return;
  }
  ChannelMixerScale(Accumulator, 1 / Sum);
  Accumulator.OffsetR = Accumulator.OffsetG = Accumulator.OffsetB = 0;
  Params = Accumulator;
}

}  // namespace kromel
