// Drawing on a TImage64: shapes, text, lines, gradients, glyphs and
// compositing, as free functions over the image.
#pragma once
#include <cstdint>
#include <string>

#include "images/image64.h"
#include "platform/raw_bitmap.h"

namespace kromel {

// Every shape, line, glyph and placed image is clipped to the image
// whatever its coordinates.
void FillRect(TImage64& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
              const TPixel64& Color);
void FillCircle(TImage64& Image, int32_t X, int32_t Y, int32_t Radius, const TPixel64& Color);
void FillShadedDisc(TImage64& Image, int32_t X, int32_t Y, int32_t Radius, const TPixel64& Rim,
                    const TPixel64& Centre);
void FillRadialDisc(TImage64& Image, int32_t X, int32_t Y, int32_t Radius, const TPixel64& Rim,
                    const TPixel64& Centre);
// The radius is lowered to half the height and width, the corners
// clamped into the image.
void DrawRectangleRounded(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                          int32_t R, const TPixel64& Color);
void FillRectangleRoundedGradient(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                  int32_t R, const TPixel64& Top, const TPixel64& Bottom);
void BlendRectangleRoundedGradient(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                   int32_t R, const TPixel64& Top, const TPixel64& Bottom);
void DrawRectangleRoundedSoftEdge(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                  int32_t R, const TPixel64& Outer, const TPixel64& Inner,
                                  int32_t Steps);
void FillRectangleRoundedEmbossed(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                  int32_t R, const TPixel64& Rim, const TPixel64& Face);
void BlendRectangleRoundedEmbossed(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                   int32_t R, const TPixel64& Rim, const TPixel64& Face);
void DrawBitmap(TImage64& Image, int32_t X, int32_t Y, TRawBitmap& Mask, const TPixel64& Dark,
                const TPixel64& Light);
// Color with alpha 65535 - m^2, m the rendered grey (0 for full ink).
void DrawText(TImage64& Image, int32_t X, int32_t Y, const std::string& Text, int32_t TextHeight,
              uint32_t Style, const TPixel64& Color, int32_t Alignment);
// Equal points are reported and leave the image unchanged.
void DrawGradient(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                  const TPixel64& C1, const TPixel64& C2);
// Equal ends are reported and draw nothing.
void DrawGradientLine(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                      const TPixel64& C1, const TPixel64& C2);
void DrawImageBlended(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source);
void DrawImageMultiplied(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source);
void DrawImageMax(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source);
void DrawImageMin(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source);
void DrawImageAdd(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source);
void DrawImageAddAlpha(TImage64& Image, int32_t X, int32_t Y, const TImage64& Source);

void DrawLine(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
              const TPixel64& Color);
void DrawLineAdd(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                 const TPixel64& Color);
void DrawBevel(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
               const TPixel64& Color);
void DrawOutline(TImage64& Image, const TPixel64& Color);
void DrawGradientRadial(TImage64& Image, int32_t X, int32_t Y, int32_t RX, int32_t RY,
                        const TPixel64& Color1, const TPixel64& Color2);
// The rectangle is not used: the border runs along the image's edges.
void DrawGradientBorder(TImage64& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                        int32_t Border, const TPixel64& Color1, const TPixel64& Color2);
void DrawHexGlyph(TImage64& Image, int32_t X, int32_t Y, int32_t GlyphWidth,
                  const std::string& Text, const TPixel64& Color, bool Opaque);
void DrawHexBitmap(TImage64& Image, int32_t X, int32_t Y, int32_t BytesPerRow,
                   const std::string& Text, const TPixel64& Color);
// Src's R, G, B added (saturating) where its alpha is not 0, Src's corner
// at (X, Y).
void DrawImageBlendedAdd(TImage64& Image, int32_t X, int32_t Y, const TImage64& Src);
void AddColor(TImage64& Image, const TPixel64& Color);
// Writes B, G, R high bytes into rows Y.. of the bitmap (24- or 32-bit,
// the alpha byte kept), clipped to it; X is not used.
void DrawOnBitmap(const TImage64& Image, TRawBitmap& Bitmap, int32_t X, int32_t Y);

}  // namespace kromel
