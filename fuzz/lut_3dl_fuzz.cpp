// The 3DL reader over any file text. A refused file leaves the LUT as it
// was; an accepted one gives a cube of 2..256 nodes with finite values,
// named after the file, that written by our writer reads back within a
// 12-bit step of its values limited to 0..1. Reading without a LUT never
// reports success.
#include <algorithm>
#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "lut/lut_file_3dl.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

void CheckRoundTrip(const T3DLut& Lut, const TPresetLines& Preset) {
  const std::string File = ScratchFolder() + "out.3dl";
  FUZZ_CHECK(SaveTo3DL(Lut, File, Preset.get(), "Kromel", "", "", true));
  T3DLut Back;
  TPresetLines BackPreset;
  FUZZ_CHECK(LoadFrom3DL(&Back, File, true, &BackPreset));
  CheckReadBack(Lut, Back, File, [](float In, float Out) {
    return std::fabs(Out - std::clamp(In, 0.0f, 1.0f)) <= 1.0f / 8190 + 1e-6f;
  });
  FUZZ_CHECK(static_cast<bool>(BackPreset) == static_cast<bool>(Preset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  const std::string File = ScratchFolder() + "in.3dl";
  PutFile(File, Data, Size);
  T3DLut Lut;
  PrepareCube(Lut);
  Lut.InputGamma = "gamma";
  const std::string Before = Snapshot(Lut);
  TPresetLines Preset, Alone;
  FUZZ_CHECK(!LoadFrom3DL(nullptr, File, true, &Alone));
  if (!LoadFrom3DL(&Lut, File, true, &Preset)) {
    FUZZ_CHECK(Snapshot(Lut) == Before && Lut.InputGamma == "gamma");
    return 0;
  }
  CheckFileCube(Lut, File);
  // Without a LUT the block is searched from the shaper line on.
  FUZZ_CHECK(!Preset || Alone);
  CheckRoundTrip(Lut, Preset);
  return 0;
}
