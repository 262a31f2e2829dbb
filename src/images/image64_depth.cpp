// TImage64 shapes that hide one another through the alpha word as depth.
#include <algorithm>
#include <cmath>

#include "images/draw_clip.h"
#include "images/image16_draw.h"
#include "images/image64.h"

namespace kromel {

namespace d = image16;

namespace {

// The disc span: Fn(x, y) for every pixel of the rows inside the image,
// columns X - half + 1 .. X + half - 1 clipped.
template <class TFn>
void DiscSpan(TImage64& I, int64_t X, int64_t Y, int64_t R, TFn Fn) {
  if (!d::HasArea(I) || R < 0) return;
  int64_t Lo = -R, Hi = R;
  drawclip::ClipOffsets(Lo, Hi, Y, 1, I.Height);
  for (int64_t Dy = Lo; Dy <= Hi; ++Dy) {
    const int64_t Half = d::RoundedRoot((long double)(d::Sq(R) - d::Sq(Dy)));
    d::Span(I, X - Half + 1, X + Half - 1, Y + Dy, Fn);
  }
}

// Start + (End - Start) x (T - T0) / max(1, T1 - T0), without overflow.
int64_t Lerp(int64_t Start, int64_t End, int64_t T, int64_t T0, int64_t T1) {
  return Start + int64_t(static_cast<__int128>(End - Start) * (T - T0) / std::max<int64_t>(1, T1 - T0));
}

TPixel64 LerpPixel(const TPixel64& A, const TPixel64& B, int64_t T, int64_t T0, int64_t T1) {
  return {uint16_t(Lerp(A.R, B.R, T, T0, T1)), uint16_t(Lerp(A.G, B.G, T, T0, T1)),
          uint16_t(Lerp(A.B, B.B, T, T0, T1)), uint16_t(Lerp(A.A, B.A, T, T0, T1))};
}

struct TCorner {
  int64_t X, Y;
  TPixel64 C;
};

}  // namespace

void TImage64::FillCircleDepth(int32_t X, int32_t Y, int32_t Radius, const TPixel64& Color) {
  DiscSpan(*this, X, Y, Radius, [&](int64_t Px, int64_t Py) {
    TPixel64& P = Row(int32_t(Py))[Px];
    if (P.A > Color.A) P = Color;
  });
}

void TImage64::DrawSphereDepth(int32_t X, int32_t Y, int32_t Radius, int32_t DepthScale,
                               int32_t Shine, const TPixel64& Color) {
  if (Radius < 1) return;
  const long double HX = int64_t(X) - Radius / 2, HY = int64_t(Y) - Radius / 2;
  DiscSpan(*this, X, Y, Radius, [&](int64_t Px, int64_t Py) {
    const float Dh = float(std::hypot(Px - HX, Py - HY) / Radius);
    const float Dc = float(std::hypot((long double)(Px - X), (long double)(Py - Y)) / Radius);
    const float F = 1 + (0.5f - Dh) * 0.1f;
    const float S = std::nearbyint((0.2f - Dh * 0.4f) * float(Shine));
    auto Shade = [&](uint16_t C) {
      return d::SaturateWord((1 - F) * float((uint32_t(C) * C) >> 16) + float(C) * F + S);
    };
    const uint16_t Depth = uint16_t(Color.A + int64_t(std::nearbyint(float(DepthScale) * Dh)));
    TPixel64& P = Row(int32_t(Py))[Px];
    if (P.A <= Depth) return;
    const uint16_t R = Shade(Color.R), G = Shade(Color.G), B = Shade(Color.B);
    if (Dc < 0.8f)
      P = {R, G, B, Depth};
    else
      P = {uint16_t((P.R >> 1) + (R >> 1)), uint16_t((P.G >> 1) + (G >> 1)),
           uint16_t((P.B >> 1) + (B >> 1)), uint16_t(int64_t(Depth) + DepthScale)};
  });
}

void TImage64::FillTriangleDepth(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t X3,
                                 int32_t Y3, const TPixel64& C1, const TPixel64& C2,
                                 const TPixel64& C3) {
  if (!d::HasArea(*this)) return;
  TCorner P[3] = {{X1, Y1, C1}, {X2, Y2, C2}, {X3, Y3, C3}};
  if (P[1].Y < P[0].Y) std::swap(P[0], P[1]);
  if (P[2].Y < P[1].Y) std::swap(P[1], P[2]);
  if (P[1].Y < P[0].Y) std::swap(P[0], P[1]);
  auto Fill = [&](int64_t Y, const TCorner& A0, const TCorner& A1, const TCorner& B0,
                  const TCorner& B1) {
    if (Y < 0 || Y >= Height) return;
    int64_t XA = Lerp(A0.X, A1.X, Y, A0.Y, A1.Y), XB = Lerp(B0.X, B1.X, Y, B0.Y, B1.Y);
    TPixel64 CA = LerpPixel(A0.C, A1.C, Y, A0.Y, A1.Y), CB = LerpPixel(B0.C, B1.C, Y, B0.Y, B1.Y);
    if (XA > XB) {
      std::swap(XA, XB);
      std::swap(CA, CB);
    }
    d::Span(*this, XA, XB, Y, [&](int64_t X, int64_t Row0) {
      const TPixel64 C = LerpPixel(CA, CB, X, XA, XB);
      TPixel64& Q = Row(int32_t(Row0))[X];
      if (Q.A > C.A) Q = C;
    });
  };
  const int64_t Top = std::max<int64_t>(P[0].Y, 0), Bottom = std::min<int64_t>(P[2].Y, Height - 1);
  for (int64_t Y = Top; Y <= std::min<int64_t>(P[1].Y, Bottom); ++Y) Fill(Y, P[0], P[1], P[0], P[2]);
  for (int64_t Y = std::max<int64_t>(P[1].Y, Top); Y <= Bottom; ++Y) Fill(Y, P[1], P[2], P[0], P[2]);
}

}  // namespace kromel
