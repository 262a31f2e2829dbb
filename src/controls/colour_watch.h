// The colour watch without widgets: two colours with their readout texts in
// one of fifteen formats, titles, the status letter, and where its plates,
// plate letters and text boxes go.
#pragma once
#include <cstdint>
#include <string>

#include "colour/cms_hook.h"
#include "controls/control_input.h"
#include "params/notify_event.h"

namespace kromel {

struct TColorWatchLayout {
  TBounds Plate1, Plate2, Plate1Label, Plate2Label;
  TBounds CloseBox, StatusBox, NumbersBox, TitleBox;
  bool TextVisible = true;
  bool Plate2Visible = true;
  // The plates' outline pen is drawn (not clear).
  bool PlateOutline = true;
  // The first letter of each colour's title over its plate ("" = hidden).
  std::string Plate1LabelText, Plate2LabelText;
};

class TColorWatchModel {
public:
  static constexpr int32_t FormatCount = 15;
  static constexpr int32_t MinTextWidth = 60;

  int32_t Width = 0, Height = 0;
  int32_t Color1 = 0, Color2 = 0;  // TColor 0x00BBGGRR
  std::string Title, Color1Title, Color2Title;
  bool ColorPlatesTogether = false;
  bool ShowSecondColorPlate = true;
  bool Editable = true;
  bool HorizontalCompare = false;
  bool PlateBorder = true;
  bool ShowSecondNumbers = true;
  bool ShowDeltas = false;
  int32_t ColorRectWidth = 40;
  int32_t PlateMargin = 5;
  int32_t TextMode = 0;
  std::string Status = "L";
  float LinearGamma = 2.4f;
  // Not owned; set by the owner window.
  TCMSTransform LabTransform = nullptr;
  TCMSTransform DisplayTransform = nullptr;
  // The texts of the titles column and the numbers column.
  std::string TitlesText, NumbersText;
  TNotifyEvent OnModeSwitch;
  TNotifyEvent OnStatusChange;
  // Something shown changed: repaint.
  TNotifyEvent OnChanged;

  void SetBounds(int32_t W, int32_t H);
  void SetColor1(int32_t C);
  void SetColor2(int32_t C);
  void SetTextMode(int32_t M);
  void NextTextMode();
  void SetShowDeltas(bool Value);
  void SetShowSecondNumbers(bool Value);
  // The plate's colour as shown (through DisplayTransform when set).
  int32_t PlateColor(int32_t Plate) const;
  // Readout texts of the colours; a watch narrower than 60 keeps its texts.
  void UpdateText();
  TColorWatchLayout ArrangeControls() const;

  // A press on the text boxes: a left click cycles the format (backwards
  // with Alt); true when the format menu is to pop up instead (right
  // button or Ctrl).
  bool TextMouseDown(TPressButton Button, TModifiers Shift);
  // A format menu item (0..14, 16 "Show Deltas").
  void MenuClick(int32_t Tag);
  // "L" <-> "G" (any other letter becomes "G").
  void ToggleStatus();
  void SwapWith(TColorWatchModel& Other);
  // The colour a double click on plate 1 or 2 edits, and the colour the
  // dialog returned for it: each plate edits its own colour.
  int32_t EditedColor(int32_t Plate) const { return Plate == 2 ? Color2 : Color1; }
  void PlateColorChosen(int32_t Plate, int32_t C);

private:
  void Changed();
};

}  // namespace kromel
