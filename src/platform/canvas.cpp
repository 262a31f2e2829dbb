#include "platform/canvas.h"

#include <algorithm>
#include <cstdlib>

namespace kromel {

void TCanvas::MoveTo(int32_t X, int32_t Y) {
  FPenX = X;
  FPenY = Y;
  FDotPhase = 0;
}

namespace {

// Cuts the segment P0-P1 to the box Lo..Hi (both axes); false when nothing
// of it lies inside. Keeps far-off end points from costing a long walk.
bool ClipSegment(double& X0, double& Y0, double& X1, double& Y1, double LoX, double LoY,
                 double HiX, double HiY) {
  double T0 = 0, T1 = 1;
  const double DX = X1 - X0, DY = Y1 - Y0;
  const double P[4] = {-DX, DX, -DY, DY};
  const double Q[4] = {X0 - LoX, HiX - X0, Y0 - LoY, HiY - Y0};
  for (int I = 0; I < 4; ++I) {
    if (P[I] == 0) {
      if (Q[I] < 0) return false;
      continue;
    }
    const double R = Q[I] / P[I];
    if (P[I] < 0) T0 = std::max(T0, R);
    else T1 = std::min(T1, R);
    if (T0 > T1) return false;
  }
  const double SX = X0, SY = Y0;
  X0 = SX + T0 * DX;
  Y0 = SY + T0 * DY;
  X1 = SX + T1 * DX;
  Y1 = SY + T1 * DY;
  return true;
}

}  // namespace

void TCanvas::LineTo(int32_t X, int32_t Y) {
  const int32_t Margin = std::max(Pen.Width, 1) + 1;
  double FX0 = FPenX, FY0 = FPenY, FX1 = X, FY1 = Y;
  const bool Visible = ClipSegment(FX0, FY0, FX1, FY1, -Margin, -Margin,
                                   double(FBitmap.Width()) + Margin,
                                   double(FBitmap.Height()) + Margin);
  if (Visible) {
    // The end pixel is left out only when the end point itself was reached.
    const bool EndInside = FX1 == X && FY1 == Y;
    int64_t X0 = static_cast<int64_t>(FX0), Y0 = static_cast<int64_t>(FY0);
    const int64_t X1 = static_cast<int64_t>(FX1), Y1 = static_cast<int64_t>(FY1);
    const int64_t DX = std::llabs(X1 - X0), DY = -std::llabs(Y1 - Y0);
    const int64_t SX = X0 < X1 ? 1 : -1, SY = Y0 < Y1 ? 1 : -1;
    int64_t Err = DX + DY;
    for (;;) {
      const bool AtEnd = X0 == X1 && Y0 == Y1;
      if (AtEnd && EndInside) break;
      if (Pen.Style != psDot || FDotPhase % 2 == 0)
        PenDot(static_cast<int32_t>(X0), static_cast<int32_t>(Y0));
      ++FDotPhase;
      if (AtEnd) break;
      const int64_t E2 = 2 * Err;
      if (E2 >= DY) {
        Err += DY;
        X0 += SX;
      }
      if (E2 <= DX) {
        Err += DX;
        Y0 += SY;
      }
    }
  }
  FPenX = X;
  FPenY = Y;
}

void TCanvas::Rectangle(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  if (Right < Left) std::swap(Left, Right);
  if (Bottom < Top) std::swap(Top, Bottom);
  if (Right - Left < 1 || Bottom - Top < 1) return;
  if (Brush.Style != bsClear) Span(Left, Top, Right, Bottom, Brush.Color);
  const int32_t SavedX = FPenX, SavedY = FPenY;
  MoveTo(Left, Top);
  LineTo(Right - 1, Top);
  LineTo(Right - 1, Bottom - 1);
  LineTo(Left, Bottom - 1);
  LineTo(Left, Top);
  FPenX = SavedX;
  FPenY = SavedY;
}

void TCanvas::FillRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  Span(Left, Top, Right, Bottom, Brush.Color);
}

TColor TCanvas::Pixel(int32_t X, int32_t Y) const {
  if (X < 0 || X >= FBitmap.Width()) return 0;
  const uint8_t* Line = FBitmap.ScanLine(Y);
  if (Line == nullptr) return 0;
  switch (FBitmap.BitsPerPixel()) {
    case 32: {
      const uint8_t* P = Line + static_cast<int64_t>(X) * 4;  // A, R, G, B
      return TColor(P[1]) | TColor(P[2]) << 8 | TColor(P[3]) << 16;
    }
    case 24: {
      const uint8_t* P = Line + static_cast<int64_t>(X) * 3;  // B, G, R
      return TColor(P[2]) | TColor(P[1]) << 8 | TColor(P[0]) << 16;
    }
    default: return 0;
  }
}

void TCanvas::SetPixel(int32_t X, int32_t Y, TColor Color) {
  if (X < 0 || X >= FBitmap.Width()) return;
  uint8_t* Line = FBitmap.ScanLine(Y);
  if (Line == nullptr) return;
  const uint8_t R = Color & 0xFF, G = (Color >> 8) & 0xFF, B = (Color >> 16) & 0xFF;
  switch (FBitmap.BitsPerPixel()) {
    case 32: {
      uint8_t* P = Line + static_cast<int64_t>(X) * 4;
      P[0] = 255;
      P[1] = R;
      P[2] = G;
      P[3] = B;
      break;
    }
    case 24: {
      uint8_t* P = Line + static_cast<int64_t>(X) * 3;
      P[0] = B;
      P[1] = G;
      P[2] = R;
      break;
    }
    default: break;
  }
}

void TCanvas::PenDot(int32_t X, int32_t Y) {
  const int32_t W = std::max(Pen.Width, 1);
  const int32_t Low = (W - 1) / 2;
  for (int32_t DY = 0; DY < W; ++DY)
    for (int32_t DX = 0; DX < W; ++DX) SetPixel(X - Low + DX, Y - Low + DY, Pen.Color);
}

void TCanvas::Span(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, TColor Color) {
  const int32_t L = std::max(Left, 0), T = std::max(Top, 0);
  const int32_t R = std::min(Right, FBitmap.Width()), B = std::min(Bottom, FBitmap.Height());
  for (int32_t Y = T; Y < B; ++Y)
    for (int32_t X = L; X < R; ++X) SetPixel(X, Y, Color);
}

}  // namespace kromel
