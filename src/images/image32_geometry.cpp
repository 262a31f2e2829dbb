// TImage32 geometry: nearest-sample resampling, turns, mirrors, 2x down and
// up, stretching, cutting out and cropping, canvas changes, copying in and
// the Hald identity. Rectangles exclude their right column and bottom row.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "images/image16_ops.h"
#include "images/image32.h"

namespace kromel {

namespace {

// Replaces Image's pixels and size by Work's; Image's margins stay.
void TakeOver(TImage32& Image, TImage32& Work) {
  Work.CopyMarginsFrom(Image);
  Image = std::move(Work);
}

int32_t ToInt32(int64_t V) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
}

// Per byte: the rounded-up half of A plus the rounded-down half of B.
uint32_t MeanPixel(uint32_t A, uint32_t B) {
  return ((A >> 1) & 0x7F7F7F7Fu) + (A & 0x01010101u) + ((B >> 1) & 0x7F7F7F7Fu);
}

}  // namespace

void TImage32::ResampleNearestFrom(const TImage32& Source) {
  if (!HasArea(*this) || !HasArea(Source) || Pixels == Source.Pixels) return;
  std::vector<int32_t> SrcX(static_cast<size_t>(Width));
  for (int32_t X = 0; X < Width; ++X)
    SrcX[size_t(X)] = int32_t(int64_t(Source.Width) * X / Width);
  for (int32_t Y = 0; Y < Height; ++Y) {
    const TVPixel32* Src = Source.Row(int32_t(int64_t(Source.Height) * Y / Height));
    TVPixel32* Dst = Row(Y);
    for (int32_t X = 0; X < Width; ++X) Dst[X] = Src[SrcX[size_t(X)]];
  }
}

void TImage32::ShowResized(TCanvas* Canvas, int32_t W, int32_t H) const {
  TImage32 Temp;
  Temp.Alloc(W, H);
  Temp.ResampleNearestFrom(*this);
  Temp.Show(Canvas);
  Temp.Dispose();
}

void TImage32::CopyToResized(TRawBitmap& Bitmap, int32_t W, int32_t H) const {
  TImage32 Temp;
  if (Temp.Alloc(W, H)) {
    Temp.ResampleNearestFrom(*this);
    Temp.CopyTo(Bitmap);
  }
  Temp.Dispose();
}

// A freshly allocated image takes the source's alpha too; one that keeps
// its size keeps its own alpha.
void TImage32::ResizeFrom(const TImage32& Source, int32_t NewWidth, int32_t NewHeight) {
  if (&Source == this) {
    Resize(NewWidth, NewHeight);
    return;
  }
  const bool Fresh = !(Pixels != nullptr && Width == NewWidth && Height == NewHeight);
  SetSize(NewWidth, NewHeight);
  if (!HasArea(*this) || !HasArea(Source)) return;
  std::vector<int32_t> SrcX(static_cast<size_t>(Width));
  for (int32_t X = 0; X < Width; ++X)
    SrcX[size_t(X)] = int32_t(int64_t(Source.Width) * X / Width);
  const uint32_t Keep = Fresh ? 0u : 0xFF000000u;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const TVPixel32* Src = Source.Row(int32_t(int64_t(Source.Height) * Y / Height));
    TVPixel32* Dst = Row(Y);
    for (int32_t X = 0; X < Width; ++X)
      Dst[X].Value = (Dst[X].Value & Keep) | (Src[SrcX[size_t(X)]].Value & ~Keep);
  }
}

// A size that gives no pixels leaves the image as it was.
void TImage32::Resize(int32_t NewWidth, int32_t NewHeight) {
  TImage32 Work;
  Work.ResizeFrom(*this, NewWidth, NewHeight);
  if (Work.Pixels == nullptr) return;
  TakeOver(*this, Work);
}

void TImage32::ScaleProportionalHeight(int32_t NewHeight) {
  if (Height < 1) return;
  const int64_t W = int64_t(Width) * NewHeight / Height;
  if (W < INT32_MIN || W > INT32_MAX) {
    AppendAndShowMessages("Exception in TImage32.ScaleProportionalHeight");
    return;
  }
  Resize(int32_t(W), NewHeight);
}

