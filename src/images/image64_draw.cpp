// TImage64 shapes, text, lines, gradients, glyphs and compositing over the
// shared 16-bit drawing.
#include "images/image64_draw.h"

#include "images/image16_draw.h"
#include "images/text_raster.h"
#include "platform/message_sink.h"

namespace kromel {

namespace d = image16;

void BlendPixel64(TPixel64& Result, const TPixel64& A, const TPixel64& B, int32_t W) {
  Result = d::Blend(A, B, W);
}

void BlendPixel64Over(TPixel64& Result, const TPixel64& Dst, const TPixel64& Src) {
  Result = d::BlendOver(Dst, Src);
}

void MultiplyPixel64(TPixel64& Result, const TPixel64& Dst, const TPixel64& Src) {
  Result = d::Multiply(Dst, Src);
}

void FillRect(TImage64& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
              const TPixel64& Color) {
  d::FillRect(Image, Left, Top, Right, Bottom, Color);
}

void FillCircle(TImage64& Image, int32_t X, int32_t Y, int32_t Radius, const TPixel64& Color) {
  d::FillCircle(Image, X, Y, Radius, Color);
}

void FillShadedDisc(TImage64& Image, int32_t X, int32_t Y, int32_t Radius, const TPixel64& Rim,
                    const TPixel64& Centre) {
  d::FillShadedDisc(Image, X, Y, Radius, Rim, Centre);
}

void FillRadialDisc(TImage64& Image, int32_t X, int32_t Y, int32_t Radius, const TPixel64& Rim,
                    const TPixel64& Centre) {
  d::FillRadialDisc(Image, X, Y, Radius, Rim, Centre);
}

namespace {

// The rounded rectangle DrawRectangleRounded draws: corners moved into the
// image, the radius at most half the image's sides.
struct TRoundBox {
  int32_t X1, Y1, X2, Y2, R;
};

TRoundBox DrawnBox(const TImage64& I, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R) {
  auto Clamp = [](int32_t V, int32_t Last) { return std::max(std::min(V, Last), 0); };
  return {Clamp(X1, I.Width - 1), Clamp(Y1, I.Height - 1), Clamp(X2, I.Width - 1),
          Clamp(Y2, I.Height - 1), std::min({R, I.Height / 2, I.Width / 2})};
}

}  // namespace

void DrawRectangleRounded(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                          int32_t R, const TPixel64& Color) {
  if (!d::HasArea(Image)) return;
  const TRoundBox B = DrawnBox(Image, X1, Y1, X2, Y2, R);
  d::RoundedFlat(Image, B.X1, B.Y1, B.X2, B.Y2, B.R, Color);
}

void FillRectangleRoundedGradient(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                  int32_t R, const TPixel64& Top, const TPixel64& Bottom) {
  d::RoundedGradient(Image, X1, Y1, X2, Y2, R, Top, Bottom, false);
}

void BlendRectangleRoundedGradient(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                   int32_t R, const TPixel64& Top, const TPixel64& Bottom) {
  d::RoundedGradient(Image, X1, Y1, X2, Y2, R, Top, Bottom, true);
}

void DrawRectangleRoundedSoftEdge(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                  int32_t R, const TPixel64& Outer, const TPixel64& Inner,
                                  int32_t Steps) {
  d::RoundedSoftEdge(
      Image, X1, Y1, X2, Y2, R, Outer, Inner, Steps,
      [&Image](int64_t A, int64_t B, int64_t C, int64_t D, int64_t Rad, const TPixel64& Colour) {
        DrawRectangleRounded(Image, int32_t(A), int32_t(B), int32_t(C), int32_t(D), int32_t(Rad),
                             Colour);
      },
      [&Image](int64_t A, int64_t B, int64_t C, int64_t D, int64_t Rad) {
        const TRoundBox Box =
            DrawnBox(Image, int32_t(A), int32_t(B), int32_t(C), int32_t(D), int32_t(Rad));
        return d::RoundedRowsShown(Image, Box.X1, Box.Y1, Box.X2, Box.Y2, Box.R,
                                   int64_t(Box.Y1) + Box.R, int64_t(Box.Y2) - Box.R);
      });
}

void FillRectangleRoundedEmbossed(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                  int32_t R, const TPixel64& Rim, const TPixel64& Face) {
  d::RoundedEmbossed(Image, X1, Y1, X2, Y2, R, Rim, Face, false);
}

void BlendRectangleRoundedEmbossed(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                   int32_t R, const TPixel64& Rim, const TPixel64& Face) {
  d::RoundedEmbossed(Image, X1, Y1, X2, Y2, R, Rim, Face, true);
}

void DrawBitmap(TImage64& Image, int32_t X, int32_t Y, TRawBitmap& Mask, const TPixel64& Dark,
                const TPixel64& Light) {
  d::DrawMaskBitmap(Image, X, Y, Mask, Dark, Light);
}

void DrawText(TImage64& Image, int32_t X, int32_t Y, const std::string& Text, int32_t TextHeight,
              uint32_t Style, const TPixel64& Color, int32_t Alignment) {
  DrawTextCoverage(Image, X, Y, Text, TextHeight, Style, Alignment,
                   [&Color](TPixel64& P, uint8_t Coverage) {
                     const int32_t M = 255 - Coverage;
                     P = Color;
                     P.A = uint16_t(65535 - M * M);
                   });
}

void DrawGradient(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                  const TPixel64& C1, const TPixel64& C2) {
  if (!d::DrawGradient(Image, X1, Y1, X2, Y2, C1, C2))
    PlatformShowMessage("Exception in TImage64.DrawGradient");
}

void DrawGradientLine(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                      const TPixel64& C1, const TPixel64& C2) {
  if (!d::DrawGradientLine(Image, X1, Y1, X2, Y2, C1, C2))
    PlatformShowMessage("Exception in TImage64.DrawGradientLine");
}

void DrawImageBlended(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source) {
  d::DrawImageBlended(Image, X, Y, Source);
}

void DrawImageMultiplied(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source) {
  d::DrawImageMultiplied(Image, X, Y, Source);
}

void DrawImageMax(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source) {
  d::DrawImageMax(Image, X, Y, Source);
}

void DrawImageMin(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source) {
  d::DrawImageMin(Image, X, Y, Source);
}

void DrawImageAdd(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source) {
  d::DrawImageAdd(Image, X, Y, Source);
}

void DrawImageAddAlpha(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source) {
  d::DrawImageAddAlpha(Image, X, Y, Source);
}

void TImage64::Smooth121() { d::Smooth121(*this); }

void TImage64::UpSample2x() {
  d::UpSample2x(*this);
}

void TImage64::DownSample2x() {
  d::DownSample2x(*this, [](const TPixel64& T0, const TPixel64& T1, const TPixel64& B0,
                            const TPixel64& B1) {
    return d::Blend(d::Blend(T0, T1, 128), d::Blend(B0, B1, 128), 128);
  });
}

void DrawLine(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
              const TPixel64& Color) {
  d::DrawLine(Image, X1, Y1, X2, Y2, Color);
}

void DrawLineAdd(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                 const TPixel64& Color) {
  d::DrawLineAdd(Image, X1, Y1, X2, Y2, Color);
}

void DrawBevel(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
               const TPixel64& Color) {
  if (!d::HasArea(Image)) return;
  d::DrawBevel(Image, std::clamp(X1, 0, Image.Width - 1), std::clamp(Y1, 0, Image.Height - 1),
               std::clamp(X2, 0, Image.Width - 1), std::clamp(Y2, 0, Image.Height - 1), Color);
}

void DrawOutline(TImage64& Image, const TPixel64& Color) { d::DrawOutline(Image, Color); }

void DrawGradientRadial(TImage64& Image, int32_t X, int32_t Y, int32_t RX, int32_t RY,
                        const TPixel64& Color1, const TPixel64& Color2) {
  d::DrawGradientRadial(Image, X, Y, RX, RY, Color1, Color2);
}

void DrawGradientBorder(TImage64& Image, int32_t, int32_t, int32_t, int32_t, int32_t Border,
                        const TPixel64& Color1, const TPixel64& Color2) {
  d::DrawGradientBorder(Image, Border, Color1, Color2);
}

void DrawHexGlyph(TImage64& Image, int32_t X, int32_t Y, int32_t GlyphWidth,
                  const std::string& Text, const TPixel64& Color, bool Opaque) {
  d::DrawHexGlyph(Image, X, Y, GlyphWidth, Text, [&](TPixel64& P, uint32_t K) {
    if (Opaque) {
      P = Color;
      P.A = uint16_t(K * 65535 / 3);
      return;
    }
    P.R = uint16_t((K * Color.R + (3 - K) * P.R) / 3);
    P.G = uint16_t((K * Color.G + (3 - K) * P.G) / 3);
    P.B = uint16_t((K * Color.B + (3 - K) * P.B) / 3);
  });
}

void DrawHexBitmap(TImage64& Image, int32_t X, int32_t Y, int32_t BytesPerRow,
                   const std::string& Text, const TPixel64& Color) {
  d::DrawHexBitmap(Image, X, Y, BytesPerRow, Text, Color);
}

void DrawImageBlendedAdd(TImage64& Image, int32_t X, int32_t Y, const TImage64& Src) {
  d::DrawImageBlendedAdd(Image, X, Y, Src);
}

void AddColor(TImage64& Image, const TPixel64& Color) { d::AddColor(Image, Color); }

void DrawOnBitmap(const TImage64& Image, TRawBitmap& Bitmap, int32_t, int32_t Y) {
  d::WriteBitmapRows(Image, Bitmap, Y, true);
}

}  // namespace kromel
