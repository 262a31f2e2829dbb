#include "images/image64.h"

#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "foundation/messages.h"
#include "foundation/numeric.h"
#include "images/image16_ops.h"
#include "images/image_chunk.h"
#include "platform/message_sink.h"

namespace kromel {

// The chunk stores the words little-endian, as they lie in memory here.
static_assert(std::endian::native == std::endian::little);

void TImage64::Clear() {
  if (Pixels != nullptr && Size > 0) std::memset(Pixels, 0, size_t(Size) * sizeof(TPixel64));
  CopyMarginsFrom(0, 0, 0, 0);
}

void TImage64::Fill(const TPixel64& Color) {
  if (Pixels == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) Pixels[I] = Color;
}

void TImage64::Copy(const TImage64& Source) {
  if (Source.Pixels == Pixels) return;
  if (Size != Source.Size) Dispose();
  if (Pixels == nullptr && Source.Pixels != nullptr) Alloc(Source.Width, Source.Height);
  if (Pixels != nullptr && Source.Pixels != nullptr && Size == Source.Size)
    std::memcpy(Pixels, Source.Pixels, size_t(Size) * sizeof(TPixel64));
  CopyMarginsFrom(Source);
}

bool TImage64::WriteToFile(std::FILE* F) {
  return WriteImageToChunk(F, *this, "TImage64.WriteToFile");
}

bool TImage64::ReadFromFile(std::FILE* F) {
  return ReadImageFromChunk(F, *this, "TImage64.ReadFromFile");
}

void TImage64::CopyFromImage32(const TImage32& Source) {
  image16::CopyFromImage32(*this, Source);
}

void TImage64::CopyToImage32(TImage32& Target) const {
  image16::CopyToImage32(*this, Target);
}

void TImage64::NormalizeTo32(TImage32& Target) const {
  image16::NormalizeTo32(*this, Target, "TImage64");
}

// Alpha is not read from the bitmap: callers set it afterwards.
void TImage64::CopyFrom(TRawBitmap& Bitmap) {
  const int32_t Format = int32_t(Bitmap.PixelFormat() == pfDevice ? pf32bit : Bitmap.PixelFormat());
  if (!image16::ReadBitmapRows(*this, Bitmap))
    PlatformShowMessage("TImage64.CopyFrom - unsupported PixelFormat: " + std::to_string(Format));
}

void TImage64::CopyTo(TRawBitmap& Bitmap) const {
  if (Bitmap.Width() != Width || Bitmap.Height() != Height) Bitmap.SetSize(Width, Height);
  if (!image16::WriteBitmapRows(*this, Bitmap, 0, false))
    PlatformShowMessage("TImage64.CopyTo error: Wrong pixel format");
}

std::string Pixel64ToText(const TPixel64& P) {
  return "R: " + std::to_string(P.R) + "; G: " + std::to_string(P.G) + "; B: " +
         std::to_string(P.B) + "; A: " + std::to_string(P.A);
}

}  // namespace kromel
