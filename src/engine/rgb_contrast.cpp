#include "engine/rgb_contrast.h"

#include "engine/lut_procedures.h"

namespace kromel {

TRGBContrastAdjustments::TRGBContrastAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "RGBContrast"),
      Contrast(AddSingle("Contrast", 0.5f)),
      Pivot(AddSingle("Pivot", 0.5f)) {}

void TRGBContrastAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                      const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TRGBContrastAdjustments.Process")) return;
  ProcessColorModelConversion(*Src, Dst, lcsProfileRGB, &Settings);
  if (Dst->ColorSpace != lcsProfileRGB) return;
  const float v = Contrast->Limited();
  const float c = v > 0.5f ? 2 * v - 1 : 1.5f * v - 0.75f;
  if (c != 0) ProcessRGBContrast(*Dst, *Dst, c, Pivot->Limited());
}

}  // namespace kromel
