// WAV files: readers for each sample layout (8/16/24/32-bit integer and
// 32-bit float, mono and stereo), dispatchers that try them in turn, and
// the writers. Readers decline layouts they do not handle (False, no
// message) so that a dispatcher can go on; ShowError decides whether other
// failures are shown. A failed read leaves the destination without data.
// Writers clamp samples to full scale and write through the safe writer.
#pragma once
#include <cstdint>
#include <string>

#include "audio/stereo_sample.h"
#include "audio/wav_format.h"
#include "foundation/byte_stream.h"
#include "images/sample.h"

namespace kromel {

// 8- or 16-bit integer mono into 16-bit samples (8-bit as (b - 128) x 255).
bool Load_WAV16FromStream(TByteStream& S, TSample16& Sample, bool ShowError, bool Unused = false);
bool Load_WAV16(const std::string& FileName, TSample16& Sample, bool ShowError);
bool Load_Wav16To32FromStream(TByteStream& S, TSample32& Sample, bool ShowError);
bool Load_Wav16To32(const std::string& FileName, TSample32& Sample, bool ShowError);
// 8- or 16-bit integer stereo into interleaved 16-bit frames.
bool Load_WAV_StereoFromStream(TByteStream& S, TRawStereoSample16& Raw, bool ShowError);
bool Load_WAV_Stereo(const std::string& FileName, TRawStereoSample16& Raw, bool ShowError);
bool Load_WAV_StereoTo32FromStream(TByteStream& S, TStereoSample32& Stereo, bool ShowError);
bool Load_WAV_StereoTo32(const std::string& FileName, TStereoSample32& Stereo, bool ShowError);
bool Load_WAV_StereoTo16(const std::string& FileName, TStereoSample16& Stereo, bool ShowError);
// Mono, or stereo mixed to (L + R) x 0.5.
bool Load_WavToMono32(const std::string& FileName, TSample32& Sample, bool ShowError);

// 24- or 32-bit (integer by FormatTag 1, float by 3) mono / stereo.
bool Load_WAV2432_MonoFromStream(TByteStream& S, TSample32& Sample, bool ShowError);
bool Load_WAV2432_Mono(const std::string& FileName, TSample32& Sample, bool ShowError);
bool Load_WAV2432_StereoFromStream(TByteStream& S, TStereoSample32& Stereo, bool ShowError);
bool Load_WAV2432_Stereo(const std::string& FileName, TStereoSample32& Stereo, bool ShowError);
// 24-bit only.
bool Load_WAV24to32(const std::string& FileName, TSample32& Sample);
bool Load_WAV24to32_Stereo(const std::string& FileName, TStereoSample32& Stereo);

// Mono files give two equal channels. "Error loading wave " + name when no
// reader accepts the file (with ShowError).
bool LoadWaveToSample(const std::string& FileName, TStereoSample32& Stereo, bool ShowError);
bool Load_WAVTo32_ToStereoFromStream(TByteStream& S, TStereoSample32& Stereo);

bool Save_WAV16(const TSample16& Sample, const std::string& FileName);
bool Save_WAV16From32(const TSample32& Sample, const std::string& FileName);
bool Save_WAV16Stereo(const TRawStereoSample16& Raw, const std::string& FileName);
bool Save_WAV16StereoFrom32(const TStereoSample32& Stereo, const std::string& FileName);
bool Save_WAV16StereoRS(const TStereoSample32& Stereo, const std::string& FileName);
bool Save_WAV8(const TSample8& Sample, const std::string& FileName, int32_t SampleRate);
bool Save_WAV24(const TSample32& Sample, const std::string& FileName);
// The frames both channels hold.
bool Save_WAV24Stereo(const TStereoSample32& Stereo, const std::string& FileName);

// Header and data (no pad byte) through the safe writer.
bool WriteWavFile(const std::string& FileName, const TWavHeader& Header, const void* Data,
                  int64_t DataBytes);

}  // namespace kromel
