// LUT <-> 16-bit picture layouts.
#include "lut/lut_images.h"

#include <cmath>

#include "foundation/error_sink.h"
#include "lut/lut_apply.h"
#include "lut/lut_lookup.h"

namespace kromel {

namespace {

const char* const UnsupportedText =
    "Unsupported LUT Size to save to GPU Image. Supported sizes are: 9,16,25,64";

inline uint16_t ToWord(float V) {
  const float P = V * 65535.0f;
  if (!(P > 0)) return 0;
  if (P >= 65535.0f) return 65535;
  return static_cast<uint16_t>(std::nearbyint(P));
}

inline float FromWord(uint16_t W) { return static_cast<float>(W / 65535.0); }

bool HasCube(const T3DLut& Lut) {
  return Lut.R != nullptr && Lut.G != nullptr && Lut.B != nullptr &&
         ValidLutLevels(Lut.Size) && !Lut.NonCubic &&
         int64_t(Lut.Count) == int64_t(Lut.Size) * Lut.Size * Lut.Size;
}

// Allocates Width x Height and fills every node's pixel; Pixel(b, g, r)
// gives the pixel index.
template <class TPlace>
bool WriteLayout(const T3DLut& Lut, TImage64& Image, int32_t Width, int32_t Height, TPlace Pixel) {
  if (!Image.Alloc(Width, Height)) return false;
  const int32_t N = Lut.Size;
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const int64_t k = r + int64_t(N) * (g + int64_t(N) * b);
        Image.Pixels[Pixel(b, g, r)].Init(ToWord(Lut.R[k]), ToWord(Lut.G[k]), ToWord(Lut.B[k]),
                                          65535);
      }
  return true;
}

// S for a square-tiled picture, 0 (reported) when N is not a square.
int32_t SquareSide(const T3DLut& Lut) {
  const int32_t N = Lut.Size;
  const int32_t Root = static_cast<int32_t>(std::nearbyint(std::sqrt(static_cast<double>(N))));
  if (!HasCube(Lut) || Root * Root != N) {
    ErrorMessageProc(UnsupportedText);
    return 0;
  }
  return N * Root;
}

template <class TPlace>
bool ReadLayout(T3DLut& Lut, const TImage64& Image, int32_t N, TPlace Pixel) {
  if (!Lut.EnsureSize(N)) return false;
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const int64_t k = r + int64_t(N) * (g + int64_t(N) * b);
        const TPixel64 P = Image.Pixels[Pixel(b, g, r)];
        Lut.R[k] = FromWord(P.R);
        Lut.G[k] = FromWord(P.G);
        Lut.B[k] = FromWord(P.B);
      }
  return true;
}

bool ImageUsable(const TImage64& Image) {
  return Image.Pixels != nullptr && Image.Width > 0 && Image.Height > 0 &&
         int64_t(Image.Width) * Image.Height <= Image.Size;
}

}  // namespace

int32_t LutSizeOfImage(int64_t Width, int64_t Height) {
  if (Width <= 0 || Height <= 0) return 0;
  const long double Pixels = static_cast<long double>(Width) * static_cast<long double>(Height);
  const long double Root = std::nearbyint(std::cbrt(Pixels));
  if (!(Root >= MinLutLevels && Root <= MaxLutLevels)) return 0;
  const int64_t N = static_cast<int64_t>(Root);
  return N * N * N == Width * Height ? static_cast<int32_t>(N) : 0;
}

bool LoadFromGPUImage(T3DLut& Lut, const TImage64& Image, bool ShowErrors) {
  const int32_t N = ImageUsable(Image) ? LutSizeOfImage(Image.Width, Image.Height) : 0;
  const int32_t Tiles = N > 0 ? Image.Width / N : 0;
  if (N == 0 || Image.Width % N != 0 || Tiles == 0 || N % Tiles != 0) {
    if (ShowErrors) ErrorMessageProc("T3DLut.LoadFromGPUImage: Incorrect image size");
    return false;
  }
  const int64_t W = Image.Width;
  return ReadLayout(Lut, Image, N, [&](int32_t b, int32_t g, int32_t r) {
    return (int64_t(b / Tiles) * N + g) * W + int64_t(b % Tiles) * N + r;
  });
}

