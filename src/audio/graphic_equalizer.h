// Graphic equaliser of up to 40 bands from 63 Hz to 15 kHz, built as a
// staircase: band 1's gain is a plain level, and one high shelf between
// each pair of neighbouring bands adds the step from the lower to the upper
// band's gain.
#pragma once
#include <array>
#include <cstdint>

#include "audio/iir_filter.h"
#include "audio/stereo_sample.h"

namespace kromel {

constexpr int32_t EQMaxBands = 40;

// Indexed 1..40 as the bands are numbered; element 0 is unused.
using TEQFreqArray = std::array<int32_t, EQMaxBands + 1>;
using TBandsArray = std::array<TIIRFilter, EQMaxBands + 1>;
using TEQGainsArray = std::array<float, EQMaxBands + 1>;

struct TGraphicEqualizer {
  int32_t BandCount = 0;
  TEQFreqArray Freqs{};
  // Bands[j] is the shelf between Freqs[j] and Freqs[j + 1].
  TBandsArray Bands{};
  TEQGainsArray Gains{};
  bool Flag = false;
  int32_t SampleRate = 44100;  // set before any gain

  // N band frequencies (2..40; other counts are reported and ignored);
  // shelves are designed by SetBandGain or SetAllSlopes afterwards.
  void Init(int32_t N);
  void ProcessBuf(TSample32& Sample);
  // Indexes outside 1..BandCount change nothing.
  void SetBandGain(int32_t Index, float GainDB);
  void SetAllSlopes(float Slope);
  float GetBandGain(int32_t Index) const;
};

struct TEqualizerStereo {
  TGraphicEqualizer Left;
  TGraphicEqualizer Right;

  void Init(int32_t N);
  void SetBandGain(int32_t Index, float GainDB);
  void SetAllSlopes(float Slope);
  float GetBandGain(int32_t Index) const;
  // Both channels must hold data.
  void ProcessBuf(TStereoSample32& Sample);
};

}  // namespace kromel
