// The camera RAW loader over any file bytes, with decoding options chosen
// from the bytes and, for every other input, the swap-file path. A refused
// file leaves the caller's image and values as they were; an accepted one
// gives a whole picture with opaque alpha and finite multipliers, and the
// camera's tags read back as text.
#include <FreeImage.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fileio/image_metadata.h"
#include "fileio/raw_files.h"
#include "foundation/byte_codecs.h"
#include "fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

struct TOptions {
  int32_t OutputColor;
  bool UniWB;
  int32_t HighlightMode;
  int32_t Demosaic;
  int32_t NoiseReduction;
  bool Swap;
};

// Options from a hash of the bytes, so that one input always decodes alike.
TOptions OptionsOf(const uint8_t* Data, size_t Size) {
  static const int32_t Colors[] = {0, 1, 2, 4};
  const uint64_t H = CRC64OfBuffer(Data, Size);
  return {Colors[H & 3],         ((H >> 2) & 1) != 0, int32_t((H >> 3) % 3),
          int32_t((H >> 5) % 5), int32_t((H >> 8) % 3), ((H >> 10) & 1) != 0};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  const std::string File = ScratchFolder() + "in.raw";
  PutFile(File, Data, Size);
  const TOptions O = OptionsOf(Data, Size);
  RawMemoryImagePixelLimit = O.Swap ? 16 : 64000000;

  TImage64 Image;
  FUZZ_CHECK(Image.Alloc(3, 2));
  std::memset(Image.Pixels, 0x5A, sizeof(TPixel64) * 6);
  const TPixel64* Before = Image.Pixels;
  std::array<uint16_t, 3> Clip = {1, 2, 3};
  float R = -1, G = -2, B = -3;
  std::array<double, 9> Matrix;
  Matrix.fill(-7.0);
  FIBITMAP* Holder = FreeImage_Allocate(1, 1, 24);
  FUZZ_CHECK(Holder != nullptr);

  const bool Ok = LoadImage64FromRawFile(Image, File, O.OutputColor, O.UniWB, Clip,
                                         O.HighlightMode, O.Demosaic, O.NoiseReduction, R, G, B,
                                         Matrix, Holder);
  if (!Ok) {
    FUZZ_CHECK(Image.Pixels == Before && Image.Width == 3 && Image.Height == 2);
    for (int32_t K = 0; K < 6; ++K) FUZZ_CHECK(Image.Pixels[K].R == 0x5A5A);
    FUZZ_CHECK(Clip[0] == 1 && R == -1 && G == -2 && B == -3 && Matrix[4] == -7.0);
  } else {
    FUZZ_CHECK(Image.Width > 0 && Image.Height > 0 && Image.Pixels != nullptr);
    FUZZ_CHECK(int64_t(Image.Size) == int64_t(Image.Width) * Image.Height);
    for (int32_t K = 0; K < Image.Size; ++K) FUZZ_CHECK(Image.Pixels[K].A == 65535);
    const uint16_t Expected = O.HighlightMode == 0 ? 65535 : 42000;
    FUZZ_CHECK(Clip[0] == Expected && Clip[1] == Expected && Clip[2] == Expected);
    FUZZ_CHECK(std::isfinite(R) && std::isfinite(G) && std::isfinite(B));
    std::string Text;
    GetImageMetadataText(Text, Holder, FIMD_EXIF_MAIN);
    GetImageMetadataText(Text, Holder, FIMD_EXIF_EXIF);
    GetExifExposureInfo(Holder, FIMD_EXIF_EXIF);
  }
  FreeImage_Unload(Holder);
  Image.Dispose();
  return 0;
}
