#include "colour/colour_discs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "colour/hsv_hsl.h"

namespace kromel {

namespace {

// Fn(x, dx, dy) gives the TColor of each pixel; stored opaque as BGRA.
template <class TFn>
void PaintDisc(TImage32& Image, TFn Fn) {
  if (Image.Pixels == nullptr || Image.Size <= 0 || Image.Width <= 0 || Image.Height <= 0) return;
  for (int32_t Y = 0; Y < Image.Height; ++Y)
    for (int32_t X = 0; X < Image.Width; ++X) {
      const double Dx = X - Image.Width / 2, Dy = Y - Image.Height / 2;
      Image.Row(Y)[X].Value = ColorToBGRA(Fn(X, Dx, Dy)) | 0xFF000000u;
    }
}

// The angle of the pixel in Steps per turn, 0 straight below the centre.
int32_t Angle(const TImage32& Image, int32_t X, double Dy, double Steps) {
  int32_t A = int32_t(std::nearbyint(std::atan2(double(Image.Width / 2 - X), Dy) * Steps * 0.5 /
                                     std::numbers::pi));
  if (A < 0) A += int32_t(Steps);
  return A;
}

}  // namespace

void DrawHueDisc(TImage32& Image) {
  const double R = std::max(std::min(Image.Width, Image.Height) / 2, 1);
  PaintDisc(Image, [&](int32_t X, double Dx, double Dy) {
    const double Rel = std::sqrt(Dx * Dx + Dy * Dy) / R / 1.03;
    const float S = float(std::min(2 * Rel, 1.0));
    const float V = float(std::clamp(2 * (1 - Rel), 0.0, 1.0));
    return HSVtoColor(float(Angle(Image, X, Dy, 360)), S, V);
  });
}

void DrawHueSaturationDisc(TImage32& Image, int32_t Lightness) {
  const double R = std::max(std::min(Image.Width, Image.Height) / 2, 1);
  PaintDisc(Image, [&](int32_t X, double Dx, double Dy) {
    const double G = (Dx * Dx + Dy * Dy) / (R * R);
    const double S = (std::sqrt(G) + G) * 0.5;
    const int32_t Sat = std::min(int32_t(std::nearbyint(S * 255)), 255);
    return HLStoColor(Angle(Image, X, Dy, 256), Sat, std::clamp(Lightness, 0, 255) * 240 / 256);
  });
}

}  // namespace kromel
