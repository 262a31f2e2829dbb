// The 3D CUBE reader over any file text. A refused file leaves the LUT as
// it was; an accepted one gives a cube of 2..256 nodes with finite values,
// named after the file, that written by our writer reads back within the
// six-decimal step. Reading without a LUT succeeds whenever reading with
// one does.
#include <cmath>
#include <string>

#include "fuzz_support.h"
#include "lut/lut_file_cube.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

void CheckRoundTrip(const T3DLut& Lut, const TPresetLines& Preset) {
  const std::string File = ScratchFolder() + "out.cube";
  FUZZ_CHECK(Save3dLutCube(Lut, File, Preset.get(), "Kromel", "a\nb"));
  T3DLut Back;
  TPresetLines BackPreset;
  FUZZ_CHECK(LoadFromCube(&Back, File, true, &BackPreset));
  CheckReadBack(Lut, Back, File, [](float In, float Out) {
    return std::fabs(Out - In) <= 5.1e-7f + 1e-6f * std::fabs(In);
  });
  FUZZ_CHECK(static_cast<bool>(BackPreset) == static_cast<bool>(Preset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  const std::string File = ScratchFolder() + "in.cube";
  PutFile(File, Data, Size);
  T3DLut Lut;
  PrepareCube(Lut);
  Lut.ImageProfile = "profile";
  const std::string Before = Snapshot(Lut);
  TPresetLines Preset, Alone;
  const bool Header = LoadFromCube(nullptr, File, true, &Alone);
  if (!LoadFromCube(&Lut, File, true, &Preset)) {
    FUZZ_CHECK(Snapshot(Lut) == Before && Lut.ImageProfile == "profile");
    return 0;
  }
  FUZZ_CHECK(Header);
  CheckFileCube(Lut, File);
  CheckRoundTrip(Lut, Preset);
  return 0;
}
