// Multi-part waves: up to 351 sample records that make one instrument or one
// sliced recording. On disk one WAV file: the parts one after another, a
// cue point where each starts and a label with each name. Reading cuts the
// file at its cue points into contiguous parts (each starts where the last
// ended); at most 350 cue points are used, the rest of the sound stays in
// the last part.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/wave_record.h"

namespace kromel {

constexpr int32_t MaxMultiParts = 351;
constexpr int32_t MaxCuePointsUsed = MaxMultiParts - 1;

struct TMultiWave {
  std::array<TWave, MaxMultiParts> Parts{};
  int32_t Count = 0;

  TMultiWave& Init();
  // NewCount is kept within 0..351.
  void Alloc(int32_t NewCount, bool Stereo, int32_t Length);
  void Dispose();
  bool IsEmpty() const { return Count == 0; }
  void SetLength(int32_t Length);
  void SetCount(int32_t N);
  void Clear();
  int32_t GetSampleRate() const;
  void SetSampleRate(int32_t Rate);
  bool AnyStereo() const;
  int32_t TotalLength() const;
  int32_t MaxLength() const;
  int32_t SizeInBytes() const;
  void TrimSilence();
  bool HasInvalidValues() const;
  void ToStereo();
  void Assign(const TMultiWave& Source);
  void DeletePart(int32_t Index);
  // Dest = every part at NewRate; on the first part that fails Dest is
  // left empty and the answer is False.
  bool Resample(TMultiWave& Dest, int32_t NewRate) const;

  bool LoadFromWav(const std::string& FileName, bool ShowErrors, bool& HighResolution);
  bool SaveToWav(const std::string& FileName);
  bool SaveToWav24(const std::string& FileName);
  // Mixes every channel of a multi-channel WAV into stereo parts, one per
  // stretch between cue points (MaxParts of them spread over the file when
  // MaxParts is not negative). Gains need one value per file channel.
  bool LoadFromSurroundWav(const std::string& FileName, bool ShowErrors, const float* GainsLeft,
                           const float* GainsRight, int32_t GainCount, int32_t& Channels,
                           int32_t MaxParts);
  // Part files Base_<note>#NNN.wav and the bank text Base.txt.
  void SaveToSamplerText(const std::string& FileName);
};

struct TMultiWave16 {
  std::array<TWave16, MaxMultiParts> Parts{};
  int32_t Count = 0;

  void Dispose();
  bool LoadFromWav(const std::string& FileName);
};

// The stretches [Start, End) a sound of Length frames is cut into at the
// sorted positions: contiguous, every frame in one stretch; a stretch of
// MinFrames or fewer joins the next (the last one is always kept).
struct TStretch {
  int32_t Start = 0;
  int32_t End = 0;
  int32_t Cue = 0;  // the cue index k that ends it (n for the last)
};
std::vector<TStretch> CutAtCuePoints(const std::vector<uint32_t>& Positions, int32_t Length,
                                     int32_t MinFrames);

}  // namespace kromel
