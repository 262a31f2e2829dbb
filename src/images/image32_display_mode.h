// The preview's display modes: per-pixel analysis views of a 32-bit BGRA
// image (clip warnings, single channels, greyscale, blacks and whites, the
// largest channel, false colours). Pure routines over the images they are
// given, so any thread may run them on an image it owns.
#pragma once
#include <cstdint>

#include "images/image32.h"

namespace kromel {

// Display mode numbers as the View menu sets them.
enum TDisplayMode : uint8_t {
  dmComposite = 0,
  dmClipWarning = 1,
  dmRed = 2,
  dmGreen = 3,
  dmBlue = 4,
  dmAlpha = 5,
  dmLuminance = 6,
  dmExtremes = 7,
  dmMaxChannel = 8,
  dmFalseColor = 9,
};

// Applies Mode in place; mode 0 and modes from 10 up leave the image.
void ProcessImage32DisplayMode(TImage32& Image, uint8_t Mode);

// Each takes a source and a destination of the same pixel count (Dst may be
// Src); a smaller destination gets only its own pixels.
void ProcessImage32ClipWarning(const TImage32& Src, TImage32& Dst);
// Channel 1 red, 2 green, 3 blue, 4 alpha.
void ProcessImage32ShowChannel(const TImage32& Src, TImage32& Dst, int32_t Channel);
void ProcessImage32Luminance(const TImage32& Src, TImage32& Dst);
void ProcessImage32Extremes(const TImage32& Src, TImage32& Dst);
void ProcessImage32MaxChannel(const TImage32& Src, TImage32& Dst);
// Only the pixels inside Src's margins; the margins keep their values.
void ProcessImage32FalseColor(const TImage32& Src, TImage32& Dst);

// The false-colour palette entry (R, G, B) of a luma index 0..255.
struct TFalseColor {
  uint8_t R, G, B;
};
TFalseColor FalseColorOf(uint8_t LumaIndex);

}  // namespace kromel
