#include "analysis/scopes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "foundation/messages.h"
#include "foundation/numeric.h"
#include "images/image32_filters.h"
#include "platform/canvas.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

struct TGlyph {
  char Name;
  const char* Rows[5];
};

constexpr TGlyph Glyphs[] = {
    {'1', {"..#..", ".##..", "..#..", "..#..", ".##.."}},
    {'2', {"###..", "...#.", "###..", "#....", "####."}},
    {'4', {"..##.", ".#.#.", "#..#.", "####.", "...#."}},
    {'5', {".####", ".#...", ".###.", "....#", ".####"}},
    {'6', {"..###", ".#...", ".###.", ".#..#", ".####"}},
    {'8', {".##..", "#..#.", ".##..", "#..#.", ".##.."}},
    {'0', {".##..", "#..#.", "#..#.", "#..#.", ".##.."}},
    {'B', {"###..", "#..#.", "###..", "#..#.", "###.."}},
    {'C', {".##..", "#..#.", "#....", "#..#.", ".##.."}},
    {'G', {".##..", "#..#.", "#....", "#.##.", ".###."}},
    {'L', {".#...", ".#...", ".#...", ".#...", ".###."}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'R', {"###..", "#..#.", "###..", "#..#.", "#..#."}},
    {'X', {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'Y', {"#...#", ".#.#.", "..#..", "..#..", "..#.."}},
    {'%', {"#...#", "...#.", "..#..", ".#...", "#...#"}},
};

int32_t Rnd(double V) {
  return int32_t(std::clamp<int64_t>(RoundToInt64Saturated(V), INT32_MIN / 2, INT32_MAX / 2));
}

TVPixel32* PixelAt(TImage32& I, int64_t X, int64_t Y) {
  if (X < 0 || Y < 0 || X >= I.Width || Y >= I.Height) return nullptr;
  return I.Row(int32_t(Y)) + X;
}

uint8_t& ByteOf(TVPixel32& P, int32_t Channel) { return reinterpret_cast<uint8_t*>(&P)[Channel]; }

// Halves each byte and adds 0x40.
void Darken(TImage32& I, int64_t X, int64_t Y) {
  if (TVPixel32* P = PixelAt(I, X, Y)) P->Value = ((P->Value & 0xFEFEFE) >> 1) + 0x404040;
}

// Channels as bytes: 0 blue, 1 green, 2 red.
constexpr int32_t ChRed = 2, ChGreen = 1, ChBlue = 0;

// Per channel: with m the largest value (at least 16), every nonzero v
// becomes v * 191 / m + 63.
void RescaleTraces(TImage32& T) {
  for (int32_t C : {ChRed, ChGreen, ChBlue}) {
    int32_t M = 16;
    for (int32_t I = 0; I < T.Size; ++I) M = std::max<int32_t>(M, ByteOf(T.Pixels[I], C));
    for (int32_t I = 0; I < T.Size; ++I) {
      uint8_t& V = ByteOf(T.Pixels[I], C);
      if (V != 0) V = uint8_t(V * 191 / M + 63);
    }
  }
}

void AddTrace(TImage32& T, int64_t X, int64_t Y, int32_t Channel) {
  if (TVPixel32* P = PixelAt(T, X, Y)) {
    uint8_t& V = ByteOf(*P, Channel);
    if (V < 250) V = uint8_t(V + 2);
  }
}

// Shared body of the two waveforms; Parade puts each channel in its third.
void Waveform(const TImage32& Source, TImage32& Target, bool WithScale, bool Parade) {
  if (!HasArea(Target)) return;
  try {
    const int32_t W = Target.Width, H = Target.Height;
    const bool Double = !Parade && H >= 256;
    const int32_t PlotW = WithScale ? W - 26 : W;
    const int32_t X0 = W - PlotW;
    const int64_t HH = H - 4;
    Target.Clear();
    if (WithScale) DrawWaveformScale(Target);
    if (HasArea(Source)) {
      const int64_t SW = Source.Width;
      for (int64_t SX = 0; SX < SW; ++SX) {
        const int64_t X = (int64_t(PlotW) - 1) * SX / SW + X0;
        const int64_t XR = (int64_t(PlotW) - 1) * SX / SW / 3 + X0;
        const int64_t Third = PlotW / 3;
        for (int32_t SY = 0; SY < Source.Height; ++SY) {
          const TBGRAPixel32& P = Source.Row(SY)[SX].BGRA;
          if (P.A <= 128) continue;
          const struct {
            int32_t Value, Channel;
            int64_t Column;
          } Traces[3] = {{P.R, ChRed, Parade ? XR : X},
                         {P.G, ChGreen, Parade ? XR + Third : X},
                         {P.B, ChBlue, Parade ? XR + 2 * Third : X}};
          for (const auto& Tr : Traces) {
            const int64_t Y = HH * (255 - Tr.Value) / 255;
            AddTrace(Target, Tr.Column, Y, Tr.Channel);
            if (Double) AddTrace(Target, Tr.Column, Y + 1, Tr.Channel);
          }
        }
      }
    }
    RescaleTraces(Target);
  } catch (...) {
    DebugShowMessage("Exception in BuildWaveform");
  }
}

// Reads one source pixel on the 8-bit scale.
struct TScopeSample {
  double R, G, B;
  bool Visible;
  uint8_t R8, G8, B8;
};

TScopeSample SampleOf(const TVPixel32& V) {
  const TBGRAPixel32& P = V.BGRA;
  return {double(P.R), double(P.G), double(P.B), P.A > 128, P.R, P.G, P.B};
}
TScopeSample SampleOf(const TPixel64& P) {
  return {P.R / 257.0, P.G / 257.0, P.B / 257.0, P.A > 128 * 257, uint8_t(P.R >> 8),
          uint8_t(P.G >> 8), uint8_t(P.B >> 8)};
}

constexpr char CornerLetters[8] = {' ', 'R', 'G', 'Y', 'B', 'M', 'C', ' '};

TVideoYUV CornerYUV(int32_t K, bool EqualWeights) {
  return VideoYUV(255.0 * (K & 1), 255.0 * ((K >> 1) & 1), 255.0 * ((K >> 2) & 1), EqualWeights);
}

void ClassicGraticule(TImage32& T) {
  const int32_t W = T.Width, H = T.Height;
  for (int32_t I = 0; I < H; ++I) {
    const double A = double(I) / H * 2 * std::numbers::pi;
    const int64_t X = std::min<int64_t>(W - 1, Rnd((std::sin(A) * 0.495 + 0.5) * W));
    const int64_t Y = std::min<int64_t>(H - 1, Rnd((std::cos(A) * 0.495 + 0.5) * H));
    Darken(T, X, Y);
  }
  for (int32_t K = 1; K <= 6; ++K) {
    const TVideoYUV C = CornerYUV(K, false);
    const TPoint P = VectorscopePosition(C, W, H, 0, 1, 0);
    T.DrawRectangle(P.X - 4, P.Y - 4, P.X + 4, P.Y + 4, 0x505050);
    Image_DrawLetter(T, CornerLetters[K], P.X, P.Y, 0x808080);
  }
  T.DrawLine(W / 2, H / 2, W / 6, H / 7, 0x505050);
}

void CubeGraticule(TImage32& T, bool EqualWeights, double Angle) {
  const int32_t W = T.Width, H = T.Height;
  const double C = std::cos(Angle), S = std::sin(Angle);
  const int32_t CX = Rnd((C * 0.4 + 0.5) * W);
  T.DrawLine(CX - 2, 2, CX - 2, 7, 0xFFFFFF);
  T.DrawLine(CX + 2, 2, CX + 2, 7, 0xFFFFFF);
  T.DrawLine(CX - 1, 8, CX + 1, 8, 0xFFFFFF);
  const int32_t SX = Rnd((S * 0.4 + 0.5) * W);
  T.DrawLine(SX - 2, 2, SX, 8, 0xFFFFFF);
  T.DrawLine(SX + 2, 2, SX, 8, 0xFFFFFF);
  TPoint Corner[8];
  for (int32_t K = 0; K < 8; ++K) {
    const TVideoYUV V = CornerYUV(K, EqualWeights);
    Corner[K] = {Rnd(W * ((C * V.U + S * V.V) / 256 + 0.5)), Rnd((H - 1) * (255 - double(V.Y)) / 255)};
    if (K == 0 || K == 7) continue;
    const int32_t Depth = -Rnd(S * V.U - C * V.V);
    const TPoint& P = Corner[K];
    T.DrawRectangle(P.X - 4, P.Y - 4, P.X + 4, P.Y + 4, 0x505050);
    Image_DrawLetter(T, CornerLetters[K], P.X, P.Y, Depth > 0 ? 0xC0C0C0 : 0x808080);
  }
  // black 0, red 1, green 2, yellow 3, blue 4, magenta 5, cyan 6, white 7
  constexpr int32_t Edges[12][2] = {{0, 1}, {0, 2}, {0, 4}, {7, 3}, {7, 5}, {7, 6},
                                    {3, 1}, {3, 2}, {5, 1}, {5, 4}, {6, 2}, {6, 4}};
  for (const auto& E : Edges)
    T.DrawLineDashed(Corner[E[0]].X, Corner[E[0]].Y, Corner[E[1]].X, Corner[E[1]].Y, 0x404040);
}

template <class TImage>
void Vectorscope(const TImage& Source, TImage32& T, int32_t Mode, bool EqualWeights, double Gain,
                 double Angle) {
  if (!HasArea(T)) return;
  const int32_t W = T.Width, H = T.Height;
  TImage64 Acc;
  if (!Acc.Alloc(std::max(16, W), std::max(16, H))) return;
  Acc.Clear();
  if (HasArea(Source)) {
    for (int32_t SX = 0; SX < Source.Width; ++SX)
      for (int32_t SY = 0; SY < Source.Height; ++SY) {
        const TScopeSample S = SampleOf(Source.Row(SY)[SX]);
        if (!S.Visible) continue;
        const TPoint P =
            VectorscopePosition(VideoYUV(S.R, S.G, S.B, EqualWeights), W, H, Mode, Gain, Angle);
        TPixel64& Cell = Acc.Pixels[int64_t(std::clamp(P.Y, 0, H - 1)) * Acc.Width +
                                    std::clamp(P.X, 0, W - 1)];
        if (Cell.A >= 255) continue;
        Cell.R = uint16_t(Cell.R + S.R8);
        Cell.G = uint16_t(Cell.G + S.G8);
        Cell.B = uint16_t(Cell.B + S.B8);
        ++Cell.A;
      }
  }
  int32_t M = 16;
  for (int32_t I = 0; I < Acc.Size; ++I) M = std::max<int32_t>(M, Acc.Pixels[I].A);
  T.Clear();
  if (Mode == 0 && Gain == 2) {
    Image_DrawLetter(T, 'X', 3, 3, 0x808080);
    Image_DrawLetter(T, '2', 10, 3, 0x808080);
  }
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      const TPixel64& Cell = Acc.Pixels[int64_t(Y) * Acc.Width + X];
      const int32_t A = Cell.A;
      if (A == 0) continue;
      auto Level = [&](int32_t Sum) { return uint32_t(std::min(255, (A + 32) * Sum / A / M + 16)); };
      T.Row(Y)[X].Value = Level(Cell.R) << 16 | Level(Cell.G) << 8 | Level(Cell.B);
    }
  if (Mode == 0)
    ClassicGraticule(T);
  else
    CubeGraticule(T, EqualWeights, Angle);
  Acc.Dispose();
  for (int32_t X = 0; X < W; ++X) Darken(T, X, H / 2);
  for (int32_t Y = 0; Y < H; ++Y) Darken(T, W / 2, Y);
}

