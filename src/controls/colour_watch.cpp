#include "controls/colour_watch.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "analysis/colour_readouts.h"
#include "colour/icc_profiles.h"
#include "platform/message_sink.h"

namespace kromel {

void TColorWatchModel::Changed() {
  if (OnChanged) OnChanged(this);
}

void TColorWatchModel::SetBounds(int32_t W, int32_t H) {
  Width = W;
  Height = H;
  UpdateText();
}

void TColorWatchModel::SetColor1(int32_t C) {
  Color1 = C;
  UpdateText();
}

void TColorWatchModel::SetColor2(int32_t C) {
  Color2 = C;
  UpdateText();
}

void TColorWatchModel::SetTextMode(int32_t M) {
  TextMode = M;
  UpdateText();
}

void TColorWatchModel::NextTextMode() {
  SetTextMode((std::max(TextMode, 0) + 1) % FormatCount);
  SetColor1(Color1);
}

void TColorWatchModel::SetShowDeltas(bool Value) {
  if (Value == ShowDeltas) return;
  ShowDeltas = Value;
  UpdateText();
}

void TColorWatchModel::SetShowSecondNumbers(bool Value) {
  ShowSecondNumbers = Value;
  UpdateText();
}

int32_t TColorWatchModel::PlateColor(int32_t Plate) const {
  const int32_t C = Plate == 2 ? Color2 : Color1;
  if (DisplayTransform == nullptr) return C;
  return static_cast<int32_t>(cmsProcessTColor(static_cast<uint32_t>(C), DisplayTransform));
}

void TColorWatchModel::UpdateText() {
  try {
    if (TextMode < 0) TextMode = 0;
    if (Width < MinTextWidth) {
      // A narrow watch shows its plate only.
      TitlesText.clear();
      NumbersText.clear();
      Changed();
      return;
    }
    const int32_t Mode = std::min(TextMode, FormatCount - 1);
    std::string Titles = Color1Title;
    std::string Numbers = ColorPickerTextBGR(Color1, Mode, LabTransform, LinearGamma);
    if (ShowSecondNumbers) {
      Titles += "\n";
      Numbers += "\n";
      Titles += Color2Title;
      Numbers += ShowDeltas ? ColorPickerDeltaTextBGR(Color2, Color1, Mode, LabTransform, LinearGamma)
                            : ColorPickerTextBGR(Color2, Mode, LabTransform, LinearGamma);
    }
    if (!Title.empty()) Numbers = Title + "\n" + Numbers;
    TitlesText = std::move(Titles);
    NumbersText = std::move(Numbers);
    Changed();
  } catch (const std::exception&) {
    PlatformShowMessage("Exception in TVelColorWatch.UpdateText");
  }
}

TColorWatchLayout TColorWatchModel::ArrangeControls() const {
  TColorWatchLayout L;
  const int32_t M = PlateMargin, W = ColorRectWidth, H = Height;
  const bool Narrow = Width < MinTextWidth;
  L.TextVisible = !Narrow;
  L.Plate2Visible = ShowSecondColorPlate && !Narrow;
  L.PlateOutline = PlateBorder && !ColorPlatesTogether;
  const int32_t K = ShowSecondNumbers || !Title.empty() ? 1 : 0;
  const int32_t T = std::max((H - 13 * (1 + K)) / 2, -1);
  const int32_t Half = (H - 2 * M) / 2;
  const int32_t LabelTop = (H - 2 * M - 14) / 2 + M;
  if (!ColorPlatesTogether)
    L.Plate1 = {M, M, W, H - 2 * M + 1};
  else if (HorizontalCompare)
    L.Plate1 = {M, M, W + 1, Half + 1};
  else
    L.Plate1 = {M, M, W / 2 + 1, H - 2 * M};
  L.Plate1Label = {M + 4, LabelTop, 34, H - 10};
  L.CloseBox = {W + M + 193, 2, 5, 12};
  L.StatusBox = {W + M + 191, 18, 8, 12};
  const bool Titled = !Color1Title.empty() || !Color2Title.empty();
  L.NumbersBox = {W + M + (Titled ? 27 : 5), T, 140, H - 2 * T};
  L.TitleBox = {W + M + 3, T, 22, H - 2 * T};
  if (ColorPlatesTogether) {
    if (HorizontalCompare)
      L.Plate2 = {M, Half + M, W + 1, H - M - (Half + M) + 1};
    else
      L.Plate2 = {W / 2 + M - 1, M, W / 2 + 1, H - 2 * M};
    L.Plate2Label = {W / 2 + 8, LabelTop, W - 6, H - 10};
  } else {
    L.Plate2 = {W + M + 145, M, W, H - 2 * M};
    L.Plate2Label = {W + M + 165, LabelTop, W - 6, H - 10};
  }
  if (!Color1Title.empty() && ShowSecondColorPlate && !HorizontalCompare)
    L.Plate1LabelText = Color1Title.substr(0, 1);
  if (!Color2Title.empty() && !HorizontalCompare) L.Plate2LabelText = Color2Title.substr(0, 1);
  return L;
}

bool TColorWatchModel::TextMouseDown(TPressButton Button, TModifiers Shift) {
  bool Menu = false;
  if (Button == TPressButton::Left && !CtrlHeld(Shift)) {
    const int32_t M = std::clamp(TextMode, 0, FormatCount - 1);
    SetTextMode((Shift & modAlt) != 0 ? (M - 1 + FormatCount) % FormatCount : (M + 1) % FormatCount);
    if (OnModeSwitch) OnModeSwitch(this);
  } else if (Button == TPressButton::Right || CtrlHeld(Shift)) {
    Menu = true;
  }
  SetColor1(Color1);
  return Menu;
}

void TColorWatchModel::MenuClick(int32_t Tag) {
  if (Tag > FormatCount - 1)
    SetShowDeltas(!ShowDeltas);
  else
    SetTextMode(Tag);
  SetColor1(Color1);
  if (OnModeSwitch) OnModeSwitch(this);
}

void TColorWatchModel::ToggleStatus() {
  const bool Global = Status == "G";
  Status = std::string(Global ? "L" : "G");
  Changed();
  if (OnStatusChange) OnStatusChange(this);
}

void TColorWatchModel::SwapWith(TColorWatchModel& Other) {
  const int32_t C1 = Color1, C2 = Color2, Mode = TextMode;
  const std::string S = Status;
  SetColor1(Other.Color1);
  SetColor2(Other.Color2);
  SetTextMode(Other.TextMode);
  Status = Other.Status;
  Other.SetColor1(C1);
  Other.SetColor2(C2);
  Other.SetTextMode(Mode);
  Other.Status = S;
  Changed();
  Other.Changed();
}

void TColorWatchModel::PlateColorChosen(int32_t Plate, int32_t C) {
  if (Plate == 2)
    SetColor2(C);
  else
    SetColor1(C);
}

}  // namespace kromel
