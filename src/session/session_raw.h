// What a camera RAW load hands over besides its pixels, and how the session
// takes it: the white balance into the temperature and tint knobs, the
// camera matrix into the channel mixer, and the brightest LogC colour.
#pragma once
#include <array>
#include <cstdint>

#include "images/image64.h"

namespace kromel {

class TKromelSession;

struct TRawDecodeResult {
  int32_t OutputColor = 1;  // LibRaw's output colour
  std::array<uint16_t, 3> HighlightClip{65535, 65535, 65535};
  float R = 1, G = 1, B = 1;  // as-shot multipliers
  std::array<double, 9> CameraMatrix{1, 0, 0, 0, 1, 0, 0, 0, 1};
};

// LibRaw's output colour for the " RAW Color space " item.
int32_t RawOutputColor(int32_t Item);

// The log maximum colour (0x00BBGGRR) of a LogC picture: the clip levels
// in LogC, raised by the brightest 2 x 2 block of the picture after a
// 4-neighbour minimum filter.
int32_t RawLogMaximumColor(const std::array<uint16_t, 3>& Clip, const TImage64& LogImage);

// The preset side of a LogC load (under the update lock): for a RAW file
// (Raw given) the white balance and the camera matrix, then for RAW and EXR
// the LogC input decoding and the maximum colour.
void ApplyRawSettings(TKromelSession& S, const TRawDecodeResult* Raw, int32_t LogMaximumColor);

}  // namespace kromel
