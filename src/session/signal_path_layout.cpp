#include "session/signal_path_layout.h"

#include <algorithm>
#include <string>

#include "controls/main_controls.h"
#include "foundation/platform_helpers.h"
#include "foundation/text_tokens.h"
#include "lut/lut.h"
#include "lut/lut_apply.h"
#include "platform/translate.h"

namespace kromel {

namespace {

bool SwitchOn(const TMainWindowControls& C, const char* Name) {
  const auto* S = C.Get<TSwitchControl>(Name);
  return S != nullptr && S->State;
}

int32_t SelectorAt(const TMainWindowControls& C, const char* Name) {
  const auto* S = C.Get<TSwitchControl>(Name);
  return S != nullptr ? S->SelectorPosition : 0;
}

// A log selector is in use unless it shows "Off".
bool LogInUse(const TMainWindowControls& C, const char* Name) {
  auto* S = C.Get<TComboControl>(Name);
  return S != nullptr && S->GetItem(S->SelectorPosition) != "Off";
}

bool ButtonSwitch(const TMainWindowControls& C, const char* Group, int32_t Index) {
  const TRadioGroupControl* G = C.FindGroup(Group);
  return G != nullptr && G->GetButtonSwitchState(Index);
}

// Builds the item list in the order the diagram is drawn.
class TBuilder {
public:
  TSignalPathLayout Out;
  int32_t Col = 0;

