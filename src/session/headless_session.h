// The program's main job without a window: the command line's image, preset
// and options in, the LUT and the processed image out. Messages that would be
// boxes go to standard error; every failed load, export or save makes the
// run fail.
#pragma once
#include <string>

#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "images/image64.h"
#include "session/command_line_passes.h"
#include "session/session_settings.h"

namespace kromel {

class THeadlessSession : public TCommandLineHost {
public:
  THeadlessSession();
  ~THeadlessSession() override;

  // Runs the three passes over Args (Args[0] the program path); the exit
  // status: 0 when every file and action succeeded, else 1.
  int Run(const std::vector<std::string>& Args);

  // The size LUT export writes: ExportLutSize when "Always save 3DLUT with
  // size 64" is ticked, else the working size.
  int32_t GetExportLutSize() const;
  // The main LUT at the working size from the current preset.
  bool CalcLut();
  // The full-size image through the main LUT into Out.
  bool ProcessedImage(TImage64& Out);

  TSessionSettings Settings;
  TKromelPreset Preset;
  TLutPipeline Pipeline{Preset};
  TImage64 Image{};
  TImage64 ReferenceImage{};
  std::string ImageFileName;
  std::string ReferenceFileName;
  std::string PresetName = "Empty preset";
  std::string DefaultLutFileName = "Empty preset";
  bool SaveToGiven = false;
  bool CloseRequested = false;
  bool Failed = false;

  // TCommandLineHost
  void ShowHelp(const std::string& Text) override;
  void SetExportLutSize(int32_t Size) override;
  void SetSaveTo(const std::string& FileName) override;
  void SetRawMode(int32_t Index) override { Settings.Preferences.LibRawColor = Index; }
  void SetRawDemosaic(int32_t Index) override { Settings.Preferences.LibrawDemosaic = Index; }
  void SetRawHighlight(int32_t Index) override { Settings.Preferences.LibrawHighlights = Index; }
  void SetRawUniWB(bool On) override { Settings.Preferences.LibrawUniWB = On; }
  void SetRawNoWhiteBalance() override { Settings.Preferences.LoadWhiteBalanceFromRaw = false; }
  bool ImageLoaded() override { return Image.Width > 0; }
  void LoadReferencePicture(const std::string& FileName) override;
  void LoadAnyFile(const std::string& FileName) override;
  void SaveProcessedImage(const std::string& FileName) override;
  void RequestClose() override { CloseRequested = true; }
  void ExportLut(const std::string& FileName) override;
  void ShowMessage(const std::string& Text) override;

private:
  void Fail(const std::string& Text);
};

}  // namespace kromel
