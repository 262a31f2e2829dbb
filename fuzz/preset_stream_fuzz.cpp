// The binary preset stream "KRMP" read into a preset with the main window's
// controls bound to it. A refused stream leaves the preset, the stream
// position and the mask isolation as they were; an accepted one leaves a
// preset that writes a stream which reads back to the same bytes.
#include <string>

#include "controls/binary_preset.h"
#include "controls/main_controls.h"
#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "platform/message_sink.h"

using namespace kromel;

namespace {

struct TBound {
  TKromelPreset Preset;
  TMainWindowControls Controls;
  TBound() { Controls.LinkControlsToPreset(Preset); }
  std::string Save() {
    TMemoryStream S;
    FUZZ_CHECK(SavePresetToStream(Preset, Controls.Controllers, S, false, ""));
    return S.Bytes();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  fuzz::QuietMessages();
  static TBound Live;
  const bool KeepMask = Size > 0 && (Data[Size - 1] & 1) != 0;
  const std::string Before = Live.Save();
  TMemoryStream Stream(fuzz::AsText(Data, Size));
  int32_t Version = 0;
  const bool Loaded = LoadPresetFromStream(Live.Preset, Live.Controls.Controllers, Stream, "fuzz",
                                           KeepMask, Version);
  TMaskAdjustments* Mask = Live.Preset.MaskUnit();
  FUZZ_CHECK(!Mask->MaskType->Isolate && !Mask->Curve1->Curve.Isolate && !Mask->MaskLUTIsolate);
  if (!Loaded) {
    FUZZ_CHECK(Stream.Position() == 0);
    FUZZ_CHECK(Live.Save() == Before);
  } else {
    const std::string After = Live.Save();
    TBound Copy;
    TMemoryStream Back(After);
    FUZZ_CHECK(LoadPresetFromStream(Copy.Preset, Copy.Controls.Controllers, Back, "copy", false,
                                    Version));
    FUZZ_CHECK(Version == PresetStreamVersion);
    FUZZ_CHECK(Back.Position() == Back.Size());
  }
  SetMessageSink(nullptr);
  return 0;
}
