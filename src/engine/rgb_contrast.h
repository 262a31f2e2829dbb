// TRGBContrastAdjustments: contrast around a pivot in gamma RGB.
#pragma once
#include "engine/processing_unit.h"

namespace kromel {

class TRGBContrastAdjustments : public TLUTProcessingUnit {
public:
  explicit TRGBContrastAdjustments(TParameterList* List);

  TControlledParameterSingle* Contrast;  // 0.5: none
  TControlledParameterSingle* Pivot;

  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
