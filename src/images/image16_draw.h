// Drawing shared by the 16-bit image types (TImage64, TImage96): pixel
// mixes, shapes, lines, gradients, glyphs and compositing. Every read and
// write is clipped to the image, whatever the arguments. A given colour is
// written whole; a computed (mixed) colour writes the four words only, so a
// pixel's further fields keep their value.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include <vector>

#include "foundation/number_format.h"
#include "images/draw_clip.h"
#include "images/image16_ops.h"
#include "platform/canvas.h"
#include "platform/raw_bitmap.h"

namespace kromel::image16 {

// ---- pixel mixes ------------------------------------------------------------

// (P x (256 - W) + Q x W) / 256 per word; W is limited to 0..256.
template <class TPixel>
TPixel Blend(const TPixel& P, const TPixel& Q, int64_t W) {
  W = std::clamp<int64_t>(W, 0, 256);
  TPixel Out{};
  SetWords(Out, (P.R * (256 - W) + Q.R * W) / 256, (P.G * (256 - W) + Q.G * W) / 256,
           (P.B * (256 - W) + Q.B * W) / 256, (P.A * (256 - W) + Q.A * W) / 256);
  return Out;
}

// S composited over D by S's alpha (divided by 65536).
template <class TPixel>
TPixel BlendOver(const TPixel& D, const TPixel& S) {
  const int64_t A = S.A, N = 65535 - A;
  TPixel Out{};
  SetWords(Out, (D.R * N + S.R * A) >> 16, (D.G * N + S.G * A) >> 16, (D.B * N + S.B * A) >> 16,
           (D.A * N + A * A) >> 16);
  return Out;
}

// D multiplied by S, weighted by S's alpha.
template <class TPixel>
TPixel Multiply(const TPixel& D, const TPixel& S) {
  const int64_t A = S.A, N = 65535 - A;
  auto Mul = [&](int64_t DC, int64_t SC) { return (A * ((DC * SC) >> 16) + N * DC) >> 16; };
  TPixel Out{};
  SetWords(Out, Mul(D.R, S.R), Mul(D.G, S.G), Mul(D.B, S.B), Mul(D.A, A));
  return Out;
}

// ---- clipped pixel access ---------------------------------------------------

template <class TImage>
bool Inside(const TImage& I, int64_t X, int64_t Y) {
  return I.Pixels != nullptr && X >= 0 && Y >= 0 && X < I.Width && Y < I.Height;
}

template <class TImage>
typename TImage::TPixel* At(TImage& I, int64_t X, int64_t Y) {
  return Inside(I, X, Y) ? &I.Row(int32_t(Y))[X] : nullptr;
}

// The whole colour.
template <class TImage>
void Put(TImage& I, int64_t X, int64_t Y, const typename TImage::TPixel& C) {
  if (auto* P = At(I, X, Y)) *P = C;
}

// The four words of a computed colour.
template <class TImage>
void PutWords(TImage& I, int64_t X, int64_t Y, const typename TImage::TPixel& C) {
  if (auto* P = At(I, X, Y)) SetWords(*P, C.R, C.G, C.B, C.A);
}

template <class TImage>
void PutOver(TImage& I, int64_t X, int64_t Y, const typename TImage::TPixel& C) {
  if (auto* P = At(I, X, Y)) {
    const auto M = BlendOver(*P, C);
    SetWords(*P, M.R, M.G, M.B, M.A);
  }
}

// Columns X1..X2 of row Y, clipped.
template <class TImage, class TFn>
void Span(TImage& I, int64_t X1, int64_t X2, int64_t Y, TFn Fn) {
  if (!HasArea(I) || Y < 0 || Y >= I.Height) return;
  X1 = std::max<int64_t>(X1, 0);
  X2 = std::min<int64_t>(X2, int64_t(I.Width) - 1);
  for (int64_t X = X1; X <= X2; ++X) Fn(X, Y);
}

inline int64_t RoundedRoot(long double V) {
  return int64_t(std::nearbyint(std::sqrt(std::max(0.0L, V))));
}

inline int64_t Sq(int64_t V) { return V * V; }

// ---- shapes -----------------------------------------------------------------

template <class TImage>
void FillRect(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2,
              const typename TImage::TPixel& C) {
  for (int64_t Y = std::max<int64_t>(Y1, 0); Y <= std::min<int64_t>(Y2, int64_t(I.Height) - 1); ++Y)
    Span(I, X1, X2, Y, [&](int64_t X, int64_t Row) { Put(I, X, Row, C); });
}

// Columns X - s + 1 .. X + s - 1 of each row, s the rounded half chord.
template <class TImage>
void FillCircle(TImage& I, int64_t X, int64_t Y, int64_t Radius,
                const typename TImage::TPixel& C) {
  if (!HasArea(I)) return;
  int64_t Lo = -Radius, Hi = Radius;
  drawclip::ClipOffsets(Lo, Hi, Y, 1, I.Height);
  for (int64_t Dy = Lo; Dy <= Hi; ++Dy) {
    const int64_t S = RoundedRoot((long double)(Sq(Radius) - Sq(Dy)));
    Span(I, X - S + 1, X + S - 1, Y + Dy, [&](int64_t Col, int64_t Row) { Put(I, Col, Row, C); });
  }
}

// The disc of radius R; Fn(x, y, dx, dy) for each of its pixels.
template <class TImage, class TFn>
void Disc(TImage& I, int64_t X, int64_t Y, int64_t R, TFn Fn) {
  if (!HasArea(I)) return;
  int64_t Lo = -R, Hi = R;
  drawclip::ClipOffsets(Lo, Hi, Y, 1, I.Height);
  for (int64_t Dy = Lo; Dy <= Hi; ++Dy) {
    const int64_t S = RoundedRoot((long double)(Sq(R) - Sq(Dy)));
    for (int64_t Dx = std::max(-S, -X); Dx <= S && X + Dx < I.Width; ++Dx) Fn(X + Dx, Y + Dy, Dx, Dy);
  }
}

// A hemisphere profile: Centre in the middle, Rim at the edge.
template <class TImage>
void FillShadedDisc(TImage& I, int64_t X, int64_t Y, int64_t R, const typename TImage::TPixel& Rim,
                    const typename TImage::TPixel& Centre) {
  if (R < 1) return;
  Disc(I, X, Y, R, [&](int64_t Px, int64_t Py, int64_t Dx, int64_t Dy) {
    const long double H =
        std::sqrt(std::max(0.0L, (long double)Sq(R) - (long double)Sq(Dx) - (long double)Sq(Dy)));
    PutWords(I, Px, Py, Blend(Rim, Centre, int64_t(std::nearbyint(H / R * 256))));
  });
}

// Linear in the distance: Centre in the middle, Rim at the edge.
template <class TImage>
void FillRadialDisc(TImage& I, int64_t X, int64_t Y, int64_t R, const typename TImage::TPixel& Rim,
                    const typename TImage::TPixel& Centre) {
  if (R < 1) return;
  Disc(I, X, Y, R, [&](int64_t Px, int64_t Py, int64_t Dx, int64_t Dy) {
    const long double D = std::sqrt((long double)Sq(Dx) + (long double)Sq(Dy));
    PutWords(I, Px, Py, Blend(Centre, Rim, std::min<int64_t>(256, int64_t(std::nearbyint(D / R * 256)))));
  });
}

// Fn(k) in ascending order for the k in 0..R whose corner row Y1 + R - k or
// Y2 - R + k lies in the image.
template <class TImage, class TFn>
void ForCornerRows(const TImage& I, int64_t Y1, int64_t Y2, int64_t R, TFn Fn) {
  int64_t A1 = 0, B1 = R, A2 = 0, B2 = R;
  drawclip::ClipOffsets(A1, B1, Y1 + R, -1, I.Height);
  drawclip::ClipOffsets(A2, B2, Y2 - R, 1, I.Height);
  drawclip::ForUnion(A1, B1, A2, B2, Fn);
}

// Fn(d) in ascending order for the d in Lo..0 whose column X1 + R + d or
// X2 - R - d lies in the image.
template <class TImage, class TFn>
void ForCornerColumns(const TImage& I, int64_t X1, int64_t X2, int64_t R, int64_t Lo, TFn Fn) {
  int64_t A1 = Lo, B1 = 0, A2 = Lo, B2 = 0;
  drawclip::ClipOffsets(A1, B1, X1 + R, 1, I.Width);
  drawclip::ClipOffsets(A2, B2, X2 - R, -1, I.Width);
  drawclip::ForUnion(A1, B1, A2, B2, Fn);
}

// The pixels of RoundedRows in the image, row by row as sorted, merged
// column ranges {y, first, last}: two calls show the same pixels when their
// results are equal.
template <class TImage>
std::vector<int64_t> RoundedRowsShown(const TImage& I, int64_t X1, int64_t Y1, int64_t X2,
                                      int64_t Y2, int64_t R, int64_t MidFirst, int64_t MidLast) {
  std::vector<int64_t> Out;
  if (!HasArea(I) || R < 0) return Out;
  for (int64_t Y = 0; Y < I.Height; ++Y) {
    std::pair<int64_t, int64_t> Ranges[3];
    int N = 0;
    if (Y >= MidFirst && Y <= MidLast) Ranges[N++] = {X1, X2};
    for (const int64_t K : {Y1 + R - Y, Y - (Y2 - R)})
      if (K >= 0 && K <= R) {
        const int64_t S = RoundedRoot((long double)(Sq(R) - Sq(K)));
        Ranges[N++] = {X1 + R - S, X2 - R + S};
      }
    drawclip::AppendShownRow(Out, Y, Ranges, N, I.Width);
  }
  return Out;
}

// The rows of a rounded rectangle: the corner rows Y1 + R - i and Y2 - R + i
// from X1 + R - s to X2 - R + s, then rows MidFirst..MidLast from X1 to X2.
// Fn(x, y) for every pixel, clipped.
template <class TImage, class TFn>
void RoundedRows(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t R,
                 int64_t MidFirst, int64_t MidLast, TFn Fn) {
  if (!HasArea(I) || R < 0) return;
  ForCornerRows(I, Y1, Y2, R, [&](int64_t K) {
    const int64_t S = RoundedRoot((long double)(Sq(R) - Sq(K)));
    Span(I, X1 + R - S, X2 - R + S, Y1 + R - K, Fn);
    Span(I, X1 + R - S, X2 - R + S, Y2 - R + K, Fn);
  });
  for (int64_t Y = std::max<int64_t>(MidFirst, 0); Y <= std::min<int64_t>(MidLast, I.Height - 1); ++Y)
    Span(I, X1, X2, Y, Fn);
}

template <class TImage>
void RoundedFlat(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t R,
                 const typename TImage::TPixel& C) {
  RoundedRows(I, X1, Y1, X2, Y2, R, Y1 + R, Y2 - R, [&](int64_t X, int64_t Y) { Put(I, X, Y, C); });
}

// Top on row Y1 to Bottom on row Y2; Over composites instead of writing and
// paints the middle rows once.
template <class TImage>
void RoundedGradient(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t R,
                     const typename TImage::TPixel& Top, const typename TImage::TPixel& Bottom,
                     bool Over) {
  const int64_t Span = std::max<int64_t>(Y2 - Y1, 1);
  auto Colour = [&](int64_t Y) { return Blend(Top, Bottom, (Y - Y1) * 256 / Span); };
  RoundedRows(I, X1, Y1, X2, Y2, R, Y1 + R + (Over ? 1 : 0), Y2 - R - (Over ? 1 : 0),
              [&](int64_t X, int64_t Y) {
                if (Over)
                  PutOver(I, X, Y, Colour(Y));
                else
                  PutWords(I, X, Y, Colour(Y));
              });
}

// Rings from Outer to Inner, the colour moving fast toward Inner; no ring
// beyond half the shape's smaller side. Shown(x1, y1, x2, y2, r) tells the
// pixels Rounded would paint (RoundedRowsShown of what it draws).
template <class TImage, class TRounded, class TShown>
void RoundedSoftEdge(const TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t R,
                     const typename TImage::TPixel& Outer, const typename TImage::TPixel& Inner,
                     int64_t Steps, TRounded Rounded, TShown Shown) {
  if (!HasArea(I)) return;
  Steps = std::max<int64_t>(Steps, 1);
  const int64_t Half = std::max<int64_t>(std::min(X2 - X1, Y2 - Y1) / 2, 0);
  drawclip::PaintNestedRings(
      std::min(Steps, Half), 2 * (int64_t(I.Width) + I.Height) + 64,
      [&](int64_t K) { return Shown(X1 + K, Y1 + K, X2 - K, Y2 - K, R); },
      [&](int64_t K) {
        auto C = Blend(Outer, Inner, int64_t(std::nearbyint(std::pow(double(K) / double(Steps), 0.1) * 256)));
        Rounded(X1 + K, Y1 + K, X2 - K, Y2 - K, R, C);
      });
}

// Cushion shading from Rim at the edge to a flat Face; Over composites.
template <class TImage>
void RoundedEmbossed(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t R,
                     const typename TImage::TPixel& Rim, const typename TImage::TPixel& Face,
                     bool Over) {
  if (R < 1 || !HasArea(I)) return;
  auto Paint = [&](int64_t X, int64_t Y, int64_t U) {
    const auto C = Blend(Rim, Face, int64_t(std::nearbyint(256 * std::sqrt((long double)std::max<int64_t>(0, U)) / R)));
    if (Over)
      PutOver(I, X, Y, C);
    else
      PutWords(I, X, Y, C);
  };
  const int64_t FlatFirst = std::max<int64_t>(X1 + R, 0);
  const int64_t FlatLast = std::min<int64_t>(X2 - R, int64_t(I.Width) - 1);
  ForCornerRows(I, Y1, Y2, R, [&](int64_t Dy) {
    const int64_t C = RoundedRoot((long double)(Sq(R) - Sq(Dy)));
    ForCornerColumns(I, X1, X2, R, -C, [&](int64_t Dx) {
      const int64_t U = Sq(R) - Sq(Dx) - Sq(Dy);
      Paint(X1 + R + Dx, Y1 + R - Dy, U);
      Paint(X2 - R - Dx, Y1 + R - Dy, U);
      Paint(X1 + R + Dx, Y2 - R + Dy, U);
      Paint(X2 - R - Dx, Y2 - R + Dy, U);
    });
    for (int64_t X = FlatFirst; X <= FlatLast; ++X) {
      Paint(X, Y1 + R - Dy, Sq(R) - Sq(Dy));
      Paint(X, Y2 - R + Dy, Sq(R) - Sq(Dy));
    }
  });
  for (int64_t Y = std::max<int64_t>(Y1 + R, 0); Y <= std::min<int64_t>(Y2 - R, I.Height - 1); ++Y) {
    ForCornerColumns(I, X1, X2, R, -R, [&](int64_t Dx) {
      Paint(X1 + R + Dx, Y, Sq(R) - Sq(Dx));
      Paint(X2 - R - Dx, Y, Sq(R) - Sq(Dx));
    });
    Span(I, X1 + R, X2 - R, Y, [&](int64_t X, int64_t Row) {
      if (Over)
        PutOver(I, X, Row, Face);
      else
        Put(I, X, Row, Face);
    });
  }
}

// A one-pixel frame over the inclusive rectangle, clipped.
template <class TImage>
void DrawBevel(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2,
               const typename TImage::TPixel& C) {
  if (!HasArea(I)) return;
  for (int64_t Y = std::max<int64_t>(Y1, 0); Y <= std::min<int64_t>(Y2, I.Height - 1); ++Y) {
    Put(I, X1, Y, C);
    Put(I, X2, Y, C);
  }
  for (int64_t X = std::max<int64_t>(X1, 0); X <= std::min<int64_t>(X2, I.Width - 1); ++X) {
    Put(I, X, Y1, C);
    Put(I, X, Y2, C);
  }
}

// ---- lines and gradients ----------------------------------------------------

// The points of a line, both ends included, that may lie in the image;
// Fn(x, y, k, n) for each.
template <class TImage, class TFn>
void LinePoints(const TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, TFn Fn) {
  if (!HasArea(I)) return;
  const int64_t N = std::max(std::abs(X2 - X1), std::abs(Y2 - Y1));
  if (N == 0) {
    Fn(X1, Y1, 0, 0);
    return;
  }
  int64_t K0 = 0, K1 = N;
  drawclip::ClipLineSteps(X1, X2 - X1, N, I.Width, K0, K1);
  drawclip::ClipLineSteps(Y1, Y2 - Y1, N, I.Height, K0, K1);
  for (int64_t K = K0; K <= K1; ++K)
    Fn(drawclip::LineAt(X1, X2 - X1, K, N), drawclip::LineAt(Y1, Y2 - Y1, K, N), K, N);
}

template <class TImage>
void DrawLine(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2,
              const typename TImage::TPixel& C) {
  LinePoints(I, X1, Y1, X2, Y2, [&](int64_t X, int64_t Y, int64_t, int64_t) { Put(I, X, Y, C); });
}

template <class TPixel>
void AddRGB(TPixel& P, const TPixel& C) {
  P.R = uint16_t(std::min(int32_t(P.R) + C.R, 65535));
  P.G = uint16_t(std::min(int32_t(P.G) + C.G, 65535));
  P.B = uint16_t(std::min(int32_t(P.B) + C.B, 65535));
}

template <class TImage>
void DrawLineAdd(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2,
                 const typename TImage::TPixel& C) {
  LinePoints(I, X1, Y1, X2, Y2, [&](int64_t X, int64_t Y, int64_t, int64_t) {
    if (auto* P = At(I, X, Y)) AddRGB(*P, C);
  });
}

// False (nothing drawn) when the ends coincide.
template <class TImage>
bool DrawGradientLine(TImage& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2,
                      const typename TImage::TPixel& C1, const typename TImage::TPixel& C2) {
  if (X1 == X2 && Y1 == Y2) return false;
  LinePoints(I, X1, Y1, X2, Y2, [&](int64_t X, int64_t Y, int64_t K, int64_t N) {
    PutWords(I, X, Y, Blend(C1, C2, int64_t(std::nearbyint(double(K) / double(N) * 256))));
  });
  return true;
}

// Every pixel = Blend(C1, C2, round(Weight(x, y) x 256)), the weight a
// Single limited to 0..1 (NaN gives 0).
template <class TImage, class TWeight>
void FillByWeight(TImage& I, const typename TImage::TPixel& C1, const typename TImage::TPixel& C2,
                  TWeight Weight) {
  if (!HasArea(I)) return;
  for (int32_t Y = 0; Y < I.Height; ++Y) {
    auto* P = I.Row(Y);
    for (int32_t X = 0; X < I.Width; ++X) {
      float T = Weight(X, Y);
      T = T > 0 ? std::min(T, 1.0f) : 0.0f;
      const auto M = Blend(C1, C2, int64_t(std::nearbyint(T * 256.0f)));
      SetWords(P[X], M.R, M.G, M.B, M.A);
    }
  }
}

// False (image unchanged) when the two points coincide.
template <class TImage>
bool DrawGradient(TImage& I, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                  const typename TImage::TPixel& C1, const typename TImage::TPixel& C2) {
  const float Dx = float(int64_t(X2) - X1), Dy = float(int64_t(Y2) - Y1);
  const float L = std::sqrt(Dx * Dx + Dy * Dy);
  if (!(L * L > 0)) return false;
  FillByWeight(I, C1, C2, [&](int32_t X, int32_t Y) {
    return (float(int64_t(Y) - Y1) * Dy + float(int64_t(X) - X1) * Dx) / (L * L);
  });
  return true;
}

// C1 at (X, Y), C2 on and beyond the ellipse; radii below 1 count as 1.
template <class TImage>
void DrawGradientRadial(TImage& I, int32_t X, int32_t Y, int32_t RX, int32_t RY,
                        const typename TImage::TPixel& C1, const typename TImage::TPixel& C2) {
  const float FX = float(std::max(RX, 1)), FY = float(std::max(RY, 1));
  FillByWeight(I, C1, C2, [&](int32_t Px, int32_t Py) {
    const float Dx = float(int64_t(Px) - X), Dy = float(int64_t(Py) - Y);
    return std::sqrt(Dy * Dy / FY / FY + Dx * Dx / FX / FX);
  });
}

// C2 on the edge, C1 from Border pixels inward; Border below 1 counts as 1.
template <class TImage>
void DrawGradientBorder(TImage& I, int32_t Border, const typename TImage::TPixel& C1,
                        const typename TImage::TPixel& C2) {
  const double B = std::max(Border, 1);
  FillByWeight(I, C2, C1, [&](int32_t X, int32_t Y) {
    const float D = std::min({float(X / B), float((I.Width - X - 1) / B), float(Y / B),
                              float((I.Height - Y - 1) / B)});
    return std::sqrt(std::clamp(D, 0.0f, 1.0f));
  });
}

// ---- mask bitmaps and glyphs ------------------------------------------------

// The mask centred on (X, Y) (moved, not cut, at the top and left): black
// mask pixels take Dark, others Light; a colour of alpha 0 is not painted.
template <class TImage>
void DrawMaskBitmap(TImage& I, int32_t X, int32_t Y, TRawBitmap& Mask,
                    const typename TImage::TPixel& Dark, const typename TImage::TPixel& Light) {
  const int64_t Left = std::max<int64_t>(int64_t(X) - Mask.Width() / 2, 0);
  const int64_t Top = std::max<int64_t>(int64_t(Y) - Mask.Height() / 2, 0);
  TCanvas Canvas(Mask);
  for (int32_t R = 0; R < Mask.Height(); ++R)
    for (int32_t C = 0; C < Mask.Width(); ++C) {
      const auto& Colour = Canvas.Pixel(C, R) == 0 ? Dark : Light;
      if (Colour.A > 0) Put(I, Left + C, Top + R, Colour);
    }
}

// One bit per pixel, BytesPerRow x 8 pixels a row at X + 1 .. X + 8 x N.
template <class TImage>
void DrawHexBitmap(TImage& I, int32_t X, int32_t Y, int32_t BytesPerRow, std::string Text,
                   typename TImage::TPixel C) {
  if (BytesPerRow < 1 || BytesPerRow > 7) return;
  if (!Text.empty() && Text[0] == '#') Text.erase(0, 1);
  C.A = 65535;
  const int64_t Digits = 2 * int64_t(BytesPerRow);
  for (int64_t R = 0; R < int64_t(Text.size()) / Digits; ++R) {
    uint64_t V = uint64_t(HexToInt(Text.substr(size_t(R * Digits), size_t(Digits))));
    for (int64_t K = 0; K < 8 * BytesPerRow; ++K, V >>= 1)
      if (V & 1) Put(I, int64_t(X) + 8 * BytesPerRow - K, Y + R, C);
  }
}

// Two bits of coverage per pixel, Width pixels a row centred on X. Paint(p,
// k) writes a covered pixel.
template <class TImage, class TPaint>
void DrawHexGlyph(TImage& I, int32_t X, int32_t Y, int32_t Width, std::string Text, TPaint Paint) {
  if (Width < 4) return;
  for (int K = 0; K < 3 && !Text.empty() && Text[0] == '#'; ++K) Text.erase(0, 1);
  std::erase(Text, ' ');
  const int64_t L = int64_t(Text.size());
  const int64_t Rows = (L - 1) / (Width / 4) - 1;
  for (int64_t R = 0; R <= Rows; ++R) {
    const size_t From = size_t(int64_t(Width) * R / 2);
    if (From >= Text.size()) break;
    std::string Row = Text.substr(From, size_t(Width / 2));
    uint32_t Byte = 0;
    for (int32_t C = 0; C < Width; ++C) {
      if (C % 4 == 0) {
        Byte = 0;
        if (Row.size() >= 2) {
          Byte = uint32_t(HexToInt(Row.substr(0, 2)));
          Row.erase(0, 2);
        }
      }
      const uint32_t K = (Byte >> 6) & 3;
      Byte <<= 2;
      if (K > 0)
        if (auto* P = At(I, int64_t(X) - Width / 2 + C, int64_t(Y) + R)) Paint(*P, K);
    }
  }
}

// ---- compositing ------------------------------------------------------------

// Fn(destination, source) for every Src pixel that lands inside the image
// when Src's top-left corner is at (X, Y).
template <class TImage, class TFn>
void Composite(TImage& I, int32_t X, int32_t Y, const TImage& Src, TFn Fn) {
  if (!HasArea(I) || !HasArea(Src)) return;
  const int64_t R0 = std::max<int64_t>(0, -int64_t(Y)), C0 = std::max<int64_t>(0, -int64_t(X));
  const int64_t R1 = std::min<int64_t>(Src.Height, int64_t(I.Height) - Y);
  const int64_t C1 = std::min<int64_t>(Src.Width, int64_t(I.Width) - X);
  for (int64_t R = R0; R < R1; ++R) {
    const auto* S = Src.Row(int32_t(R));
    auto* D = I.Row(int32_t(R + Y)) + X;
    for (int64_t C = C0; C < C1; ++C) Fn(D[C], S[C]);
  }
}

template <class TImage>
void DrawImageMax(TImage& I, int32_t X, int32_t Y, const TImage& Src) {
  Composite(I, X, Y, Src, [](auto& D, const auto& S) {
    SetWords(D, std::max(D.R, S.R), std::max(D.G, S.G), std::max(D.B, S.B), std::max(D.A, S.A));
  });
}

template <class TImage>
void DrawImageMin(TImage& I, int32_t X, int32_t Y, const TImage& Src) {
  Composite(I, X, Y, Src, [](auto& D, const auto& S) {
    SetWords(D, std::min(D.R, S.R), std::min(D.G, S.G), std::min(D.B, S.B), std::min(D.A, S.A));
  });
}

// Sums wrap around at 65536.
template <class TImage>
void DrawImageAdd(TImage& I, int32_t X, int32_t Y, const TImage& Src) {
  Composite(I, X, Y, Src, [](auto& D, const auto& S) {
    SetWords(D, (D.R + S.R) & 0xFFFF, (D.G + S.G) & 0xFFFF, (D.B + S.B) & 0xFFFF,
             (D.A + S.A) & 0xFFFF);
  });
}

template <class TImage>
void DrawImageBlended(TImage& I, int32_t X, int32_t Y, const TImage& Src) {
  Composite(I, X, Y, Src, [](auto& D, const auto& S) {
    if (S.A == 0) return;
    const auto M = BlendOver(D, S);
    SetWords(D, M.R, M.G, M.B, M.A);
  });
}

template <class TImage>
void DrawImageMultiplied(TImage& I, int32_t X, int32_t Y, const TImage& Src) {
  Composite(I, X, Y, Src, [](auto& D, const auto& S) {
    if (S.A == 0) return;
    const auto M = Multiply(D, S);
    SetWords(D, M.R, M.G, M.B, M.A);
  });
}

// Saturating R, G, B sums where Src's alpha is not 0.
template <class TImage>
void DrawImageBlendedAdd(TImage& I, int32_t X, int32_t Y, const TImage& Src) {
  Composite(I, X, Y, Src, [](auto& D, const auto& S) {
    if (S.A != 0) AddRGB(D, S);
  });
}

// Saturating alpha sums.
template <class TImage>
void DrawImageAddAlpha(TImage& I, int32_t X, int32_t Y, const TImage& Src) {
  Composite(I, X, Y, Src,
            [](auto& D, const auto& S) { D.A = uint16_t(std::min(int32_t(D.A) + S.A, 65535)); });
}

// Color into every black pixel with a 4-neighbour of non-zero red.
template <class TImage>
void DrawOutline(TImage& I, const typename TImage::TPixel& C) {
  if (!HasArea(I)) return;
  TImage Copy;
  Copy.Init();
  Copy.Copy(I);
  if (Copy.Pixels == nullptr) return;
  auto Red = [&](int64_t X, int64_t Y) { return Inside(Copy, X, Y) && Copy.Row(int32_t(Y))[X].R != 0; };
  for (int32_t X = 0; X < I.Width; ++X)
    for (int32_t Y = 0; Y < I.Height; ++Y) {
      auto& P = I.Row(Y)[X];
      if (P.R == 0 && P.G == 0 && P.B == 0 &&
          (Red(X - 1, Y) || Red(X + 1, Y) || Red(X, Y - 1) || Red(X, Y + 1)))
        P = C;
    }
  Copy.Dispose();
}

}  // namespace kromel::image16
