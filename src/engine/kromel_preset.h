// TKromelPreset: the preset document. One root section "KromelPreset" that
// creates and owns every processing unit in the pipeline's fixed order and
// the pipeline's global switches; its text form is the ".lux" file.
//
// Children, in creation, text and Children order:
//   EffectChain (holding LogDecoder), LogEncoder, FilmCurve, Basic, Clipping,
//   ChannelMixer, Volume, ABGrid, CLGrid, ModelCurves, RGBContrast,
//   ModelSaturation, Curves, 2DCurves, ExternalLUT, Mask, Master,
//   TabSwitches, ExternalLUTPosition, ColorModel, MaskDestination,
//   CurvesEnabled.
//
// The Mask section is created by CreateMaskUnit (engine/mask_slot.h).
#pragma once
#include <cstdint>
#include <string>

#include "engine/ab_grid.h"
#include "engine/basic_adjustments.h"
#include "engine/channel_mixer_unit.h"
#include "engine/cl_grid.h"
#include "engine/clipping.h"
#include "engine/curves_2d.h"
#include "engine/effect_chain.h"
#include "engine/external_lut.h"
#include "engine/film_curve.h"
#include "engine/log_decoder.h"
#include "engine/log_encoder.h"
#include "engine/mask_unit.h"
#include "engine/master_unit.h"
#include "engine/model_curves.h"
#include "engine/model_saturation.h"
#include "engine/rgb_contrast.h"
#include "engine/rgb_curves.h"
#include "engine/volume_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

// Default of the global ColorModel: the working model's index in the
// program's list of colour models.
constexpr int32_t PresetDefaultColorModel = 10;
// The number of colour models the global ColorModel selects from.
constexpr int32_t PresetColorModelCount = 16;
constexpr int32_t PresetTabSwitchCount = 7;

class TKromelPreset : public TSectionPreset {
public:
  TKromelPreset();
  ~TKromelPreset() override;

  // Stored by the binary preset writer; the main window sets them before
  // each binary save (51 and 0).
  int32_t Version = 0;
  int32_t Reserved = 0;

  // Children (owned through Children; never null after construction).
  TLUTEffectChain* EffectChain = nullptr;
  TLogDecoderAdjustments* LogDecoder = nullptr;  // the unit inside EffectChain
  TLogEncoderAdjustments* LogEncoder = nullptr;
  TFilmCurveAdjustments* FilmCurve = nullptr;
  TBasicAdjustments* Basic = nullptr;
  TClippingAdjustments* Clipping = nullptr;
  TChannelMixerAdjustments* ChannelMixer = nullptr;
  TVolumeAdjustments* Volume = nullptr;
  TABGridAdjustments* ABGrid = nullptr;
  TCLGridAdjustments* CLGrid = nullptr;
  TRGBContrastAdjustments* RGBContrast = nullptr;
  TLUTProcessingUnit* Mask = nullptr;  // section "Mask", see engine/mask_slot.h
  // The Mask section as the mask unit.
  TMaskAdjustments* MaskUnit() const { return dynamic_cast<TMaskAdjustments*>(Mask); }
  TModelCurvesAdjustments* ModelCurves = nullptr;
  TRGBCurvesAdjustments* RGBCurves = nullptr;  // section "Curves"
  T2DCurvesAdjustments* Curves2D = nullptr;    // section "2DCurves"
  TModelSaturationAdjustments* ModelSaturation = nullptr;
  TExternalLUT* ExternalLUT = nullptr;
  TMasterAdjustments* Master = nullptr;
  // Where the external LUT enters the pipeline, 0..5.
  TControlledParameterInteger* ExternalLUTPosition = nullptr;
  // Seven switches the binary loader may set; no text form.
  TControlledParameterSwitchesArray* TabSwitches = nullptr;
  // The working colour model's index (default 10).
  TControlledParameterInteger* ColorModel = nullptr;
  // The stage the mask restricts, 0..8.
  TControlledParameterInteger* MaskDestination = nullptr;
  // > 0: the RGB curves stage runs (copied into ModelCurves->Enabled).
  TControlledParameterInteger* CurvesEnabled = nullptr;

  // Reads a whole preset or a page preset. A section or global missing from
  // the text keeps its values; the globals are looked up outside the nested
  // sections. Every section present is loaded; False when one reported
  // failure.
  bool LoadFromXML(const std::string& Text) override;
};

// The whole file into the preset; False (the preset unchanged) when the file
// cannot be read.
bool LoadPresetFromFile(TKromelPreset& Preset, const std::string& FileName);
// The whole preset as a ".lux" text file; write failures are reported.
bool SavePresetToFile(TKromelPreset& Preset, const std::string& FileName);
// A page preset: the root frame with the one Section inside.
bool SaveSectionPresetToFile(TKromelPreset& Preset, const std::string& FileName,
                             TControlledParameter* Section);

}  // namespace kromel
