// TImage64 alpha, channel and mask operations and the three-image
// arithmetic of the variable blur.
#include <algorithm>
#include <cstdlib>

#include "foundation/numeric.h"
#include "images/image16_ops.h"
#include "images/image64.h"
#include "platform/message_sink.h"

namespace kromel {

namespace d = image16;

void TImage64::SetAlpha(int32_t Value) {
  d::ForEachPixel(*this, [Value](TPixel64& P) { P.A = uint16_t(Value); });
}

void TImage64::ScaleAlpha(float Factor) { d::ScaleAlpha(*this, Factor); }

void TImage64::FillAlphaRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Value) {
  d::FillAlphaRect(*this, X1, Y1, X2, Y2, Value);
}

void TImage64::AlphaToGray() {
  d::ForEachPixel(*this, [](TPixel64& P) { P.R = P.G = P.B = P.A; });
}

void TImage64::AlphaToRGB() { AlphaToGray(); }

void TImage64::AlphaToGreen() {
  d::ForEachPixel(*this, [](TPixel64& P) { P.G = P.A; });
}

void TImage64::MultiplyByAlpha(int32_t Gain) { d::MultiplyByAlpha(*this, Gain); }

void TImage64::SqrtAlpha() { d::SqrtAlpha(*this); }

void TImage64::CopyAlphaFrom(const TImage64& Src) {
  if (Width != Src.Width || Height != Src.Height || Src.Pixels == nullptr) {
    PlatformShowMessage("Error in TImage64.CopyAlphaFrom: sizes differ");
    return;
  }
  if (!d::HasArea(*this)) return;
  for (int32_t K = 0; K < Size; ++K) Pixels[K].A = Src.Pixels[K].A;
}

void TImage64::FillColorKeepAlpha(const TPixel64& Color) {
  d::ForEachPixel(*this, [&Color](TPixel64& P) {
    if (P.A < 0x8000) P = {Color.R, Color.G, Color.B, P.A};
  });
}

void TImage64::RedToGray() {
  d::ForEachPixel(*this, [](TPixel64& P) { P.G = P.B = P.R; });
}

void TImage64::GreenToGray() {
  d::ForEachPixel(*this, [](TPixel64& P) { P.R = P.B = P.G; });
}

void TImage64::BlueToGray() {
  d::ForEachPixel(*this, [](TPixel64& P) { P.R = P.G = P.B; });
}

void TImage64::MaxRGBToGray() {
  d::ForEachPixel(*this, [](TPixel64& P) { P.R = P.G = P.B = std::max({P.R, P.G, P.B}); });
}

void TImage64::FillRed(int32_t Value) {
  d::ForEachPixel(*this, [Value](TPixel64& P) { P.R = uint16_t(Value); });
}

void TImage64::FillGreen(int32_t Value) {
  d::ForEachPixel(*this, [Value](TPixel64& P) { P.G = uint16_t(Value); });
}

namespace {
uint16_t FromMid(uint16_t C) { return uint16_t(std::abs(int32_t(C) - 32767)); }
}  // namespace

void TImage64::AbsFromMid() {
  d::ForEachPixel(*this, [](TPixel64& P) {
    P.R = FromMid(P.R);
    P.G = FromMid(P.G);
    P.B = FromMid(P.B);
  });
}

void TImage64::RedAbsFromMid() {
  d::ForEachPixel(*this, [](TPixel64& P) { P.R = FromMid(P.R); });
}

void TImage64::Threshold(int32_t Level) {
  const int64_t Limit = 3 * int64_t(Level);
  d::ForEachPixel(*this, [Limit](TPixel64& P) {
    P.R = P.G = P.B = int64_t(P.R) + P.G + P.B > Limit ? 65535 : 0;
  });
}

void TImage64::ScaleRGB(int32_t Factor) { d::ScaleRGB(*this, Factor); }

void TImage64::InverseSquareCurve() {
  auto Curve = [](uint16_t C) {
    const int64_t V = 65535 - C;
    return uint16_t(65535 - ((V * V) >> 16));
  };
  d::ForEachPixel(*this, [&](TPixel64& P) {
    P.R = Curve(P.R);
    P.G = Curve(P.G);
    P.B = Curve(P.B);
  });
}

void TImage64::AddNoise(int32_t Amount) {
  if (Amount < 1) return;
  d::ForEachPixel(*this, [Amount](TPixel64& P) {
    for (uint16_t* C : {&P.R, &P.G, &P.B})
      if (*C < 65535 - Amount) *C = uint16_t(*C + RandomInteger(Amount));
  });
}

void TImage64::DilateGray() {
  if (!d::HasArea(*this)) return;
  for (int32_t Y = 1; Y + 1 < Height; ++Y)
    for (int32_t X = 1; X + 1 < Width; ++X)
      Row(Y)[X].A = std::max({Row(Y)[X].R, Row(Y)[X + 1].R, Row(Y)[X - 1].R, Row(Y - 1)[X].R,
                              Row(Y + 1)[X].R});
  for (int32_t Y = 1; Y + 1 < Height; ++Y)
    for (int32_t X = 1; X + 1 < Width; ++X) {
      TPixel64& P = Row(Y)[X];
      P.R = P.G = P.B = P.A;
    }
}

void TImage64::RemoveSmallPoints(int32_t Distance) {
  if (!d::HasArea(*this) || Distance < 1) return;
  const int32_t D = Distance;
  auto Bright = [this](int32_t X, int32_t Y) { return Row(Y)[X].R > 32768; };
  for (int32_t Y = D; Y <= Height - 1 - D; ++Y)
    for (int32_t X = D; X <= Width - 1 - D; ++X) {
      if (!Bright(X, Y)) continue;
      bool Ring = false;
      for (int32_t K = -D; K <= D && !Ring; ++K)
        Ring = Bright(X + K, Y - D) || Bright(X + K, Y + D) || Bright(X - D, Y + K) ||
               Bright(X + D, Y + K);
      if (!Ring) Row(Y)[X].R = Row(Y)[X].G = Row(Y)[X].B = 0;
    }
}

void TImage64::AddRampFrom(const TImage64& Src, int32_t ZeroLevel, int32_t FullLevel,
                           int32_t Amount) {
  if (Width != Src.Width || Height != Src.Height || (Src.Pixels == nullptr) != (Pixels == nullptr)) {
    PlatformShowMessage("Error in TImage64.AddRampFrom: sizes differ");
    return;
  }
  if (ZeroLevel == FullLevel || !d::HasArea(*this)) return;
  const int64_t Z = ZeroLevel, F = FullLevel, A = Amount;
  auto Ramp = [&](uint16_t V) {
    const int64_t R = Z > F ? (Z - V) * A / (Z - F) : (V - Z) * A / (F - Z);
    return std::clamp<int64_t>(R, 0, std::max<int64_t>(A, 0));
  };
  for (int32_t K = 0; K < Size; ++K) {
    TPixel64& P = Pixels[K];
    const TPixel64& S = Src.Pixels[K];
    P.R = d::Limit(P.R + Ramp(S.R));
    P.G = d::Limit(P.G + Ramp(S.G));
    P.B = d::Limit(P.B + Ramp(S.B));
  }
}

void Image64AddScaled(const TImage64& A, const TImage64& B, TImage64& Dst, float WeightB,
                      float Scale, int32_t Offset) {
  d::AddScaled(A, B, Dst, Offset, WeightB, Scale);
}

void Image64Divide(const TImage64& A, const TImage64& B, TImage64& Dst, int32_t Bias) {
  d::Divide(A, B, Dst, Bias);
}

}  // namespace kromel
