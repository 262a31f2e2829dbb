#include "images/image_vbpp.h"

#include "platform/message_sink.h"

namespace kromel {

TImageVBPP::TImageVBPP() {
  Image32.Init();
  Image64.Init();
}

TImageVBPP::~TImageVBPP() { Dispose(); }

int32_t TImageVBPP::GetWidth() const {
  if (Image64.Pixels != nullptr) return Image64.Width;
  if (Image32.Pixels != nullptr) return Image32.Width;
  return 0;
}

int32_t TImageVBPP::GetHeight() const {
  if (Image64.Pixels != nullptr) return Image64.Height;
  if (Image32.Pixels != nullptr) return Image32.Height;
  return 0;
}

int32_t TImageVBPP::GetSize() const {
  if (Image64.Pixels != nullptr) return Image64.Size;
  if (Image32.Pixels != nullptr) return Image32.Size;
  return 0;
}

bool TImageVBPP::IsEmpty() const {
  return !((Image32.Pixels != nullptr && Image32.Size != 0) ||
           (Image64.Pixels != nullptr && Image64.Size != 0));
}

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

void TImageVBPP::DetachView() {
  if (!FIsView) return;
  Image32.Init();
  Image64.Init();
  FIsView = false;
}

void TImageVBPP::Dispose() {
  DetachView();
  Image32.Dispose();
  Image64.Dispose();
}

void TImageVBPP::Dispose(TImageVBPP* Image) {
  if (Image != nullptr) Image->Dispose();
}

void TImageVBPP::Realloc(int32_t Width, int32_t Height, bool Use16Bit) {
  DetachView();
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
  Wide.Init();
  Wide.CopyFromImage32(Image32);
  if (Wide.Pixels == nullptr) return;
  if (FIsView) {
    DetachView();
  } else {
    Image32.Dispose();
    Image64.Dispose();
  }
  Image64 = Wide;
}

void TImageVBPP::AssignRowBand(const TImageVBPP& Source, int32_t FirstRow, int32_t Count) {
  if (&Source == this) return;
  if (!FIsView) {
    Image32.Dispose();
    Image64.Dispose();
  }
  AssignRowBandOf(Image32, Source.Image32, FirstRow, Count);
  AssignRowBandOf(Image64, Source.Image64, FirstRow, Count);
  FIsView = true;
}

}  // namespace kromel
