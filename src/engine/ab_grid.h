// TABGridAdjustments: moves colours in the chroma plane of the working
// model through one or two 9 x 9 dot grids (highlights and shadows, split
// by lightness); each dot's Z bends the lightness.
#pragma once
#include "colour/hsv_hsl.h"
#include "engine/preview_modes.h"
#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

class TABGridAdjustments : public TLUTProcessingUnit {
 public:
  explicit TABGridAdjustments(TParameterList* List);

  TControlledParameterInteger* Enabled;
  TControlledParameterGrid* Highlights;  // the only grid in single mode
  TControlledParameterGrid* Shadows;
  TControlledParameterSingle* HSThreshold;
  TControlledParameterInteger* AffectShadows;
  TControlledParameterInteger* AffectHighlights;
  TControlledParameterInteger* Double;
  TControlledParameterInteger* LumaMode;
  TControlledParameterSingle* Brightness;

  // Run-time fields set before every run, never stored.
  bool ApplyBrightness = false;
  uint8_t PreviewMode = smNone;
  const T2DEnvelopeDots* EditedGrid = nullptr;  // not owned

  // Every node of Src into Dst2 (working model) and, when given, Dst1
  // (gamma RGB through the model's inverse alone). Preview 14 writes the
  // highlight weight into Dst2 in gamma RGB and leaves Dst1.
  void Process1i(T3DLut* Src, T3DLut* Dst1, T3DLut* Dst2,
                 const TColorModelPreferences& Settings) override;

  // (L, a, b, fourth) with a and b moved through "Highlights" alone.
  void TransformLab(TLABAPixel128& Dst, const TLABAPixel128& Src) const;
  // An HSL colour through TransformLab on its polar Lab form.
  void TransformColor(THSLPixel128& Dst, const THSLPixel128& Src) const;
};

}  // namespace kromel
