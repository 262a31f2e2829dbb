#include "engine/model_saturation.h"

#include <exception>

#include "engine/lut_procedures.h"
#include "foundation/debug_log.h"
#include "lut/node_workers.h"

namespace kromel {

TModelSaturationAdjustments::TModelSaturationAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "ModelSaturation"), Saturation(AddSingle("Saturation", 0.5f)) {}

void TModelSaturationAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                          const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TModelSaturationAdjustments.Process")) return;
  ProcessColorModelConversion(*Src, Dst, lcsCustomColorspace, &Settings);
  if (Dst->ColorSpace != lcsCustomColorspace) return;
  const float s = 2 * Saturation->Limited();
  ParallelForNodes(Dst->Count, [&](int32_t Begin, int32_t End) {
    int32_t k = Begin;
    try {
      for (; k < End; ++k) {
        Dst->G[k] *= s;
        Dst->B[k] *= s;
      }
    } catch (const std::exception&) {
      const int32_t NR = Dst->NLRH > 0 ? Dst->NLRH : 1;
      const int32_t NG = Dst->NLGS > 0 ? Dst->NLGS : 1;
      DebugShowMessage("Exception in ProcessModelSaturation R=" + std::to_string(k % NR) +
                       " G=" + std::to_string(k / NR % NG) + " B=" + std::to_string(k / NR / NG));
    }
  });
}

}  // namespace kromel