void ReportFillGradientSize(const TImage32& Ramp) {
  if (Ramp.Width != 256) PlatformShowMessage("FillGradient size error");
}

// Byte K of V.
int32_t B8(uint32_t V, int32_t K) { return int32_t((V >> (8 * K)) & 0xFF); }

}  // namespace

TVideoYUV VideoYUV(double R, double G, double B, bool EqualWeights) {
  const long double Rl = R, Gl = G, Bl = B;
  const long double Y = EqualWeights ? 0.28633046L * (Rl + Gl + Bl)
                                     : 0.299L * Rl + 0.587L * Gl + 0.114L * Bl;
  const long double U = 1.07L * (-0.148L * Rl - 0.291L * Gl + 0.439L * Bl);
  const long double V = 1.07L * (0.439L * Rl - 0.368L * Gl - 0.071L * Bl);
  return {float(Y), float(U), float(V)};
}

TPoint VectorscopePosition(const TVideoYUV& C, int32_t W, int32_t H, int32_t Mode, double Gain,
                           double Angle) {
  if (Mode == 0)
    return {Rnd((W - 1) * (C.U * Gain + 128) * (1.0 / 256)),
            Rnd((H - 1) * (128 - C.V * Gain) * (1.0 / 256))};
  return {Rnd((W - 1) * (C.U * std::cos(Angle) + C.V * std::sin(Angle) + 128) / 256),
          Rnd((H - 1) * (255 - double(C.Y)) / 255)};
}