void TImage32::ScaleProportionalWidth(int32_t NewWidth) {
  if (Width < 1) return;
  const int64_t H = int64_t(Height) * NewWidth / Width;
  if (H < INT32_MIN || H > INT32_MAX) {
    AppendAndShowMessages("Exception in TImage32.ScaleProportionalWidth");
    return;
  }
  Resize(NewWidth, int32_t(H));
}

void TImage32::RotateRight() { image16::RotateRight(*this); }

void TImage32::RotateLeft() { image16::RotateLeft(*this); }

void RotateBitmap(TRawBitmap& Bitmap, float Angle, bool Flag, int32_t Value) {
  (void)Bitmap;
  (void)Angle;
  (void)Flag;
  (void)Value;
  DebugShowMessage("RotateBitmap is not implemented in OSX");
}

void TImage32::FlipVertical() {
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height / 2; ++Y)
    std::swap_ranges(Row(Y), Row(Y) + Width, Row(Height - 1 - Y));
}

void TImage32::FlipHorizontal() {
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height; ++Y) std::reverse(Row(Y), Row(Y) + Width);
}

void TImage32::DownSample2x() {
  if (!HasArea(*this)) return;
  TImage32 Old = std::move(*this);
  const int32_t NewWidth = Old.Width / 2;
  const int32_t NewHeight = Old.Height / 2;
  if (!Alloc(NewWidth, NewHeight)) {
    // Out of memory: keep the old picture; a side of 1 halves to nothing.
    if (NewWidth > 0 && NewHeight > 0) *this = std::move(Old);
    return;
  }
  for (int32_t Y = 0; Y < NewHeight; ++Y) {
    const TVPixel32* A = Old.Row(2 * Y);
    const TVPixel32* B = Old.Row(2 * Y + 1);
    TVPixel32* Dst = Row(Y);
    for (int32_t X = 0; X < NewWidth; ++X) {
      const uint8_t* P[4] = {reinterpret_cast<const uint8_t*>(&A[2 * X]),
                             reinterpret_cast<const uint8_t*>(&A[2 * X + 1]),
                             reinterpret_cast<const uint8_t*>(&B[2 * X]),
                             reinterpret_cast<const uint8_t*>(&B[2 * X + 1])};
      uint8_t* D = reinterpret_cast<uint8_t*>(&Dst[X]);
      for (int C = 0; C < 4; ++C) D[C] = uint8_t((P[0][C] + P[1][C] + P[2][C] + P[3][C]) >> 2);
    }
  }
}

void TImage32::UpSample2x() {
  if (!HasArea(*this)) return;
  if (2 * int64_t(Width) - 1 > INT32_MAX || 2 * int64_t(Height) - 1 > INT32_MAX) return;
  TImage32 Old = std::move(*this);
  const int32_t W = Old.Width;
  const int32_t H = Old.Height;
  if (!Alloc(2 * W - 1, 2 * H - 1)) {
    *this = std::move(Old);
    return;
  }
  for (int32_t Y = 0; Y < H; ++Y) {
    const TVPixel32* Src = Old.Row(Y);
    const TVPixel32* Below = Y < H - 1 ? Old.Row(Y + 1) : nullptr;
    TVPixel32* Dst = Row(2 * Y);
    TVPixel32* DstBelow = Below != nullptr ? Row(2 * Y + 1) : nullptr;
    for (int32_t X = 0; X < W; ++X) {
      const uint32_t P = Src[X].Value;
      Dst[2 * X].Value = P;
      if (X < W - 1) Dst[2 * X + 1].Value = MeanPixel(Src[X + 1].Value, P);
      if (Below != nullptr) {
        DstBelow[2 * X].Value = MeanPixel(Below[X].Value, P);
        if (X < W - 1) DstBelow[2 * X + 1].Value = MeanPixel(Below[X + 1].Value, P);
      }
    }
  }
}

