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
  // times 2 * Saturation, handed over near the surface of the RGB cube to
  // the same scaling in encoded RGB so that no neighbouring nodes tear
  // apart; the HSP models scale chroma in encoded RGB about the grey of
  // equal luminance throughout.
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