  void Link(int32_t C1, int32_t R1, int32_t C2, int32_t R2, int32_t Bend = 0) {
    TSignalPathItem I;
    I.IsLink = true;
    I.Col = C1;
    I.Row = R1;
    I.ToCol = C2;
    I.ToRow = R2;
    I.Bend = Bend;
    Out.Items.push_back(I);
  }
  void Box(int32_t C, int32_t R, const std::string& Caption, bool Active, TColor Fill = SignalPathBoxFill,
           bool Wrapped = false) {
    TSignalPathItem I;
    I.Col = C;
    I.Row = R;
    I.Caption = Caption;
    I.Active = Active;
    I.Fill = Fill;
    I.Wrapped = Wrapped;
    Out.Items.push_back(I);
  }
  // A box at the next free column of row 1 with its arrow to the next cell.
  void Add(const std::string& Caption, bool Active, TColor Fill = SignalPathBoxFill) {
    Box(Col, 1, Caption, Active, Fill);
    Link(Col, 1, Col + 1, 1);
    ++Col;
  }
};

}  // namespace

TSignalPathInputs SignalPathInputsOf(const TMainWindowControls& C) {
  TSignalPathInputs In;
  In.ExternalLutOn = SwitchOn(C, "ExternalLUTGlyphSwitch");
  In.ExternalLutPosition = SelectorAt(C, "UtilityLUTModeComboBox");
  In.MaskDestination = SelectorAt(C, "MaskDestinationComboBox");
  In.InputLog = LogInUse(C, "InputLogComboBox");
  In.OutputLog = LogInUse(C, "OutputLogComboBox");
  for (const char* Knob : {"TransformWhiteBalanceKnob", "TransformTintKnob"})
    if (TController* K = C.Find(Knob); K != nullptr && K->GetControllerValue() != 0) In.WhiteBalance = true;
  for (int32_t I = 0; I < 7; ++I) In.PageSwitches[size_t(I)] = ButtonSwitch(C, "PagesRadioGroup", I);
  In.CurvesInUse = ButtonSwitch(C, "CurvesMRGBRadioGroup", 0) || ButtonSwitch(C, "CurvesMRGBRadioGroup", 1) ||
                   ButtonSwitch(C, "SatLumRadioGroup", 1);
  In.MasterOn = SwitchOn(C, "MasterGlyphSwitch");
  return In;
}

TSignalPathLayout LayoutSignalPath(const TSignalPathInputs& In) {
  TBuilder B;
  const int32_t Position = In.ExternalLutOn ? In.ExternalLutPosition : -1;
  // In "Masked alt." mode the mask always works on everything.
  const int32_t Dest = In.ExternalLutPosition == 5 ? 0 : In.MaskDestination;
  const auto& Pages = In.PageSwitches;
  int32_t MaskCol = 0, MaskSourceCol = -1, MaskSourceRow = 1, MaskKeyCol = -1;
  auto ReserveMask = [&] { MaskCol = B.Col++; };

  B.Link(-1, 1, 0, 1);
  if (Dest == 7) ReserveMask();
  if (Position == 0) B.Add(_("ExtLUT"), true);
  if (Dest == 6) MaskSourceCol = MaskKeyCol = B.Col - 1;
  if (In.InputLog) {
    MaskSourceCol = MaskKeyCol = B.Col;
    MaskSourceRow = 1;
    B.Add(_("LogDec"), true);
  }
  if (Position == 5) {
    B.Link(-1, 1, 0, 2);
    B.Box(0, 2, _("ExtLUT"), true);
    MaskSourceCol = 0;
    MaskSourceRow = 2;
  }
  B.Add(_("WB"), In.WhiteBalance);
  if (Position == 1) B.Add(_("ExtLUT"), true);
  B.Add(_("CM"), Pages[0]);
  if (Dest == 1) ReserveMask();
  if (In.OutputLog) B.Add(_("LogEnc"), true);
  B.Add(_("Volume"), Pages[1]);
  if (Dest == 2) ReserveMask();
  if (Position == 2) B.Add("ExtLUT", true);
  B.Add(_("A/B"), Pages[2], SignalPathGridBoxFill);
  B.Add(_("C/L"), Pages[3], SignalPathGridBoxFill);
  if (Dest == 5) MaskSourceCol = B.Col - 1;
  if (Dest == 3) ReserveMask();
  B.Add(_("Curves"), Pages[4] && In.CurvesInUse);
  if (Dest == 4 || Dest == 5) ReserveMask();
  B.Add(_("2DCur"), Pages[5]);
  if (Dest == 6) ReserveMask();
  if (Position == 3) B.Add(_("ExtLUT"), true);
  if (Dest == 0) ReserveMask();
  if (Position == 4) {
    B.Link(-1, MaskSourceRow, B.Col, 2, 1);
    B.Link(-1, 1, B.Col, 1, -1);
    B.Box(B.Col, 1, _("Ext") + "\r" + _("Mask"), true, SignalPathBoxFill, true);
    B.Link(B.Col, 1, B.Col + 1, 1);
    ++B.Col;
  }
  if (Dest == 8) ReserveMask();
  B.Link(MaskCol, 1, MaskCol + 1, 1);
  B.Box(B.Col, 1, _("Master"), In.MasterOn);
  B.Link(B.Col, 1, B.Col + 1, 1);
  if (Dest <= 6) {
    B.Link(MaskCol - 1, 1, MaskCol, 1);
    B.Link(MaskSourceCol, MaskSourceRow, MaskCol, 2);
    B.Link(MaskKeyCol, 1, MaskCol, 1, -1);
    B.Box(MaskCol, 1, _("Mask"), Pages[6], SignalPathBoxFill, true);
  } else {
    B.Box(MaskCol, 1, _("Mask"), Pages[6]);
  }
  return std::move(B.Out);
}

const TSignalPathItem* TSignalPathLayout::Box(const std::string& Caption) const {
  for (const TSignalPathItem& I : Items)
    if (!I.IsLink && I.Caption == Caption) return &I;
  return nullptr;
}

std::vector<std::string> TSignalPathLayout::BoxCaptions() const {
  std::vector<const TSignalPathItem*> Boxes;
  for (const TSignalPathItem& I : Items)
    if (!I.IsLink) Boxes.push_back(&I);
  std::stable_sort(Boxes.begin(), Boxes.end(), [](const TSignalPathItem* A, const TSignalPathItem* B) {
    return A->Row != B->Row ? A->Row < B->Row : A->Col < B->Col;
  });
  std::vector<std::string> Out;
  for (const TSignalPathItem* I : Boxes) Out.push_back(I->Caption);
  return Out;
}

int32_t TSignalPathLayout::Width() const {
  int32_t Last = 0;
  for (const TSignalPathItem& I : Items) Last = std::max({Last, I.Col, I.IsLink ? I.ToCol : 0});
  // The right edge of the last cell's box and the arrow leaving it.
  return Last * 45 + 53 + 8;
}

void ExternalLutThumbnail(const TImage32& HueDisc, const T3DLut* Lut, TImage32& Thumbnail) {
  Thumbnail.SetSize(75, 75);
  if (!HasArea(HueDisc)) {
    Thumbnail.Clear();
    return;
  }
  Thumbnail.ResampleNearestFrom(HueDisc);
  if (Lut != nullptr && Lut->R != nullptr && Lut->Size > 1) ProcessImage(*Lut, Thumbnail, Thumbnail, false);
}

TExternalLutLabel ExternalLutLabel(const T3DLut* Lut,
                                   const std::function<int32_t(const std::string&)>& TextWidth,
                                   int32_t MaxWidth) {
  TExternalLutLabel L;
  if (Lut == nullptr || Lut->Name.empty() || Lut->IsEmpty()) {
    L.Caption = L.Hint = _("[No 3DLUT loaded]");
    return L;
  }
  L.HasPreset = Lut->Preset != nullptr && Lut->Preset->Size() > 0;
  std::string Suffix;
  if (L.HasPreset) {
    Suffix = _(" [Preset %u kb]");
    ReplaceFirst(Suffix, "%u", std::to_string(Lut->Preset->Size() / 1024));
  } else {
    Suffix = _(" [No preset]");
  }
  L.Caption = MinimizeName(Lut->Name, TextWidth, MaxWidth) + Suffix;
  L.Hint = Lut->Name;
  return L;
}

}  // namespace kromel
