// TChannelMixerAdjustments: mixes every node of the first stage through a
// 3x3 matrix shaped by three dots (red, green, blue) on the mixer grid,
// with darken/lighten limits, a working gamma, clip protection, a
// saturation limit and negative masking.
#pragma once
#include "colour/channel_mixer.h"
#include "engine/processing_unit.h"
#include "params/composite_parameters.h"

namespace kromel {

class TChannelMixerAdjustments : public TLUTProcessingUnit {
public:
  explicit TChannelMixerAdjustments(TParameterList* List);

  TControlledParameterInteger* Enabled;
  TControlledParameterSingle* Darken;
  TControlledParameterSingle* Lighten;
  TControlledParameterSingle* ChannelMixerGamma;
  // The three mixer dots: columns 0..2 of row 0, X -2000..2000,
  // Y -1732..2000, Z the brightness.
  TControlledParameterGrid* ChannelMixerGrid;  // the three mixer dots
  TControlledParameterSingle* OffsetR;  // applied by the Basic unit
  TControlledParameterSingle* OffsetG;
  TControlledParameterSingle* OffsetB;
  TControlledParameterSingle* SaturationLimit;
  TControlledParameterInteger* AutoGamma;
  TControlledParameterInteger* LumaMode;
  TControlledParameterInteger* CameraCalibration;
  TControlledParameterInteger* ClipProtect;
  TControlledParameterInteger* NegativeMasking;

  // Run-time switches (never saved).
  bool LogInput = false;    // the log decoder's InputLog is not 0
  bool OwnOffsets = false;  // add the raw offsets in Process

  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
  void GetMatrix(TChannelMixerParams& Matrix);
  void SetMatrix(const TChannelMixerParams& Matrix);
};

}  // namespace kromel
