#include "controls/main_controls.h"

#include "engine/kromel_preset.h"
#include "foundation/error_sink.h"

namespace kromel {

namespace {

// The first section named Name below Root, depth first (the log decoder
// sits inside the effect chain).
TSectionPreset* FindSection(TSectionPreset& Root, const std::string& Name) {
  for (int32_t I = 0; I < Root.GetCount(); ++I) {
    auto* S = dynamic_cast<TSectionPreset*>(Root.GetChild(I));
    if (S == nullptr) continue;
    if (S->SectionName == Name) return S;
    if (TSectionPreset* Inner = FindSection(*S, Name)) return Inner;
  }
  return nullptr;
}

}  // namespace

TControlledParameter* FindPresetParameter(TSectionPreset& Root, const char* Section,
                                          const char* Parameter) {
  if (Parameter == nullptr) return nullptr;
  TSectionPreset* Owner = Section != nullptr ? FindSection(Root, Section) : &Root;
  if (Owner == nullptr) return nullptr;
  for (int32_t I = 0; I < Owner->GetCount(); ++I) {
    TControlledParameter* P = Owner->GetChild(I);
    if (P != nullptr && dynamic_cast<TSectionPreset*>(P) == nullptr && P->Name == Parameter)
      return P;
  }
  return nullptr;
}

namespace {

std::unique_ptr<TController> MakeControl(const TControlDef& D) {
  switch (D.Kind) {
    case TControlKind::Switch: {
      auto C = std::make_unique<TSwitchControl>(D.Name, "", skTumbler);
      C->State = D.Value != 0;
      return C;
    }
    case TControlKind::Selector: {
      auto C = std::make_unique<TComboControl>(D.Name, D.Items, D.ModesCount);
      C->SelectorPosition = D.Value;
      return C;
    }
    case TControlKind::Bar: {
      auto C = std::make_unique<TScrollBarControl>(D.Name);
      C->Min = D.Min;
      C->Max = D.Max;
      C->Reverse = D.Reverse;
      C->SetDisplayPositionSilent(D.Value);
      return C;
    }
    case TControlKind::CaptionedBar: {
      auto C = std::make_unique<TCaptionedScrollBarControl>(D.Name);
      C->SetMax(D.Max);
      C->SetMin(D.Min);
      C->ValueScale = D.ValueScale;
      C->SetValueSilent(D.Value);
      return C;
    }
    case TControlKind::ColorPlate:
      return std::make_unique<TColorPlateControl>(D.Name, D.Value);
    case TControlKind::ColorWheel: {
      auto C = std::make_unique<TColorWheelControl>(D.Name);
      C->MinX = C->MinY = D.Min;
      C->MaxX = C->MaxY = D.Max;
      return C;
    }
    case TControlKind::MultiRange: {
      auto C = std::make_unique<TMultiRangeControl>(D.Name, D.Value);
      C->Max = D.Max;
      C->Min = D.Min;
      return C;
    }
    case TControlKind::ButtonSwitch:
      break;
  }
  return nullptr;
}

}  // namespace

TMainWindowControls::TMainWindowControls() {
  for (const TRadioGroupDef& G : MainRadioGroupTable()) {
    auto Group = std::make_unique<TRadioGroupControl>(G.Name, G.Items);
    Form.AddChild(Group.get());
    FGroups.push_back(std::move(Group));
  }
  for (const TControlDef& D : MainControlTable()) {
    TController* Control = nullptr;
    if (D.Kind == TControlKind::ButtonSwitch) {
      TRadioGroupControl* G = FindGroup(D.Group);
      Control = G != nullptr ? G->GetButtonSwitch(D.ButtonIndex) : nullptr;
      if (Control != nullptr) Control->Name = D.Name;
    } else {
      std::unique_ptr<TController> Owned = MakeControl(D);
      Control = Owned.get();
      Control->SetControllerNumber(D.Number);
      Form.AddChild(Control);
      FOwned.push_back(std::move(Owned));
    }
    if (Control == nullptr) continue;
    Control->Tag = D.Tag;
    Control->SetDefaultValue(D.Default);
    FByName[D.Name] = Control;
  }
  Controllers.RegisterControls(Form);
  Controllers.FormerNumbers = MainFormerNumbers();
}

TMainWindowControls::~TMainWindowControls() = default;

TController* TMainWindowControls::Find(const std::string& Name) const {
  const auto It = FByName.find(Name);
  return It == FByName.end() ? nullptr : It->second;
}

TRadioGroupControl* TMainWindowControls::FindGroup(const std::string& Name) const {
  for (const auto& G : FGroups)
    if (G->Name == Name) return G.get();
  return nullptr;
}

bool TMainWindowControls::Bind(const TControlDef& D, TController& Control, TSectionPreset& Preset) {
  TControlledParameter* P = FindPresetParameter(Preset, D.Section, D.Parameter);
  switch (D.Kind) {
    case TControlKind::ColorWheel:
      if (auto* W = dynamic_cast<TControlledParameterColorWheel*>(P)) {
        static_cast<TColorWheelControl&>(Control).ConnectToParameter(W);
        return true;
      }
      return false;
    case TControlKind::MultiRange:
      if (auto* A = dynamic_cast<TControlledParameterIntegerArray*>(P)) {
        auto& Bar = static_cast<TMultiRangeControl&>(Control);
        if (static_cast<int32_t>(A->Values.size()) < Bar.DotCount) return false;
        Bar.ConnectToParameter(A);
        return true;
      }
      return false;
    case TControlKind::Bar:
    case TControlKind::CaptionedBar:
      if (dynamic_cast<TControlledParameterSingle*>(P) == nullptr) return false;
      Control.ConnectToParameter(P);
      return true;
    default:
      if (dynamic_cast<TControlledParameterInteger*>(P) == nullptr) return false;
      Control.ConnectToParameter(P);
      return true;
  }
}

int32_t TMainWindowControls::LinkControlsToPreset(TSectionPreset& Preset) {
  int32_t Missing = 0;
  for (const TControlDef& D : MainControlTable()) {
    if (D.Parameter == nullptr) continue;
    TController* Control = Find(D.Name);
    if (Control == nullptr || !Bind(D, *Control, Preset)) {
      ++Missing;
      ErrorMessageProc(std::string("Exception in LinkControlsToPreset: ") + D.Name + " -> " +
                       (D.Section != nullptr ? D.Section : Preset.SectionName.c_str()) + "." +
                       D.Parameter);
      continue;
    }
    if (OnBound) OnBound(D, *Control);
  }
  return Missing;
}

}  // namespace kromel

namespace kromel {

std::unique_ptr<TKromelPreset> CreateDefaultPreset() {
  auto Preset = std::make_unique<TKromelPreset>();
  TMainWindowControls Controls;
  Controls.LinkControlsToPreset(*Preset);
  return Preset;
}

}  // namespace kromel
