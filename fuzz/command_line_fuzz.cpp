// The program's command line run headless over a fuzzed argument vector
// (one argument per line of the input). Every file an argument names is
// replaced by a small fixture of the same kind, written once to a scratch
// folder, and outputs go to that folder too, so that any vector runs safely.
#include <stdlib.h>

#include <cctype>
#include <string>
#include <vector>

#include "engine/kromel_preset.h"
#include "fileio/image_save.h"
#include "fileio/file_extension.h"
#include "fileio/image_files.h"
#include "fuzz_support.h"
#include "session/headless_session.h"

using namespace kromel;

namespace {

std::string Scratch(const std::string& Name) { return fuzz::ScratchFolder() + Name; }

// The fixture of Name's kind, or a name of that kind that does not exist.
std::string Fixture(const std::string& Name) {
  const std::string Ext = UpperFileExtension(Name);
  for (const char* Known : {".PNG", ".LUX", ".LUC", ".CUBE"})
    if (Ext == Known) return Scratch("fixture" + Name.substr(Name.size() - Ext.size()));
  std::string Safe;
  for (char C : Ext)
    if (std::isalnum(static_cast<unsigned char>(C)) && Safe.size() < 6) Safe += C;
  return Scratch("missing." + Safe);
}

class TFixtureSession : public THeadlessSession {
public:
  // The smallest working LUT keeps each run quick.
  TFixtureSession() { Settings.Preferences.LUTSize = 0; }
  void ShowHelp(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  void SetSaveTo(const std::string& Name) override { THeadlessSession::SetSaveTo(Fixture(Name)); }
  void LoadReferencePicture(const std::string& Name) override {
    THeadlessSession::LoadReferencePicture(Fixture(Name));
  }
  void LoadAnyFile(const std::string& Name) override { THeadlessSession::LoadAnyFile(Fixture(Name)); }
  // Outputs are written by other tests; a fuzzed size would make them slow.
  void ExportLut(const std::string&) override {}
  void SaveProcessedImage(const std::string&) override {}
};

void WriteFixtures() {
  TImage64 Img;
  FUZZ_CHECK(Img.Alloc(4, 3));
  for (int32_t I = 0; I < 12; ++I)
    Img.Pixels[I] = {uint16_t(5000 * I), uint16_t(60000 - 4000 * I), uint16_t(20000), 65535};
  FUZZ_CHECK(SaveImage64ToFile8bit(Img, Scratch("fixture.png"), EmptyICCProfile()));
  Img.Dispose();
  TKromelPreset Preset;
  Preset.Basic->Exposure->SetValue(0.5f);
  FUZZ_CHECK(SavePresetToFile(Preset, Scratch("fixture.lux")));
  TSessionSettings Settings;
  Settings.Preferences.AlwaysSave64 = false;
  Settings.Preferences.SetExportLutSize(17);
  TKromelSession Session(nullptr, &Settings, 9);
  TSessionPresets Presets(Session);
  FUZZ_CHECK(Presets.SavePresetToFile(Scratch("fixture.luc"), true));
  FUZZ_CHECK(Session.SaveLut(Scratch("fixture.cube")));
  Session.Close();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("XDG_CONFIG_HOME", fuzz::ScratchFolder().c_str(), 1);
  fuzz::SilenceReports();
  fuzz::QuietMessages();
  WriteFixtures();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  fuzz::QuietMessages();
  std::vector<std::string> Args{"kromel"};
  std::string Arg;
  for (size_t I = 0; I < Size && Args.size() <= 24; ++I) {
    if (Data[I] == '\n') {
      Args.push_back(Arg);
      Arg.clear();
    } else {
      Arg += char(Data[I]);
    }
  }
  if (!Arg.empty() && Args.size() <= 24) Args.push_back(Arg);
  TFixtureSession Session;
  const int Status = Session.Run(Args);
  FUZZ_CHECK(Status == (Session.Failed ? 1 : 0));
  SetMessageSink(nullptr);
  return 0;
}
