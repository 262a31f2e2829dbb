// TImage96 filters, resampling, geometry, alpha and colour words, image
// arithmetic and analysis.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "images/image16_ops.h"
#include "images/image64.h"
#include "images/image96.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

using image16::HasArea;
using image16::SetWords;

using image16::Limit;



}  // namespace

// ---- filters ----------------------------------------------------------------

void TImage96::Smooth121() {
  if (!HasArea(*this)) return;
  image16::Smooth121(*this);
}

void TImage96::SmoothRecursive(float Factor) { image16::SmoothRecursive(*this, Factor); }

void TImage96::GaussianBlur(float Radius) {
  image16::GaussianBlur(*this, Radius, "TImage96",
                        [](const std::string& Text) { PlatformShowMessage(Text); });
}

void TImage96::ConvoluteVerticalNormalized(const TSample32& Kernel) {
  image16::ConvoluteVertical(*this, Kernel, "TImage96",
                             [](const std::string& Text) { PlatformShowMessage(Text); });
}

void TImage96::ConvoluteHorizontalNormalized(const TSample32& Kernel) {
  image16::ConvoluteHorizontal(*this, Kernel);
}

void TImage96::UpSample2x() {
  image16::UpSample2x(*this);
}

void TImage96::DownSample2x() {
  auto Mean = [](int32_t A, int32_t B, int32_t C, int32_t D) { return ((A + B) / 2 + (C + D) / 2) / 2; };
  image16::DownSample2x(*this, [&](const TPixel96& T0, const TPixel96& T1, const TPixel96& B0,
                                   const TPixel96& B1) {
    TPixel96 P;
    SetWords(P, Mean(T0.R, T1.R, B0.R, B1.R), Mean(T0.G, T1.G, B0.G, B1.G),
             Mean(T0.B, T1.B, B0.B, B1.B), Mean(T0.A, T1.A, B0.A, B1.A));
    return P;
  });
}

void TImage96::StretchDrawAveraged(TPoint TopLeft, TPoint BottomRight, const TImage96& Src,
                                   const TPixel96& Background) {
  image16::StretchAveraged<false>(*this, TopLeft, BottomRight, Src, Background);
}

void TImage96::StretchDrawAveragedOpaque(TPoint TopLeft, TPoint BottomRight, const TImage96& Src,
                                         const TPixel96& Background) {
  image16::StretchAveraged<true>(*this, TopLeft, BottomRight, Src, Background);
}

// ---- geometry ---------------------------------------------------------------

void TImage96::RotateRight() { image16::RotateRight(*this); }
void TImage96::RotateLeft() { image16::RotateLeft(*this); }
void TImage96::FlipVertical() { image16::FlipVertical(*this); }
void TImage96::FlipHorizontal() { image16::FlipHorizontal(*this); }
void TImage96::MirrorLeftToRight() { image16::MirrorLeftToRight(*this); }

void TImage96::CropTo(TImage96& Dst, TPoint TopLeft, TPoint BottomRight) const {
  image16::CropTo(*this, Dst, TopLeft, BottomRight);
}

// ---- alpha ------------------------------------------------------------------

void TImage96::SetAlpha(int32_t Value) {
  image16::ForEachPixel(*this, [Value](TPixel96& P) { P.A = uint16_t(Value); });
}

void TImage96::FillAlphaRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
                             int32_t Value) {
  image16::FillAlphaRect(*this, Left, Top, Right, Bottom, Value);
}

void TImage96::ScaleAlpha(float Factor) {
  image16::ScaleAlpha(*this, Factor);
}

void TImage96::SqrtAlpha() {
  image16::SqrtAlpha(*this);
}

void TImage96::AlphaToGray() {
  image16::ForEachPixel(*this, [](TPixel96& P) { P.R = P.G = P.B = P.A; });
}

void TImage96::MultiplyByAlpha(int32_t Gain) {
  image16::MultiplyByAlpha(*this, Gain);
}

void TImage96::AddAlphaFrom(int32_t X, int32_t Y, const TImage96& Src) {
  if (!HasArea(*this) || !HasArea(Src)) return;
  const int64_t X0 = std::max<int64_t>(0, -int64_t(X)), Y0 = std::max<int64_t>(0, -int64_t(Y));
  const int64_t X1 = std::min<int64_t>(Src.Width, int64_t(Width) - X);
  const int64_t Y1 = std::min<int64_t>(Src.Height, int64_t(Height) - Y);
  for (int64_t SY = Y0; SY < Y1; ++SY) {
    const TPixel96* S = Src.Row(int32_t(SY));
    TPixel96* D = Row(int32_t(SY + Y)) + X;
    for (int64_t SX = X0; SX < X1; ++SX) D[SX].A = Limit(int32_t(D[SX].A) + S[SX].A);
  }
}

// ---- colour words -----------------------------------------------------------

void TImage96::SwapRedBlue() {
  image16::ForEachPixel(*this, [](TPixel96& P) { std::swap(P.R, P.B); });
}

void TImage96::ScaleRGB(int32_t Factor) {
  image16::ScaleRGB(*this, Factor);
}

void TImage96::AddColor(const TPixel96& Color) {
  image16::AddColor(*this, Color);
}

void TImage96::FillColorKeepAlpha(const TPixel96& Color) {
  if (!HasArea(*this)) return;
  for (int32_t I = 0; I < Size; ++I) {
    TPixel96& P = Pixels[I];
    if (P.A >= 0x8000) continue;
    const uint16_t A = P.A;
    P = Color;
    P.A = A;
  }
}

void Image96AddScaled(const TImage96& A, const TImage96& B, TImage96& Dst, int32_t Offset,
                      float Weight, float Scale) {
  image16::AddScaled(A, B, Dst, Offset, Weight, Scale);
}

void Image96Divide(const TImage96& A, const TImage96& B, TImage96& Dst, int32_t Bias) {
  image16::Divide(A, B, Dst, Bias);
}

void RGBtoHSV96(int32_t R, int32_t G, int32_t B, int32_t& H, int32_t& S, int32_t& V) {
  uint16_t H16, S16, V16;
  RGBtoHSV64(Limit(R), Limit(G), Limit(B), H16, S16, V16);
  H = H16;
  S = S16;
  V = V16;
}

void HSVtoRGB96(int32_t H, int32_t S, int32_t V, int32_t& R, int32_t& G, int32_t& B) {
  uint16_t R16, G16, B16;
  HSVtoRGB64(Limit(H), Limit(S), Limit(V), R16, G16, B16);
  R = R16;
  G = G16;
  B = B16;
}

// ---- analysis ---------------------------------------------------------------

TPixel96 TImage96::GetAverageColor(int32_t X, int32_t Y, int32_t Radius, int32_t& Spread) const {
  TPixel96 Avg;
  image16::GetAverageColor(*this, X, Y, Radius, Avg, Spread);
  Spread = std::max(Spread, 0);
  return Avg;
}

TPixel96 TImage96::GetDarkestAverage(int32_t Count) const {
  TPixel96 Avg;
  image16::ExtremeAverage<true>(*this, Avg, Count);
  return Avg;
}

TPixel96 TImage96::GetBrightestAverage(int32_t Count) const {
  TPixel96 Avg;
  image16::ExtremeAverage<false>(*this, Avg, Count);
  return Avg;
}

TRect TImage96::GetContentRect() const { return image16::GetContentRect(*this); }

}  // namespace kromel
