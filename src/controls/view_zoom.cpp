#include "controls/view_zoom.h"

#include <algorithm>
#include <cmath>

namespace kromel {

namespace {

// Coordinates stay well inside 32 bits, so sums and differences of two never
// overflow however far a view is zoomed out.
constexpr double kCoordLimit = 1 << 29;

int32_t ToCoord(double V) {
  if (std::isnan(V)) return 0;
  return static_cast<int32_t>(std::nearbyint(std::clamp(V, -kCoordLimit, kCoordLimit)));
}

int32_t RoundF(float V) { return ToCoord(static_cast<double>(std::nearbyint(V))); }

}  // namespace

void TViewPort::Init(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  Left = ALeft;
  Top = ATop;
  Width = AWidth;
  Height = AHeight;
  ClipRect = {Left, Top, Left + Width, Top + Height};
}

void TViewPort::AttachZoom(TViewZoom* AZoom) {
  Zoom = AZoom;
  if (AZoom) AZoom->ViewPort = this;
}

bool TViewPort::Contains(int32_t X, int32_t Y) const {
  return ClipRect.Left <= X && X < ClipRect.Right && ClipRect.Top <= Y && Y < ClipRect.Bottom;
}

int32_t TViewPort::ViewToImageX(int32_t X) const {
  if (!Zoom || Width == 0) return 0;
  const TRect& R = Zoom->Rect;
  return ToCoord(R.Left + double(R.Right - R.Left) * (X - Left) / Width);
}

int32_t TViewPort::ViewToImageY(int32_t Y) const {
  if (!Zoom || Height == 0) return 0;
  const TRect& R = Zoom->Rect;
  return ToCoord(R.Top + double(R.Bottom - R.Top) * (Y - Top) / Height);
}

void TViewZoom::Reset() {
  Rect = {0, 0, 1, 1};
  Zoom = 1.0f;
}

void TViewZoom::Assign(const TViewZoom& Source) {
  Rect = Source.Rect;
  ImageWidth = Source.ImageWidth;
  ImageHeight = Source.ImageHeight;
  Fitted = Source.Fitted;
  Zoom = Source.Zoom;
}

bool TViewZoom::IsEmpty() const {
  return Rect.Right - Rect.Left < 1 || Rect.Bottom - Rect.Top < 1;
}

float TViewZoom::GetZoom() const {
  if (ImageWidth == 0) return 0.0f;
  return float(Rect.Right - Rect.Left) / float(ImageWidth);
}

TRect TViewZoom::GetImageOrigin() const {
  if (!ViewPort) return {0, 0, 10, 10};
  const double W = Rect.Right - Rect.Left;
  const double H = Rect.Bottom - Rect.Top;
  if (W == 0 || H == 0) return {0, 0, 10, 10};
  const double VW = ViewPort->Width;
  const double VH = ViewPort->Height;
  return {ToCoord(VW * (-Rect.Left / W)), ToCoord(VH * (-Rect.Top / H)),
          ToCoord(VW * ((ImageWidth - Rect.Left) / W)),
          ToCoord(VH * ((ImageHeight - Rect.Top) / H))};
}

void TViewZoom::Changed() {
  if (OnChange) OnChange(*this);
}

void TViewZoom::Fit(bool KeepAspect, bool Center) {
  if (!ViewPort) return;
  const int32_t cx = (Rect.Left + Rect.Right) / 2;
  const int32_t cy = (Rect.Top + Rect.Bottom) / 2;
  const int32_t VW = ViewPort->Width;
  const int32_t VH = ViewPort->Height;
  if (VW < 2 || VH < 2) {
    Fitted = true;
    Reset();
    return;
  }
  TRect& R = Rect;
  if (Fitted) {
    if (ImageWidth < 1 || ImageHeight < 1) {
      R = {0, 0, 2, 2};
    } else {
      R = {0, 0, ImageWidth, ImageHeight};
      const double rx = double(R.Right) / VW;
      const double ry = double(R.Bottom) / VH;
      if (rx > ry)
        R.Bottom = ToCoord(rx * R.Bottom / ry);
      else
        R.Right = ToCoord(ry * R.Right / rx);
    }
  } else if (Center) {
    const int32_t hx = RoundF(float(VW) * Zoom * 0.5f);
    const int32_t hy = RoundF(float(VH) * Zoom * 0.5f);
    R = {cx - hx, cy - hy, cx + hx, cy + hy};
  }
  if (KeepAspect) {
    if (R.Right == R.Left || R.Top == R.Bottom) Refit();
    const double rx = double(R.Right - R.Left) / VW;
    const double ry = double(R.Bottom - R.Top) / VH;
    const float f = float(ry / rx);
    if (rx > ry) {
      R.Top = cy + RoundF(float(R.Top - cy) / f);
      R.Bottom = cy + RoundF(float(R.Bottom - cy) / f);
    } else {
      R.Left = cx + RoundF(float(R.Left - cx) * f);
      R.Right = cx + RoundF(float(R.Right - cx) * f);
    }
  }
  // An image smaller than the view is centred in it.
  if (R.Bottom - R.Top > ImageHeight) {
    const int32_t H = R.Bottom - R.Top;
    R.Top = ImageHeight / 2 - H / 2;
    R.Bottom = R.Top + H;
  }
  if (R.Right - R.Left > ImageWidth) {
    const int32_t W = R.Right - R.Left;
    R.Left = ImageWidth / 2 - W / 2;
    R.Right = R.Left + W;
  }
  // A view off a larger image is pulled back onto it.
  if (ImageHeight < R.Bottom && R.Top > 0) {
    const int32_t D = std::min(R.Bottom - ImageHeight, R.Top);
    R.Top -= D;
    R.Bottom -= D;
  } else if (R.Bottom < ImageHeight && R.Top < 0) {
    const int32_t D = std::min(ImageHeight - R.Bottom, -R.Top);
    R.Top += D;
    R.Bottom += D;
  }
  if (ImageWidth < R.Right && R.Left > 0) {
    const int32_t D = std::min(R.Right - ImageWidth, R.Left);
    R.Left -= D;
    R.Right -= D;
  } else if (R.Right < ImageWidth && R.Left < 0) {
    const int32_t D = std::min(ImageWidth - R.Right, -R.Left);
    R.Left += D;
    R.Right += D;
  }
  Zoom = float(R.Right - R.Left) / float(VW);
}

void TViewZoom::Refit() {
  Fitted = true;
  if (!ViewPort) return;
  if (ImageWidth <= 0 || ImageHeight <= 0 || ViewPort->Width <= 0 || ViewPort->Height <= 0) {
    Reset();
    return;
  }
  Fit(true, false);
  Changed();
}

void TViewZoom::SetRect(TPoint TopLeft, TPoint BottomRight) {
  Fitted = false;
  Rect = {TopLeft.X, TopLeft.Y, BottomRight.X, BottomRight.Y};
  Fit(true, false);
  Changed();
}

void TViewZoom::ZoomBy(int32_t X, int32_t Y, float Factor) {
  // A factor that is no scale at all changes nothing.
  if (!(Factor > 0.0f) || !std::isfinite(Factor)) return;
  Fitted = false;
  if (X == -1) X = (Rect.Left + Rect.Right) / 2;
  if (Y == -1) Y = (Rect.Top + Rect.Bottom) / 2;
  // Each edge keeps its distance to (X, Y) divided by the factor.
  auto Edge = [Factor](int32_t E, int32_t C) {
    return ToCoord(double(C) + double(std::nearbyint(float(E - C) / Factor)));
  };
  Rect.Left = Edge(Rect.Left, X);
  Rect.Right = Edge(Rect.Right, X);
  Rect.Top = Edge(Rect.Top, Y);
  Rect.Bottom = Edge(Rect.Bottom, Y);
  if (ViewPort && ViewPort->Width != 0) Zoom = float(Rect.Right - Rect.Left) / float(ViewPort->Width);
  Changed();
}

void TViewZoom::Zoom100() {
  if (!ViewPort) return;
  Fitted = false;
  const int32_t cx = (Rect.Left + Rect.Right) / 2;
  const int32_t cy = (Rect.Top + Rect.Bottom) / 2;
  Rect.Left = cx - ViewPort->Width / 2;
  Rect.Top = cy - ViewPort->Height / 2;
  Rect.Right = Rect.Left + ViewPort->Width;
  Rect.Bottom = Rect.Top + ViewPort->Height;
  Changed();
}

void TViewZoom::Render() {
  if (!Rendered && OnRender) OnRender(*this);
}

}  // namespace kromel
