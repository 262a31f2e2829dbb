// The plug-in link's frame and LUT headers over any map bytes: a refused
// frame leaves the picture as it was; an accepted one fits the map and
// gives whole opaque pixels; a LUT is read only when it fits.
#include <cstring>
#include <vector>

#include "fileio/plugin_link.h"
#include "fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  QuietMessages();
  // The map is page-aligned; so is a fresh heap block of its bytes.
  std::vector<uint8_t> Map(Data, Data + Size);
  TImage64 Image;
  FUZZ_CHECK(Image.Alloc(1, 1));
  Image.Pixels[0] = TPixel64{1, 2, 3, 4};
  TPluginFrameHeader H;
  const TPluginFrameResult R = DecodePluginFrame(Map.data(), int64_t(Size), H, Image);
  FUZZ_CHECK(Size == 0 || std::memcmp(Map.data(), Data, Size) == 0);
  if (R != TPluginFrameResult::Ok) {
    FUZZ_CHECK(Image.Width == 1 && Image.Height == 1 && Image.Pixels[0].A == 4);
  } else {
    FUZZ_CHECK(Image.Width == H.Width && Image.Height == H.Height);
    FUZZ_CHECK(PluginImageHeaderSize + int64_t(H.Width) * H.Height * H.PixelBytes <=
               int64_t(Size));
    for (int32_t I = 0; I < Image.Size; ++I) FUZZ_CHECK(Image.Pixels[I].A == 65535);
  }
  Image.Dispose();
  T3DLut Lut;
  if (ReadPluginLut(Map.data(), int64_t(Size), Lut))
    FUZZ_CHECK(Lut.Size >= MinLutLevels && Lut.Size <= PluginLutMaxLevels &&
               PluginLutHeaderSize + int64_t(Lut.Count) * 12 <= int64_t(Size));
  return 0;
}
