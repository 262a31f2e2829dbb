#include "session/headless_session.h"

#include "session/session_actions.h"

#include <cstdio>
#include <filesystem>

#include "fileio/image_files.h"
#include "controls/switch_controls.h"
#include "session/session_images.h"
#include "session/terminal_progress.h"
#include "foundation/ascii_case.h"
#include "foundation/paths.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_images.h"

namespace kromel {

namespace {

bool FileExists(const std::string& FileName) {
  std::error_code Ignored;
  return std::filesystem::is_regular_file(FileName, Ignored);
}

// What a file given to load is, for the refusal to write over it.
std::string RoleOf(const std::string& FileName) {
  switch (FileActionFor(FileName)) {
    case TFileAction::Picture: return _("image");
    case TFileAction::PresetXML:
    case TFileAction::PresetBinary: return _("preset");
    case TFileAction::LutWithPreset:
    case TFileAction::ExternalLut: return _("preset or LUT");
    default: return _("input file");
  }
}

std::string ProgramPathOf(const std::vector<std::string>& Args) {
  std::error_code Ec;
  const std::filesystem::path Self = std::filesystem::read_symlink("/proc/self/exe", Ec);
  if (!Ec) return Self.string();
  return Args.empty() ? std::string() : Args[0];
}

}  // namespace

std::string MissingFileText(const std::string& FileName) {
  std::error_code Ignored;
  if (std::filesystem::is_directory(FileName, Ignored)) return _("Not a file but a folder: ") + FileName;
  return _("File not found: ") + FileName;
}

THeadlessSession::THeadlessSession() { Chart.Init(); }

THeadlessSession::~THeadlessSession() = default;

void THeadlessSession::Fail(const std::string& Text) {
  Failed = true;
  ShowMessage(Text);
}

void THeadlessSession::ShowMessage(const std::string& Text) { WriteStderrLine(Text); }

void THeadlessSession::ShowHelp(const std::string& Text) {
  std::fputs(Text.c_str(), stdout);
  std::fflush(stdout);
}

void THeadlessSession::SetExportLutSize(int32_t Size) { Settings.Preferences.SetExportLutSize(Size); }

void THeadlessSession::SetSaveTo(const std::string& FileName) { FSaveTo = FileName; }

int THeadlessSession::Run(const std::vector<std::string>& Args) {
  Root.LoadSettings(true);
  // The command line's preferences hold for this run only.
  const TPreferences Stored = Settings.Preferences;
  const std::string StoredIccBase = Settings.Main.ICCBaseProfile;
  TCommandLinePasses Passes(Args);
  Passes.ProcessSettings(*this);
  Root.Build();
  if (FInputLog >= 0) SetKnob("InputLogComboBox", FInputLog, _("Set LOG decoding"));
  Files->Loaders.ColorChart = [this](const std::string& F) { return Chart.LoadColorChart(F); };
  if (!FSaveTo.empty()) {
    Presets->DefaultLutFileName = FSaveTo;
    Presets->SaveToGiven = true;
  }
  Passes.ProcessLoading(*this);
  Passes.ProcessOperations(*this);
  ApplyToPlugin();
  Root.Close();
  Settings.Preferences = Stored;
  Settings.Main.ICCBaseProfile = StoredIccBase;
  Settings.ProgramVersion = "1.52";
  Settings.ProgramPath = ProgramPathOf(Args);
  Root.SaveSettings();
  return Failed ? 1 : 0;
}

void THeadlessSession::SetInputLog(int32_t Index) {
  if (Index < 0 || Index > 26) return Fail(_("Invalid LOG decoding index: ") + std::to_string(Index));
  FInputLog = Index;
}

void THeadlessSession::LoadImageFromHostApplication() {
  FLoadFailed = true;
  Fail(_("ImageFromPs: loading the image from Photoshop needs Photoshop, which is not available "
         "on this system; no image loaded."));
}

void THeadlessSession::NoteInput(const std::string& FileName, const std::string& Role) {
  if (!FileName.empty()) FInputs.emplace_back(FileName, Role);
}

bool THeadlessSession::MayWrite(const std::string& FileName, const std::string& What) {
  if (FLoadFailed) {
    Fail(What + _(" skipped because a file given on the command line failed to load: ") + FileName);
    return false;
  }
  for (const auto& [Input, Role] : FInputs) {
    std::error_code Ec;
    if (std::filesystem::equivalent(FileName, Input, Ec)) {
      Fail(What + _(" refused: ") + FileName + _(" is the loaded ") + Role +
           _("; give another file name."));
      return false;
    }
  }
  return true;
}

void THeadlessSession::LoadReferencePicture(const std::string& FileName) {
  NoteInput(FileName, _("reference image"));
  if (!FileExists(FileName)) {
    FLoadFailed = true;
    return Fail(MissingFileText(FileName));
  }
  const size_t Shown = DefaultHeadlessSink().Messages().size();
  if (!LoadImage64FromFile(Session->ReferenceImage, FileName, false, 1.0f)) {
    FLoadFailed = true;
    // The reader mostly says why itself.
    if (DefaultHeadlessSink().Messages().size() > Shown) Failed = true;
    else Fail(_("Failed to load image: ") + FileName);
    return;
  }
  ReferenceFileName = FileName;
}

void THeadlessSession::LoadAnyFile(const std::string& FileName) {
  NoteInput(FileName, RoleOf(FileName));
  // "*LAST*.ext" names the newest recent file; the loaders resolve it.
  const bool Last = UpperAscii(ExtractFileNameW(FileName)).rfind("*LAST*.", 0) == 0;
  if (!Last && !FileExists(FileName)) {
    FLoadFailed = true;
    return Fail(MissingFileText(FileName));
  }
  TLoadOutcome Outcome;
  {
    TTerminalProgress Progress(_("Loading ") + FileName);
    Outcome = Files->LoadAnyFile(FileName, false, true);
    if (Outcome == TLoadOutcome::Failed || Outcome == TLoadOutcome::Unsupported)
      Progress.SetFailed();
  }
  // A RAW image's work image is its LogC copy.
  NoteInput(Session->ImageFileName, _("image"));
  switch (Outcome) {
    case TLoadOutcome::Ignored:
    case TLoadOutcome::Loaded:
      return;
    case TLoadOutcome::Unsupported:
      FLoadFailed = true;
      Failed = true;
      return;
    case TLoadOutcome::Failed:
      FLoadFailed = true;
      return Fail(_("Failed to load file: ") + FileName);
  }
}

void THeadlessSession::AssignProfile(const std::string& FileName) {
  if (!FileExists(FileName)) return Fail(MissingFileText(FileName));
  if (!Session->AssignProfileFromFile(FileName, true))
    Fail(_("Failed to assign profile from ") + FileName);
}

void THeadlessSession::SetBaseProfile(const std::string& FileName) {
  if (!FileExists(FileName)) return Fail(_("Base profile ") + FileName + _(" not found"));
  Settings.Main.ICCBaseProfile = FileName;
  // An ICC export of this run is an input profile on it.
  Settings.Main.ICCBaseProfile = FileName;
}

void THeadlessSession::ExportLut(const std::string& FileName) {
  if (FileName.empty()) return Fail(_("Export LUT: no file name given"));
  if (!MayWrite(FileName, _("LUT export"))) return;
  bool Saved;
  {
    TTerminalProgress Progress(_("Exporting LUT ") + FileName);
    Saved = Session->SaveLut(FileName);
    if (!Saved) Progress.SetFailed();
  }
  if (!Saved) Fail(_("Failed to export LUT to ") + FileName);
}

void THeadlessSession::SaveProcessedImage(const std::string& FileName) {
  if (FileName.empty()) return Fail(_("Save image: no file name given"));
  if (!MayWrite(FileName, _("Saving the image"))) return;
  if (!ImageLoaded()) return Fail(_("No image to save: ") + FileName);
  bool Saved;
  {
    TTerminalProgress Progress(_("Saving image ") + FileName);
    Saved = Session->SaveImage(FileName);
    if (!Saved) Progress.SetFailed();
  }
  if (!Saved) Fail(_("Failed to save image to ") + FileName);
}

void THeadlessSession::SetKnob(const char* Name, int32_t Value, const std::string& Step) {
  TController* C = Session->Controls.Find(Name);
  if (C == nullptr) return Fail(std::string("Unknown control ") + Name);
  Presets->ApplyEdit(Step, 0, [&](TKromelPreset&) {
    C->SetControllerValue(Value);
    return true;
  });
}

void THeadlessSession::SetSaturation(int32_t Value) {
  SetKnob("TransformSaturationKnob", Value, _("Set saturation"));
}

void THeadlessSession::SetTemperature(int32_t KnobValue) {
  SetKnob("TransformWhiteBalanceKnob", KnobValue, _("Set temperature"));
}

void THeadlessSession::TurnOffTab(int32_t Index) {
  TRadioGroupControl* Pages = Session->Controls.FindGroup("PagesRadioGroup");
  if (Pages == nullptr) return Fail("Unknown control PagesRadioGroup");
  Presets->ApplyEdit(_("Turn tab off"), 0, [&](TKromelPreset&) {
    Pages->SetButtonSwitchState(Index, false);
    return true;
  });
}

void THeadlessSession::SetMasterCurve(bool On) {
  TRadioGroupControl* Group = Session->Controls.FindGroup("CurvesMRGBRadioGroup");
  if (Group == nullptr) return Fail("Unknown control CurvesMRGBRadioGroup");
  Presets->ApplyEdit(_("Master curve ") + (On ? "On" : "Off"), 0, [&](TKromelPreset&) {
    Group->SetButtonSwitchState(0, On);
    return true;
  });
}

}  // namespace kromel
