#include "session/session_tools.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "colour/rgb_lab_xyz.h"
#include "engine/ab_grid.h"
#include "engine/kromel_preset.h"
#include "engine/mask_unit.h"
#include "params/dot_grid.h"
#include "platform/translate.h"
#include "session/session_core.h"
#include "session/session_presets.h"

namespace kromel {

void ChannelsOfBGRA(uint32_t BGRA, float& R, float& G, float& B) {
  R = static_cast<float>((BGRA >> 16) & 255) / 255.0f;
  G = static_cast<float>((BGRA >> 8) & 255) / 255.0f;
  B = static_cast<float>(BGRA & 255) / 255.0f;
}

void ModelOfBGRA(uint32_t BGRA, float& L, float& A, float& B) {
  float R, G, Bl;
  ChannelsOfBGRA(BGRA, R, G, Bl);
  CurrentColorModel().Forward(R, G, Bl, L, A, B);
}

int32_t RoundUnits(float V, float Scale) {
  const double G = std::nearbyint(double(V) * Scale);
  return std::isfinite(G) ? static_cast<int32_t>(std::clamp(G, -1e6, 1e6)) : 0;
}

float ZoomFactorOfPress(int32_t Code, bool Alt) {
  if ((Code == ToolZoomIn && !Alt) || (Code == ToolZoomOut && Alt)) return 1.33333f;
  if ((Code == ToolZoomOut && !Alt) || (Code == ToolZoomIn && Alt)) return 0.7500018f;
  return 0.0f;
}

void TToolState::ToolChanged(int32_t Count, bool (*EmptyItem)(int32_t)) {
  if (ToolItem >= Count) ToolItem = Count - 1;
  if (ToolItem > 0 && EmptyItem != nullptr && EmptyItem(ToolItem)) --ToolItem;
  const int32_t C = Code();
  if (C >= 0) {
    if (ABTatType >= 0) ABTatType = ParkedIndex(ABTatType);
    if (CurvesTatType >= 0) CurvesTatType = ParkedIndex(CurvesTatType);
    ResetPickers();
  }
  const int32_t Now = Code();
  SelectionMode = (Now == ToolMarquee && (Page == TToolPage::ABGrid || Page == TToolPage::CLGrid)) ||
                  Now == ToolAlphaMarquee || Now == ToolZoomWindow;
  AllowPointsMove = Now != ToolPullIn && Now != ToolPushOut;
}

void TToolState::ResetPickers() {
  CurvesPicker = MaskPicker = CLRotationPicker = WhiteBalancePicker = false;
  if (Page != TToolPage::ABGrid && ABTatType >= 0) ABTatType = ParkedIndex(ABTatType);
  if (Page != TToolPage::Curves && CurvesTatType >= 0) CurvesTatType = ParkedIndex(CurvesTatType);
  if (ToolItem < 0 && ABTatType < 0 && CurvesTatType < 0) ToolItem = ParkedIndex(ToolItem);
  ModelCurvesTatType = -1;
  CurvesPicker = false;
}

void TToolState::DeactivateTools() {
  if (ToolItem >= 0) ToolItem = ParkedIndex(ToolItem);
  if (ABTatType >= 0) ABTatType = ParkedIndex(ABTatType);
  if (CurvesTatType >= 0) CurvesTatType = ParkedIndex(CurvesTatType);
}

TToolCursors ToolCursors(const TToolState& State, bool Alt, bool Shift, bool TatSameColor) {
  const int32_t Code = State.Code();
  const int32_t S = !Shift ? 0 : (State.Page == TToolPage::CLGrid ? 2 : 1);
  int32_t C = -2;
  const bool AltKeeps = Code == 0 || Code == 1 || Code == 2 || Code == 3 || Code == 5 ||
                        Code == 6 || Code == 37 || Code == 69;
  if (Alt && !AltKeeps) {
    C = 5;
  } else if (Code < 0) {
    C = -2;
  } else {
    switch (Code) {
      case 0: case 1: C = 1; break;
      case 2: C = State.Page == TToolPage::Curves2D ? 12 : 10 + S; break;
      case 3: C = 13; break;
      case 4: C = 6; break;
      case 5: C = Alt ? 3 : 2; break;
      case 6: C = Alt ? 29 : (Shift ? 28 : 27); break;
      case 34: C = State.Page == TToolPage::Curves2D ? 9 : 7 + S; break;
      case 37: C = Alt ? 2 : 3; break;
      case 69: C = 4; break;
      default: C = -2; break;
    }
  }
  if (State.Page == TToolPage::ABGrid && State.ABTatType >= 0 && State.ABTatType <= 3)
    C = std::array<int32_t, 4>{19, 20, 21, 23}[size_t(State.ABTatType)];
  if (State.Page == TToolPage::Curves && State.CurvesTatType >= 0) {
    const bool Shifted = Shift || TatSameColor;
    switch (State.CurvesTatType) {
      case 0: C = 18; break;
      case 1: C = 19; break;
      case 2: C = 20; break;
      case 3: C = Shifted ? 24 : 21; break;
      case 4: C = Shifted ? 25 : 22; break;
      case 5: C = Shifted ? 26 : 23; break;
      default: break;
    }
  }
  if (TatSameColor) C = 17;
  if (State.CurvesPicker) C = 5;
  TToolCursors Out;
  Out.Grid = (Code == 2 || Code == 3 || Code == 34) ? C : 0;
  if ((State.WhiteBalancePicker && State.Page == TToolPage::ABGrid) ||
      (State.CLRotationPicker && State.Page == TToolPage::CLGrid) ||
      (State.Page == TToolPage::Mask && Code != 5 && Code != 6 && Code != 37 && Code != 69))
    C = 5;
  Out.Image = C;
  return Out;
}

uint8_t DragPreviewModeOfPress(const TToolState& State, bool Alt, bool Shift, bool LBBox) {
  const int32_t Code = State.Code();
  if (!Alt || Shift) return 0;
  if (Code != 0 && Code != 1 && Code != 2 && Code != 3 && Code != 34) return 0;
  switch (State.Page) {
    case TToolPage::ABGrid: return 5;
    case TToolPage::Curves2D: return 9;
    case TToolPage::CLGrid: return LBBox ? 7 : 6;
    default: return 0;
  }
}

TColourReplaceMode ColourReplaceMode(int32_t TatType) {
  switch (TatType) {
    case 0: return {true, true, true, true, "Color Replace in Exact mode"};
    case 1: return {true, true, true, false, "Color Replace in Color mode"};
    case 2: return {true, true, false, false, "Color Replace in Hue mode"};
    case 3: return {true, false, false, true, "Color Replace in Luminance mode"};
    default: return {};
  }
}

void ReferenceShown(TToolState& State) {
  if (State.ToolItem == ToolChartGrid) {
    State.ToolItem = 0;
    State.ToolSubTool = 0;
    State.ToolChanged();
  }
}

bool PullInPushOutGrid(T2DEnvelopeDots& Grid, int32_t X, int32_t Y, bool Push, bool Shift,
                       bool Ctrl, bool Alt, bool CLGrid) {
  if (Ctrl || Alt) return false;
  const bool Few = Grid.GetSelectedCount() <= 1;
  const float Strength = Push ? -0.2f : 0.2f;
  if (CLGrid)
    Grid.PullInPushOut(float(X), float(Y), Strength, true, Few, true, !Shift, false);
  else
    Grid.PullInPushOut(float(X), float(Y), Strength, true, Few, true, true, Shift);
  return true;
}

bool ABGridPullPushClick(TSessionPresets& Presets, uint32_t Stage1Colour, bool Push, bool Shift) {
  float R, G, B, L, A, Bm;
  ChannelsOfBGRA(Stage1Colour, R, G, B);
  CurrentColorModel().Forward(R, G, B, L, A, Bm);
  // The A/B grid is recalculated by every run: nothing to invalidate.
  return Presets.ApplyEdit(Push ? _("Push Out tool") : _("Pull In tool"),
                           TSessionPresets::NoInvalidation, [&](TKromelPreset& P) {
                             if (P.ABGrid == nullptr) return false;
                             T2DEnvelopeDots& Grid = P.ABGrid->Highlights->Grid;
                             if (!PullInPushOutGrid(Grid, RoundUnits(A, 10), RoundUnits(Bm, 10), Push,
                                                    Shift, false, false, false))
                               return false;
                             P.ABGrid->Enabled->SetValue(1);
                             return true;
                           });
}

bool MaskPickClick(TSessionPresets& Presets, int32_t Selector, uint32_t Stage6Colour, bool Shift,
                   bool Alt) {
  if (Selector != 20 && Selector != 21) return false;
  float R, G, B;
  ChannelsOfBGRA(Stage6Colour, R, G, B);
  const int32_t Flags = Alt ? PickRemove : (Shift ? PickAdd : 0);
  const bool Changed = Presets.Session.EditPreset([&](TKromelPreset& P) {
    TMaskAdjustments* Mask = P.MaskUnit();
    if (Mask == nullptr) return false;
    if (Selector == 20) {
      float H, S, Pv;
      RGBtoHSP2pSingle(R, G, B, H, S, Pv);
      Mask->AddPickedColor(Flags, H, S, Pv / 100.0f);
    } else {
      float L, C, H;
      RGBtoLChSingle(R, G, B, L, C, H);
      Mask->AddPickedColor(Flags, H, C * 0.0078125f, L / 100.0f);
    }
    return true;
  });
  if (!Changed) return false;
  // The mask key and mask are rebuilt before the step is recorded.
  Presets.Session.MaskChanged();
  Presets.AddUndoStep(_("Change HSL Mask"));
  Presets.Session.UpdateImage(true, false);
  return true;
}

}  // namespace kromel
