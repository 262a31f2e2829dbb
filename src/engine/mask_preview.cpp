#include "engine/mask_preview.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "colour/hsp_models.h"
#include "colour/hsv_hsl.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/messages.h"

namespace kromel {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

uint8_t DimmedByte(float V) {
  const float C = std::isnan(V) ? 0.0f : std::clamp(std::nearbyint(V), 0.0f, 255.0f);
  return static_cast<uint8_t>(int32_t(C) / 2 + 64);
}

struct TScaleColor {
  float R = 0, G = 0, B = 0;  // 0..255
};

TScaleColor HSVColor(float Hue, float S, float V) {
  TScaleColor C;
  HSVtoRGB(C.R, C.G, C.B, Hue, S, V);
  return {255 * C.R, 255 * C.G, 255 * C.B};
}

TScaleColor ScaleColor(int32_t ScaleType, float t, float s, const TScaleColor& Ref,
                       float SinT, float CosT) {
  const float Up = 255 * t;
  const float Down = 255 - 255 * t;
  switch (ScaleType) {
    case 0: return {Up, 0, 0};
    case 1: return {0, Up, 0};
    case 2: return {0, 0, Up};
    case 3: return {Down, 255, 255};
    case 4: return {255, Down, 255};
    case 5: return {255, 255, Down};
    case 6: return {Down, Down, Down};
    case 9: return HSVColor(360 * t, 1, 1);
    case 10: return HSVColor(360 * s, t, t / 3 + 0.5f);
    case 11: return {Up, 128, Down};
    case 12:
    case 13:
    case 14:
    case 17: {
      const TScaleColor H = HSVColor(360 * s, t, t / 3 + 0.5f);
      return {(1 - t) * Ref.R + t * H.R, (1 - t) * Ref.G + t * H.G, (1 - t) * Ref.B + t * H.B};
    }
    case 15:
    case 16: {
      const float D = (2 * t - 1) * 128;
      const float X = D * (ScaleType == 15 ? SinT : CosT);
      const float Y = D * (ScaleType == 15 ? CosT : SinT);
      TScaleColor C;
      HSP2XYtoRGBSingle(60, X, Y, C.R, C.G, C.B);
      return {255 * C.R, 255 * C.G, 255 * C.B};
    }
    case 23: {
      const float F = t + 0.8333333333333334f;
      return HSVColor(360 * (F - std::floor(F)), 1, 1);
    }
    case 24: {
      TScaleColor C;
      LChtoRGBSingle(50, 100, t, C.R, C.G, C.B);
      return {255 * C.R, 255 * C.G, 255 * C.B};
    }
    default: return {Up, Up, Up};
  }
}

// The line drawing of the preview: steps = max(|dx|, |dy|) (at least 1),
// point i at start + (end - start) * i / steps, pixels outside skipped.
template <class TPaint>
void WalkLine(TImage32& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TPaint Paint) {
  const int64_t Steps = std::max<int64_t>(
      {std::llabs(int64_t(X2) - X1), std::llabs(int64_t(Y2) - Y1), 1});
  for (int64_t I = 0; I <= Steps; ++I) {
    const int64_t X = X1 + (int64_t(X2) - X1) * I / Steps;
    const int64_t Y = Y1 + (int64_t(Y2) - Y1) * I / Steps;
    if (X < 0 || Y < 0 || X >= Image.Width || Y >= Image.Height) continue;
    Paint(Image.Pixels[Y * Image.Width + X].Value);
  }
}

void DrawLine(TImage32& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Color,
              bool Solid) {
  if (Solid)
    WalkLine(Image, X1, Y1, X2, Y2, [Color](uint32_t& P) { P = Color; });
  else
    WalkLine(Image, X1, Y1, X2, Y2, [Color](uint32_t& P) {
      P = ((P >> 2) & 0x3F3F3F) * 3 + ((Color >> 2) & 0x3F3F3F);
    });
}

}  // namespace

void GenerateMaskScale(TRawBitmap& Bitmap, int32_t ScaleType, int32_t RefColor) {
  TImage32 Image;
  try {
    const int32_t W = Bitmap.Width();
    const int32_t H = Bitmap.Height();
    if (W < 1 || H < 1 || !Image.Alloc(W, H)) return;
    const uint32_t RC = static_cast<uint32_t>(RefColor);
    const TScaleColor Ref{float(RC & 0xFF), float((RC >> 8) & 0xFF), float((RC >> 16) & 0xFF)};
    float SinT = 0, CosT = 1;
    if (ScaleType == 15 || ScaleType == 16) {
      float P, X, Y;
      RGBtoHSPeXYSingle(Ref.R / 255, Ref.G / 255, Ref.B / 255, P, X, Y);
      const float Len = std::sqrt(X * X + Y * Y);
      if (Len > 0) {
        SinT = X / Len;
        CosT = Y / Len;
      }
    }
    for (int32_t y = 0; y < H; ++y) {
      const float s = H > 1 ? float(y) / float(H - 1) : 0.0f;
      for (int32_t x = 0; x < W; ++x) {
        const float t = W > 1 ? float(x) / float(W - 1) : 0.0f;
        const TScaleColor C = ScaleColor(ScaleType, t, s, Ref, SinT, CosT);
        TBGRAPixel32& P = Image.Row(y)[x].BGRA;
        P.R = DimmedByte(C.R);
        P.G = DimmedByte(C.G);
        P.B = DimmedByte(C.B);
        P.A = 0;
      }
    }
    Image.CopyTo(Bitmap);
  } catch (...) {
    DebugShowMessage("Exception in GenerateMaskScale");
  }
  Image.Dispose();
}

