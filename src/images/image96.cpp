#include "images/image96.h"

#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "images/image16_ops.h"
#include "images/image_chunk.h"
#include "platform/message_sink.h"

namespace kromel {

// The chunk stores the words little-endian, as they lie in memory here.
static_assert(std::endian::native == std::endian::little);

void TImage96::Clear() {
  if (Pixels != nullptr && Size > 0) std::memset(static_cast<void*>(Pixels), 0, size_t(Size) * sizeof(TPixel96));
  CopyMarginsFrom(0, 0, 0, 0);
}

void TImage96::Fill(const TPixel96& Color) {
  if (Pixels == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) Pixels[I] = Color;
}

void TImage96::Copy(const TImage96& Source) {
  if (Source.Pixels == Pixels) return;
  if (Size != Source.Size) Dispose();
  if (Pixels == nullptr && Source.Pixels != nullptr) Alloc(Source.Width, Source.Height);
  if (Pixels != nullptr && Source.Pixels != nullptr && Size == Source.Size)
    std::memcpy(Pixels, Source.Pixels, size_t(Size) * sizeof(TPixel96));
  CopyMarginsFrom(Source);
}

bool TImage96::WriteToFile(std::FILE* F) {
  return WriteImageToChunk(F, *this, "TImage96.WriteToFile");
}

bool TImage96::ReadFromFile(std::FILE* F) {
  return ReadImageFromChunk(F, *this, "TImage96.ReadFromFile");
}

void TImage96::CopyFromImage32(const TImage32& Source) { image16::CopyFromImage32(*this, Source); }

void TImage96::CopyToImage32(TImage32& Target) const { image16::CopyToImage32(*this, Target); }

void TImage96::NormalizeTo32(TImage32& Target) const {
  image16::NormalizeTo32(*this, Target, "TImage96");
}

// A and Extra are not read from the bitmap.
void TImage96::CopyFrom(TRawBitmap& Bitmap) {
  const TPixelFormat Format =
      Bitmap.PixelFormat() == pfDevice ? pf32bit : Bitmap.PixelFormat();
  if (!image16::ReadBitmapRows(*this, Bitmap))
    PlatformShowMessage("TImage96.CopyFrom - unsupported PixelFormat: " +
                        std::to_string(int32_t(Format)));
}

void TImage96::CopyTo(TRawBitmap& Bitmap) const {
  Bitmap.SetSize(Width, Height);
  image16::WriteBitmapRows(*this, Bitmap, 0, false);
}

void TImage96::DrawOnBitmap(TRawBitmap& Bitmap, int32_t Top) const {
  image16::WriteBitmapRows(*this, Bitmap, Top, true);
}

void TImage96::CropToImage32(TImage32& Target, TPoint TopLeft, TPoint BottomRight) const {
  image16::CropToImage32(*this, Target, TopLeft, BottomRight);
}

void TImage96::Show(TCanvas* Canvas) const {
  TImage32 Temp;
  CopyToImage32(Temp);
  Temp.Show(Canvas);
  Temp.Dispose();
}

void TImage96::ShowResized(TCanvas* Canvas, int32_t W, int32_t H) const {
  image16::ShowResized(*this, Canvas, W, H);
}

void TImage96::DrawFittedToImage96(TImage96& Target, int32_t W, int32_t H, uint8_t Level) const {
  const uint16_t G = uint16_t(Level * 257);
  image16::DrawNearestFit(*this, Target, W, H, MakePixel96(G, G, G, 0),
                          [](TPixel96& D, const TPixel96& P) { D = P; });
}

void TImage96::DrawFittedToBitmap(TRawBitmap& Bitmap, int32_t W, int32_t H, uint8_t Level) const {
  if (!image16::CanFitSize(*this, W, H)) {
    image16::FillBitmapBlack(Bitmap, W, H);
    return;
  }
  TImage96 Temp;
  DrawFittedToImage96(Temp, W, H, Level);
  if (Temp.Pixels != nullptr) Temp.CopyTo(Bitmap);
  Temp.Dispose();
}

TPixel96 MakePixel96(int32_t R, int32_t G, int32_t B, int32_t A) {
  TPixel96 P;
  image16::SetWords(P, R & 0xFFFF, G & 0xFFFF, B & 0xFFFF, A & 0xFFFF);
  return P;
}

TPixel96 ColorToPixel96(uint32_t Color) {
  return MakePixel96(int32_t((Color & 0xFF) << 8), int32_t(((Color >> 8) & 0xFF) << 8),
                     int32_t(((Color >> 16) & 0xFF) << 8), int32_t((Color >> 24) << 8));
}

TColor Pixel96ToColor(const TPixel96& P) {
  return TColor(P.R >> 8) | TColor(P.G >> 8) << 8 | TColor(P.B >> 8) << 16;
}

std::string Pixel96ToText(const TPixel96& P) {
  return "R: " + std::to_string(P.R) + "; G: " + std::to_string(P.G) + "; B: " +
         std::to_string(P.B) + "; A: " + std::to_string(P.A);
}

}  // namespace kromel
