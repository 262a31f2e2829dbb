// TExternalLUT: a loaded external 3D LUT applied with a strength at the
// stage the preset chooses.
#pragma once
#include <memory>

#include "engine/processing_unit.h"
#include "lut/lut_statistics.h"

namespace kromel {

class TExternalLUT : public TLUTProcessingUnit {
public:
  explicit TExternalLUT(TParameterList* List);

  TControlledParameterSingle* Blend;          // 0.75: the whole LUT, 0.5: none
  TControlledParameterInteger* ExtLUTSwitch;  // read by the calculator
  std::unique_ptr<T3DLUTWithStatistics> ExternalLUT;
  bool CubicInterpolation = false;  // set by the calculator

  // Dst in gamma RGB through the external LUT, blended by 4 * Blend - 2.
  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
