// The binary preset stream "KRMP": the whole preset as the values of the
// registered controls ("CtrV") followed by every curve, grid and LUT of the
// preset as chunks. It is the ".luc" file, every undo step, the preset
// embedded in LUT files and the host plug-in's preset. The reader accepts
// every older version and migrates old values on the way in.
#pragma once
#include <cstdint>
#include <string>

#include "controls/controller.h"
#include "engine/kromel_preset.h"
#include "foundation/byte_stream.h"

namespace kromel {

inline constexpr char PresetStreamMagic[4] = {'K', 'R', 'M', 'P'};
// The version this program writes.
constexpr int32_t PresetStreamVersion = 51;
// TabSwitches set by the loader.
constexpr int32_t TabSwitchSaturationReset = 4;
constexpr int32_t TabSwitchKeepMask = 6;

// Writes the header and chunks 1..26 at the stream's position. The stream
// is stamped with PresetStreamVersion (the only layout written), which is
// also stored into Preset.Version, with Preset.Reserved = 0. False, with
// "Exception in SavePresetToStream", when writing fails.
bool SavePresetToStream(TKromelPreset& Preset, const TControllersArray& Controllers,
                        TByteStream& Stream, bool WithEmbeddedPreset,
                        const std::string& GridText);

// Reads a stream of any version from its position into Preset and the
// controls of Controllers (bound to Preset); Version receives the version
// found. The stream is first read in full into a scratch preset; Preset is
// changed only when that succeeds. An empty stream, a wrong magic or a
// damaged or truncated chunk gives a message and False, and leaves Preset,
// the controls and the mask isolation as they were. KeepMask keeps the
// mask's type, invert, curves, reference colour and mask LUT.
bool LoadPresetFromStream(TKromelPreset& Preset, TControllersArray& Controllers,
                          TByteStream& Stream, const std::string& SourceName, bool KeepMask,
                          int32_t& Version);

}  // namespace kromel
