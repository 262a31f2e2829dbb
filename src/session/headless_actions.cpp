// The scripted actions of the headless run that work on the external LUT,
// the curves, the work image and the colour chart.
#include "session/headless_session.h"

#include "platform/folders.h"
#include "platform/translate.h"
#include "session/session_actions.h"
#include "session/terminal_progress.h"

namespace kromel {

void THeadlessSession::LoadExternalLut(const std::string& FileName) {
  NoteInput(FileName, _("external LUT"));
  const auto LoadFailed = [this](const std::string& Text) {
    FLoadFailed = true;
    Fail(Text);
  };
  if (FileName.empty()) return LoadFailed(_("Load external LUT: no file name given"));
  if (!FileExists(FileName)) return LoadFailed(MissingFileText(FileName));
  bool Loaded;
  {
    TTerminalProgress Progress(_("Loading external LUT ") + FileName);
    Loaded = kromel::LoadExternalLut(*Presets, FileName);
    if (!Loaded) Progress.SetFailed();
  }
  if (!Loaded) LoadFailed(_("Failed to load LUT from ") + FileName);
}

void THeadlessSession::SetExtLutPosition(int32_t Index) {
  if (!SetExternalLutPosition(*Presets, Index))
    Fail(_("Invalid external LUT position: ") + std::to_string(Index));
}

void THeadlessSession::ExtLutExtractCurves() {
  // The routine shows its own reason.
  if (!ExtractCurvesFromExternalLut(*Presets)) Failed = true;
}

void THeadlessSession::CurvesExtractMaster() { MasterCurveToRGB(*Presets); }

void THeadlessSession::ProcessImageWithLut() {
  if (!ImageLoaded()) return Fail(_("No image to process with the LUT"));
  TTerminalProgress Progress(_("Processing image with the LUT"));
  if (!Presets->ProcessImageWithLutAndReset()) {
    Progress.SetFailed();
    Fail(_("Failed to process the image with the LUT"));
  }
}

void THeadlessSession::OpenMatchDialog() {
  ShowMessage(_("MatchDialog: the Match colors dialog needs the main window; skipped."));
}

void THeadlessSession::SelectChart(int32_t Index) {
  if (Index < 0) return Fail(_("Invalid chart number: ") + std::to_string(Index));
  ChartIndex = Index;
}

void THeadlessSession::LoadColorChart(const std::string& FileName) {
  NoteInput(FileName, _("colour chart"));
  if (!FileExists(FileName)) return Fail(MissingFileText(FileName));
  // The reader reports why it refused the file.
  if (!Chart.LoadColorChart(FileName)) Failed = true;
}

void THeadlessSession::SetChartMatchMode(int32_t Index) {
  if (Index < 0 || Index > 7) return Fail(_("Invalid chart match mode: ") + std::to_string(Index));
  ChartMatchMode = Index;
}

void THeadlessSession::SetChartCorners(const std::array<int32_t, 8>& XY) { ChartCorners = XY; }

void THeadlessSession::MatchChart() {
  Fail(_("Chart matching needs the chart page of the main window; it is not available "
         "without the window."));
}

void THeadlessSession::SetChartExposureShift() {
  Fail(_("SetChartExposureShift: sampling the colour chart needs the main window; it is not "
         "available without the window."));
}

}  // namespace kromel
