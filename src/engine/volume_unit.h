// TVolumeAdjustments: changes the lightness ("volume") of colours by how
// strongly they lie in the direction of one dot (or a blend of two) on the
// volume hexagon, in a gamma-decoded RGB of its own.
#pragma once
#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

class TVolumeAdjustments : public TLUTProcessingUnit {
public:
  explicit TVolumeAdjustments(TParameterList* List);

  TControlledParameterInteger* Enabled;
  TControlledParameterSingle* Darken;
  TControlledParameterSingle* Lighten;
  TControlledParameterSingle* Gamma;
  TControlledParameterSingle* Limit;
  TControlledParameterInteger* LumaMode;  // 0 shift, 1 scale, 2 scale keeping chroma
  TControlledParameterInteger* Mode;      // 0 one dot, 1 blend by luma, 2 min, 3 max
  // The volume dot(s): X -2000..2000, Y -1732..2000, Z the brightness.
  TControlledParameterGrid* VolumeGrid;  // the volume dot

  // Run-time switches (never saved).
  bool Overflow = false;       // spread values above 1 over the channels
  bool WeightPreview = false;  // show the Mode-1 blend weight instead

  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
