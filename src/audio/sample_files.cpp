#include "audio/sample_files.h"

#include <algorithm>

#include "audio/file_stream.h"
#include "audio/wav_files.h"
#include "foundation/paths.h"

namespace kromel {

namespace {

std::string ShortName(const std::string& FileName) { return ExtractFileNameW(FileName).substr(0, 255); }

}  // namespace

bool LoadMonoSampleFromFile(TSample32& Sample, const std::string& FileName, bool ShowErrors,
                            bool& HighResolution) {
  HighResolution = true;
  if (Load_WAV2432_Mono(FileName, Sample, false)) return true;
  if (Load_WAV24to32(FileName, Sample)) return true;
  HighResolution = false;
  return Load_Wav16To32(FileName, Sample, ShowErrors);
}

bool LoadStereoSampleFromFile(TStereoSample32& Stereo, const std::string& FileName,
                              bool ShowErrors) {
  return LoadWaveToSample(FileName, Stereo, ShowErrors);
}

bool LoadStereoSampleFromFileEx(TStereoSample32& Stereo, const std::string& FileName, bool,
                                bool& HighResolution) {
  HighResolution = false;
  if (Load_WAV_StereoTo32(FileName, Stereo, false)) return true;
  HighResolution = true;
  return LoadWaveToSample(FileName, Stereo, false);
}

bool LoadSurroundSampleFromFile(TSurroundSample32& Surround, const std::string& FileName,
                                bool ShowErrors, bool& HighRes) {
  Surround.Dispose();
  TFileReadStream S(FileName);
  if (!OpenedForReading(S, ShowErrors)) return false;
  const bool Ok = Surround.LoadFromWavStream(S, FileName, ShowErrors, HighRes);
  Surround.Name = ShortName(FileName);
  return Ok;
}

bool AddWaveFileToSurround(TSurroundSample32& Surround, const std::string& FileName) {
  const int32_t N = Surround.NumChannels;
  if (N < 0 || N >= MaxSurroundChannels) return false;
  bool HighRes = false;
  TSample32& Slot = Surround.Channels[size_t(N)];
  Slot.Init();
  bool Ok = LoadMonoSampleFromFile(Slot, FileName, true, HighRes);
  if (Ok) {
    Surround.ChannelNames[size_t(N)] = ShortName(FileName);
    Surround.NumChannels = N + 1;
  } else {
    Slot = TSample32();
    TStereoSample32 Stereo;
    Stereo.Init();
    Ok = LoadStereoSampleFromFileEx(Stereo, FileName, true, HighRes);
    if (Ok && N + 2 > MaxSurroundChannels) {
      Stereo.Dispose();
      Ok = false;
    } else if (Ok) {
      Surround.Channels[size_t(N)] = Stereo.Left;
      Surround.Channels[size_t(N + 1)] = Stereo.Right;
      Surround.ChannelNames[size_t(N)] = ShortName(FileName + " (L)");
      Surround.ChannelNames[size_t(N + 1)] = ShortName(FileName + " (R)");
      Surround.NumChannels = N + 2;
    }
  }
  Surround.EqualizeLengths();
  return Ok;
}

bool SaveSample16ToWav(const TSample16& Sample, const std::string& FileName) {
  return Save_WAV16(Sample, FileName);
}

bool SaveSampleToWav16(const TSample32& Sample, const std::string& FileName) {
  return Save_WAV16From32(Sample, FileName);
}

bool SaveSampleToWav24(const TSample32& Sample, const std::string& FileName) {
  return Save_WAV24(Sample, FileName);
}

bool SaveStereoSampleToWav16(const TStereoSample32& Stereo, const std::string& FileName) {
  return Save_WAV16StereoFrom32(Stereo, FileName);
}

bool SaveStereoSampleToWav(const TStereoSample32& Stereo, const std::string& FileName) {
  return Save_WAV24Stereo(Stereo, FileName);
}

void TrimLeadingSilence(TStereoSample32& Stereo) {
  const int32_t First =
      std::min(FirstLoudIndex(Stereo.Left, 0.0002f), FirstLoudIndex(Stereo.Right, 0.0002f));
  if (First > 100) Stereo.DeleteRange(0, First);
}

int32_t FirstLoudIndex(const TSample32& S, float Threshold) {
  const int64_t N = S.Data != nullptr ? S.Count : 0;
  for (int64_t I = 1; I < N; ++I)
    if (S.Data[I] > Threshold || S.Data[I] < -Threshold) return int32_t(I - 1);
  return int32_t(std::max<int64_t>(N - 2, 0));
}

}  // namespace kromel