void Image_DrawLetter(TImage32& Image, char Glyph, int32_t X, int32_t Y, uint32_t Colour) {
  if (!HasArea(Image)) return;
  const TGlyph* G = std::find_if(std::begin(Glyphs), std::end(Glyphs),
                                 [Glyph](const TGlyph& Gl) { return Gl.Name == Glyph; });
  if (G == std::end(Glyphs)) return;
  X = std::max(2, std::min(X, Image.Width - 2));
  Y = std::max(2, std::min(Y, Image.Height - 3));
  for (int32_t Dy = -2; Dy <= 2; ++Dy)
    for (int32_t Dx = -2; Dx <= 2; ++Dx)
      if (G->Rows[Dy + 2][Dx + 2] == '#')
        if (TVPixel32* P = PixelAt(Image, int64_t(X) + Dx, int64_t(Y) + Dy)) P->Value = Colour;
}

void DrawWaveformScale(TImage32& Image) {
  if (!HasArea(Image)) return;
  const int32_t W = Image.Width, H = Image.Height;
  const int64_t H1 = int64_t(H) - 4 - 1;
  const int64_t Rows[] = {H1,           0,            H1 * 959 / 1023, H1 * 83 / 1023,
                          H1 * 128 / 255, H1 * 80 / 100, H1 * 60 / 100, H1 * 40 / 100,
                          H1 * 20 / 100};
  for (const int64_t Y : Rows)
    for (int32_t K = 11; K <= W / 2 - 2; ++K)
      if (TVPixel32* P = PixelAt(Image, 2 * K, Y)) P->Value = 0x303030;
  constexpr uint32_t Ink = 0x305880;
  auto Label = [&](const char* Text, int32_t FirstX, int64_t Y) {
    for (int32_t I = 0; Text[I] != 0; ++I)
      Image_DrawLetter(Image, Text[I], FirstX + 6 * I, int32_t(Y), Ink);
  };
  const int64_t HH = int64_t(H) - 4;
  Label("100%", 0, 2);
  Label("0%", 12, H - 7);
  Label("LR", 12, H1 * 959 / 1023);
  Label("LR", 12, H1 * 83 / 1023);
  const struct {
    const char* Text;
    int32_t Percent;
  } Levels[] = {{"40%", 60}, {"50%", 50}, {"60%", 40}, {"80%", 20}, {"20%", 80}};
  for (const auto& L : Levels) Label(L.Text, 6, HH * L.Percent / 100);
}