// Only the part of the rectangle inside the image is written.
void TImage32::StretchDraw(const TRect& Rect, const TImage32& Source) {
  if (!HasArea(Source) || !HasArea(*this)) return;
  const int64_t RW = int64_t(Rect.Right) - Rect.Left;
  const int64_t RH = int64_t(Rect.Bottom) - Rect.Top;
  if (RW <= 0 || RH <= 0) return;
  const int32_t X0 = std::max(Rect.Left, 0), X1 = std::min(Rect.Right, Width);
  const int32_t Y0 = std::max(Rect.Top, 0), Y1 = std::min(Rect.Bottom, Height);
  for (int32_t I = Y0; I < Y1; ++I) {
    const TVPixel32* Src = Source.Row(int32_t(Source.Height * (int64_t(I) - Rect.Top) / RH));
    TVPixel32* Dst = Row(I);
    for (int32_t J = X0; J < X1; ++J)
      Dst[J] = Src[Source.Width * (int64_t(J) - Rect.Left) / RW];
  }
}

// Rounded sample positions are kept inside the source.
void TImage32::StretchDrawRounded(const TImage32& Source, int32_t Left, int32_t Top,
                                  int32_t Right, int32_t Bottom) {
  if (!HasArea(Source) || !HasArea(*this)) return;
  const double RW = double(int64_t(Right) - Left);
  const double RH = double(int64_t(Bottom) - Top);
  if (RW <= 0 || RH <= 0) return;
  auto Sample = [](double Extent, double Fraction, int32_t Limit) {
    const double V = std::nearbyint(Extent * Fraction);
    return int32_t(std::clamp(V, 0.0, double(Limit - 1)));
  };
  const int32_t X0 = std::max(Left, 0), X1 = std::min(Right, Width);
  const int32_t Y0 = std::max(Top, 0), Y1 = std::min(Bottom, Height);
  for (int32_t I = Y0; I < Y1; ++I) {
    const TVPixel32* Src =
        Source.Row(Sample(Source.Height, double(int64_t(I) - Top) / RH, Source.Height));
    TVPixel32* Dst = Row(I);
    for (int32_t J = X0; J < X1; ++J)
      Dst[J] = Src[Sample(Source.Width, double(int64_t(J) - Left) / RW, Source.Width)];
  }
}

void TImage32::CopyRect(const TImage32& Source, TPoint TopLeft, TPoint BottomRight) {
  if (&Source == this) {
    Crop(TopLeft, BottomRight);
    return;
  }
  const int32_t L = std::max(TopLeft.X, 0), T = std::max(TopLeft.Y, 0);
  const int32_t R = std::min(BottomRight.X, Source.Width);
  const int32_t B = std::min(BottomRight.Y, Source.Height);
  if (!HasArea(Source) || R <= L || B <= T) {
    Dispose();
    return;
  }
  TImage32 Work;
  if (!Work.Alloc(R - L, B - T)) return;
  for (int32_t Y = T; Y < B; ++Y)
    std::memcpy(Work.Row(Y - T), Source.Row(Y) + L, size_t(R - L) * 4);
  TakeOver(*this, Work);
}

void TImage32::Crop(TPoint TopLeft, TPoint BottomRight) {
  if (!HasArea(*this)) return;
  const int32_t L = std::max(TopLeft.X, 0), T = std::max(TopLeft.Y, 0);
  const int32_t R = std::min(BottomRight.X, Width), B = std::min(BottomRight.Y, Height);
  if (R <= L || B <= T) {
    Dispose();
    return;
  }
  const int32_t NewWidth = R - L, NewHeight = B - T;
  for (int32_t Y = 0; Y < NewHeight; ++Y)
    std::memmove(Pixels + int64_t(Y) * NewWidth, Row(T + Y) + L, size_t(NewWidth) * 4);
  const size_t Bytes = size_t(NewWidth) * size_t(NewHeight) * 4;
  if (void* Smaller = std::realloc(Pixels, Bytes)) Pixels = static_cast<TVPixel32*>(Smaller);
  Width = NewWidth;
  Height = NewHeight;
  Size = NewWidth * NewHeight;
}

