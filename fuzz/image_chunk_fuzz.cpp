// The "SAMP" image chunk readers of both depths over any file bytes. Chunks
// are read until one fails; each chunk read must write back as the very
// bytes it came from, and the failed read must leave the image and the file
// position as they were.
#include <stdio.h>
#include <sys/types.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "images/image32.h"
#include "images/image64.h"

using namespace kromel;

namespace {

template <class TImage>
void ReadChunks(const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> Copy(Data, Data + Size);
  Copy.push_back(0);  // never empty; fmemopen sees only Size bytes
  std::FILE* F = fmemopen(Copy.data(), Size, "rb");
  FUZZ_CHECK(F != nullptr);
  TImage Image;
  Image.Init();
  Image.Alloc(1, 1);  // something to keep on failure
  std::memset(Image.Pixels, 0x5A, sizeof(typename TImage::TPixel));
  for (;;) {
    const off_t Before = ftello(F);
    const auto* OldPixels = Image.Pixels;
    const int32_t OldWidth = Image.Width, OldHeight = Image.Height;
    const int32_t OldSize = Image.Size;
    if (!Image.ReadFromFile(F)) {
      FUZZ_CHECK(ftello(F) == Before);
      FUZZ_CHECK(Image.Pixels == OldPixels && Image.Width == OldWidth &&
                 Image.Height == OldHeight && Image.Size == OldSize);
      break;
    }
    const off_t After = ftello(F);
    FUZZ_CHECK(After > Before && After <= off_t(Size));
    FUZZ_CHECK(int64_t(Image.Width) * Image.Height == Image.Size);
    FUZZ_CHECK((Image.Pixels != nullptr) == (Image.Size > 0));

    char* Out = nullptr;
    size_t OutSize = 0;
    std::FILE* W = open_memstream(&Out, &OutSize);
    FUZZ_CHECK(W != nullptr);
    FUZZ_CHECK(Image.WriteToFile(W));
    std::fclose(W);
    FUZZ_CHECK(OutSize == size_t(After - Before) && std::memcmp(Out, Data + Before, OutSize) == 0);
    std::free(Out);
  }
  Image.Dispose();
  std::fclose(F);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  ReadChunks<TImage32>(Data, Size);
  ReadChunks<TImage64>(Data, Size);
  return 0;
}