void BuildWaveform(const TImage32& Source, TImage32& Target, bool WithScale) {
  Waveform(Source, Target, WithScale, false);
}

void BuildWaveformParade(const TImage32& Source, TImage32& Target, bool WithScale) {
  Waveform(Source, Target, WithScale, true);
}

void BuildVectorscope(const TImage32& Source, TImage32& Target, int32_t Mode, bool EqualWeights,
                      float Gain, float Angle) {
  try {
    Vectorscope(Source, Target, Mode, EqualWeights, Gain, Angle);
  } catch (...) {
    DebugShowMessage("Exception in BuildVectorscope");
  }
}

void BuildVectorscope64(const TImage64& Source, TImage32& Target, int32_t Mode,
                        bool EqualWeights, float Gain, float Angle) {
  try {
    Vectorscope(Source, Target, Mode, EqualWeights, Gain, Angle);
  } catch (...) {
    DebugShowMessage("Exception in BuildVectorscope64");
  }
}

void VectorscopeDrawMark(TRawBitmap& Bitmap, int32_t Mode, int32_t R, int32_t G, int32_t B,
                         TColor MarkColour, float Gain, float Angle) {
  try {
    const TPoint P = VectorscopePosition(VideoYUV(R, G, B, false), Bitmap.Width(),
                                           Bitmap.Height(), Mode, Gain, Angle);
    TCanvas Canvas(Bitmap);
    Canvas.Pen.Color = MarkColour;
    Canvas.MoveTo(P.X - 2, P.Y);
    Canvas.LineTo(P.X + 3, P.Y);
    Canvas.MoveTo(P.X, P.Y - 2);
    Canvas.LineTo(P.X, P.Y + 3);
  } catch (...) {
    DebugShowMessage("Exception in VectorscopeDrawMark");
  }
}

