// TImage64 display fitting, recursive smoothing and the separable Gaussian
// blur.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/debug_log.h"
#include "images/blur_kernel.h"
#include "images/image64.h"

namespace kromel {

namespace {

// A channel value from a float: rounded, NaN and below 0 give 0, above
// 65535 gives 65535.
uint16_t SaturateWord(float V) {
  if (!(V > 0)) return 0;
  if (V >= 65535.0f) return 65535;
  return uint16_t(std::nearbyint(V));
}

struct TFit {
  int32_t SrcW = 0, SrcH = 0;
  int32_t FitW = 0, FitH = 0;
  int32_t Left = 0, Top = 0;
};

// Step 1 of every fit: False (Target cleared) when there is nothing to fit.
template <class TTarget>
bool CanFit(const TImage64& Image, TTarget& Target, int32_t W, int32_t H) {
  if (Image.Pixels == nullptr || Image.Size <= 0 || W < 2 || H < 2 || Image.Width < 2 ||
      Image.Height < 2 || static_cast<const void*>(Target.Pixels) == Image.Pixels) {
    if (static_cast<const void*>(Target.Pixels) != Image.Pixels) Target.Clear();
    return false;
  }
  return true;
}

TFit ComputeFit(const TImage64& Image, int32_t W, int32_t H) {
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

int32_t SourceRow(const TFit& F, int32_t Y) { return int32_t(int64_t(Y) * F.SrcH / F.FitH); }
int32_t SourceColumn(const TFit& F, int32_t X) { return int32_t(int64_t(F.SrcW) * X / F.FitW); }

// The start of every fit: False when there is nothing to draw; else Target
// is W x H and filled with Background, and F places the picture.
template <class TTarget, class TBackground>
bool StartFit(const TImage64& Image, TTarget& Target, int32_t W, int32_t H,
              const TBackground& Background, TFit& F) {
  if (!CanFit(Image, Target, W, H)) return false;
  Target.SetSize(W, H);
  if (Target.Pixels == nullptr) return false;
  Target.Fill(Background);
  F = ComputeFit(Image, W, H);
  return true;
}

// The nearest-sample fit; Store(target pixel, source pixel) converts.
template <class TTarget, class TBackground, class TStore>
void DrawNearestFit(const TImage64& Image, TTarget& Target, int32_t W, int32_t H,
                    const TBackground& Background, TStore Store) {
  TFit F;
  if (!StartFit(Image, Target, W, H, Background, F)) return;
  for (int32_t Y = 0; Y < F.FitH; ++Y) {
    const TPixel64* Src = Image.Row(SourceRow(F, Y));
    auto* Dst = Target.Row(F.Top + Y) + F.Left;
    for (int32_t X = 0; X < F.FitW; ++X) Store(Dst[X], Src[SourceColumn(F, X)]);
  }
  Target.CopyMarginsFrom(F.Left, F.Left, F.Top, F.Top);
}

// Black over (0, 0)-(W, H) of the bitmap, as a canvas fill would paint it.
void FillBitmapBlack(TRawBitmap& Bitmap, int32_t W, int32_t H) {
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

// One smoothing pass over N pixels from First, Step pixels apart.
void SmoothPass(TPixel64* First, int64_t Step, int32_t N, float Factor) {
  if (N <= 0) return;
  float State[4] = {float(First->R), float(First->G), float(First->B), float(First->A)};
  for (int32_t I = 0; I < N; ++I) {
    TPixel64& P = First[I * Step];
    uint16_t* Channel[4] = {&P.R, &P.G, &P.B, &P.A};
    for (int C = 0; C < 4; ++C) {
      State[C] = (1.0f - Factor) * float(*Channel[C]) + Factor * State[C];
      if (State[C] > 65535.0f) State[C] = 65535.0f;
      *Channel[C] = SaturateWord(State[C]);
    }
  }
}

// Convolves the N pixels of V with the kernel into Out (Stride apart). The
// ends repeat the edge pixel; the middle pairs each tap with its mirror.
void ConvolveLine(const TPixel64* V, int32_t N, TPixel64* Out, int64_t Stride, const float* K,
                  int64_t Count) {
  const int64_t Half = Count / 2;
  const int64_t E = std::min<int64_t>(Half + 1, N);
  for (int64_t Y = 0; Y < N; ++Y) {
    float S[4];
    if (Y < E || Y >= N - E) {
      S[0] = S[1] = S[2] = S[3] = 0;
      for (int64_t T = 0; T < Count; ++T) {
        const TPixel64& P = V[std::clamp<int64_t>(Y + T - Half, 0, N - 1)];
        S[0] += float(P.R) * K[T];
        S[1] += float(P.G) * K[T];
        S[2] += float(P.B) * K[T];
        S[3] += float(P.A) * K[T];
      }
    } else {
      const TPixel64& C = V[Y];
      S[0] = float(C.R) * K[Half];
      S[1] = float(C.G) * K[Half];
      S[2] = float(C.B) * K[Half];
      S[3] = float(C.A) * K[Half];
      for (int64_t T = 0; T < Half; ++T) {
        const TPixel64& P = V[Y - Half + T];
        const TPixel64& Q = V[Count + Y - Half - 1 - T];
        S[0] += (float(P.R) + float(Q.R)) * K[T];
        S[1] += (float(P.G) + float(Q.G)) * K[T];
        S[2] += (float(P.B) + float(Q.B)) * K[T];
        S[3] += (float(P.A) + float(Q.A)) * K[T];
      }
    }
    Out[Y * Stride] = {SaturateWord(S[0]), SaturateWord(S[1]), SaturateWord(S[2]),
                       SaturateWord(S[3])};
  }
}

bool HasArea(const TImage64& I) {
  return I.Pixels != nullptr && I.Width > 0 && I.Height > 0 && I.Size > 0;
}

}  // namespace

void TImage64::DrawFittedToImage64(TImage64& Target, int32_t W, int32_t H, int32_t,
                                   uint8_t Grey) const {
  const uint16_t G = uint16_t(Grey * 257);
  DrawNearestFit(*this, Target, W, H, TPixel64{G, G, G, 0},
                 [](TPixel64& D, const TPixel64& P) { D = P; });
}

void TImage64::DrawFittedToImage32(TImage32& Target, int32_t W, int32_t H, int32_t,
                                   TColor Background) const {
  DrawNearestFit(*this, Target, W, H, Background, [](TVPixel32& D, const TPixel64& P) {
    D.BGRA = {uint8_t(P.B >> 8), uint8_t(P.G >> 8), uint8_t(P.R >> 8), uint8_t(P.A >> 8)};
  });
}

void TImage64::DrawFittedToImage32Averaged(TImage32& Target, int32_t W, int32_t H, int32_t,
                                           TColor Background) const {
  TFit F;
  if (!StartFit(*this, Target, W, H, Background, F)) return;
  const int64_t BlockW = std::max(F.SrcW / F.FitW, 1);
  const int64_t BlockH = std::max(F.SrcH / F.FitH, 1);
  const int64_t Divisor = BlockW * BlockH * 256;
  const int64_t Last = int64_t(Size) - 1;
  for (int32_t Y = 0; Y < F.FitH; ++Y) {
    const int64_t Row0 = SourceRow(F, Y);
    TVPixel32* Dst = Target.Row(F.Top + Y) + F.Left;
    for (int32_t X = 0; X < F.FitW; ++X) {
      const int64_t Column0 = SourceColumn(F, X);
      int64_t R = 0, G = 0, B = 0;
      uint16_t A = 0;
      for (int64_t L = 0; L < BlockH; ++L)
        for (int64_t K = 0; K < BlockW; ++K) {
          const TPixel64& P = Pixels[std::min((Row0 + L) * Width + Column0 + K, Last)];
          R += P.R;
          G += P.G;
          B += P.B;
          A = P.A;
        }
      Dst[X].BGRA = {uint8_t(B / Divisor), uint8_t(G / Divisor), uint8_t(R / Divisor),
                     uint8_t(A >> 8)};
    }
  }
  Target.CopyMarginsFrom(F.Left, F.Left, F.Top, F.Top);
}

void TImage64::DrawFittedToBitmap(TRawBitmap& Bitmap, int32_t W, int32_t H, int32_t,
                                  uint8_t Grey) const {
  if (Pixels != nullptr && Size > 0 && W > 1 && H > 1 && Width > 1 && Height > 1) {
    TImage64 Temp;
    Temp.Init();
    DrawFittedToImage64(Temp, W, H, 0, Grey);
    if (Temp.Pixels != nullptr) Temp.CopyTo(Bitmap);
    Temp.Dispose();
    return;
  }
  FillBitmapBlack(Bitmap, W, H);
}

// Without pixels there is nothing to hand over: the platform's canvas is
// not drawn on.
void TImage64::ShowResized(TCanvas* Canvas, int32_t W, int32_t H) const {
  if (!HasArea(*this)) return;
  TImage32 Temp;
  Temp.Init();
  if (!Temp.Alloc(W, H)) return;
  for (int32_t Y = 0; Y < H; ++Y) {
    const TPixel64* Src = Row(int32_t(int64_t(Height) * Y / H));
    TVPixel32* Dst = Temp.Row(Y);
    for (int32_t X = 0; X < W; ++X) {
      const TPixel64 P = Src[int64_t(Width) * X / W];
      Dst[X].BGRA = {uint8_t(P.B >> 8), uint8_t(P.G >> 8), uint8_t(P.R >> 8), 0};
    }
  }
  Temp.Show(Canvas);
  Temp.Dispose();
}

void TImage64::SmoothRecursive(float Factor) {
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height; ++Y) {
    SmoothPass(Row(Y), 1, Width, Factor);
    SmoothPass(Row(Y) + Width - 1, -1, Width, Factor);
  }
  for (int32_t X = 0; X < Width; ++X) {
    SmoothPass(Pixels + X, Width, Height, Factor);
    SmoothPass(Row(Height - 1) + X, -int64_t(Width), Height, Factor);
  }
}

void TImage64::GaussianBlur(float Radius) {
  if (!HasArea(*this)) return;
  TSample32 Kernel;
  Kernel.Init();
  try {
    Init1DGaussianBlurKernel(Kernel, Radius);
    if (Kernel.Data != nullptr) {
      ConvoluteVerticalNormalized(Kernel);
      ConvoluteHorizontalNormalized(Kernel);
    }
  } catch (...) {
    DebugShowMessage("Exception in TImage64.GaussianBlur");
  }
  Kernel.Dispose();
}

void TImage64::ConvoluteVerticalNormalized(const TSample32& Kernel) {
  if (!HasArea(*this)) return;
  if (Kernel.Data == nullptr || Kernel.Count <= 0) {
    DebugShowMessage("Exception in TImage64.ConvoluteVerticalNormalized");
    return;
  }
  if (Kernel.Count % 2 == 0)
    DebugShowMessage(
        "Warning! TImage64.ConvoluteVerticalNormalized is optimized for odd kernel length only!");
  TImage64 Column;
  Column.Init();
  if (!Column.Alloc(1, Height)) {
    DebugShowMessage("Exception in TImage64.ConvoluteVerticalNormalized");
    return;
  }
  for (int32_t X = 0; X < Width; ++X) {
    for (int32_t Y = 0; Y < Height; ++Y) Column.Pixels[Y] = Row(Y)[X];
    ConvolveLine(Column.Pixels, Height, Pixels + X, Width, Kernel.Data, Kernel.Count);
  }
  Column.Dispose();
}

void TImage64::ConvoluteHorizontalNormalized(const TSample32& Kernel) {
  if (!HasArea(*this) || Kernel.Data == nullptr || Kernel.Count <= 0) return;
  TImage64 Line;
  Line.Init();
  if (!Line.Alloc(Width, 1)) return;
  for (int32_t Y = 0; Y < Height; ++Y) {
    std::memcpy(Line.Pixels, Row(Y), size_t(Width) * sizeof(TPixel64));
    ConvolveLine(Line.Pixels, Width, Row(Y), 1, Kernel.Data, Kernel.Count);
  }
  Line.Dispose();
}

}  // namespace kromel
