// TModelSaturationAdjustments: scales the chroma components of the working
// colour model.
#pragma once
#include "engine/processing_unit.h"

namespace kromel {

class TModelSaturationAdjustments : public TLUTProcessingUnit {
public:
  explicit TModelSaturationAdjustments(TParameterList* List);

  TControlledParameterSingle* Saturation;  // 0.5: unchanged

  // Dst in the working model (state 3), its second and third components
  // times 2 * Saturation. A result the model cannot reach is brought back
  // to the gamut towards a grey at or below its lightness; the HSP models
  // scale chroma in encoded RGB about the grey of equal luminance instead.
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