void BuildCurveImage(const TImage32& Ramp, TImage32& Target, bool Clear, bool Grid, int32_t Level,
                     uint32_t Colour) {
  if (!HasArea(Target)) return;
  try {
    const int32_t W = Target.Width, H = Target.Height;
    const int32_t CW = std::min(W, 256), X0 = (W - CW) / 2, CH = std::min(H - 2, 256);
    auto Put = [&](int64_t X, int64_t Y, uint32_t V) {
      if (TVPixel32* P = PixelAt(Target, X, Y)) P->Value = V;
    };
    if (Clear) {
      Target.Clear();
      if (Grid) {
        for (int32_t K = 1; K <= 3; ++K) {
          for (int32_t I = 0; I <= (CW - 1) / 4; ++I) Put(4 * I, K * CH / 4, 0x606060);
          for (int32_t J = 0; J <= (CH - 1) / 4; ++J) Put(K * CW / 4, 4 * J, 0x606060);
        }
        const int32_t M = std::min(254, std::max({B8(Colour, 0), B8(Colour, 1), B8(Colour, 2)}));
        for (int32_t J = 0; J <= (CH - 1) / 2; ++J) Put(M, 2 * J, 0xB0B0B0);
      }
    }
    if (!HasArea(Ramp)) return;
    const int64_t RW = Ramp.Width;
    for (int64_t I = 0; I < RW; ++I) {
      const int64_t X = (int64_t(CW) - 1) * I / RW + X0;
      const TVPixel32 S = Ramp.Pixels[I];
      for (int32_t C : {ChRed, ChGreen, ChBlue}) {
        const int32_t V = reinterpret_cast<const uint8_t*>(&S)[C];
        if (TVPixel32* P = PixelAt(Target, X, int64_t(CH) * (255 - V) / 255))
          ByteOf(*P, C) = uint8_t(Level);
      }
    }
  } catch (...) {
    DebugShowMessage("Exception in BuildCurveImage");
  }
}

