// The settings file read into the session's settings. A file that cannot be
// read is moved aside (unless empty); whatever was read, the settings saved again give a
// file that reads back to the same settings.
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "fuzz_support.h"
#include "session/session_settings.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  fuzz::QuietMessages();
  const std::string File = fuzz::ScratchFolder() + "settings.xml";
  std::error_code Ignored;
  std::filesystem::remove(File + ".bad", Ignored);
  fuzz::PutFile(File, Data, Size);
  TSessionSettings Settings;
  {
    auto Store = std::make_shared<TSettingsFile>(File);
    LoadSessionSettings(Settings, true, Store);
    // An empty file holds nothing worth keeping aside.
    if (!Store->LoadError().empty() && Size > 0)
      FUZZ_CHECK(std::filesystem::exists(File + ".bad", Ignored));
    SaveSessionSettings(Settings, Store);
  }
  const std::string Saved = fuzz::GetFile(File);
  TSessionSettings Again;
  {
    auto Store = std::make_shared<TSettingsFile>(File);
    FUZZ_CHECK(Store->LoadError().empty());
    LoadSessionSettings(Again, true, Store);
    SaveSessionSettings(Again, Store);
  }
  FUZZ_CHECK(fuzz::GetFile(File) == Saved);
  SetMessageSink(nullptr);
  return 0;
}