bool LoadFromHaldImage(T3DLut& Lut, const TImage64& Image, bool ShowErrors) {
  const int32_t N = ImageUsable(Image) ? LutSizeOfImage(Image.Width, Image.Height) : 0;
  if (N == 0) {
    if (ShowErrors) ErrorMessageProc("T3DLut.LoadFromHaldImage: Incorrect image size");
    return false;
  }
  return ReadLayout(Lut, Image, N, [N](int32_t b, int32_t g, int32_t r) {
    return r + int64_t(N) * (g + int64_t(N) * b);
  });
}

bool SaveToGPUImage(const T3DLut& Lut, TImage64& Image) {
  const int32_t S = SquareSide(Lut);
  if (S == 0) return false;
  const int32_t N = Lut.Size, Tiles = S / N;
  return WriteLayout(Lut, Image, S, S, [&](int32_t b, int32_t g, int32_t r) {
    return (int64_t(b / Tiles) * N + g) * S + int64_t(b % Tiles) * N + r;
  });
}

bool SaveToHaldImage(const T3DLut& Lut, TImage64& Image) {
  const int32_t S = SquareSide(Lut);
  if (S == 0) return false;
  const int32_t N = Lut.Size;
  return WriteLayout(Lut, Image, S, S, [N](int32_t b, int32_t g, int32_t r) {
    return r + int64_t(N) * (g + int64_t(N) * b);
  });
}

bool SaveToStripImage(const T3DLut& Lut, TImage64& Image) {
  if (!HasCube(Lut)) return false;
  const int32_t N = Lut.Size;
  return WriteLayout(Lut, Image, N * N, N, [N](int32_t b, int32_t g, int32_t r) {
    return int64_t(g) * N * N + int64_t(b) * N + r;
  });
}

bool SaveToStripImageFlipped(const T3DLut& Lut, TImage64& Image) {
  if (!HasCube(Lut)) return false;
  const int32_t N = Lut.Size;
  return WriteLayout(Lut, Image, N * N, N, [N](int32_t b, int32_t g, int32_t r) {
    return int64_t(N - 1 - g) * N * N + int64_t(b) * N + r;
  });
}

bool ResampleLut(T3DLut& Lut, int32_t N) {
  T3DLut Temp;
  if (!Temp.SetSize(N)) return false;
  Temp.SetDefault();
  ProcessLutByLut(Temp, Temp, Lut, 1.0f);
  return Lut.CopyFrom(Temp);
}

void ProcessPixel64(const T3DLut& Lut, TPixel64& Dst, const TPixel64& Src) {
  float R = FromWord(Src.R), G = FromWord(Src.G), B = FromWord(Src.B);
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  Dst.R = ToWord(R);
  Dst.G = ToWord(G);
  Dst.B = ToWord(B);
}

float GetValueSubdivided(const T3DLut& Lut, const float* Plane, int32_t x, int32_t y, int32_t z,
                         int32_t d) {
  if (d < 1 || Plane == nullptr) return 0;
  const int32_t i = x / d, j = y / d, k = z / d;
  const float fx = static_cast<float>(x % d), fy = static_cast<float>(y % d),
              fz = static_cast<float>(z % d), D = static_cast<float>(d);
  float Sum = 0;
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 2; ++b)
      for (int c = 0; c < 2; ++c) {
        const float wx = a ? fx : D - fx, wy = b ? fy : D - fy, wz = c ? fz : D - fz;
        Sum += GetValueClamped(Lut, Plane, i + a, j + b, k + c) * wx * wy * wz;
      }
  return Sum / (D * D * D);
}

}  // namespace kromel