void FillGradient(TImage32& Ramp, uint32_t Colour) {
  if (!HasArea(Ramp)) return;
  ReportFillGradientSize(Ramp);
  int32_t C[3] = {B8(Colour, 0), B8(Colour, 1), B8(Colour, 2)};
  const int32_t M = std::max({C[0], C[1], C[2]});
  for (int32_t& V : C) V = M == 0 ? 255 : V * 255 / M;
  const int64_t W1 = std::max(1, Ramp.Width - 1);
  for (int64_t I = 0; I < Ramp.Width; ++I) {
    const int64_t T = std::min(I, W1);
    Ramp.Pixels[I].Value = uint32_t(C[0] * T / W1) | uint32_t(C[1] * T / W1) << 8 |
                           uint32_t(C[2] * T / W1) << 16 | 0xFF000000u;
  }
}

void FillGradientTwoColors(TImage32& Ramp, uint32_t Colour) {
  if (!HasArea(Ramp)) return;
  ReportFillGradientSize(Ramp);
  const uint32_t C1 = BoostSaturation32(Colour);
  const uint32_t C2 = InvertAroundGray32(C1);
  const int64_t W1 = std::max(1, Ramp.Width - 1);
  for (int64_t I = 0; I < Ramp.Width; ++I) {
    const int64_t T = std::min(I, W1);
    uint32_t V = 0xFF000000u;
    for (int32_t K = 0; K < 3; ++K)
      V |= uint32_t(((W1 - T) * B8(C2, K) + T * B8(C1, K)) / W1) << (8 * K);
    Ramp.Pixels[I].Value = V;
  }
}

void BuildSortedColorStrip(const TImage32& Source, TImage32& Target, bool ByHue) {
  if (!HasArea(Target)) return;
  if (!HasArea(Source) || Source.Width < 2) {
    Target.Clear();
    return;
  }
  const int64_t SW = Source.Width;
  const int64_t A = SW - Source.MarginLeft - Source.MarginRight;
  const int64_t B = int64_t(Source.Height) - Source.MarginTop - Source.MarginBottom;
  if (A <= 0 || B <= 0 || Source.MarginLeft < 0 || Source.MarginTop < 0) return;
  const int64_t N = A * B;
  const int32_t W = Target.Width;
  std::vector<TVPixel32> Row(static_cast<size_t>(W));
  for (int64_t C = 0; C < W; ++C) {
    const int64_t K = (N - 1) * C / W;
    const int64_t Index = (K / A + Source.MarginTop) * SW + K % A + Source.MarginLeft;
    TVPixel32 S{};
    if (Index >= 0 && Index < Source.Size) S = Source.Pixels[Index];
    TVPixel32 T{};
    if (S.BGRA.A > 128) T = S;
    int32_t Key;
    if (ByHue) {
      const int32_t R = S.BGRA.R, G = S.BGRA.G, Bl = S.BGRA.B;
      const int32_t Mx = std::max({R, G, Bl}), D = Mx - std::min({R, G, Bl});
      if (D == 0)
        Key = 0;
      else if (Mx == R)
        Key = Rnd(43.0 * (G - Bl) / D);
      else if (Mx == G)
        Key = Rnd(43.0 * (Bl - R) / D + 85);
      else
        Key = Rnd(43.0 * (R - G) / D + 171);
      if (Key < 0) Key += 255;
    } else {
      Key = (3 * T.BGRA.R + 6 * T.BGRA.G + 2 * T.BGRA.B) / 11;
    }
    T.BGRA.A = uint8_t(Key);
    Row[size_t(C)] = T;
  }
  std::stable_sort(Row.begin(), Row.end(),
                   [](const TVPixel32& L, const TVPixel32& R) { return L.BGRA.A < R.BGRA.A; });
  for (int32_t Y = 0; Y < Target.Height; ++Y)
    std::memcpy(Target.Row(Y), Row.data(), sizeof(TVPixel32) * size_t(W));
}

}  // namespace kromel
