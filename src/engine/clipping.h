// TClippingAdjustments: highlight and colour recovery at the start of the
// second stage, against the channel maxima of the first.
#pragma once
#include "engine/processing_unit.h"

namespace kromel {

class TClippingAdjustments : public TLUTProcessingUnit {
public:
  explicit TClippingAdjustments(TParameterList* List);

  TControlledParameterSingle* HighlightRecovery;
  TControlledParameterSingle* ColorRecovery;

  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
