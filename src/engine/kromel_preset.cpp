#include "engine/kromel_preset.h"

#include "engine/mask_slot.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "platform/message_sink.h"
#include "platform/translate.h"

namespace kromel {

namespace {

constexpr const char* SectionStart = "<tab section=";
constexpr const char* SectionEnd = "</tab>";

// The first element "<" + Tag ... of Text that lies directly in the root
// section, not inside a nested one (the Master section has a ColorModel of
// its own); empty when there is none.
std::string RootLevelElement(const std::string& Text, const std::string& Tag) {
  int32_t Depth = 0;
  for (size_t At = Text.find('<'); At != std::string::npos; At = Text.find('<', At + 1)) {
    if (Text.compare(At, 13, SectionStart) == 0) {
      ++Depth;
    } else if (Text.compare(At, 6, SectionEnd) == 0) {
      --Depth;
    } else if (Depth <= 1 && IsStartTagAt(Text, At, Tag)) {
      return ElementAt(Text, At, Tag);
    }
  }
  return {};
}

}  // namespace

TKromelPreset::TKromelPreset() : TSectionPreset(nullptr, "KromelPreset") {
  EffectChain = new TLUTEffectChain(&Children);
  LogDecoder = dynamic_cast<TLogDecoderAdjustments*>(EffectChain->AddEffect(1, 0));
  LogEncoder = new TLogEncoderAdjustments(&Children);
  FilmCurve = new TFilmCurveAdjustments(&Children);
  Basic = new TBasicAdjustments(&Children);
  Clipping = new TClippingAdjustments(&Children);
  ChannelMixer = new TChannelMixerAdjustments(&Children);
  Volume = new TVolumeAdjustments(&Children);
  ABGrid = new TABGridAdjustments(&Children);
  CLGrid = new TCLGridAdjustments(&Children);
  ModelCurves = new TModelCurvesAdjustments(&Children);
  RGBContrast = new TRGBContrastAdjustments(&Children);
  ModelSaturation = new TModelSaturationAdjustments(&Children);
  RGBCurves = new TRGBCurvesAdjustments(&Children);
  Curves2D = new T2DCurvesAdjustments(&Children);
  ExternalLUT = new TExternalLUT(&Children);
  Mask = CreateMaskUnit(&Children);
  Master = new TMasterAdjustments(&Children);
  TabSwitches =
      new TControlledParameterSwitchesArray(&Children, "TabSwitches", PresetTabSwitchCount, 0);
  ExternalLUTPosition = new TControlledParameterInteger(&Children, "ExternalLUTPosition", 0);
  ColorModel = new TControlledParameterInteger(&Children, "ColorModel", PresetDefaultColorModel);
  MaskDestination = new TControlledParameterInteger(&Children, "MaskDestination", 0);
  CurvesEnabled = new TControlledParameterInteger(&Children, "CurvesEnabled", 0);
  // The ranges of their selectors.
  ExternalLUTPosition->SetRange(0, 5);
  ColorModel->SetRange(0, PresetColorModelCount - 1);
  MaskDestination->SetRange(0, 8);
  CurvesEnabled->SetRange(0, 1);
}

TKromelPreset::~TKromelPreset() {
  // These three go first; each leaves Children as it goes, and the section
  // destroys the rest from the last to the first.
  delete Basic;
  delete RGBCurves;
  delete Curves2D;
}

bool TKromelPreset::LoadFromXML(const std::string& Text) {
  bool Result = true;
  if (Text.empty()) return Result;
  for (int32_t I = 0; I < Children.Count(); ++I) {
    TControlledParameter* Child = Children.Get(I);
    if (Child == nullptr) continue;
    const bool IsSection = dynamic_cast<TSectionPreset*>(Child) != nullptr;
    const std::string Element = IsSection ? GetParameterElement(Text, Child->GetXMLTag())
                                          : RootLevelElement(Text, Child->GetXMLTag());
    if (Element.empty()) continue;  // absent: keeps its values
    if (!Child->LoadFromXML(Element)) Result = false;
  }
  return Result;
}

namespace {

// Whether Text is one whole preset element: the root start tag first (after
// blanks), every section closed, and nothing but blanks after the root's end.
// Damaged is set for a text that starts as a preset but is not whole.
bool IsWholePresetText(const std::string& Text, bool& Damaged) {
  Damaged = false;
  const std::string Root = std::string(SectionStart) + "\"KromelPreset\">";
  const size_t First = Text.find_first_not_of(" \t\r\n");
  if (First == std::string::npos || Text.compare(First, Root.size(), Root) != 0) return false;
  Damaged = true;
  int32_t Depth = 0;
  size_t End = std::string::npos;
  for (size_t At = Text.find('<', First); At != std::string::npos; At = Text.find('<', At + 1)) {
    if (Text.compare(At, 13, SectionStart) == 0) {
      if (Depth == 0 && At != First) return false;  // a second root
      ++Depth;
    } else if (Text.compare(At, 6, SectionEnd) == 0) {
      if (--Depth < 0) return false;
      if (Depth == 0) End = At + 6;
    } else if (Depth == 0) {
      return false;  // an element after the root
    }
  }
  if (Depth != 0 || End == std::string::npos) return false;
  if (Text.find_first_not_of(" \t\r\n", End) != std::string::npos) return false;
  Damaged = false;
  return true;
}

}  // namespace

bool LoadPresetFromFile(TKromelPreset& Preset, const std::string& FileName) {
  std::string Text;
  if (!LoadFileToString(FileName, Text)) return false;
  // All or nothing: a text that is no preset, or one cut short or with a
  // section that cannot be read, changes nothing.
  bool Damaged = false;
  bool Whole = IsWholePresetText(Text, Damaged);
  if (Whole) {
    TKromelPreset Scratch;
    Whole = Scratch.LoadFromXML(Text);
    Damaged = !Whole;
  }
  if (!Whole) {
    std::string Message = Damaged ? _("Error: the preset file %s is damaged; nothing was loaded.")
                                  : _("Error: %s is not a preset file.");
    const size_t At = Message.find("%s");
    if (At != std::string::npos) Message.replace(At, 2, FileName);
    PlatformShowMessage(Message);
    return false;
  }
  Preset.LoadFromXML(Text);
  return true;
}

bool SavePresetToFile(TKromelPreset& Preset, const std::string& FileName) {
  std::string Text;
  Preset.SaveToXML(Text);
  return SaveStringToFile(FileName, Text, ErrorMessageProc);
}

bool SaveSectionPresetToFile(TKromelPreset& Preset, const std::string& FileName,
                             TControlledParameter* Section) {
  std::string Text;
  Preset.SaveChildToXML(Text, Section);
  return SaveStringToFile(FileName, Text, ErrorMessageProc);
}

}  // namespace kromel
