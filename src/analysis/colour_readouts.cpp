#include "analysis/colour_readouts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "colour/hsv_hsl.h"
#include "colour/log_gamma.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/number_format.h"

namespace kromel {

void TKromelDistributionCalculator::Invalidate() {
  ABDistributionStale = CLDistributionStale = CurvesHistogramsStale = true;
  Curves2DDistributionStale = MaskHistogramStale = SignalPathStale = true;
}

const char* PickerModeName(int32_t Mode) {
  static const char* const Names[PickerModeCount] = {
      "RGB 0..255", "RGB 0..100", "RGB Linear", "HSV", "HSL", "HSP",  "LAB", "Lch",
      "MAB",        "MXYe",       "SXYe",       "XYZ", "xyY", "YUV", "CMYK"};
  return Mode >= 0 && Mode < PickerModeCount ? Names[Mode] : "";
}

namespace {

constexpr double RadToDeg = 180 / 3.14159265358979323846;

// Rounded half to even; not-a-number reads 0 and huge values are held
// inside the integer range.
int32_t Rnd(double X) {
  if (!std::isfinite(X)) return 0;
  return int32_t(std::nearbyint(std::fmax(-2e9, std::fmin(2e9, X))));
}

std::string P3(double X) { return IntToStrPad3(Rnd(X)); }
std::string S3(double X) { return IntToStrSigned3(Rnd(X)); }

// Below 10 in magnitude with one decimal, else as a rounded integer.
std::string SmallD1OrP3(float X) { return std::fabs(X) < 10 ? FloatToStrD1(X) : P3(X); }
std::string SmallD1SOrS3(float X) { return std::fabs(X) < 10 ? FloatToStrD1Signed(X) : S3(X); }

using TComponents = std::array<float, 4>;

int32_t SwapRedBlue(int32_t Color) {
  const uint32_t C = uint32_t(Color);
  return int32_t(((C & 0xFF) << 16) | (C & 0xFF00) | ((C >> 16) & 0xFF));
}

// The values a mode writes, before formatting: bytes (0, 1), linear light
// (2), H in degrees, S, V (3), H, S, L and H, S, P in 0..1 (4, 5), L*x2.55,
// a*, b* (6), L*x2.55, C, h in degrees -180..180 (7), the model's own (8-10),
// XYZ, xyY (11, 12), Y, U, V (13), C, M, Y, K (14).
TComponents Components(int32_t Color, int32_t Mode, TCMSTransform Transform, float Gamma) {
  const uint32_t C = uint32_t(Color) & 0xFFFFFF;
  const float RB = float((C >> 16) & 255), GB = float((C >> 8) & 255), BB = float(C & 255);
  const float R = RB / 255, G = GB / 255, B = BB / 255;
  TComponents V{};
  switch (Mode) {
    case 0:
    case 1:
      V = {RB, GB, BB, 0};
      break;
    case 2:
      V = {ApplyGamma(R, Gamma), ApplyGamma(G, Gamma), ApplyGamma(B, Gamma), 0};
      break;
    case 3:
      RGBtoHSV(V[0], V[1], V[2], R, G, B);
      break;
    case 4:
      RGBtoHSL(V[0], V[1], V[2], R, G, B);
      break;
    case 5:
      RGBtoHSP3XYSingle(R, G, B, V[0], V[1], V[2]);
      break;
    case 6:
    case 7:
      RGBtoLABRecCMS(C, Transform, V[0], V[1], V[2]);
      if (Mode == 7) {
        const float A = V[1], Bv = V[2];
        V[1] = std::sqrt(A * A + Bv * Bv);
        V[2] = float(std::atan2(Bv, A) * RadToDeg);
      }
      break;
    case 8:
      RGBtoMABeSingle(R, G, B, V[0], V[1], V[2]);
      break;
    case 9:
      RGBtoMXYeSingle(R, G, B, V[0], V[1], V[2]);
      break;
    case 10:
      RGBtoSXYSingle(R, G, B, V[0], V[1], V[2]);
      break;
    case 11:
      RGBtoXYZCMS(C, Transform, V[0], V[1], V[2]);
      break;
    case 12:
      RGBtoxyYCMS(C, Transform, V[0], V[1], V[2]);
      break;
    case 13: {
      float W = 0;
      RGBtoYUVSingle(R, G, B, V[0], V[2], W);
      V[1] = -W;  // 225 U
      break;
    }
    case 14:
      RGBtoCMYKSingle(R, G, B, V[0], V[1], V[2], V[3]);
      break;
    default:
      break;
  }
  return V;
}

// Three parts "<Name[i]><Value[i]><Suffix>" joined by Separator.
std::string Join3(const char* const Names[3], const std::string Values[3], const char* Suffix,
                  const char* Separator) {
  std::string S;
  for (int I = 0; I < 3; ++I) {
    if (I > 0) S += Separator;
    S += Names[I] + Values[I] + Suffix;
  }
  return S;
}

std::string ComponentsText(const TComponents& V, int32_t Mode, bool Delta) {
  static const char* const RGB[3] = {"R: ", "G: ", "B: "};
  static const char* const RGBShort[3] = {"R:", "G:", "B:"};
  static const char* const Lin[3] = {"LR:", "LG:", "LB:"};
  static const char* const HSV[3] = {"H: ", "S: ", "V: "};
  static const char* const HSL[3] = {"H: ", "S: ", "L: "};
  static const char* const HSP[3] = {"H: ", "S: ", "P: "};
  static const char* const Lab[3] = {"L: ", "A: ", "B: "};
  static const char* const Lch[3] = {"L: ", "c: ", "h: "};
  static const char* const MAB[3] = {"M: ", "A: ", "B: "};
  static const char* const MXY[3] = {"M: ", "X: ", "Y: "};
  static const char* const SXY[3] = {"S: ", "X: ", "Y: "};
  static const char* const XYZ[3] = {"X: ", "Y: ", "Z: "};
  static const char* const XyY[3] = {"x: ", "y: ", "Y: "};
  static const char* const YUV[3] = {"Y: ", "U: ", "V: "};
  auto Int = [Delta](double X) { return Delta ? S3(X) : P3(X); };
  std::string T[3];
  switch (Mode) {
    case 0:
      for (int I = 0; I < 3; ++I) T[I] = Int(V[size_t(I)]);
      return Join3(RGB, T, "", "\t");
    case 1:
      for (int I = 0; I < 3; ++I) T[I] = Int(V[size_t(I)] / 2.55);
      return Join3(RGBShort, T, "%", "\t");
    case 2:
      for (int I = 0; I < 3; ++I)
        T[I] = Delta ? FloatToStrD2Signed(V[size_t(I)]) : FloatToStrD2(V[size_t(I)]);
      return Join3(Lin, T, "", "\t");
    case 3:
    case 4:
    case 5: {
      const float HueScale = Mode == 3 ? 1 : 360;
      T[0] = Int(HueScale * V[0]);
      T[1] = Int(100.0 * V[1]) + "%";
      T[2] = Int(100.0 * V[2]) + "%";
      return Join3(Mode == 3 ? HSV : Mode == 4 ? HSL : HSP, T, "", "\t");
    }
    case 6:
      T[0] = Delta ? S3(V[0] * 100.0 / 255) : FloatToStrD1(V[0] * 100 / 255);
      for (int I = 1; I < 3; ++I)
        T[I] = Delta ? SmallD1SOrS3(V[size_t(I)]) : SmallD1OrP3(V[size_t(I)]);
      return Join3(Lab, T, "", "\t");
    case 7:
      T[0] = Int(V[0] * 100.0 / 255);
      T[1] = Delta ? SmallD1SOrS3(V[1]) : (V[1] < 10 ? FloatToStrD1(V[1]) : P3(V[1]));
      T[2] = Delta ? FloatToStrD1Signed(V[2]) : FloatToStrD1(V[2]);
      return Join3(Lch, T, "", "\t");
    case 8:
    case 9:
    case 10:
      // The SXYe difference is written without a sign.
      for (int I = 0; I < 3; ++I) T[I] = Mode == 10 ? P3(V[size_t(I)]) : Int(V[size_t(I)]);
      return Join3(Mode == 8 ? MAB : Mode == 9 ? MXY : SXY, T, "", "\t");
    case 11:
    case 12:
      for (int I = 0; I < 3; ++I) T[I] = FloatToStrD2(V[size_t(I)]);
      return Join3(Mode == 11 ? XYZ : XyY, T, "", "\t");
    case 13:
      for (int I = 0; I < 3; ++I)
        T[I] = Delta ? FloatToStrD1Signed(V[size_t(I)]) : FloatToStrD1(V[size_t(I)]);
      return Join3(YUV, T, "", "\t");
    case 14: {
      auto Part = [&](double X) { return Delta ? S3(100 * X) : std::to_string(Rnd(100 * X)); };
      return "C: " + Part(V[0]) + "  M: " + Part(V[1]) + "  Y: " + Part(V[2]) + "  K: " +
             Part(V[3]);
    }
    default:
      return {};
  }
}

// X brought into -Half..Half by one turn.
float WrapHalfTurn(float X, float Half) {
  if (X > Half) return X - 2 * Half;
  if (X < -Half) return X + 2 * Half;
  return X;
}

}  // namespace

std::string ColorPickerText(int32_t Color, int32_t Mode, TCMSTransform Transform, float Gamma) {
  try {
    if (Mode < 0 || Mode >= PickerModeCount) return {};
    TComponents V = Components(Color, Mode, Transform, Gamma);
    if (Mode == 7 && V[2] < 0) V[2] += 360;
    return ComponentsText(V, Mode, false);
  } catch (const std::exception&) {
    return {};
  }
}

std::string ColorPickerTextBGR(int32_t Color, int32_t Mode, TCMSTransform Transform, float Gamma) {
  return ColorPickerText(SwapRedBlue(Color), Mode, Transform, Gamma);
}

std::string ColorPickerDeltaText(int32_t Color1, int32_t Color2, int32_t Mode,
                                 TCMSTransform Transform, float Gamma) {
  try {
    if (Mode < 0 || Mode >= PickerModeCount) return {};
    const TComponents A = Components(Color1, Mode, Transform, Gamma);
    const TComponents B = Components(Color2, Mode, Transform, Gamma);
    TComponents D{};
    for (size_t I = 0; I < 4; ++I) D[I] = A[I] - B[I];
    if (Mode == 3 || Mode == 7) D[Mode == 3 ? 0 : 2] = WrapHalfTurn(D[Mode == 3 ? 0 : 2], 180);
    if (Mode == 4) D[0] = WrapHalfTurn(360 * D[0], 180) / 360;
    if (Mode == 5) D[0] = WrapHalfTurn(D[0], 0.5f);
    return ComponentsText(D, Mode, true);
  } catch (const std::exception&) {
    return {};
  }
}

std::string ColorPickerDeltaTextBGR(int32_t Color1, int32_t Color2, int32_t Mode,
                                    TCMSTransform Transform, float Gamma) {
  return ColorPickerDeltaText(SwapRedBlue(Color1), SwapRedBlue(Color2), Mode, Transform, Gamma);
}

std::string ColorReadoutText(int32_t Color, int32_t Mode) {
  const uint32_t C = uint32_t(Color);
  const float R = float((C >> 16) & 255), G = float((C >> 8) & 255), B = float(C & 255);
  switch (Mode) {
    case 0:
      return "R: " + P3(R) + "  G: " + P3(G) + "  B: " + P3(B);
    case 1:
      return "R:" + P3(R / 2.55) + "%  G:" + P3(G / 2.55) + "%  B:" + P3(B / 2.55) + "%";
    case 3: {
      float H = 0, S = 0, V = 0;
      RGBtoHSV(H, S, V, R / 255, G / 255, B / 255);
      return "H: " + P3(H) + "  S: " + P3(100.0 * S) + "%  V: " + P3(100.0 * V) + "%";
    }
    case 5: {
      float H = 0, S = 0, P = 0;
      RGBtoHSP3XYSingle(R / 255, G / 255, B / 255, H, S, P);
      return "H: " + P3(360.0 * H) + "  S: " + P3(100.0 * S) + "%  P: " + P3(100.0 * P) + "%";
    }
    case 6: {
      float L = 0, A = 0, Bv = 0;
      RGBtoLABSingle(R / 255, G / 255, B / 255, L, A, Bv);
      return "L: " + P3(L) + "  A: " + P3(A) + "  B: " + P3(Bv);
    }
    default:
      return {};
  }
}

std::string ColorReadoutTextFloat(int32_t Mode, TCMSTransform Transform, float R, float G,
                                  float B, float Gamma) {
  try {
    switch (Mode) {
      case 0:
        return ComponentsText({255 * R, 255 * G, 255 * B, 0}, 0, false);
      case 1:
        return ComponentsText({255 * R, 255 * G, 255 * B, 0}, 1, false);
      case 2:
        return ComponentsText(
            {ApplyGamma(R, Gamma), ApplyGamma(G, Gamma), ApplyGamma(B, Gamma), 0}, 2, false);
      case 3:
      case 5:
      case 8:
      case 9:
      case 10: {
        TComponents V{};
        if (Mode == 3) RGBtoHSV(V[0], V[1], V[2], R, G, B);
        if (Mode == 5) RGBtoHSP3XYSingle(R, G, B, V[0], V[1], V[2]);
        if (Mode == 8) RGBtoMABeSingle(R, G, B, V[0], V[1], V[2]);
        if (Mode == 9) RGBtoMXYeSingle(R, G, B, V[0], V[1], V[2]);
        if (Mode == 10) RGBtoSXYSingle(R, G, B, V[0], V[1], V[2]);
        return ComponentsText(V, Mode, false);
      }
      case 6: {
        auto Byte = [](float X) { return uint32_t(std::clamp(Rnd(255.0 * X), 0, 255)); };
        const uint32_t Lab = RGBtoLABColorCMS((Byte(R) << 16) | (Byte(G) << 8) | Byte(B), Transform);
        const int32_t L = int32_t(Lab & 255), A = int32_t((Lab >> 8) & 255),
                      Bv = int32_t((Lab >> 16) & 255);
        return "L: " + P3(L * 100.0 / 255) + "\tA: " + IntToStrPad3(A - 128) +
               "\tB: " + IntToStrPad3(Bv - 128);
      }
      default:
        return {};
    }
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace kromel
