#include "session/headless_session.h"

#include "session/session_actions.h"

#include <cstdio>
#include <filesystem>

#include "fileio/image_files.h"
#include "controls/switch_controls.h"
#include "session/session_images.h"
#include "session/terminal_progress.h"
#include "platform/translate.h"

namespace kromel {

namespace {

bool FileExists(const std::string& FileName) {
  std::error_code Ignored;
  return std::filesystem::is_regular_file(FileName, Ignored);
}

}  // namespace

THeadlessSession::THeadlessSession() { Chart.Init(); }

THeadlessSession::~THeadlessSession() {
  Files.reset();
  Presets.reset();
  Session.reset();
}

void THeadlessSession::Fail(const std::string& Text) {
  Failed = true;
  ShowMessage(Text);
}

void THeadlessSession::ShowMessage(const std::string& Text) {
  std::fprintf(stderr, "%s\n", Text.c_str());
  std::fflush(stderr);
}

void THeadlessSession::ShowHelp(const std::string& Text) {
  std::fputs(Text.c_str(), stdout);
  std::fflush(stdout);
}

void THeadlessSession::SetExportLutSize(int32_t Size) { Settings.Preferences.SetExportLutSize(Size); }

void THeadlessSession::SetSaveTo(const std::string& FileName) { FSaveTo = FileName; }

TSessionPreferences THeadlessSession::SessionPreferences() const {
  const TPreferences& P = Settings.Preferences;
  TSessionPreferences S;
  S.LutSize = P.WorkingLutSize();
  S.AlwaysSave64 = P.AlwaysSave64;
  S.ExportLutSize = P.ExportLutSize;
  S.ClipToWhite = P.ClipToWhite;
  S.OpenEXRinSRGB = P.OpenEXRinSRGB;
  S.LibRawColor = P.LibRawColor;
  S.LibRawHighlights = P.LibrawHighlights;
  S.LibRawDemosaic = P.LibrawDemosaic;
  S.LibRawDenoise = P.LibrawDenoise;
  S.LibRawUniWB = P.LibrawUniWB;
  S.DontSavePresetIntoLut = P.DontSavePresetsToLUTs;
  S.ModalPluginMode = P.ModalPluginMode;
  S.UseAlpha = P.SaveAlphaChannel;
  S.LoadWhiteBalanceFromRaw = P.LoadWhiteBalanceFromRaw;
  S.LoadColorMatrixFromRaw = P.LoadColorMatrixFromRaw;
  S.WarnAboutLogLoading = P.WarnAboutLogLoading;
  return S;
}

int THeadlessSession::Run(const std::vector<std::string>& Args) {
  TCommandLinePasses Passes(Args);
  Passes.ProcessSettings(*this);
  Session = std::make_unique<TKromelSession>(nullptr, SessionPreferences());
  Presets = std::make_unique<TSessionPresets>(*Session);
  Presets->Preferences = &Settings.Preferences;
  Presets->InitDefaultPreset();
  Files = std::make_unique<TSessionFiles>(*Session, *Presets);
  Files->Loaders.ExternalLut = [this](const std::string& F) {
    return kromel::LoadExternalLut(*Presets, F);
  };
  Files->Loaders.ColorChart = [this](const std::string& F) { return Chart.LoadColorChart(F); };
  if (!FSaveTo.empty()) {
    Presets->DefaultLutFileName = FSaveTo;
    Presets->SaveToGiven = true;
  }
  Passes.ProcessLoading(*this);
  Passes.ProcessOperations(*this);
  ApplyToPlugin();
  Session->Close();
  return Failed ? 1 : 0;
}

void THeadlessSession::LoadReferencePicture(const std::string& FileName) {
  if (!FileExists(FileName)) return Fail(_("File not found: ") + FileName);
  if (!LoadImage64FromFile(Session->ReferenceImage, FileName, false, 1.0f))
    return Fail(_("Failed to load image: ") + FileName);
  ReferenceFileName = FileName;
}

void THeadlessSession::LoadAnyFile(const std::string& FileName) {
  if (!FileExists(FileName)) return Fail(_("File not found: ") + FileName);
  TTerminalProgress Progress(_("Loading ") + FileName);
  switch (Files->LoadAnyFile(FileName, false, true)) {
    case TLoadOutcome::Ignored:
    case TLoadOutcome::Loaded:
      return;
    case TLoadOutcome::Unsupported:
      Progress.SetFailed();
      Failed = true;
      return;
    case TLoadOutcome::Failed:
      Progress.SetFailed();
      return Fail(_("Failed to load file: ") + FileName);
  }
}

void THeadlessSession::AssignProfile(const std::string& FileName) {
  if (!FileExists(FileName)) return Fail(_("File not found: ") + FileName);
  if (!Session->AssignProfileFromFile(FileName, true))
    Fail(_("Failed to assign profile from ") + FileName);
}

void THeadlessSession::SetBaseProfile(const std::string& FileName) {
  Settings.Main.ICCBaseProfile = FileName;
}

void THeadlessSession::ExportLut(const std::string& FileName) {
  if (FileName.empty()) return Fail(_("Export LUT: no file name given"));
  TTerminalProgress Progress(_("Exporting LUT ") + FileName);
  if (!Session->SaveLut(FileName)) {
    Progress.SetFailed();
    Fail(_("Failed to export LUT to ") + FileName);
  }
}

void THeadlessSession::SaveProcessedImage(const std::string& FileName) {
  if (!ImageLoaded()) return Fail(_("No image to save: ") + FileName);
  TTerminalProgress Progress(_("Saving image ") + FileName);
  if (!Session->SaveImage(FileName)) {
    Progress.SetFailed();
    Fail(_("Failed to save image to ") + FileName);
  }
}

void THeadlessSession::SetKnob(const char* Name, int32_t Value, const std::string& Step) {
  TController* C = Session->Controls.Find(Name);
  if (C == nullptr) return Fail(std::string("Unknown control ") + Name);
  Session->EditPreset([&](TKromelPreset&) {
    C->SetControllerValue(Value);
    return true;
  });
  Session->InvalidateLutStages(0);
  Presets->AddUndoStep(Step);
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
  Session->EditPreset([&](TKromelPreset&) {
    Pages->SetButtonSwitchState(Index, false);
    return true;
  });
  Session->InvalidateLutStages(0);
  Presets->AddUndoStep(_("Turn tab off"));
}

void THeadlessSession::SetMasterCurve(bool On) {
  TRadioGroupControl* Group = Session->Controls.FindGroup("CurvesMRGBRadioGroup");
  if (Group == nullptr) return Fail("Unknown control CurvesMRGBRadioGroup");
  Session->EditPreset([&](TKromelPreset&) {
    Group->SetButtonSwitchState(0, On);
    return true;
  });
  Session->InvalidateLutStages(0);
  Presets->AddUndoStep(_("Master curve ") + (On ? "On" : "Off"));
}

}  // namespace kromel
