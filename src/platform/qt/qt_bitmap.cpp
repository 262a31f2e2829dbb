#include "platform/qt/qt_bitmap.h"


namespace kromel {

QImage QImageFromRawBitmap(const TRawBitmap& Bitmap) {
  const int32_t W = Bitmap.Width(), H = Bitmap.Height();
  const int32_t Bits = Bitmap.BitsPerPixel();
  if (W <= 0 || H <= 0 || Bitmap.Data() == nullptr || (Bits != 24 && Bits != 32)) return {};
  QImage Image(W, H, QImage::Format_ARGB32);
  for (int32_t Y = 0; Y < H; ++Y) {
    const uint8_t* S = Bitmap.ScanLine(Y);
    auto* D = reinterpret_cast<QRgb*>(Image.scanLine(Y));
    for (int32_t X = 0; X < W; ++X) {
      if (Bits == 32)
        D[X] = qRgba(S[4 * X + 1], S[4 * X + 2], S[4 * X + 3], S[4 * X]);
      else
        D[X] = qRgb(S[3 * X + 2], S[3 * X + 1], S[3 * X]);
    }
  }
  return Image;
}

void RawBitmapFromQImage(const QImage& Image, TRawBitmap& Bitmap) {
  const QImage Source = Image.convertToFormat(QImage::Format_ARGB32);
  Bitmap.SetPixelFormat(pf32bit);
  Bitmap.SetSize(Source.width(), Source.height());
  for (int32_t Y = 0; Y < Source.height(); ++Y) {
    const auto* S = reinterpret_cast<const QRgb*>(Source.constScanLine(Y));
    uint8_t* D = Bitmap.ScanLine(Y);
    for (int32_t X = 0; X < Source.width(); ++X) {
      D[4 * X] = uint8_t(qAlpha(S[X]));
      D[4 * X + 1] = uint8_t(qRed(S[X]));
      D[4 * X + 2] = uint8_t(qGreen(S[X]));
      D[4 * X + 3] = uint8_t(qBlue(S[X]));
    }
  }
}

}  // namespace kromel
