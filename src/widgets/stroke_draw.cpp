#include "widgets/stroke_draw.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "widgets/draw_helpers.h"

namespace kromel {

uint32_t BGRAOf(TColor C) {
  return 0xFF000000u | ((C & 0xFFu) << 16) | (C & 0xFF00u) | ((C >> 16) & 0xFFu);
}

namespace {

void Plot(TImage32& Image, int32_t X, int32_t Y, uint32_t V, TStrokeMode Mode) {
  if (X < 0 || Y < 0 || X >= Image.Width || Y >= Image.Height) return;
  uint32_t& P = Image.Row(Y)[X].Value;
  switch (Mode) {
    case TStrokeMode::Copy: P = V; break;
    case TStrokeMode::Mask: P = (P & V) | 0xFF000000u; break;
    case TStrokeMode::Merge: P = P | V; break;
  }
}

}  // namespace

void DrawStroke(TImage32& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t Width,
                TColor Color, TStrokeMode Mode) {
  if (Image.Pixels == nullptr) return;
  const uint32_t V = BGRAOf(Color);
  const int32_t W = std::max(Width, 1);
  // A square pen centred on the line; masks and merges touch each pixel once.
  const int32_t Lo = -(W - 1) / 2, Hi = W / 2;
  const int32_t DX = std::abs(X2 - X1), DY = -std::abs(Y2 - Y1);
  const int32_t SX = X1 < X2 ? 1 : -1, SY = Y1 < Y2 ? 1 : -1;
  const int32_t MinX = std::min(X1, X2) + Lo, MaxX = std::max(X1, X2) + Hi;
  const int32_t MinY = std::min(Y1, Y2) + Lo, MaxY = std::max(Y1, Y2) + Hi;
  const int32_t BW = MaxX - MinX + 1, BH = MaxY - MinY + 1;
  std::vector<uint8_t> Done(static_cast<size_t>(BW) * static_cast<size_t>(BH), 0);
  int32_t X = X1, Y = Y1, Err = DX + DY;
  for (;;) {
    for (int32_t OY = Lo; OY <= Hi; ++OY)
      for (int32_t OX = Lo; OX <= Hi; ++OX) {
        uint8_t& D = Done[static_cast<size_t>(Y + OY - MinY) * BW + (X + OX - MinX)];
        if (D) continue;
        D = 1;
        Plot(Image, X + OX, Y + OY, V, Mode);
      }
    if (X == X2 && Y == Y2) break;
    const int32_t E2 = 2 * Err;
    if (E2 >= DY) {
      Err += DY;
      X += SX;
    }
    if (E2 <= DX) {
      Err += DX;
      Y += SY;
    }
  }
}

void FillBox(TImage32& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, TColor Color) {
  FillRect32(Image, Left, Top, Right, Bottom, BGRAOf(Color));
}

void FrameBox(TImage32& Image, int32_t Left, int32_t Top, int32_t Right, int32_t Bottom, TColor Color) {
  if (Right <= Left || Bottom <= Top) return;
  FillBox(Image, Left, Top, Right, Top + 1, Color);
  FillBox(Image, Left, Bottom - 1, Right, Bottom, Color);
  FillBox(Image, Left, Top, Left + 1, Bottom, Color);
  FillBox(Image, Right - 1, Top, Right, Bottom, Color);
}

void FillTriangle(TImage32& Image, const TPoint (&P)[3], TColor Fill, TColor Outline) {
  const int32_t Y0 = std::max(std::min({P[0].Y, P[1].Y, P[2].Y}), 0);
  const int32_t Y1 = std::min(std::max({P[0].Y, P[1].Y, P[2].Y}), Image.Height - 1);
  const int32_t X0 = std::max(std::min({P[0].X, P[1].X, P[2].X}), 0);
  const int32_t X1 = std::min(std::max({P[0].X, P[1].X, P[2].X}), Image.Width - 1);
  auto Edge = [](const TPoint& A, const TPoint& B, int32_t X, int32_t Y) {
    return static_cast<int64_t>(B.X - A.X) * (Y - A.Y) - static_cast<int64_t>(B.Y - A.Y) * (X - A.X);
  };
  const uint32_t V = BGRAOf(Fill);
  for (int32_t Y = Y0; Y <= Y1; ++Y)
    for (int32_t X = X0; X <= X1; ++X) {
      const int64_t A = Edge(P[0], P[1], X, Y), B = Edge(P[1], P[2], X, Y), C = Edge(P[2], P[0], X, Y);
      if ((A >= 0 && B >= 0 && C >= 0) || (A <= 0 && B <= 0 && C <= 0)) Image.Row(Y)[X].Value = V;
    }
  for (int32_t I = 0; I < 3; ++I)
    DrawStroke(Image, P[I].X, P[I].Y, P[(I + 1) % 3].X, P[(I + 1) % 3].Y, 1, Outline);
}

void DrawImageBlended(TImage32& Image, const TImage32& Source, int32_t X0, int32_t Y0) {
  if (Image.Pixels == nullptr || Source.Pixels == nullptr) return;
  for (int32_t Y = 0; Y < Source.Height; ++Y)
    for (int32_t X = 0; X < Source.Width; ++X) {
      const int32_t DX = X0 + X, DY = Y0 + Y;
      if (DX < 0 || DY < 0 || DX >= Image.Width || DY >= Image.Height) continue;
      const TBGRAPixel32 S = Source.Row(Y)[X].BGRA;
      TBGRAPixel32& D = Image.Row(DY)[DX].BGRA;
      const int32_t A = S.A;
      D.B = static_cast<uint8_t>((S.B * A + D.B * (255 - A)) / 255);
      D.G = static_cast<uint8_t>((S.G * A + D.G * (255 - A)) / 255);
      D.R = static_cast<uint8_t>((S.R * A + D.R * (255 - A)) / 255);
    }
}

}  // namespace kromel
