// Multi-channel multi-part waves: up to 351 multi-channel parts, cut from
// and joined into one WAV file at cue points, with labels as part names.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/multi_wave.h"
#include "audio/surround_sample.h"

namespace kromel {

using TSurroundSample32Wav = TSurroundSample32;

struct TMultiSurroundWave {
  std::array<TSurroundSample32Wav, MaxMultiParts> Parts{};
  int32_t Count = 0;
  std::string FileName;

  void Init();
  bool Alloc(int32_t NewCount, int32_t NumChannels, int32_t Length);
  void Dispose();
  void Clear();
  int32_t TotalLength() const;
  int32_t MaxLength() const;
  int32_t MaxChannels() const;
  int32_t GetSampleRate() const;
  int32_t CountOfNote(int32_t Note) const;
  void DeletePart(int32_t Index);
  // Views sharing the records' samples: released by Init, never Dispose.
  void FromMultiWave(const TMultiWave& Source);
  void AddWave(const TWave& Wave);
  bool LoadFromAiff(const std::string& FileName, bool ShowErrors, bool& HighResolution);
  void SetChannelNamesFromList(const std::vector<std::string>& Lines);
  void ChannelNamesToList(std::vector<std::string>& Lines) const;
  void DeleteChannel(int32_t Index);
  // PartIndex >= 0 loads only that part; the others are counted, empty.
  bool LoadFromWav(const std::string& FileName, bool ShowErrors, bool& HighResolution,
                   int32_t PartIndex);
  bool SaveToWav(const std::string& FileName);
  bool SaveToWav24(const std::string& FileName);
  // Writes the part files and Base.txt, then deletes the part files.
  bool SaveToSamplerText(const std::string& FileName);
};

}  // namespace kromel
