// TLogDecoderAdjustments: decodes the footage's log curve into linear light
// at the start of the first stage and sets the channel maxima from the
// picked sensor-clipping colour (white: unlimited).
#pragma once
#include <memory>

#include "engine/processing_unit.h"
#include "images/pixel128.h"
#include "lut/lut1d.h"

namespace kromel {

// MaxColor as the window's white colour plate sets it.
constexpr int32_t MaxColorWhite = 16777215;

class TLogDecoderAdjustments : public TLUTProcessingUnit {
public:
  explicit TLogDecoderAdjustments(TParameterList* List);

  TControlledParameterInteger* InputLog;  // a TLogProfile value
  // Red in bits 0..7, green 8..15, blue 16..23. The unit default 0 (kept for
  // stored presets) gives maxima 0; the default preset sets white.
  TControlledParameterInteger* MaxColor;
  // The curve of LogIndexCustom ("Custom Log").
  std::unique_ptr<T1DLut> CustomLog;

  // Decoded into linear light, marked LinearRGB; the maxima from MaxColor.
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
  // Color's red, green and blue through InputLog; alpha copied.
  void DecodeColor(TBGRAPixel128& Result, const TBGRAPixel128& Color) const;
};

}  // namespace kromel
