#include <memory>
#include <utility>

#include "lut/lut_apply.h"

#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"

namespace kromel {

void TKromelSession::EditRefresh() {
  GetProcessingBitmap();
  UpdateImage(true, false);
}

void TKromelSession::TurnImage(bool Clockwise) {
  {
    TRendererBlockGuard Block(*this);
    if (Clockwise)
      Image.RotateRight();
    else
      Image.RotateLeft();
  }
  SourceImageChanged();
}

void TKromelSession::FlipImage(bool Vertical) {
  {
    TRendererBlockGuard Block(*this);
    if (Vertical)
      Image.FlipVertical();
    else
      Image.FlipHorizontal();
  }
  EditRefresh();
}

void TKromelSession::HalveImage() {
  if (Image.Width < 4 || Image.Height < 4) return;
  TImage64 Half;
  if (!Half.Alloc(Image.Width / 2, Image.Height / 2)) return;
  Half.StretchDrawAveraged({0, 0}, {Image.Width / 2, Image.Height / 2}, Image, {0, 0, 0, 0});
  {
    TRendererBlockGuard Block(*this);
    std::swap(Image, Half);
  }
  Half.Dispose();
  EditRefresh();
}

void TKromelSession::FillAlphaChannel() {
  for (int64_t I = 0; I < Image.Size; ++I) Image.Pixels[I].A = 65535;
  EditRefresh();
}

void TKromelSession::FillTransparentWithWhite() {
  for (int64_t I = 0; I < Image.Size; ++I) {
    TPixel64& P = Image.Pixels[I];
    if (P.A < 0x8000) P.R = P.G = P.B = 65535;
  }
  EditRefresh();
}

void TKromelSession::SplitImage(bool Horizontally) {
  const int32_t W = Image.Width, H = Image.Height;
  if (W < 2 || H < 2) return;
  {
    TRendererBlockGuard Block(*this);
    ReferenceImage.Dispose();
    if (Horizontally) {
      Image.CropTo(ReferenceImage, {W / 2, 0}, {W, H});
      Image.CropTo(Image, {0, 0}, {W / 2, H});
    } else {
      Image.CropTo(ReferenceImage, {0, H / 2}, {W, H});
      Image.CropTo(Image, {0, 0}, {W, H / 2});
    }
  }
  EditRefresh();
}

bool TKromelSession::CropToAlphaSelection() {
  const TRect R = Image.GetContentRect();
  if (R.Left < 0 || R.Top < 0) {
    PlatformShowMessage(_("Please select rectangle with alpha selection tool first"));
    return false;
  }
  {
    TRendererBlockGuard Block(*this);
    Image.CropTo(Image, {R.Left, R.Top}, {R.Right + 1, R.Bottom + 1});
  }
  SourceImageChanged();
  return true;
}

bool TKromelSession::ProcessImageWithCurrentLut() {
  // A complete LUT of 64 levels, whatever the export size.
  const std::unique_ptr<T3DLUTWithStatistics> Lut = CompileLut(64, true);
  if (!Lut || Image.IsEmpty()) return false;
  TImage64 Out;
  Out.Copy(Image);
  if (Out.IsEmpty()) return false;
  ProcessImage64(*Lut, Image, Out, Prefs.SaveAlphaChannel);
  {
    TRendererBlockGuard Block(*this);
    std::swap(Image, Out);
  }
  Out.Dispose();
  SourceImageChanged();
  return true;
}

}  // namespace kromel

namespace kromel {

void TKromelSession::CropCenterPart() {
  {
    TRendererBlockGuard Block(*this);
    for (TImage64* Target : {&ReferenceImage, &Image}) {
      const int32_t W = Target->Width, H = Target->Height;
      if (Target->IsEmpty() || W < 2 || H < 2) continue;
      Target->CropTo(*Target, {W / 4, H / 4}, {W * 3 / 4, H * 3 / 4});
    }
  }
  EditRefresh();
}

}  // namespace kromel
