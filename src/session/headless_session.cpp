#include "session/headless_session.h"

#include <cstdio>
#include <filesystem>

#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "fileio/raw_files.h"
#include "foundation/ascii_case.h"
#include "foundation/paths.h"
#include "lut/lut_apply.h"
#include "lut/lut_file_3dl.h"
#include "lut/lut_file_cinespace.h"
#include "lut/lut_file_cube.h"
#include "platform/translate.h"

namespace kromel {

namespace {

std::string UpperExt(const std::string& FileName) {
  const std::string Name = std::filesystem::path(FileName).filename().string();
  const size_t Dot = Name.rfind('.');
  return Dot == std::string::npos ? std::string() : UpperAscii(Name.substr(Dot));
}

bool FileExists(const std::string& FileName) {
  std::error_code Ignored;
  return std::filesystem::is_regular_file(FileName, Ignored);
}

}  // namespace

THeadlessSession::THeadlessSession() {
  Image.Init();
  ReferenceImage.Init();
}

THeadlessSession::~THeadlessSession() {
  Image.Dispose();
  ReferenceImage.Dispose();
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

void THeadlessSession::SetSaveTo(const std::string& FileName) {
  DefaultLutFileName = FileName;
  SaveToGiven = true;
}

int THeadlessSession::Run(const std::vector<std::string>& Args) {
  TCommandLinePasses Passes(Args);
  Passes.ProcessSettings(*this);
  Pipeline.SetLutSize(Settings.Preferences.WorkingLutSize());
  Passes.ProcessLoading(*this);
  Passes.ProcessOperations(*this);
  return Failed ? 1 : 0;
}

int32_t THeadlessSession::GetExportLutSize() const {
  return Settings.Preferences.AlwaysSave64 ? Settings.Preferences.ExportLutSize
                                           : Settings.Preferences.WorkingLutSize();
}

bool THeadlessSession::CalcLut() {
  if (Pipeline.LutSize != Settings.Preferences.WorkingLutSize())
    Pipeline.SetLutSize(Settings.Preferences.WorkingLutSize());
  Pipeline.InvalidateLutStages(0);
  return Pipeline.CalcLut();
}

bool THeadlessSession::ProcessedImage(TImage64& Out) {
  if (Image.Width <= 0 || !CalcLut()) return false;
  if (!Out.Alloc(Image.Width, Image.Height)) return false;
  ProcessImage64(Pipeline.MainLut, Image, Out, true);
  // The LUT leaves alpha alone; keep the source's.
  for (int64_t I = 0; I < static_cast<int64_t>(Image.Width) * Image.Height; I++)
    Out.Pixels[I].A = Image.Pixels[I].A;
  return true;
}

void THeadlessSession::LoadReferencePicture(const std::string& FileName) {
  if (!FileExists(FileName)) return Fail(_("File not found: ") + FileName);
  if (!LoadImage64FromFile(ReferenceImage, FileName, false, 1.0f))
    return Fail(_("Failed to load image: ") + FileName);
  ReferenceFileName = FileName;
}

void THeadlessSession::LoadAnyFile(const std::string& FileName) {
  if (!FileExists(FileName)) return Fail(_("File not found: ") + FileName);
  const std::string Ext = UpperExt(FileName);
  if (IsFreeImageFileExtension(FileName)) {
    if (!LoadImage64FromFile(Image, FileName, false, 1.0f))
      return Fail(_("Failed to load image: ") + FileName);
    ImageFileName = FileName;
  } else if (Ext == ".LUX") {
    if (!LoadPresetFromFile(Preset, FileName)) return Fail(_("Failed to load preset: ") + FileName);
    PresetName = FileName;
  } else if (IsRawFileExtension(FileName)) {
    Fail(_("RAW images are not supported without the window yet: ") + FileName);
  } else {
    Fail(_("Unsupported file: ") + FileName);
  }
}

void THeadlessSession::ExportLut(const std::string& FileName) {
  if (FileName.empty()) return Fail(_("Export LUT: no file name given"));
  const int32_t Size = GetExportLutSize();
  const int32_t Working = Pipeline.LutSize;
  Pipeline.SetLutSize(Size);
  Pipeline.InvalidateLutStages(0);
  bool Ok = Pipeline.CalcLut();
  const std::string Ext = UpperExt(FileName);
  const std::string Creator = "Kromel Pro";
  if (Ok) {
    if (Ext == ".CUBE")
      Ok = Save3dLutCube(Pipeline.MainLut, FileName, nullptr, Creator, std::string());
    else if (Ext == ".3DL")
      Ok = SaveTo3DL(Pipeline.MainLut, FileName, nullptr, Creator, std::string(), std::string(), true);
    else if (Ext == ".CSP")
      Ok = Save3DLutCinespace(Pipeline.MainLut, FileName);
    else
      return Pipeline.SetLutSize(Working), Fail(_("Unsupported LUT file type: ") + FileName);
  }
  Pipeline.SetLutSize(Working);
  if (!Ok) Fail(_("Failed to export LUT to ") + FileName);
}

void THeadlessSession::SaveProcessedImage(const std::string& FileName) {
  if (Image.Width <= 0) return Fail(_("No image to save: ") + FileName);
  TImage64 Out;
  Out.Init();
  bool Ok = ProcessedImage(Out) && SaveImage64ToFileNoProfile(Out, FileName);
  Out.Dispose();
  if (!Ok) Fail(_("Failed to save image to ") + FileName);
}

}  // namespace kromel
