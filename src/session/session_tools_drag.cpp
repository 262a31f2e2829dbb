#include "session/session_tools_drag.h"

#include <algorithm>
#include <cmath>

#include "colour/colour_models.h"
#include "colour/contrast_clip.h"
#include "controls/main_controls.h"
#include "engine/rgb_curves.h"
#include "engine/ab_grid.h"
#include "engine/channel_mixer_unit.h"
#include "engine/kromel_preset.h"
#include "params/dot_grid.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"
#include "session/session_presets.h"
#include "session/session_tools.h"

namespace kromel {


bool ABColourReplaceClick(TSessionPresets& Presets, uint32_t Stage1Colour, uint32_t TargetColor,
                          int32_t TatType) {
  const TColourReplaceMode Mode = ColourReplaceMode(TatType);
  if (!Mode.Known) {
    PlatformShowMessage(_("No tool selected"));
    return false;
  }
  float L, A, B, Lt, At, Bt;
  ModelOfBGRA(Stage1Colour, L, A, B);
  ModelOfBGRA(ColorToBGRA(TargetColor), Lt, At, Bt);
  return Presets.ApplyEdit(_(Mode.StepName), TSessionPresets::NoInvalidation, [&](TKromelPreset& P) {
    if (P.ABGrid == nullptr) return false;
    TDotGridEditor Box;
    Box.Grid = &P.ABGrid->Highlights->Grid;
    Box.ShiftCellDots(RoundUnits(L, 1), RoundUnits(A, 10), RoundUnits(B, 10), RoundUnits(Lt, 1),
                      RoundUnits(At, 10), RoundUnits(Bt, 10), Mode.MovePosition, Mode.SetRadius,
                      Mode.SetBrightness);
    Box.Grid->NeedsInterpolation = true;
    P.ABGrid->Enabled->SetValue(1);
    return true;
  });
}

bool TABGridDrag::Start(TSessionPresets& Presets, uint32_t Stage1Colour, bool Four, bool Shift,
                        int32_t PointerX, int32_t PointerY) {
  End();
  float L, A, B;
  ModelOfBGRA(Stage1Colour, L, A, B);
  bool Started = false;
  Presets.Session.EditPreset([&](TKromelPreset& P) {
    if (P.ABGrid == nullptr) return false;
    T2DEnvelopeDots& Grid = P.ABGrid->Highlights->Grid;
    FBox.Grid = &Grid;
    FBox.ZoomX = std::max(1, Grid.MaxX - Grid.MinX);
    FBox.ZoomY = std::max(1, Grid.MaxY - Grid.MinY);
    FBox.SetSize(BoxSize, BoxSize);
    FBox.UpdateCalibration();
    FBox.BrightnessDrag = Shift;
    FBox.LastDragY = -10000;
    const int32_t X = RoundUnits(A, 10), Y = RoundUnits(B, 10);
    if (Four) {
      FBox.BeginDotDrag(X, Y, PointerX, PointerY);
      // The cell's dots keep their places relative to the dragged one.
      FBox.SaveDotsSnapshot();
    } else
      FBox.StartDragDotNear(X, Y, PointerX, PointerY);
    Started = Grid.CurCol >= 0 && Grid.CurRow >= 0;
    P.ABGrid->Enabled->SetValue(1);
    return Started;
  });
  if (!Started) {
    FBox.Dragging = FBox.BrightnessDrag = false;
    return false;
  }
  FPresets = &Presets;
  FMoved = false;
  return true;
}

void TABGridDrag::Move(int32_t PointerX, int32_t PointerY) {
  if (FPresets == nullptr) return;
  FPresets->Session.EditPreset([&](TKromelPreset&) {
    FBox.MouseMove(0, PointerX, PointerY);
    return true;
  });
  FMoved = true;
  FPresets->Session.UpdateImage(true, false);
}

bool TABGridDrag::End() {
  if (FPresets == nullptr) return false;
  TSessionPresets* P = FPresets;
  FPresets = nullptr;
  FBox.Dragging = FBox.BrightnessDrag = FBox.MoveSelection = false;
  FBox.Grid = &FBox.OwnGrid;
  if (!FMoved) return false;
  P->AddUndoStep(_("Move A/B grid point"));
  P->Session.UpdateImage(true, false);
  return true;
}

bool TMixerHueDrag::Start(TSessionPresets& Presets, float R, float G, float B, bool Shift, int32_t X,
                          int32_t Y) {
  End();
  bool Ok = false;
  Presets.Session.EditPreset([&](TKromelPreset& P) {
    if (P.ChannelMixer == nullptr) return false;
    P.ChannelMixer->GetMatrix(FPressMatrix);
    return Ok = true;
  });
  if (!Ok) return false;
  FColour.Init(R, G, B, 1);
  RotateHue128To(FColour, FRotated, float(M_PI / 2));
  FShift = Shift;
  FX = X;
  FY = Y;
  FMoved = false;
  FPresets = &Presets;
  return true;
}

void TMixerHueDrag::Move(int32_t X, int32_t Y) {
  if (FPresets == nullptr) return;
  const float F = std::clamp(float(FY - Y) / 300.0f + 1.0f, 0.0f, 2.0f);
  TBGRAPixel128 Target{};
  if (FShift) {
    Pixel128ScaleRGB(FColour, Target, F);
  } else {
    TBGRAPixel128 Saturated{};
    Pixel128Saturate(FColour, Saturated, F);
    RotateHue128To(Saturated, Target, float(FX - X) / 400.0f);
  }
  TChannelMixerParams M;
  ChannelMixerSetDefault(M);
  if (ChannelMixerFromColorSamples(M, FColour, FRotated, Target, FRotated, 1e-6f) == 0) return;
  // The picked colours go through M first, then through the mixer as it
  // was at the press.
  TChannelMixerParams Result = M;
  ChannelMixerMultiply(Result, FPressMatrix);
  Result.OffsetR = FPressMatrix.OffsetR;
  Result.OffsetG = FPressMatrix.OffsetG;
  Result.OffsetB = FPressMatrix.OffsetB;
  FMoved |= FPresets->ApplyEdit({}, 0, [&](TKromelPreset& P) {
    if (P.ChannelMixer == nullptr) return false;
    P.ChannelMixer->SetMatrix(Result);
    P.ChannelMixer->Enabled->SetValue(1);
    return true;
  });
}

bool TMixerHueDrag::End() {
  if (FPresets == nullptr) return false;
  TSessionPresets* P = FPresets;
  FPresets = nullptr;
  if (!FMoved) return false;
  P->AddUndoStep(_("Change color hue/saturation with Channel Mixer"));
  P->Session.UpdateImage(true, false);
  return true;
}

const char* CurvesTatTypeName(int32_t TatType) {
  static const char* const Names[] = {"Grey", "Exact", "Color", "Hue", "Saturation", "Luminance"};
  return TatType >= 0 && TatType < 6 ? Names[TatType] : "None";
}

bool TCurvesTatDrag::Start(TSessionPresets& Presets, uint32_t Stage2Colour, int32_t TatType,
                           int32_t PointerY) {
  End();
  if (TatType < 3 || TatType > 5) return false;
  ChannelsOfBGRA(Stage2Colour, FPick[0], FPick[1], FPick[2]);
  bool Ok = false;
  Presets.Session.EditPreset([&](TKromelPreset& P) {
    TRGBCurvesAdjustments* C = P.RGBCurves;
    if (C == nullptr) return false;
    FMode = C->CurveMode->Value;
    // The colour through the channel curves as they are at the press.
    const TControlledParameterCurve* Curves[3] = {C->Red, C->Green, C->Blue};
    for (int32_t I = 0; I < 3; ++I)
      FThrough[I] = FMode < 3 ? Curves[I]->Curve.GetValueS(FPick[I] * 16384.0f) / 32768.0f : FPick[I];
    C->RGBEnabled->SetValue(1);
    if (FMode >= 3 && FMode <= 6) C->MasterEnabled->SetValue(1);
    return Ok = true;
  });
  if (!Ok) return false;
  if (TRadioGroupControl* Pages = Presets.Session.Controls.FindGroup("PagesRadioGroup"))
    Pages->SetButtonSwitchState(4, true);
  FType = TatType;
  FPressY = PointerY;
  FMoved = false;
  FPresets = &Presets;
  return true;
}

void TCurvesTatDrag::Move(int32_t PointerY) {
  if (FPresets == nullptr) return;
  const float Dy = float(PointerY - FPressY);
  float Rs, Gs, Bs, Ls;
  RGBLightnessByMode(FPick[0], FPick[1], FPick[2], uint8_t(FMode), Rs, Gs, Bs, Ls);
  float H, C, S;
  RGBtoSXYPolarSingle(FThrough[0], FThrough[1], FThrough[2], H, C, S);
  switch (FType) {
    case 5: S = S - Dy * 0.125f; break;
    case 4: C = (300.0f - Dy) * C / 3.0f / 100.0f; break;
    default: H = H - Dy * 0.125f / 100.0f; break;
  }
  float R, G, B;
  SXYPolartoRGBSingle(H, C, S, R, G, B);
  float Rn, Gn, Bn, Ln;
  RGBLightnessByMode(R, G, B, uint8_t(FMode), Rn, Gn, Bn, Ln);
  FMoved |= FPresets->ApplyEdit({}, 0, [&](TKromelPreset& P) {
    TRGBCurvesAdjustments* Cu = P.RGBCurves;
    if (Cu == nullptr) return false;
    Cu->Red->Curve.AddDot(RoundUnits(Rs, 16384), RoundUnits(Rn, 32768), 100);
    Cu->Green->Curve.AddDot(RoundUnits(Gs, 16384), RoundUnits(Gn, 32768), 100);
    Cu->Blue->Curve.AddDot(RoundUnits(Bs, 16384), RoundUnits(Bn, 32768), 100);
    return true;
  });
}

bool TCurvesTatDrag::End() {
  if (FPresets == nullptr) return false;
  TSessionPresets* P = FPresets;
  FPresets = nullptr;
  if (!FMoved) return false;
  // The type's name stays untranslated.
  P->AddUndoStep(_("Change RGB curves ") + CurvesTatTypeName(FType));
  P->Session.UpdateImage(true, false);
  return true;
}

}  // namespace kromel