// An image without a qualifying pixel stays as it is.
void TImage32::AutoCropByAlpha(int32_t Threshold) {
  if (!HasArea(*this)) return;
  int32_t L = Width, R = -1, T = Height, B = -1;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const TVPixel32* Line = Row(Y);
    for (int32_t X = 0; X < Width; ++X) {
      if (Line[X].BGRA.A <= Threshold) continue;
      L = std::min(L, X);
      R = std::max(R, X);
      T = std::min(T, Y);
      B = std::max(B, Y);
    }
  }
  if (R < 0) return;
  Crop({L, T}, {R + 1, B + 1});
}

void TImage32::GetOpaqueColumns(int32_t& First, int32_t& Last) const {
  First = -1;
  Last = -1;
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const TVPixel32* Line = Row(Y);
    for (int32_t X = 0; X < Width; ++X) {
      if (Line[X].BGRA.A <= 128) continue;
      if (First < 0 || X < First) First = X;
      if (X > Last) Last = X;
    }
  }
}

// When the new canvas cannot be allocated the image stays as it was.
bool TImage32::ResizeCanvas(int32_t NewWidth, int32_t NewHeight, int32_t PosX, int32_t PosY) {
  TImage32 Work;
  if (!Work.Alloc(NewWidth, NewHeight)) return false;
  Work.Fill(0x00FFFFFF);
  const int64_t X = int64_t(PosX) * (int64_t(NewWidth) - Width) / 100;
  const int64_t Y = int64_t(PosY) * (int64_t(NewHeight) - Height) / 100;
  Work.DrawImage(*this, ToInt32(X), ToInt32(Y));
  TakeOver(*this, Work);
  return true;
}

// Clipped to both images, so X and Y may be negative.
void TImage32::DrawImage(const TImage32& Source, int32_t X, int32_t Y) {
  if (!HasArea(*this) || !HasArea(Source)) return;
  const int64_t X0 = std::max<int64_t>(X, 0), X1 = std::min<int64_t>(Width, int64_t(X) + Source.Width);
  const int64_t Y0 = std::max<int64_t>(Y, 0), Y1 = std::min<int64_t>(Height, int64_t(Y) + Source.Height);
  if (X1 <= X0 || Y1 <= Y0) return;
  for (int64_t Line = Y0; Line < Y1; ++Line)
    std::memmove(Row(int32_t(Line)) + X0, Source.Row(int32_t(Line - Y)) + (X0 - X),
                 size_t(X1 - X0) * 4);
}

bool TImage32::MakeHaldIdentity(int32_t Level) {
  // Level 35 is the largest whose Level^6 pixels fit the 32-bit Size.
  if (Level < 2 || Level > 35) {
    ErrorMessageProc("Exception in TImage32.MakeHaldIdentity, Level=" + std::to_string(Level));
    return false;
  }
  const int32_t Side = Level * Level * Level;
  if (!Alloc(Side, Side)) return false;
  const int32_t N = Level * Level;
  TVPixel32* P = Pixels;
  for (int32_t B = 0; B < N; ++B)
    for (int32_t G = 0; G < N; ++G)
      for (int32_t R = 0; R < N; ++R, ++P)
        P->BGRA = {uint8_t(B * 255 / (N - 1)), uint8_t(G * 255 / (N - 1)),
                   uint8_t(R * 255 / (N - 1)), 255};
  return true;
}

TPoint RotatePoint(TPoint P, float Angle) {
  const long double S = std::sin(static_cast<long double>(Angle));
  const long double C = std::cos(static_cast<long double>(Angle));
  const long double X = std::nearbyint(C * P.X + S * P.Y);
  const long double Y = std::nearbyint(-S * P.X + C * P.Y);
  if (!std::isfinite(X) || !std::isfinite(Y)) return P;
  return {int32_t(std::clamp<long double>(X, INT32_MIN, INT32_MAX)),
          int32_t(std::clamp<long double>(Y, INT32_MIN, INT32_MAX))};
}

}  // namespace kromel
