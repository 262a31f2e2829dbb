// TImage96 drawing and compositing over the shared 16-bit drawing.
#include "foundation/error_sink.h"
#include "images/image16_draw.h"
#include "images/image96.h"
#include "images/text_raster.h"

namespace kromel {

namespace d = image16;

TPixel96 BlendPixel96(const TPixel96& P, const TPixel96& Q, int32_t W) { return d::Blend(P, Q, W); }
TPixel96 BlendPixel96Over(const TPixel96& D, const TPixel96& S) { return d::BlendOver(D, S); }
TPixel96 MultiplyPixel96(const TPixel96& D, const TPixel96& S) { return d::Multiply(D, S); }

void TImage96::FillCircle(int32_t X, int32_t Y, int32_t Radius, const TPixel96& Color) {
  d::FillCircle(*this, X, Y, Radius, Color);
}

void TImage96::FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color) {
  d::FillRect(*this, X1, Y1, X2, Y2, Color);
}

void TImage96::DrawBevel(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color) {
  d::DrawBevel(*this, X1, Y1, X2, Y2, Color);
}

void TImage96::DrawRectangleRounded(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                    const TPixel96& Color) {
  if (Y1 >= Height) Y1 = Height - 1;
  if (Y2 >= Height) Y2 = Height - 1;
  d::RoundedFlat(*this, X1, Y1, X2, Y2, R, Color);
}

void TImage96::FillRectangleRoundedGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                            int32_t R, const TPixel96& Top,
                                            const TPixel96& Bottom) {
  d::RoundedGradient(*this, X1, Y1, X2, Y2, R, Top, Bottom, false);
}

void TImage96::BlendRectangleRoundedGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                             int32_t R, const TPixel96& Top,
                                             const TPixel96& Bottom) {
  d::RoundedGradient(*this, X1, Y1, X2, Y2, R, Top, Bottom, true);
}

void TImage96::DrawRectangleRoundedSoftEdge(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                            int32_t R, const TPixel96& Outer,
                                            const TPixel96& Inner, int32_t Steps) {
  d::RoundedSoftEdge(
      *this, X1, Y1, X2, Y2, R, Outer, Inner, Steps,
      [this](int64_t A, int64_t B, int64_t C, int64_t D, int64_t Rad, const TPixel96& Colour) {
        DrawRectangleRounded(int32_t(A), int32_t(B), int32_t(C), int32_t(D), int32_t(Rad), Colour);
      },
      [this](int64_t A, int64_t B, int64_t C, int64_t D, int64_t Rad) {
        // As DrawRectangleRounded moves rows below the image.
        B = std::min<int64_t>(B, Height - 1);
        D = std::min<int64_t>(D, Height - 1);
        return d::RoundedRowsShown(*this, A, B, C, D, Rad, B + Rad, D - Rad);
      });
}

void TImage96::FillRectangleRoundedEmbossed(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                            int32_t R, const TPixel96& Rim, const TPixel96& Face) {
  d::RoundedEmbossed(*this, X1, Y1, X2, Y2, R, Rim, Face, false);
}

void TImage96::BlendRectangleRoundedEmbossed(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                             int32_t R, const TPixel96& Rim,
                                             const TPixel96& Face) {
  d::RoundedEmbossed(*this, X1, Y1, X2, Y2, R, Rim, Face, true);
}

void TImage96::FillShadedDisc(int32_t X, int32_t Y, int32_t R, const TPixel96& Rim,
                              const TPixel96& Centre) {
  d::FillShadedDisc(*this, X, Y, R, Rim, Centre);
}

void TImage96::FillRadialDisc(int32_t X, int32_t Y, int32_t R, const TPixel96& Rim,
                              const TPixel96& Centre) {
  d::FillRadialDisc(*this, X, Y, R, Rim, Centre);
}

void TImage96::DrawLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color) {
  d::DrawLine(*this, X1, Y1, X2, Y2, Color);
}

void TImage96::DrawLineAdd(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& Color) {
  d::DrawLineAdd(*this, X1, Y1, X2, Y2, Color);
}

void TImage96::DrawGradientLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                const TPixel96& C1, const TPixel96& C2) {
  if (!d::DrawGradientLine(*this, X1, Y1, X2, Y2, C1, C2))
    ErrorMessageProc("Exception in TImage96.DrawGradientLine");
}

void TImage96::DrawGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel96& C1,
                            const TPixel96& C2) {
  if (!d::DrawGradient(*this, X1, Y1, X2, Y2, C1, C2))
    ErrorMessageProc("Exception in TImage96.DrawGradient");
}

void TImage96::DrawGradientRadial(int32_t X, int32_t Y, int32_t RX, int32_t RY,
                                  const TPixel96& C1, const TPixel96& C2) {
  d::DrawGradientRadial(*this, X, Y, RX, RY, C1, C2);
}

void TImage96::DrawGradientBorder(int32_t BorderWidth, const TPixel96& C1, const TPixel96& C2) {
  d::DrawGradientBorder(*this, BorderWidth, C1, C2);
}

void TImage96::DrawBitmap(int32_t X, int32_t Y, TRawBitmap& Mask, const TPixel96& Dark,
                          const TPixel96& Light) {
  d::DrawMaskBitmap(*this, X, Y, Mask, Dark, Light);
}

void TImage96::DrawText(int32_t X, int32_t Y, const std::string& Text, int32_t FontSize,
                        uint32_t Style, const TPixel96& Color, int32_t Align) {
  DrawTextCoverage(*this, X, Y, Text, FontSize, Style, Align,
                   [&Color](TPixel96& P, uint8_t Coverage) {
                     P = Color;
                     P.A = uint16_t(Coverage * 257);
                   });
}

void TImage96::DrawHexBitmap(int32_t X, int32_t Y, int32_t BytesPerRow, const std::string& Text,
                             const TPixel96& Color) {
  d::DrawHexBitmap(*this, X, Y, BytesPerRow, Text, Color);
}

void TImage96::DrawHexGlyph(int32_t X, int32_t Y, int32_t GlyphWidth, const std::string& Text,
                            const TPixel96& Color) {
  d::DrawHexGlyph(*this, X, Y, GlyphWidth, Text, [&Color](TPixel96& P, uint32_t K) {
    P = Color;
    P.A = uint16_t(K * 21845);
  });
}

void TImage96::DrawImageMax(int32_t X, int32_t Y, const TImage96& Src) {
  d::DrawImageMax(*this, X, Y, Src);
}

void TImage96::DrawImageMin(int32_t X, int32_t Y, const TImage96& Src) {
  d::DrawImageMin(*this, X, Y, Src);
}

void TImage96::DrawImageAdd(int32_t X, int32_t Y, const TImage96& Src) {
  d::DrawImageAdd(*this, X, Y, Src);
}

void TImage96::DrawImageBlended(int32_t X, int32_t Y, const TImage96& Src) {
  d::DrawImageBlended(*this, X, Y, Src);
}

void TImage96::DrawImageMultiplied(int32_t X, int32_t Y, const TImage96& Src) {
  d::DrawImageMultiplied(*this, X, Y, Src);
}

void TImage96::DrawImageBlendedAdd(const TImage96& Src) { d::DrawImageBlendedAdd(*this, 0, 0, Src); }

void TImage96::DrawOutline(const TPixel96& Color) { d::DrawOutline(*this, Color); }

}  // namespace kromel
