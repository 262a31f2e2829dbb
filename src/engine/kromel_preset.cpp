#include "engine/kromel_preset.h"

#include "engine/mask_slot.h"
#include "foundation/debug_log.h"
#include "foundation/files.h"
#include "foundation/text_scan.h"

namespace kromel {

namespace {

constexpr const char* SectionStart = "<tab section=";
constexpr const char* SectionEnd = "</tab>";

// The first element "<" + Tag ... of Text that lies directly in the root
// section, not inside a nested one (the Master section has a ColorModel of
// its own); empty when there is none.
std::string RootLevelElement(const std::string& Text, const std::string& Tag) {
  const std::string Open = "<" + Tag;
  int32_t Depth = 0;
  for (size_t At = Text.find('<'); At != std::string::npos; At = Text.find('<', At + 1)) {
    if (Text.compare(At, 13, SectionStart) == 0) {
      ++Depth;
    } else if (Text.compare(At, 6, SectionEnd) == 0) {
      --Depth;
    } else if (Depth <= 1 && Text.compare(At, Open.size(), Open) == 0) {
      return XMLGetElement(Text.substr(At), Tag);
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
    const std::string Element = IsSection ? XMLGetElement(Text, Child->GetXMLTag())
                                          : RootLevelElement(Text, Child->GetXMLTag());
    if (Element.empty()) continue;  // absent: keeps its values
    if (!Child->LoadFromXML(Element)) Result = false;
  }
  return Result;
}

bool LoadPresetFromFile(TKromelPreset& Preset, const std::string& FileName) {
  std::string Text;
  if (!LoadFileToString(FileName, Text)) return false;
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
