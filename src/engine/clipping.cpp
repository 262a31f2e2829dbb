#include "engine/clipping.h"

#include "engine/lut_procedures.h"

namespace kromel {

TClippingAdjustments::TClippingAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "Clipping"),
      HighlightRecovery(AddSingle("HighlightRecovery", 1)),
      ColorRecovery(AddSingle("ColorRecovery", 1)) {}

void TClippingAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                   const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TClippingAdjustments.Process")) return;
  ProcessLUTRecovery(*Src, *Dst, Settings, 4 - 4 * HighlightRecovery->Limited(),
                     ColorRecovery->Limited());
}

}  // namespace kromel
