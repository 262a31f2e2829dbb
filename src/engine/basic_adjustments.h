// TBasicAdjustments: exposure, white balance, blacks and dynamic range on
// the first stage, right after the log decoder. Its output is linear RGB.
#pragma once
#include <cstdint>

#include "engine/processing_unit.h"

namespace kromel {

class TBasicAdjustments : public TLUTProcessingUnit {
public:
  explicit TBasicAdjustments(TParameterList* List);

  TControlledParameterSingle* Exposure;
  TControlledParameterSingle* Temperature;
  TControlledParameterSingle* Tint;
  TControlledParameterSingle* HueTwist;  // read by the calculator, not here
  TControlledParameterSingle* Blacks;
  TControlledParameterSingle* DynamicRange;

  // Run-time fields set by the calculator before each run (never saved).
  float OffsetR = 0;
  float OffsetG = 0;
  float OffsetB = 0;
  float ExposureOffset = 0;  // stops added to the exposure
  bool NoWhiteBalance = false;
  bool NoExposure = false;

  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