void Draw3DLUTHSLMask(TImage32& Image, const T3DLut& MaskLUT, float Rotation,
                     float Tilt) {
  int64_t LastY = 0;
  try {
    const int32_t W = Image.Width;
    const int32_t H = Image.Height;
    if (Image.Pixels == nullptr || W < 1 || H < 1) return;
    const float KT = std::isnan(Tilt) ? 0.0f : std::clamp(std::nearbyint(40 * Tilt), 2.0f, 80.0f);
    const int32_t k = int32_t(KT);
    // The grey ramp 0 (top) .. 64 (bottom), alpha 255.
    for (int32_t y = 0; y < H; ++y) {
      const uint32_t Grey = H > 1 ? uint32_t(y * 64 / (H - 1)) : 0;
      const uint32_t V = 0xFF000000u | Grey << 16 | Grey << 8 | Grey;
      std::fill(Image.Row(y), Image.Row(y) + W, TVPixel32{.Value = V});
    }
    const int32_t NH = MaskLUT.NLRH, NS = MaskLUT.NLGS, NL = MaskLUT.NLBL;
    if (NH <= 1 || NS <= 1 || NL <= 1 || MaskLUT.R == nullptr ||
        int64_t(NH) * NS * NL > MaskLUT.Count)
      return;
    const float* M = MaskLUT.R;
    auto At = [&](int32_t h, int32_t s, int32_t l) { return M[h + NH * (s + NS * l)]; };

    const int32_t Span = (100 - k) * H / 100 - 1;
    const int32_t Base = H * (100 - k / 2) / 100;
    const int32_t CX = W / 2;
    const double RX = W / 2 - 1;
    const double RY = H * k / 200 - 2;
    const int32_t Seg = Span / (NL - 1) + 1;
    double Rot = std::isfinite(Rotation) ? Rotation : 0.0;
    while (Rot < 0) Rot += 10 * TwoPi;
    if (Rot > TwoPi) Rot = std::fmod(Rot, TwoPi);
    const int32_t Start = int32_t(std::nearbyint((1.25 - Rot / TwoPi) * NH));
    auto Point = [&](int32_t h, int32_t s, int32_t l, int32_t& x, int32_t& y) {
      const double a = TwoPi * h / NH + Rot;
      const int32_t Y0 = Base - l * Span / (NL - 1);
      x = int32_t(std::nearbyint(std::sin(a) * RX * s / (NS - 1))) + CX;
      y = int32_t(std::nearbyint(std::cos(a) * RY * s / (NS - 1))) + Y0;
      LastY = y;
    };
    auto Node = [&](int32_t h, int32_t s, int32_t l) {
      const int32_t hi = h % NH;
      const float Mv = At(hi, s, l);
      const float Mout = s + 1 < NS ? At(hi, s + 1, l) : 0.0f;
      const float Mdown = l > 0 ? At(hi, s, l - 1) : 0.0f;
      const uint32_t Color =
          HSLToBGRAInt(hi * 255 / (NH - 1), s * 255 / (NS - 1), l * 255 / (NL - 1));
      int32_t x, y;
      Point(h, s, l, x, y);
      if ((Mv > 0.1f || Mout > 0.1f) && l < NL - 2) {
        DrawLine(Image, x, y, x, y, Color, true);
        DrawLine(Image, x, y, x, y - Seg, Color, Mv + Mout >= 1);
      }
      if (l < NL - 1 && s > 0 && (Mv > 0.1f || Mdown > 0.1f)) {
        int32_t x2, y2;
        Point(h, s - 1, l, x2, y2);
        DrawLine(Image, x, y, x2, y2, Color, Mv + Mdown >= 1);
      }
    };
    const int32_t First = Start + 10 * NH;
    const int32_t Half = NH / 2;
    for (int32_t l = 0; l < NL; ++l) {
      for (int32_t s = NS - 1; s >= 0; --s)
        for (int32_t h = First; h < First + Half; ++h) Node(h, s, l);
      for (int32_t s = 0; s < NS; ++s)
        for (int32_t h = First + Half; h < First + 2 * Half; ++h) Node(h, s, l);
    }
  } catch (...) {
    DebugShowMessage("Exception in Draw3DLUTHSLMask, Y=" + std::to_string(LastY));
  }
}

}  // namespace kromel
