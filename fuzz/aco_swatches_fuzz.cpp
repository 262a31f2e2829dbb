// The colour swatch reader over any file bytes: a refused file leaves the
// image; an accepted one gives one row of up to 768 colours, which written
// back reads again to the same pixels.
#include <cstring>

#include "fileio/swatches_aco.h"
#include "curve_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

std::string PixelBytes(const TImage32& I) {
  return std::string(reinterpret_cast<const char*>(I.Pixels), 4 * size_t(I.Size)) + "|" +
         std::to_string(I.Width) + "x" + std::to_string(I.Height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string File = PutInput("in.aco", Data, Size);
  TImage32 Image;
  FUZZ_CHECK(Image.Alloc(3, 2));
  std::memset(Image.Pixels, 0x5A, 4 * size_t(Image.Size));
  const std::string Before = PixelBytes(Image);
  if (!LoadSwatchesFromACO(File, Image)) {
    FUZZ_CHECK(PixelBytes(Image) == Before);
    Image.Dispose();
    return 0;
  }
  FUZZ_CHECK(Image.Height == 1 && Image.Width >= 1 && Image.Width <= ACOMaxColors);
  FUZZ_CHECK(4 + 10 * size_t(Image.Width) <= Size);
  const std::string Out = ScratchFolder() + "out.aco";
  FUZZ_CHECK(SaveSwatchesToACO(Out, Image));
  TImage32 Back;
  FUZZ_CHECK(LoadSwatchesFromACO(Out, Back));
  FUZZ_CHECK(PixelBytes(Back) == PixelBytes(Image));
  Back.Dispose();
  Image.Dispose();
  return 0;
}
