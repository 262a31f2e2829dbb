#include "images/image32_display_mode.h"

#include <algorithm>

#include "foundation/error_sink.h"

namespace kromel {

namespace {

// Pixels both images hold; 0 when either is empty.
int64_t CommonPixels(const TImage32& Src, const TImage32& Dst) {
  if (Src.Pixels == nullptr || Dst.Pixels == nullptr) return 0;
  return std::max<int64_t>(0, std::min(Src.Size, Dst.Size));
}

// Every pixel of the picture; the margins around it (the view's background)
// are copied as they are.
template <class TFn>
void EachPixel(const TImage32& Src, TImage32& Dst, TFn Fn) {
  const int64_t Count = CommonPixels(Src, Dst);
  const bool Framed = Src.Width == Dst.Width && Src.Height == Dst.Height &&
                      int64_t(Src.Width) * Src.Height <= Count &&
                      (Src.MarginLeft > 0 || Src.MarginRight > 0 || Src.MarginTop > 0 ||
                       Src.MarginBottom > 0);
  if (!Framed) {
    for (int64_t i = 0; i < Count; ++i) {
      TBGRAPixel32 P = Src.Pixels[i].BGRA;
      Fn(P);
      Dst.Pixels[i].BGRA = P;
    }
    return;
  }
  const int32_t X0 = std::clamp(Src.MarginLeft, 0, Src.Width);
  const int32_t X1 = std::max(X0, Src.Width - std::clamp(Src.MarginRight, 0, Src.Width));
  const int32_t Y0 = std::clamp(Src.MarginTop, 0, Src.Height);
  const int32_t Y1 = std::max(Y0, Src.Height - std::clamp(Src.MarginBottom, 0, Src.Height));
  if (&Src != &Dst) std::copy(Src.Pixels, Src.Pixels + int64_t(Src.Width) * Src.Height, Dst.Pixels);
  for (int32_t y = Y0; y < Y1; ++y)
    for (int32_t x = X0; x < X1; ++x) {
      TBGRAPixel32 P = Src.Row(y)[x].BGRA;
      Fn(P);
      Dst.Row(y)[x].BGRA = P;
    }
}

// The first rule that matches: highlights (255) before shadows (0).
void ClipWarningPixel(TBGRAPixel32& P) {
  if (P.A == 0) return;
  const bool R1 = P.R == 255, G1 = P.G == 255, B1 = P.B == 255;
  const bool R0 = P.R == 0, G0 = P.G == 0, B0 = P.B == 0;
  auto Set = [&P](uint8_t R, uint8_t G, uint8_t B) {
    P.R = R;
    P.G = G;
    P.B = B;
  };
  if (R1 || G1 || B1) {
    Set(R1 ? 255 : 32, G1 ? 255 : 32, B1 ? 255 : 32);
    if (R1 && G1 && B1) Set(32, 32, 32);
  } else if (R0 || G0 || B0) {
    Set(R0 ? 128 : 0, G0 ? 128 : 0, B0 ? 128 : 0);
    if (R0 && G0 && B0) Set(128, 128, 128);
  }
}

// Ten zones of luma, lowest first: last index of the zone and its colour.
struct TZone {
  uint8_t Last;
  TFalseColor Color;
};
constexpr TZone Zones[10] = {
    {23, {50, 20, 48}},      {49, {0, 67, 106}},     {75, {6, 91, 122}},
    {101, {107, 107, 107}},  {127, {86, 156, 42}},   {153, {140, 140, 140}},
    {179, {242, 116, 104}},  {205, {203, 203, 203}}, {231, {255, 246, 22}},
    {255, {255, 0, 0}},
};

}  // namespace

TFalseColor FalseColorOf(uint8_t LumaIndex) {
  for (const TZone& Z : Zones)
    if (LumaIndex <= Z.Last) return Z.Color;
  return Zones[9].Color;
}

void ProcessImage32ClipWarning(const TImage32& Src, TImage32& Dst) {
  if (Src.Size != Dst.Size) {
    ErrorMessageProc("ProcessImage32ClipWarning error - sizes are different");
    return;
  }
  EachPixel(Src, Dst, ClipWarningPixel);
}

void ProcessImage32ShowChannel(const TImage32& Src, TImage32& Dst, int32_t Channel) {
  EachPixel(Src, Dst, [Channel](TBGRAPixel32& P) {
    auto Dim = [](uint8_t V) { return static_cast<uint8_t>(V - V / 16); };
    switch (Channel) {
      case 1: P.B = P.G = Dim(P.R); break;
      case 2: P.B = P.R = Dim(P.G); break;
      case 3: P.G = P.R = Dim(P.B); break;
      case 4: P.B = P.G = P.R = P.A; break;
      default: break;
    }
  });
}

void ProcessImage32Luminance(const TImage32& Src, TImage32& Dst) {
  EachPixel(Src, Dst, [](TBGRAPixel32& P) {
    const auto L = static_cast<uint8_t>((241 * P.R + 691 * P.G + 68 * P.B) / 1000);
    P.B = P.G = P.R = L;
  });
}

void ProcessImage32Extremes(const TImage32& Src, TImage32& Dst) {
  EachPixel(Src, Dst, [](TBGRAPixel32& P) {
    auto Stretch = [](uint8_t V) -> uint8_t {
      if (V < 16) return static_cast<uint8_t>(8 * V);
      if (V > 239) return static_cast<uint8_t>(8 * (V - 239) + 127);
      return 128;
    };
    P.B = Stretch(P.B);
    P.G = Stretch(P.G);
    P.R = Stretch(P.R);
  });
}

void ProcessImage32MaxChannel(const TImage32& Src, TImage32& Dst) {
  EachPixel(Src, Dst, [](TBGRAPixel32& P) { P.B = P.G = P.R = P.A = std::max({P.R, P.G, P.B}); });
}

void ProcessImage32FalseColor(const TImage32& Src, TImage32& Dst) {
  EachPixel(Src, Dst, [](TBGRAPixel32& P) {
    const TFalseColor C = FalseColorOf(static_cast<uint8_t>((76 * P.R + 150 * P.G + 30 * P.B) >> 8));
    P = {C.B, C.G, C.R, 255};
  });
}

void ProcessImage32DisplayMode(TImage32& Image, uint8_t Mode) {
  switch (Mode) {
    case dmClipWarning: ProcessImage32ClipWarning(Image, Image); break;
    case dmRed: ProcessImage32ShowChannel(Image, Image, 1); break;
    case dmGreen: ProcessImage32ShowChannel(Image, Image, 2); break;
    case dmBlue: ProcessImage32ShowChannel(Image, Image, 3); break;
    case dmAlpha: ProcessImage32ShowChannel(Image, Image, 4); break;
    case dmLuminance: ProcessImage32Luminance(Image, Image); break;
    case dmExtremes: ProcessImage32Extremes(Image, Image); break;
    case dmMaxChannel: ProcessImage32MaxChannel(Image, Image); break;
    case dmFalseColor: ProcessImage32FalseColor(Image, Image); break;
    default: break;
  }
}

}  // namespace kromel
