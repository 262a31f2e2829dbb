// Channel-mixer preset files (".cha"): 44 bytes of big-endian 16-bit
// fields: version 1, flag 0, then per output row (red, green, blue) the
// red, green and blue coefficients and the constant in percent and a fifth
// value 0, and a fourth group of five zeros.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "colour/channel_mixer.h"

namespace kromel {

class T2DEnvelopeDots;

constexpr int32_t ChaFileSize = 44;
using TChaRecord = std::array<uint8_t, ChaFileSize>;

// The record of a matrix: values x 100 rounded (halves to even) and held to
// -32768..32767.
TChaRecord ChannelMixerToChaRecord(const TChannelMixerParams& Matrix);
// The matrix and constants of a record (values / 100); version and flag
// are ignored.
void ChaRecordToChannelMixer(const TChaRecord& Record, TChannelMixerParams& Matrix);

// Places the grid's three dots from a ".cha" file. A missing file ("File
// not found: "), a size other than 44 bytes ("Incorrect file size: ") or
// a failed read ("Failed to load preset: ") is reported (with the file name)
// through AppendAndShowMessages; the grid is unchanged and the result false.
bool LoadChannelMixerPreset(T2DEnvelopeDots* Grid, const std::string& FileName,
                            bool CameraCalibration);
// Writes the grid's matrix as a ".cha" file through the safe writer; a
// failure is reported ("Failed to save preset: " + name) and gives false.
bool SaveChannelMixerPreset(T2DEnvelopeDots* Grid, const std::string& FileName,
                            bool CameraCalibration);

}  // namespace kromel
