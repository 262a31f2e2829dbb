// The Hald and GPU tile picture readers over any picture. Input: width and
// height as 16-bit little-endian words (low 10 bits + 1 each; the top bit of
// the height word gives the picture a pixel count short of Width x Height),
// then pixel words R, G, B, A repeated over the picture. A refused picture
// leaves the LUT as it was and reports only when asked to; an accepted one
// gives a cube of the picture's N nodes holding each node's pixel / 65535.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "images/image64.h"
#include "lut/lut_images.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

constexpr int64_t MaxPixels = 65536;

inline uint16_t Word(const uint8_t* P) { return static_cast<uint16_t>(P[0] | (P[1] << 8)); }

// The pixel of node (b, g, r) in the layout the reader was asked for.
int64_t PixelOf(bool Gpu, int32_t Width, int32_t N, int32_t b, int32_t g, int32_t r) {
  if (!Gpu) return r + int64_t(N) * (g + int64_t(N) * b);
  const int32_t Tiles = Width / N;
  return (int64_t(b / Tiles) * N + g) * Width + int64_t(b % Tiles) * N + r;
}

void CheckRead(bool Gpu, const TImage64& Image, bool Short) {
  for (bool ShowErrors : {true, false}) {
    T3DLut Lut;
    PrepareCube(Lut);
    const std::string Before = Snapshot(Lut);
    CountReports();
    const bool Ok = Gpu ? LoadFromGPUImage(Lut, Image, ShowErrors)
                        : LoadFromHaldImage(Lut, Image, ShowErrors);
    if (!Ok) {
      FUZZ_CHECK(Snapshot(Lut) == Before);
      FUZZ_CHECK(Reports() == (ShowErrors ? 1 : 0));
      continue;
    }
    FUZZ_CHECK(!Short && Reports() == 0);
    CheckShape(Lut);
    const int32_t N = LutSizeOfImage(Image.Width, Image.Height);
    FUZZ_CHECK(N > 0 && Lut.Size == N && !Lut.NonCubic && Lut.Name == "before");
    FUZZ_CHECK(!Gpu || (Image.Width % N == 0 && N % (Image.Width / N) == 0));
    for (int32_t b = 0; b < N; ++b)
      for (int32_t g = 0; g < N; ++g)
        for (int32_t r = 0; r < N; ++r) {
          const int64_t k = r + int64_t(N) * (g + int64_t(N) * b);
          const int64_t p = PixelOf(Gpu, Image.Width, N, b, g, r);
          FUZZ_CHECK(p >= 0 && p < int64_t(Image.Width) * Image.Height);
          const TPixel64& P = Image.Pixels[p];
          FUZZ_CHECK(Lut.R[k] == static_cast<float>(P.R / 65535.0));
          FUZZ_CHECK(Lut.G[k] == static_cast<float>(P.G / 65535.0));
          FUZZ_CHECK(Lut.B[k] == static_cast<float>(P.B / 65535.0));
        }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  if (Size < 4) return 0;
  const uint16_t HeightWord = Word(Data + 2);
  const int32_t Width = 1 + (Word(Data) & 0x3FF);
  const int32_t Height = 1 + (HeightWord & 0x3FF);
  const bool Short = (HeightWord & 0x8000) != 0;
  if (int64_t(Width) * Height > MaxPixels) return 0;
  TImage64 Image;
  FUZZ_CHECK(Image.Alloc(Width, Height));
  const uint8_t* Words = Data + 4;
  const size_t WordCount = (Size - 4) / 2;
  uint16_t* Out = reinterpret_cast<uint16_t*>(Image.Pixels);
  const int64_t Total = int64_t(Width) * Height * 4;
  for (int64_t j = 0; j < Total; ++j)
    Out[j] = WordCount == 0 ? 0 : Word(Words + 2 * (j % WordCount));
  const int32_t Held = Image.Size;
  // A header claiming more pixels than are held must be refused.
  if (Short) Image.Size = Width * Height - 1;
  CheckRead(false, Image, Short);
  CheckRead(true, Image, Short);
  Image.Size = Held;
  Image.Dispose();
  return 0;
}
