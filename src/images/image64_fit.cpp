// TImage64 display fitting, recursive smoothing and the separable Gaussian
// blur.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/messages.h"
#include "images/blur_kernel.h"
#include "images/image16_ops.h"
#include "images/image64.h"

namespace kromel {

namespace {

using image16::HasArea;
using image16::TFit;


}  // namespace

void TImage64::DrawFittedToImage64(TImage64& Target, int32_t W, int32_t H, int32_t,
                                   uint8_t Grey) const {
  const uint16_t G = uint16_t(Grey * 257);
  image16::DrawNearestFit(*this, Target, W, H, TPixel64{G, G, G, 0},
                 [](TPixel64& D, const TPixel64& P) { D = P; });
}

void TImage64::DrawFittedToImage32(TImage32& Target, int32_t W, int32_t H, int32_t,
                                   TColor Background) const {
  image16::DrawNearestFit(*this, Target, W, H, Background, [](TVPixel32& D, const TPixel64& P) {
    D.BGRA = {uint8_t(P.B >> 8), uint8_t(P.G >> 8), uint8_t(P.R >> 8), uint8_t(P.A >> 8)};
  });
}

void TImage64::DrawFittedToImage32Averaged(TImage32& Target, int32_t W, int32_t H, int32_t,
                                           TColor Background) const {
  TFit F;
  if (!image16::StartFit(*this, Target, W, H, Background, F)) return;
  const int64_t BlockW = std::max(F.SrcW / F.FitW, 1);
  const int64_t BlockH = std::max(F.SrcH / F.FitH, 1);
  const int64_t Divisor = BlockW * BlockH * 256;
  const int64_t Last = int64_t(Size) - 1;
  for (int32_t Y = 0; Y < F.FitH; ++Y) {
    const int64_t Row0 = image16::SourceRow(F, Y);
    TVPixel32* Dst = Target.Row(F.Top + Y) + F.Left;
    for (int32_t X = 0; X < F.FitW; ++X) {
      const int64_t Column0 = image16::SourceColumn(F, X);
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
    DrawFittedToImage64(Temp, W, H, 0, Grey);
    if (Temp.Pixels != nullptr) Temp.CopyTo(Bitmap);
    Temp.Dispose();
    return;
  }
  image16::FillBitmapBlack(Bitmap, W, H);
}

// Without pixels there is nothing to hand over: the platform's canvas is
// not drawn on.
void TImage64::ShowResized(TCanvas* Canvas, int32_t W, int32_t H) const {
  image16::ShowResized(*this, Canvas, W, H);
}

void TImage64::SmoothRecursive(float Factor) {
  image16::SmoothRecursive(*this, Factor);
}

void TImage64::GaussianBlur(float Radius) {
  image16::GaussianBlur(*this, Radius, "TImage64",
                        [](const std::string& Text) { DebugShowMessage(Text); });
}

void TImage64::ConvoluteVerticalNormalized(const TSample32& Kernel) {
  image16::ConvoluteVertical(*this, Kernel, "TImage64",
                             [](const std::string& Text) { DebugShowMessage(Text); });
}

void TImage64::ConvoluteHorizontalNormalized(const TSample32& Kernel) {
  image16::ConvoluteHorizontal(*this, Kernel);
}

}  // namespace kromel
