// Operations shared by the 16-bit image types (TImage64, TImage96): any
// image header whose pixel has the words R, G, B, A. Whole-pixel moves copy
// the pixel as it is; computed values write the four words only, so any
// further field of the pixel keeps its value.
#pragma once
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <string>
#include <vector>

#include "foundation/error_sink.h"
#include "images/blur_kernel.h"
#include "images/image32.h"
#include "images/image_header.h"
#include "images/parallel_rows.h"
#include "images/sample.h"
#include "platform/raw_bitmap.h"

namespace kromel::image16 {

using kromel::HasArea;

template <class TPixel>
void SetWords(TPixel& P, int64_t R, int64_t G, int64_t B, int64_t A) {
  P.R = uint16_t(R);
  P.G = uint16_t(G);
  P.B = uint16_t(B);
  P.A = uint16_t(A);
}

// A channel value from a float: rounded, NaN and below 0 give 0, above
// 65535 gives 65535.
inline uint16_t SaturateWord(float V) {
  if (!(V > 0)) return 0;
  if (V >= 65535.0f) return 65535;
  return uint16_t(std::nearbyint(V));
}

// Turns Image a quarter: the source pixel (X, Y) goes to Target(X, Y) of the
// re-allocated image. A failed allocation keeps the image.
template <class TImage, class TTarget>
void TurnQuarter(TImage& Image, TTarget Target) {
  if (!HasArea(Image)) return;
  TImage Old = std::move(Image);
  if (!Image.Alloc(Old.Height, Old.Width)) {
    Image = std::move(Old);
    return;
  }
  for (int32_t Y = 0; Y < Old.Height; ++Y) {
    const auto* Src = Old.Row(Y);
    for (int32_t X = 0; X < Old.Width; ++X) Target(X, Y) = Src[X];
  }
}

template <class TImage>
void RotateRight(TImage& I) {
  TurnQuarter(I, [&I](int32_t X, int32_t Y) -> auto& { return I.Row(X)[I.Width - 1 - Y]; });
}

template <class TImage>
void RotateLeft(TImage& I) {
  TurnQuarter(I, [&I](int32_t X, int32_t Y) -> auto& { return I.Row(I.Height - 1 - X)[Y]; });
}

template <class TImage>
void FlipVertical(TImage& I) {
  if (!HasArea(I)) return;
  for (int32_t Y = 0; Y < I.Height / 2; ++Y)
    std::swap_ranges(I.Row(Y), I.Row(Y) + I.Width, I.Row(I.Height - 1 - Y));
}

template <class TImage>
void FlipHorizontal(TImage& I) {
  if (!HasArea(I)) return;
  for (int32_t Y = 0; Y < I.Height; ++Y) std::reverse(I.Row(Y), I.Row(Y) + I.Width);
}

template <class TImage>
void MirrorLeftToRight(TImage& I) {
  if (!HasArea(I)) return;
  for (int32_t Y = 0; Y < I.Height; ++Y) {
    auto* P = I.Row(Y);
    for (int32_t X = 0; X <= I.Width / 2; ++X) P[I.Width - 1 - X] = P[X];
  }
}

// The corners of a crop clamped into a W x H image; Right, Bottom exclusive.
inline TRect ClampCrop(TPoint TopLeft, TPoint BottomRight, int32_t W, int32_t H) {
  return {std::max(TopLeft.X, 0), std::max(TopLeft.Y, 0), std::min(BottomRight.X, W),
          std::min(BottomRight.Y, H)};
}

// An empty rectangle empties Dst; a failed allocation leaves Dst as it was.
template <class TImage>
void CropTo(const TImage& I, TImage& Dst, TPoint TopLeft, TPoint BottomRight) {
  const TRect R = ClampCrop(TopLeft, BottomRight, I.Width, I.Height);
  TImage New;
  New.Init();
  New.CopyMarginsFrom(0, 0, 0, 0);
  if (HasArea(I) && R.Right > R.Left && R.Bottom > R.Top) {
    if (!New.Alloc(R.Right - R.Left, R.Bottom - R.Top)) return;
    for (int32_t Y = R.Top; Y < R.Bottom; ++Y)
      std::memcpy(New.Row(Y - R.Top), I.Row(Y) + R.Left,
                  size_t(New.Width) * sizeof(typename TImage::TPixel));
  }
  Dst = std::move(New);
}

template <class TImage, class TImage32>
void CropToImage32(const TImage& I, TImage32& Dst, TPoint TopLeft, TPoint BottomRight) {
  Dst.Dispose();
  const TRect R = ClampCrop(TopLeft, BottomRight, I.Width, I.Height);
  if (!HasArea(I) || R.Right <= R.Left || R.Bottom <= R.Top) return;
  if (!Dst.Alloc(R.Right - R.Left, R.Bottom - R.Top)) return;
  for (int32_t Y = R.Top; Y < R.Bottom; ++Y) {
    const auto* Src = I.Row(Y) + R.Left;
    TVPixel32* Out = Dst.Row(Y - R.Top);
    for (int32_t X = 0; X < Dst.Width; ++X)
      Out[X].BGRA = {uint8_t(Src[X].B >> 8), uint8_t(Src[X].G >> 8), uint8_t(Src[X].R >> 8),
                     uint8_t(Src[X].A >> 8)};
  }
}

template <class TImage>
TRect GetContentRect(const TImage& I) {
  TRect R{-1, -1, -1, -1};
  if (!HasArea(I)) return R;
  for (int32_t Y = 0; Y < I.Height; ++Y) {
    const auto* P = I.Row(Y);
    for (int32_t X = 0; X < I.Width; ++X) {
      if (P[X].A == 0) continue;
      if (R.Left < 0 || X < R.Left) R.Left = X;
      if (X > R.Right) R.Right = X;
      if (R.Top < 0) R.Top = Y;
      R.Bottom = Y;
    }
  }
  return R;
}

// Box-averages Src into TL..BR (exclusive), the rest Background; averaged
// pixels keep any field beyond the four words.
template <bool Opaque, class TImage>
void StretchAveraged(TImage& Image, TPoint TL, TPoint BR, const TImage& Src,
                     const typename TImage::TPixel& Background) {
  if (Src.Pixels == nullptr) return;
  Image.CopyMarginsFrom(TL.X > 0 ? TL.X : 0, Image.Width > BR.X ? Image.Width - BR.X : 0,
                        TL.Y > 0 ? TL.Y : 0, Image.Height > BR.Y ? Image.Height - BR.Y : 0);
  if (!HasArea(Image)) return;
  const int64_t SW = Src.Width, SH = Src.Height;
  const int64_t SpanX = int64_t(BR.X) - TL.X;
  const int64_t SpanY = int64_t(BR.Y) - TL.Y;
  // Rows are independent: bands on several threads give the same pixels.
  const int64_t Work = std::max<int64_t>(int64_t(Image.Width) * Image.Height, SW * SH);
  ForEachRowBand(Image.Height, Work, [&](int32_t FirstRow, int32_t LastRow) {
  for (int64_t Y = FirstRow; Y < LastRow; ++Y) {
    auto* Dst = Image.Row(int32_t(Y));
    for (int64_t X = 0; X < Image.Width; ++X) {
      if (X < TL.X || X >= BR.X || Y < TL.Y || Y >= BR.Y) {
        Dst[X] = Background;
        continue;
      }
      const int64_t K0 = (X - TL.X) * SW / SpanX;
      const int64_t K1 = std::max((X + 1 - TL.X) * SW / SpanX - 1, K0);
      const int64_t T0 = (Y - TL.Y) * SH / SpanY;
      const int64_t T1 = std::max((Y + 1 - TL.Y) * SH / SpanY - 1, T0);
      if (T1 >= SH || K1 >= SW) continue;
      int64_t R = 0, G = 0, B = 0, A = 0;
      for (int64_t T = T0; T <= T1; ++T) {
        const auto* S = Src.Row(int32_t(T));
        for (int64_t K = K0; K <= K1; ++K) {
          R += S[K].R;
          G += S[K].G;
          B += S[K].B;
          A += S[K].A;
        }
      }
      const int64_t N = (T1 - T0 + 1) * (K1 - K0 + 1);
      SetWords(Dst[X], R / N, G / N, B / N, Opaque ? 65535 : A / N);
    }
  }
  });
}

// The bounded sorted list of GetDarkestAverage / GetBrightestAverage: R, G,
// B of Avg become the average of the kept pixels (0 when none).
template <bool Darkest, class TImage, class TPixel>
void ExtremeAverage(const TImage& Image, TPixel& Avg, int32_t Count) {
  Count = std::max(Count, 1);
  if (HasArea(Image)) Count = std::min(Count, Image.Size);
  struct TSlot {
    int32_t Key;
    int32_t Index;
  };
  std::vector<TSlot> List;
  List.reserve(size_t(Count));
  for (int32_t I = 0; HasArea(Image) && I < Image.Size; ++I) {
    const auto& P = Image.Pixels[I];
    if (P.A < 0x8000) continue;
    const int32_t Key = P.R + P.G + P.B;
    const bool Full = int32_t(List.size()) == Count;
    if (Full && (Darkest ? Key >= List.back().Key : Key <= List.back().Key)) continue;
    // After the last slot of an equal key, so the earlier pixel stays first.
    const auto Slot = std::find_if(List.begin(), List.end(), [&](const TSlot& S) {
                        return Darkest ? S.Key > Key : S.Key < Key;
                      }) - List.begin();
    if (Full) List.pop_back();
    List.insert(List.begin() + Slot, {Key, I});
  }
  int64_t R = 0, G = 0, B = 0;
  for (const TSlot& S : List) {
    R += Image.Pixels[S.Index].R;
    G += Image.Pixels[S.Index].G;
    B += Image.Pixels[S.Index].B;
  }
  const int64_t N = int64_t(List.size());
  Avg.R = N > 0 ? uint16_t(R / N) : 0;
  Avg.G = N > 0 ? uint16_t(G / N) : 0;
  Avg.B = N > 0 ? uint16_t(B / N) : 0;
}

// Average of the window with alpha > 16384 (else of every pixel) and the
// spread of the counted pixels in thousandths (-1 when not measured).
template <class TImage, class TPixel>
void GetAverageColor(const TImage& Image, int32_t X, int32_t Y, int32_t Radius, TPixel& Avg,
                     int32_t& Spread) {
  SetWords(Avg, 0, 0, 0, 0);
  Spread = -1;
  if (!HasArea(Image)) return;
  const int64_t Rad = std::max(Radius, 0);
  const int64_t CX = std::clamp(X, 0, Image.Width), CY = std::clamp(Y, 0, Image.Height);
  const int64_t X0 = std::max<int64_t>(CX - Rad, 0);
  const int64_t X1 = std::min<int64_t>(CX + Rad, Image.Width - 1);
  const int64_t Y0 = std::max<int64_t>(CY - Rad, 0);
  const int64_t Y1 = std::min<int64_t>(CY + Rad, Image.Height - 1);
  int64_t Sum[4] = {0, 0, 0, 0}, N = 0;
  int32_t MinC[3] = {65535, 65535, 65535}, MaxC[3] = {0, 0, 0};
  for (int pass = 0; pass < 2 && N == 0; ++pass)
    for (int64_t I = X0; I <= X1; ++I)
      for (int64_t J = Y0; J <= Y1; ++J) {
        const auto& P = Image.Row(int32_t(J))[I];
        if (pass == 0 && P.A <= 0x4000) continue;
        const int32_t C[4] = {P.R, P.G, P.B, P.A};
        for (int K = 0; K < 4; ++K) Sum[K] += C[K];
        for (int K = 0; pass == 0 && K < 3; ++K) {
          MinC[K] = std::min(MinC[K], C[K]);
          MaxC[K] = std::max(MaxC[K], C[K]);
        }
        ++N;
      }
  if (N == 0) return;
  SetWords(Avg, Sum[0] / N, Sum[1] / N, Sum[2] / N, Sum[3] / N);
  const int32_t Total = Avg.R + Avg.G + Avg.B;
  if (MaxC[0] >= MinC[0] && Total > 0)
    Spread = ((MaxC[0] - MinC[0]) + (MaxC[1] - MinC[1]) + (MaxC[2] - MinC[2])) * 1000 / Total;
}

// One forward smoothing pass over N pixels from First, Step pixels apart.
template <class TPixel>
void SmoothPass(TPixel* First, int64_t Step, int32_t N, float Factor) {
  if (N <= 0) return;
  float State[4] = {float(First->R), float(First->G), float(First->B), float(First->A)};
  for (int32_t I = 0; I < N; ++I) {
    TPixel& P = First[I * Step];
    uint16_t* Channel[4] = {&P.R, &P.G, &P.B, &P.A};
    for (int C = 0; C < 4; ++C) {
      State[C] = (1.0f - Factor) * float(*Channel[C]) + Factor * State[C];
      if (State[C] > 65535.0f) State[C] = 65535.0f;
      *Channel[C] = SaturateWord(State[C]);
    }
  }
}

template <class TImage>
void SmoothRecursive(TImage& I, float Factor) {
  if (!HasArea(I)) return;
  for (int32_t Y = 0; Y < I.Height; ++Y) {
    SmoothPass(I.Row(Y), 1, I.Width, Factor);
    SmoothPass(I.Row(Y) + I.Width - 1, -1, I.Width, Factor);
  }
  for (int32_t X = 0; X < I.Width; ++X) {
    SmoothPass(I.Pixels + X, I.Width, I.Height, Factor);
    SmoothPass(I.Row(I.Height - 1) + X, -int64_t(I.Width), I.Height, Factor);
  }
}

// 1-2-1 smoothing of the four words along rows, then columns; the last
// pixel of each line keeps its value.
template <class TPixel>
void Smooth121Line(TPixel* First, int64_t Step, int32_t N) {
  if (N <= 1) return;
  TPixel Prev = First[0];
  for (int32_t I = 0; I + 1 < N; ++I) {
    TPixel& P = First[I * Step];
    const TPixel Cur = P, Next = First[(I + 1) * Step];
    SetWords(P, (2 * Cur.R + Next.R + Prev.R) >> 2, (2 * Cur.G + Next.G + Prev.G) >> 2,
             (2 * Cur.B + Next.B + Prev.B) >> 2, (2 * Cur.A + Next.A + Prev.A) >> 2);
    Prev = Cur;
  }
}

template <class TImage>
void Smooth121(TImage& I) {
  if (!HasArea(I)) return;
  for (int32_t Y = 0; Y < I.Height; ++Y) Smooth121Line(I.Row(Y), 1, I.Width);
  for (int32_t X = 0; X < I.Width; ++X) Smooth121Line(I.Pixels + X, I.Width, I.Height);
}

// Convolves the N pixels of V with the kernel into Out (Stride apart). The
// ends repeat the edge pixel; the middle pairs each tap with its mirror.
template <class TPixel>
void ConvolveLine(const TPixel* V, int32_t N, TPixel* Out, int64_t Stride, const float* K,
                  int64_t Count) {
  const int64_t Half = Count / 2;
  const int64_t E = std::min<int64_t>(Half + 1, N);
  for (int64_t Y = 0; Y < N; ++Y) {
    float S[4];
    if (Y < E || Y >= N - E) {
      S[0] = S[1] = S[2] = S[3] = 0;
      for (int64_t T = 0; T < Count; ++T) {
        const TPixel& P = V[std::clamp<int64_t>(Y + T - Half, 0, N - 1)];
        S[0] += float(P.R) * K[T];
        S[1] += float(P.G) * K[T];
        S[2] += float(P.B) * K[T];
        S[3] += float(P.A) * K[T];
      }
    } else {
      const TPixel& C = V[Y];
      S[0] = float(C.R) * K[Half];
      S[1] = float(C.G) * K[Half];
      S[2] = float(C.B) * K[Half];
      S[3] = float(C.A) * K[Half];
      for (int64_t T = 0; T < Half; ++T) {
        const TPixel& P = V[Y - Half + T];
        const TPixel& Q = V[Count + Y - Half - 1 - T];
        S[0] += (float(P.R) + float(Q.R)) * K[T];
        S[1] += (float(P.G) + float(Q.G)) * K[T];
        S[2] += (float(P.B) + float(Q.B)) * K[T];
        S[3] += (float(P.A) + float(Q.A)) * K[T];
      }
    }
    SetWords(Out[Y * Stride], SaturateWord(S[0]), SaturateWord(S[1]), SaturateWord(S[2]),
             SaturateWord(S[3]));
  }
}

// The vertical pass; Report(text) tells of a bad kernel or a failed
// temporary column.
template <class TImage, class TKernel, class TReport>
void ConvoluteVertical(TImage& I, const TKernel& Kernel, const char* Name, TReport Report) {
  if (!HasArea(I)) return;
  const std::string Routine = std::string(Name) + ".ConvoluteVerticalNormalized";
  if (Kernel.Data == nullptr || Kernel.Count <= 0) {
    Report("Exception in " + Routine);
    return;
  }
  if (Kernel.Count % 2 == 0)
    Report("Warning! " + Routine + " is optimized for odd kernel length only!");
  TImage Column;
  Column.Init();
  if (!Column.Alloc(1, I.Height)) {
    Report("Exception in " + Routine);
    return;
  }
  for (int32_t X = 0; X < I.Width; ++X) {
    for (int32_t Y = 0; Y < I.Height; ++Y) Column.Pixels[Y] = I.Row(Y)[X];
    ConvolveLine(Column.Pixels, I.Height, I.Pixels + X, I.Width, Kernel.Data, Kernel.Count);
  }
  Column.Dispose();
}

template <class TImage, class TKernel>
void ConvoluteHorizontal(TImage& I, const TKernel& Kernel) {
  if (!HasArea(I) || Kernel.Data == nullptr || Kernel.Count <= 0) return;
  TImage Line;
  Line.Init();
  if (!Line.Alloc(I.Width, 1)) return;
  for (int32_t Y = 0; Y < I.Height; ++Y) {
    std::memcpy(Line.Pixels, I.Row(Y), size_t(I.Width) * sizeof(typename TImage::TPixel));
    ConvolveLine(Line.Pixels, I.Width, I.Row(Y), 1, Kernel.Data, Kernel.Count);
  }
  Line.Dispose();
}

// Blurs through the two normalised passes with a Gaussian kernel; Report
// tells of a failure.
template <class TImage, class TReport>
void GaussianBlur(TImage& I, float Radius, const char* Name, TReport Report) {
  if (!HasArea(I)) return;
  TSample32 Kernel;
  Kernel.Init();
  try {
    Init1DGaussianBlurKernel(Kernel, Radius);
    if (Kernel.Data != nullptr) {
      I.ConvoluteVerticalNormalized(Kernel);
      I.ConvoluteHorizontalNormalized(Kernel);
    }
  } catch (...) {
    Report(std::string("Exception in ") + Name + ".GaussianBlur");
  }
  Kernel.Dispose();
}

// Every pixel becomes a 2 x 2 block of itself (whole pixels); an image too
// large to double is kept as it was.
template <class TImage>
void UpSample2x(TImage& I) {
  if (!HasArea(I)) return;
  if (int64_t(I.Width) * 2 > INT32_MAX || int64_t(I.Height) * 2 > INT32_MAX) return;
  TImage Old = std::move(I);
  if (!I.Alloc(Old.Width * 2, Old.Height * 2)) {
    I = std::move(Old);
    return;
  }
  for (int32_t Y = 0; Y < Old.Height; ++Y)
    for (int32_t X = 0; X < Old.Width; ++X) {
      const auto P = Old.Row(Y)[X];
      I.Row(2 * Y)[2 * X] = I.Row(2 * Y)[2 * X + 1] = P;
      I.Row(2 * Y + 1)[2 * X] = I.Row(2 * Y + 1)[2 * X + 1] = P;
    }
}

// Each new pixel = Mean(top-left, top-right, bottom-left, bottom-right) of
// its 2 x 2 block; an odd last row or column is dropped, and an image one
// pixel wide or high ends empty.
template <class TImage, class TMean>
void DownSample2x(TImage& I, TMean Mean) {
  if (!HasArea(I)) return;
  TImage Old = std::move(I);
  if (I.Alloc(Old.Width / 2, Old.Height / 2))
    for (int32_t Y = 0; Y < I.Height; ++Y)
      for (int32_t X = 0; X < I.Width; ++X) {
        const auto* T = Old.Row(2 * Y) + 2 * X;
        const auto* B = Old.Row(2 * Y + 1) + 2 * X;
        I.Row(Y)[X] = Mean(T[0], T[1], B[0], B[1]);
      }
}

// ---- alpha and colour words ------------------------------------------------

inline uint16_t Limit(int64_t V) { return uint16_t(std::clamp<int64_t>(V, 0, 65535)); }

// Fn(pixel) over every pixel; nothing without pixels.
template <class TImage, class TFn>
void ForEachPixel(TImage& I, TFn Fn) {
  if (!HasArea(I)) return;
  for (int32_t K = 0; K < I.Size; ++K) Fn(I.Pixels[K]);
}

template <class TImage>
void FillAlphaRect(TImage& I, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
                   int32_t Value) {
  if (!HasArea(I)) return;
  Left = std::max(Left, 0);
  Top = std::max(Top, 0);
  Right = std::min(Right, I.Width - 1);
  Bottom = std::min(Bottom, I.Height - 1);
  for (int32_t Y = Top; Y <= Bottom; ++Y)
    for (int32_t X = Left; X <= Right; ++X) I.Row(Y)[X].A = uint16_t(Value);
}

template <class TImage>
void ScaleAlpha(TImage& I, float Factor) {
  ForEachPixel(I, [Factor](auto& P) { P.A = SaturateWord(P.A * Factor); });
}

template <class TImage>
void SqrtAlpha(TImage& I) {
  ForEachPixel(I, [](auto& P) {
    P.A = uint16_t(std::nearbyint(std::sqrt((long double)P.A) * 255.9L));
  });
}

template <class TImage>
void MultiplyByAlpha(TImage& I, int32_t Gain) {
  const int64_t G = std::max(Gain, 0);
  ForEachPixel(I, [G](auto& P) {
    const int64_t M = std::min<int64_t>(G * P.A, 65535);
    P.R = uint16_t((M * P.R) >> 16);
    P.G = uint16_t((M * P.G) >> 16);
    P.B = uint16_t((M * P.B) >> 16);
  });
}

template <class TImage>
void ScaleRGB(TImage& I, int32_t Factor) {
  const int64_t F = std::max(Factor, 0);
  ForEachPixel(I, [F](auto& P) {
    P.R = Limit((F * P.R) >> 8);
    P.G = Limit((F * P.G) >> 8);
    P.B = Limit((F * P.B) >> 8);
  });
}

template <class TImage, class TPixel>
void AddColor(TImage& I, const TPixel& C) {
  ForEachPixel(I, [&C](auto& P) {
    P.R = Limit(int32_t(P.R) + C.R);
    P.G = Limit(int32_t(P.G) + C.G);
    P.B = Limit(int32_t(P.B) + C.B);
  });
}

// The number of pixels all three images hold.
template <class TImage>
int32_t CommonSize(const TImage& A, const TImage& B, const TImage& Dst) {
  if (A.Pixels == nullptr || B.Pixels == nullptr || Dst.Pixels == nullptr) return 0;
  return std::min({A.Size, B.Size, Dst.Size});
}

// Dst.c = round((B.c x Weight + A.c) x Scale) + Offset, clamped, for R, G, B.
template <class TImage>
void AddScaled(const TImage& A, const TImage& B, TImage& Dst, int32_t Offset, float Weight,
               float Scale) {
  const int32_t N = CommonSize(A, B, Dst);
  auto Mix = [&](uint16_t VA, uint16_t VB) {
    const float V = std::nearbyint((float(VB) * Weight + float(VA)) * Scale);
    if (!(V == V)) return uint16_t(0);
    return Limit(int64_t(std::clamp(V, -1.0e6f, 1.0e6f)) + Offset);
  };
  for (int32_t K = 0; K < N; ++K) {
    const auto PA = A.Pixels[K], PB = B.Pixels[K];
    auto& D = Dst.Pixels[K];
    D.R = Mix(PA.R, PB.R);
    D.G = Mix(PA.G, PB.G);
    D.B = Mix(PA.B, PB.B);
  }
}

// Dst.c = A.c x 32767 / (B.c / 2 + Bias), clamped; Bias below 1 counts
// as 1.
template <class TImage>
void Divide(const TImage& A, const TImage& B, TImage& Dst, int32_t Bias) {
  const int32_t N = CommonSize(A, B, Dst);
  const int64_t Safe = std::max(Bias, 1);
  auto Ratio = [&](uint16_t VA, uint16_t VB) { return Limit(int64_t(VA) * 32767 / (VB / 2 + Safe)); };
  for (int32_t K = 0; K < N; ++K) {
    const auto PA = A.Pixels[K], PB = B.Pixels[K];
    auto& D = Dst.Pixels[K];
    D.R = Ratio(PA.R, PB.R);
    D.G = Ratio(PA.G, PB.G);
    D.B = Ratio(PA.B, PB.B);
  }
}

// ---- conversions ------------------------------------------------------------

// Re-allocates Image to Source's size and widens its bytes by x257.
template <class TImage>
void CopyFromImage32(TImage& Image, const TImage32& Source) {
  Image.Dispose();
  if (Source.Pixels != nullptr && int64_t(Source.Width) * Source.Height == Source.Size &&
      Image.Alloc(Source.Width, Source.Height)) {
    for (int32_t I = 0; I < Image.Size; ++I) {
      const TBGRAPixel32 S = Source.Pixels[I].BGRA;
      Image.Pixels[I] = {};
      SetWords(Image.Pixels[I], S.R * 257, S.G * 257, S.B * 257, S.A * 257);
    }
  }
  Image.CopyMarginsFrom(Source);
}

template <class TPixel>
TBGRAPixel32 HighBytes(const TPixel& P) {
  return {uint8_t(P.B >> 8), uint8_t(P.G >> 8), uint8_t(P.R >> 8), uint8_t(P.A >> 8)};
}

// High bytes into Target, resized when its pixel count differs.
template <class TImage>
void CopyToImage32(const TImage& Image, TImage32& Target) {
  if (Target.Size != Image.Size) Target.SetSize(Image.Width, Image.Height);
  if (Image.Pixels != nullptr && Target.Pixels != nullptr && Target.Size == Image.Size)
    for (int32_t I = 0; I < Image.Size; ++I) Target.Pixels[I].BGRA = HighBytes(Image.Pixels[I]);
  Target.CopyMarginsFrom(Image);
}

// Stretches the values between the image's minimum and maximum over 0..255
// into Target, which must hold at least Size pixels (else reported).
template <class TImage>
void NormalizeTo32(const TImage& Image, TImage32& Target, const char* Name) {
  if (Image.Pixels == nullptr || Image.Size <= 0) return;
  if (Target.Pixels == nullptr || Target.Size < Image.Size) {
    ErrorMessageProc(std::string("Exception in ") + Name + ".NormalizeTo32, Size=" +
                     std::to_string(Image.Size) + " Target.Size=" + std::to_string(Target.Size));
    return;
  }
  int32_t Min = 65535, Max = 0;
  for (int32_t I = 0; I < Image.Size; ++I) {
    const auto& P = Image.Pixels[I];
    for (const int32_t V : {P.R, P.G, P.B, P.A}) {
      Min = std::min(Min, V);
      Max = std::max(Max, V);
    }
  }
  const int32_t Range = Max - Min > 0 ? Max - Min : 1;
  auto Stretch = [&](int32_t V) { return uint8_t((V - Min) * 255 / Range); };
  for (int32_t I = 0; I < Image.Size; ++I) {
    const auto& P = Image.Pixels[I];
    Target.Pixels[I].BGRA = {Stretch(P.B), Stretch(P.G), Stretch(P.R), Stretch(P.A)};
  }
}

// Re-allocates Image to the bitmap's size and reads R, G, B (<< 8) from its
// 24- or 32-bit rows; False for another pixel format. A and any further
// field are not read.
template <class TImage>
bool ReadBitmapRows(TImage& Image, TRawBitmap& Bitmap) {
  Image.Dispose();
  if (Image.Alloc(Bitmap.Width(), Bitmap.Height()))
    std::memset(static_cast<void*>(Image.Pixels), 0, size_t(Image.Size) * sizeof(*Image.Pixels));
  Bitmap.BeginUpdate();
  if (Bitmap.PixelFormat() == pfDevice) Bitmap.SetPixelFormat(pf32bit);
  const TPixelFormat Format = Bitmap.PixelFormat();
  const bool Known = Format == pf24bit || Format == pf32bit;
  for (int32_t Y = 0; Known && Image.Pixels != nullptr && Y < Image.Height; ++Y) {
    const uint8_t* Line = Bitmap.ScanLine(Y);
    if (Line == nullptr) continue;
    auto* Dst = Image.Row(Y);
    for (int32_t X = 0; X < Image.Width; ++X) {
      const uint8_t* S = Line + (Format == pf24bit ? 3 : 4) * int64_t(X);
      if (Format == pf24bit) {
        Dst[X].B = uint16_t(S[0] << 8);
        Dst[X].G = uint16_t(S[1] << 8);
        Dst[X].R = uint16_t(S[2] << 8);
      } else {
        Dst[X].R = uint16_t(S[1] << 8);
        Dst[X].G = uint16_t(S[2] << 8);
        Dst[X].B = uint16_t(S[3] << 8);
      }
    }
  }
  Bitmap.EndUpdate();
  return Known;
}

// Writes Image's high bytes into the bitmap's rows from row Top on, columns
// from 0, clipped to the bitmap; 24-bit rows take B, G, R and 32-bit rows A,
// R, G, B (KeepAlpha leaves the bitmap's alpha byte). False for other depths.
template <class TImage>
bool WriteBitmapRows(const TImage& Image, TRawBitmap& Bitmap, int32_t Top, bool KeepAlpha) {
  Bitmap.BeginUpdate();
  const int32_t Bits = Bitmap.BitsPerPixel();
  const bool Known = Bits == 24 || Bits == 32;
  const int32_t Columns = std::min(Image.Width, Bitmap.Width());
  for (int32_t Y = std::max(0, -Top); Known && Image.Pixels != nullptr && Y < Image.Height; ++Y) {
    if (int64_t(Y) + Top >= Bitmap.Height()) break;
    uint8_t* Line = Bitmap.ScanLine(Y + Top);
    if (Line == nullptr) continue;
    const auto* Src = Image.Row(Y);
    for (int32_t X = 0; X < Columns; ++X) {
      const auto& P = Src[X];
      if (Bits == 24) {
        Line[0] = uint8_t(P.B >> 8);
        Line[1] = uint8_t(P.G >> 8);
        Line[2] = uint8_t(P.R >> 8);
        Line += 3;
      } else {
        if (!KeepAlpha) Line[0] = uint8_t(P.A >> 8);
        Line[1] = uint8_t(P.R >> 8);
        Line[2] = uint8_t(P.G >> 8);
        Line[3] = uint8_t(P.B >> 8);
        Line += 4;
      }
    }
  }
  Bitmap.EndUpdate();
  return Known;
}

// Nearest-sample copy resampled to W x H shown through a temporary image.
template <class TImage>
void ShowResized(const TImage& Image, TCanvas* Canvas, int32_t W, int32_t H) {
  if (!HasArea(Image)) return;
  TImage32 Temp;
  if (!Temp.Alloc(W, H)) return;
  for (int32_t Y = 0; Y < H; ++Y) {
    const auto* Src = Image.Row(int32_t(int64_t(Image.Height) * Y / H));
    TVPixel32* Dst = Temp.Row(Y);
    for (int32_t X = 0; X < W; ++X) {
      const auto& P = Src[int64_t(Image.Width) * X / W];
      Dst[X].BGRA = {uint8_t(P.B >> 8), uint8_t(P.G >> 8), uint8_t(P.R >> 8), 0};
    }
  }
  Temp.Show(Canvas);
  Temp.Dispose();
}

// ---- display fitting --------------------------------------------------------

// Black over (0, 0)-(W, H) of the bitmap, as a canvas fill would paint it.
inline void FillBitmapBlack(TRawBitmap& Bitmap, int32_t W, int32_t H) {
  const int32_t Bits = Bitmap.BitsPerPixel();
  const int32_t Rows = std::min(H, Bitmap.Height());
  const int32_t Columns = std::min(W, Bitmap.Width());
  if (Bits != 8 && Bits != 24 && Bits != 32) return;
  for (int32_t Y = 0; Y < Rows; ++Y) {
    uint8_t* Line = Bitmap.ScanLine(Y);
    if (Line == nullptr) continue;
    std::memset(Line, 0, size_t(std::max(Columns, 0)) * size_t(Bits / 8));
    if (Bits == 32)
      for (int32_t X = 0; X < Columns; ++X) Line[4 * int64_t(X)] = 255;
  }
}

struct TFit {
  int32_t SrcW = 0, SrcH = 0;
  int32_t FitW = 0, FitH = 0;
  int32_t Left = 0, Top = 0;
};

// Whether there is anything to fit.
template <class TImage>
bool CanFitSize(const TImage& Image, int32_t W, int32_t H) {
  return Image.Pixels != nullptr && Image.Size > 0 && W > 1 && H > 1 && Image.Width > 1 &&
         Image.Height > 1;
}

// Step 1 of every fit: False (Target cleared) when there is nothing to fit.
template <class TImage, class TTarget>
bool CanFit(const TImage& Image, TTarget& Target, int32_t W, int32_t H) {
  if (!CanFitSize(Image, W, H) || static_cast<const void*>(Target.Pixels) == Image.Pixels) {
    if (static_cast<const void*>(Target.Pixels) != Image.Pixels) Target.Clear();
    return false;
  }
  return true;
}

template <class TImage>
TFit ComputeFit(const TImage& Image, int32_t W, int32_t H) {
  TFit F;
  F.SrcW = Image.Width;
  F.SrcH = Image.Height;
  F.FitW = W;
  F.FitH = H;
  const double SrcRatio = double(F.SrcW) / F.SrcH;
  const double DstRatio = double(W) / H;
  if (SrcRatio < DstRatio)
    F.FitW = int32_t(std::nearbyint(F.SrcW * (double(H) / F.SrcH)));
  else if (SrcRatio > DstRatio)
    F.FitH = int32_t(std::nearbyint(F.SrcH * (double(W) / F.SrcW)));
  // A very thin picture still gets one row or column.
  F.FitW = std::clamp(F.FitW, 1, W);
  F.FitH = std::clamp(F.FitH, 1, H);
  F.Left = (W - F.FitW) / 2;
  F.Top = (H - F.FitH) / 2;
  return F;
}

inline int32_t SourceRow(const TFit& F, int32_t Y) { return int32_t(int64_t(Y) * F.SrcH / F.FitH); }
inline int32_t SourceColumn(const TFit& F, int32_t X) { return int32_t(int64_t(F.SrcW) * X / F.FitW); }

// The start of every fit: False when there is nothing to draw; else Target
// is W x H and filled with Background, and F places the picture.
template <class TImage, class TTarget, class TBackground>
bool StartFit(const TImage& Image, TTarget& Target, int32_t W, int32_t H,
              const TBackground& Background, TFit& F) {
  if (!CanFit(Image, Target, W, H)) return false;
  Target.SetSize(W, H);
  if (Target.Pixels == nullptr) return false;
  Target.Fill(Background);
  F = ComputeFit(Image, W, H);
  return true;
}

// The nearest-sample fit; Store(target pixel, source pixel) converts.
template <class TImage, class TTarget, class TBackground, class TStore>
void DrawNearestFit(const TImage& Image, TTarget& Target, int32_t W, int32_t H,
                    const TBackground& Background, TStore Store) {
  TFit F;
  if (!StartFit(Image, Target, W, H, Background, F)) return;
  for (int32_t Y = 0; Y < F.FitH; ++Y) {
    const auto* Src = Image.Row(SourceRow(F, Y));
    auto* Dst = Target.Row(F.Top + Y) + F.Left;
    for (int32_t X = 0; X < F.FitW; ++X) Store(Dst[X], Src[SourceColumn(F, X)]);
  }
  Target.CopyMarginsFrom(F.Left, F.Left, F.Top, F.Top);
}

}  // namespace kromel::image16
