// T2DCurvesAdjustments: bends pairs of RGB channels against each other
// through three dot grids ("RB", "RG", "GB"); a dot's Z bends the third
// channel, the proportional mode carries the pair's change over to it, and
// the result is blended with the input.
#pragma once
#include "engine/preview_modes.h"
#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

// The third channel V (0..1000) bent by Z: 0 and 1000 stay in place.
inline float Curves2DZBend(float V, float Z) {
  return (1 + Z / 128) * V - (V * V / 1000) * (Z / 128);
}

class T2DCurvesAdjustments : public TLUTProcessingUnit {
 public:
  explicit T2DCurvesAdjustments(TParameterList* List);

  TControlledParameterInteger* Enabled;
  TControlledParameterSingle* Blend;  // result 2 Blend, input 1 - 2 Blend
  TControlledParameterInteger* RBEnabled;
  TControlledParameterInteger* RGEnabled;
  TControlledParameterInteger* GBEnabled;
  TControlledParameterInteger* Proportional;
  TControlledParameterGrid* RB;  // X blue, Y red; bends green
  TControlledParameterGrid* RG;  // X red, Y green; bends blue
  TControlledParameterGrid* GB;  // X blue, Y green; bends red

  // Run-time fields set before every run, never stored.
  uint8_t PreviewMode = smNone;
  const T2DEnvelopeDots* EditedGrid = nullptr;  // not owned

  // Every node of Src into Dst in gamma RGB. Src2 and Src3 (optional)
  // receive the colours after the "RB" and "RG" stages, unblended.
  void Process2i(T3DLut* Src, T3DLut* Src2, T3DLut* Src3, T3DLut* Dst,
                 const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
