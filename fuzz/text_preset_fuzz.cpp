// The text preset (".lux", whole or one page) read into a preset. Whatever
// it holds, the preset it leaves writes a text that a fresh preset reads
// back to the same text.
#include <string>

#include "engine/kromel_preset.h"
#include "fuzz_support.h"

using namespace kromel;

namespace {

std::string Text(TKromelPreset& Preset) {
  std::string S;
  Preset.SaveToXML(S);
  return S;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  fuzz::QuietMessages();
  TKromelPreset Preset;
  Preset.LoadFromXML(fuzz::AsText(Data, Size));
  const std::string Saved = Text(Preset);
  TKromelPreset Copy;
  FUZZ_CHECK(Copy.LoadFromXML(Saved));
  FUZZ_CHECK(Text(Copy) == Saved);
  SetMessageSink(nullptr);
  return 0;
}
