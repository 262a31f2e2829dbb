// A preset with every unit switched on, for tests and benchmarks that
// want the whole chain at work.
#pragma once
#include "engine/kromel_preset.h"

namespace kromel::testing {

// Mask: the mask unit on as well, blending into stage 4.
inline void SwitchEverythingOn(TKromelPreset& P, bool Mask = true) {
  P.LogDecoder->MaxColor->SetValue(MaxColorWhite);
  P.Basic->Exposure->SetValue(0.55f);
  P.ChannelMixer->Enabled->SetValue(1);
  P.Volume->Enabled->SetValue(1);
  P.ABGrid->Enabled->SetValue(1);
  P.CLGrid->Enabled->SetValue(1);
  P.CurvesEnabled->SetValue(1);
  P.RGBCurves->MasterEnabled->SetValue(1);
  P.RGBCurves->RGBEnabled->SetValue(1);
  P.ModelCurves->Enabled->SetValue(1);
  P.Curves2D->Enabled->SetValue(1);
  P.FilmCurve->FilmCurve->SetValue(2);
  if (Mask) {
    P.MaskUnit()->Enabled->SetValue(1);
    P.MaskDestination->SetValue(4);
  }
  P.Master->MasterSwitch->SetValue(1);
}

}  // namespace kromel::testing
