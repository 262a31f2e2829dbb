// TSurroundSample32: a sound of up to 40 channels, one float buffer per
// channel, with a name for the sound and one per channel. A plain value:
// copying copies the channel pointers; Alloc/Dispose own the samples; a view
// (AssignRange) is never disposed.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"
#include "images/sample.h"

namespace kromel {

struct TWave;

constexpr int32_t MaxSurroundChannels = 40;

struct TSurroundSample32 {
  std::string Name;  // at most 255 characters
  int32_t NumChannels = 0;
  std::array<TSample32, MaxSurroundChannels> Channels{};
  std::array<std::string, MaxSurroundChannels> ChannelNames{};
  float Reserved = 0.0f;
  int32_t Note = 0;

  void ClearSlots();
  // 1..40 channels of Frames samples each; all or none.
  bool Alloc(int32_t NumChannels, int32_t Frames);
  void Dispose();
  void Clear();
  void SetLength(int32_t Frames);
  void EqualizeLengths();
  // The longest used channel; 0 outside 1..40 channels.
  int32_t Length() const;
  int32_t SampleRate() const { return Channels[0].SampleRate; }
  void SetSampleRate(int32_t Rate);
  void AssignRange(const TSurroundSample32& Source, int32_t From, int32_t To);
  // Wave = a fresh record sharing channel 0 (mono) or channels 0 and 1
  // (stereo); an empty sound gives an empty record.
  void ToWave(TWave& Wave) const;
  // This sound = Wave's channels, sharing them; Name is left alone.
  void FromWave(const TWave& Wave);
  void DeleteChannel(int32_t Index);
  float Peak() const;
  void Scale(float Factor);

  // Copies and measures (surround_measures.cpp).
  // Disposes this sound and copies Source's channels and name (not the
  // channel names); stays empty when Source is.
  void Assign(const TSurroundSample32& Source);
  // Same channel count only: the samples and the name into this sound's
  // channels, which must be large enough.
  void CopyFrom(const TSurroundSample32& Source);
  // Disposes this sound and copies Source's frames From..To-1.
  void CopyRange(const TSurroundSample32& Source, int32_t From, int32_t To);
  float SumAbs() const;
  int32_t LastNonZeroIndex() const;
  bool HasInvalidValues() const;
  bool SamplesEqual(const TSurroundSample32& Other) const;
  // Frames between the first and the last that hold sound.
  int32_t NonSilentLength() const;
  // Frames in which some channel is louder than 0.99.
  int32_t ClipCount() const;
  void Normalize();
  void DeleteRange(int32_t From, int32_t To);
  // Source's channels into this sound's from frame Offset; a mono Source
  // fills both channels of a stereo sound.
  void OverwriteAt(const TSurroundSample32& Source, int32_t Offset);
  // Two channels become their mean; other sounds are left alone.
  void StereoToMono();
  // Dest = the sum of every channel.
  void MixToMono(TSample32& Dest) const;
  // Of channels 0 and 1 of a two-channel sound; 0 and -1 otherwise.
  float SideToMidRatio() const;
  float StereoAngle() const;

  int32_t IndexOfChannelName(const std::string& ChannelName) const;
  // "Channel 3 Snare", or "Channel 1-2 Overheads" for a " (L)"/" (R)" pair.
  void ChannelNamesToList(std::vector<std::string>& Lines) const;
  void SetChannelNamesFromList(const std::vector<std::string>& Lines);

  // Integer PCM (8..32 bits, extensible included) or 32-bit float WAV.
  // The loaders dispose what the sound held first.
  bool LoadFromWavStream(TByteStream& S, const std::string& FileName, bool ShowError,
                         bool& HighRes);
  bool LoadPartFromWavStream(TByteStream& S, bool ShowError, bool& HighRes, int64_t StartFrame,
                             int64_t FrameCount);
  bool LoadPartFromWavFile(const std::string& FileName, bool ShowError, bool& HighRes,
                           int64_t StartFrame, int64_t FrameCount);
  // AIFF / AIFF-C of 1 or 2 channels at the rate of its COMM chunk
  // (aiff_files.cpp).
  bool LoadFromAiffFile(const std::string& FileName, bool ShowError, bool& HighRes);
  bool LoadFromAiffStream(TByteStream& S, bool ShowError, bool& HighRes);
  bool SaveToWav16(const std::string& FileName);
  bool SaveToWav24(const std::string& FileName);
  bool SaveToWav32(const std::string& FileName);
};

// Writes channel ChannelIndex of a NumChannels-channel 24-bit file: index 0
// starts a new file (other channels silent), later indices keep the others.
bool WriteChannelToWav24(const TSample32& Sample, const std::string& FileName,
                         int32_t ChannelIndex, int32_t NumChannels);
// Frames estimated from the RIFF size; -1 when the file is not a WAV file.
int32_t GetWavFrameCountEstimate(const std::string& FileName, bool ShowError);

}  // namespace kromel
