#include "images/image_vbpp.h"

#include <utility>

#include <algorithm>

#include "platform/message_sink.h"

namespace kromel {

namespace {

// The mean of the pixels with alpha above 128 in the square around (X, Y)
// as a BGRA value; 0 when there is none.
uint32_t AverageColor32(const TImage32& Image, int32_t X, int32_t Y, int32_t Radius) {
  if (Image.Pixels == nullptr || Image.Width <= 0 || Image.Height <= 0) return 0;
  const int64_t R = std::max(Radius, 0);
  const int64_t X0 = std::max<int64_t>(X - R, 0), X1 = std::min<int64_t>(X + R, Image.Width - 1);
  const int64_t Y0 = std::max<int64_t>(Y - R, 0), Y1 = std::min<int64_t>(Y + R, Image.Height - 1);
  int64_t B = 0, G = 0, Rd = 0, A = 0, N = 0;
  for (int64_t J = Y0; J <= Y1; ++J)
    for (int64_t I = X0; I <= X1; ++I) {
      const TBGRAPixel32 P = Image.Row(int32_t(J))[I].BGRA;
      if (P.A <= 128) continue;
      B += P.B;
      G += P.G;
      Rd += P.R;
      A += P.A;
      ++N;
    }
  if (N == 0) return 0;
  return uint32_t(B / N) | uint32_t(G / N) << 8 | uint32_t(Rd / N) << 16 | uint32_t(A / N) << 24;
}

}  // namespace

TImageVBPP::TImageVBPP() {
  Image32.Init();
  Image64.Init();
}

TImageVBPP::~TImageVBPP() { Dispose(); }

// The band's answers, over the whole of both images.
int32_t TImageVBPP::GetWidth() const { return TImageVBPPBand(*this).GetWidth(); }
int32_t TImageVBPP::GetHeight() const { return TImageVBPPBand(*this).GetHeight(); }
int32_t TImageVBPP::GetSize() const { return TImageVBPPBand(*this).GetSize(); }
bool TImageVBPP::IsEmpty() const { return TImageVBPPBand(*this).IsEmpty(); }

void TImageVBPP::CopyTo(TRawBitmap& Bitmap) const {
  if (Image64.Pixels != nullptr)
    Image64.CopyTo(Bitmap);
  else
    Image32.CopyTo(Bitmap);
}

void TImageVBPP::CopyToImage32(TImage32& Target) const {
  if (Image64.Pixels != nullptr)
    Image64.CopyToImage32(Target);
  else if (Image32.Pixels != nullptr)
    Target.Copy(Image32);
}

void TImageVBPP::CopyFromImage64(const TImage64& Source) {
  if (Image64.Pixels == nullptr) {
    PlatformShowMessage("TImageVBPP.CopyFromImage64 - todo");
    return;
  }
  Image64.Copy(Source);
}

void TImageVBPP::Dispose() {
  Image32.Dispose();
  Image64.Dispose();
}

void TImageVBPP::Dispose(TImageVBPP* Image) {
  if (Image != nullptr) Image->Dispose();
}

void TImageVBPP::Realloc(int32_t Width, int32_t Height, bool Use16Bit) {
  if (Use16Bit)
    Image64.SetSize(Width, Height);
  else
    Image32.SetSize(Width, Height);
  if (Image32.Pixels != nullptr && Image64.Pixels != nullptr)
    PlatformShowMessage("TImageVBPP.Realloc collision");
}

// A failed widening keeps everything as it was.
void TImageVBPP::ConvertTo64() {
  if (Image32.Pixels == nullptr) return;
  TImage64 Wide;
  Wide.CopyFromImage32(Image32);
  if (Wide.Pixels == nullptr) return;
  Image32.Dispose();
  Image64 = std::move(Wide);
}

void TImageVBPP::RotateLeft() {
  if (Image64.Pixels != nullptr)
    Image64.RotateLeft();
  else
    Image32.RotateLeft();
}

void TImageVBPP::RotateRight() {
  if (Image64.Pixels != nullptr)
    Image64.RotateRight();
  else
    Image32.RotateRight();
}

void TImageVBPP::FlipVertical() {
  if (Image64.Pixels != nullptr)
    Image64.FlipVertical();
  else
    Image32.FlipVertical();
}

void TImageVBPP::FlipHorizontal() {
  if (Image64.Pixels != nullptr)
    Image64.FlipHorizontal();
  else
    Image32.FlipHorizontal();
}

void TImageVBPP::GetDarkestAverage(TPixel64& P, int32_t Count) const {
  P = {0, 0, 0, 0};
  if (Image64.Pixels != nullptr) Image64.GetDarkestAverage(P, Count);
}

void TImageVBPP::GetAverageColor64(TPixel64& P, int32_t X, int32_t Y, int32_t Radius) const {
  if (Image64.Pixels != nullptr) {
    int32_t Spread = 0;
    Image64.GetAverageColor(X, Y, Radius, P, Spread);
    return;
  }
  TVPixel32 V;
  V.Value = AverageColor32(Image32, X, Y, Radius);
  P = {uint16_t(V.BGRA.R * 257), uint16_t(V.BGRA.G * 257), uint16_t(V.BGRA.B * 257),
       uint16_t(V.BGRA.A * 257)};
}

uint32_t TImageVBPP::GetAverageColor32(int32_t X, int32_t Y, int32_t Radius) const {
  if (Image64.Pixels == nullptr) return AverageColor32(Image32, X, Y, Radius);
  TPixel64 P;
  int32_t Spread = 0;
  Image64.GetAverageColor(X, Y, Radius, P, Spread);
  return Pixel64ToPixel32(P);
}

void TImageVBPP::GetCentralPixelText(std::string& S) const {
  if (Image64.Pixels != nullptr)
    S = Image64.GetCentralPixelText();
  else
    S = "GetCentralPixel Img32bit";
}

TImageVBPPBand::TImageVBPPBand(const TImageVBPP& Source)
    : Image32(Source.Image32), Image64(Source.Image64) {}

// Of the 64-bit image when it has pixels, else of the 32-bit one.
int32_t TImageVBPPBand::GetWidth() const {
  if (Image64.Pixels != nullptr) return Image64.Width;
  if (Image32.Pixels != nullptr) return Image32.Width;
  return 0;
}

int32_t TImageVBPPBand::GetHeight() const {
  if (Image64.Pixels != nullptr) return Image64.Height;
  if (Image32.Pixels != nullptr) return Image32.Height;
  return 0;
}

int32_t TImageVBPPBand::GetSize() const {
  if (Image64.Pixels != nullptr) return Image64.Size;
  if (Image32.Pixels != nullptr) return Image32.Size;
  return 0;
}

bool TImageVBPPBand::IsEmpty() const {
  return !((Image32.Pixels != nullptr && Image32.Size != 0) ||
           (Image64.Pixels != nullptr && Image64.Size != 0));
}

TImageVBPPBand RowBand(const TImageVBPPBand& Source, int32_t FirstRow, int32_t Count) {
  TImageVBPPBand Band;
  Band.Image32 = RowBand<TVPixel32>(Source.Image32, FirstRow, Count);
  Band.Image64 = RowBand<TPixel64>(Source.Image64, FirstRow, Count);
  return Band;
}

}  // namespace kromel
