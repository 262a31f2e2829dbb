#include "engine/external_lut.h"

#include "engine/lut_procedures.h"
#include "lut/lut_apply.h"

namespace kromel {

TExternalLUT::TExternalLUT(TParameterList* List)
    : TLUTProcessingUnit(List, "ExternalLUT"),
      Blend(AddSingle("Blend", 0.75f)),
      ExtLUTSwitch(AddSwitch("ExtLUTSwitch", 0)),
      ExternalLUT(std::make_unique<T3DLUTWithStatistics>()) {
  ExternalLUT->Name = "ExternalLUT";
}

void TExternalLUT::Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TExternalLUT.Process")) return;
  ProcessColorModelConversion(*Src, Dst, lcsProfileRGB, &Settings);
  if (Dst->ColorSpace != lcsProfileRGB) return;
  const float Amount = Blend->Limited() * 4 - 2;
  if (CubicInterpolation)
    ProcessLutByLutCubic(*Dst, *Dst, *ExternalLUT, Amount);
  else
    ProcessLutByLut(*Dst, *Dst, *ExternalLUT, Amount);
}

}  // namespace kromel
