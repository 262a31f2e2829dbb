#include "audio/graphic_equalizer.h"

#include <cmath>
#include <string>

#include "foundation/error_sink.h"

namespace kromel {

void TGraphicEqualizer::Init(int32_t N) {
  if (N < 2 || N > EQMaxBands) {
    ErrorMessageProc("Exception in TGraphicEqualizer.Init - band count " + std::to_string(N) +
                     " outside 2..40");
    return;
  }
  BandCount = N;
  for (int32_t I = 1; I <= N; ++I)
    Freqs[I] = int32_t(std::nearbyint(std::pow(238.0952380952381L, (long double)(I - 1) / (N - 1)) * 63));
  for (int32_t J = 1; J < N; ++J) {
    TIIRFilter& B = Bands[J];
    B.Stages = 1;
    B.Freq = float(std::sqrt(double(int64_t(Freqs[J]) * Freqs[J + 1])));
    B.Bandwidth = 89.6f;
    B.ShelfSlope = 3.4f;
    B.ModSource = nullptr;
    Gains[J] = 0;
  }
  for (int32_t J = 1; J < N; ++J) Bands[J].ClearHistory();
}

void TGraphicEqualizer::ProcessBuf(TSample32& Sample) {
  Sample.Scale(float(std::pow(10.0, Gains[1] / 20.0)));
  for (int32_t J = 1; J < BandCount; ++J) {
    Bands[J].Buffer = Sample;
    IIRProcessBuf(Bands[J]);
    Bands[J].FlushDenormals();
  }
}

void TGraphicEqualizer::SetBandGain(int32_t Index, float GainDB) {
  if (Index > BandCount || Index < 1) return;
  Gains[Index] = GainDB;
  auto Redesign = [this](int32_t J) {
    Bands[J].GainDB = Gains[J + 1] - Gains[J];
    Bands[J].SampleRate = SampleRate;
    Bands[J].InitHighShelf();
  };
  if (Index > 1) Redesign(Index - 1);
  if (Index <= BandCount - 1) Redesign(Index);
}

void TGraphicEqualizer::SetAllSlopes(float Slope) {
  for (int32_t J = 1; J < BandCount; ++J) {
    Bands[J].ShelfSlope = Slope;
    SetBandGain(J, Gains[J]);
  }
}

float TGraphicEqualizer::GetBandGain(int32_t Index) const {
  return Index >= 1 && Index <= EQMaxBands ? Gains[Index] : 0.0f;
}

void TEqualizerStereo::Init(int32_t N) {
  Left.Init(N);
  Right.Init(N);
}
void TEqualizerStereo::SetBandGain(int32_t Index, float GainDB) {
  Left.SetBandGain(Index, GainDB);
  Right.SetBandGain(Index, GainDB);
}
void TEqualizerStereo::SetAllSlopes(float Slope) {
  Left.SetAllSlopes(Slope);
  Right.SetAllSlopes(Slope);
}
float TEqualizerStereo::GetBandGain(int32_t Index) const { return Left.GetBandGain(Index); }

void TEqualizerStereo::ProcessBuf(TStereoSample32& Sample) {
  if (!Sample.Left.HoldsData() || !Sample.Right.HoldsData()) return;
  Left.ProcessBuf(Sample.Left);
  Right.ProcessBuf(Sample.Right);
}

}  // namespace kromel
