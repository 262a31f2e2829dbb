// Short wrappers that load and save sample buffers as WAV files through the
// readers and writers of wav_files.h and surround_sample.h (their messages
// and failure rules apply), and the leading-silence trim.
#pragma once
#include <cstdint>
#include <string>

#include "audio/stereo_sample.h"
#include "audio/surround_sample.h"
#include "images/sample.h"

namespace kromel {

// 24/32-bit, then 24-bit, then 8/16-bit; HighResolution is False only when
// the last reader was needed.
bool LoadMonoSampleFromFile(TSample32& Sample, const std::string& FileName, bool ShowErrors,
                            bool& HighResolution);
bool LoadStereoSampleFromFile(TStereoSample32& Stereo, const std::string& FileName,
                              bool ShowErrors);
// 8/16-bit stereo (HighResolution False), else any WAV reader (True).
bool LoadStereoSampleFromFileEx(TStereoSample32& Stereo, const std::string& FileName,
                                bool ShowErrors, bool& HighResolution);
bool LoadSurroundSampleFromFile(TSurroundSample32& Surround, const std::string& FileName,
                                bool ShowErrors, bool& HighRes);
// Adds the file's channel (mono) or channels (" (L)", " (R)") to Surround
// and brings every channel to the longest length. False, adding nothing,
// when the channels would not fit.
bool AddWaveFileToSurround(TSurroundSample32& Surround, const std::string& FileName);

bool SaveSample16ToWav(const TSample16& Sample, const std::string& FileName);
bool SaveSampleToWav16(const TSample32& Sample, const std::string& FileName);
bool SaveSampleToWav24(const TSample32& Sample, const std::string& FileName);
bool SaveStereoSampleToWav16(const TStereoSample32& Stereo, const std::string& FileName);
// 24-bit stereo.
bool SaveStereoSampleToWav(const TStereoSample32& Stereo, const std::string& FileName);

// Drops the frames before the first loud one (threshold 0.0002 on either
// channel) when there are more than 100 of them.
void TrimLeadingSilence(TStereoSample32& Stereo);
// i - 1 for the first i >= 1 with |S[i]| > Threshold; Count - 2 (at least
// 0) when there is none.
int32_t FirstLoudIndex(const TSample32& S, float Threshold);

}  // namespace kromel
