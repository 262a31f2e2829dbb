#include "colour/hsp_models.h"

#include <algorithm>
#include <cmath>

#include "colour/gamut.h"
#include "colour/gamut_tables.h"
#include "colour/model_maths.h"

namespace kromel {

namespace {

using model_maths::FinalClamp;
using model_maths::Pi;
using model_maths::Sqr;
using model_maths::TDoubleMaths;
using model_maths::TSingleMaths;

constexpr double TwoPi = 2.0 * Pi;
constexpr double WR = 0.2126, WG = 0.7152, WB = 0.0722;

enum class THue { Linear, SquareRoot, Itten };

struct TForwardForm {
  THue Hue = THue::Linear;
  bool Extended = false;     // input clipping, strict red test, extended saturation
  bool Squared = false;      // saturation squared
  bool MovedOrigin = false;  // every hue constant raised by 1/6
  bool ExactGrey = false;    // a grey's lightness by the exact L* formula
  bool UnitLightness = false;
};

// Hue of linear channels that are not all equal. The first test that holds
// decides; Strict makes red read 0 instead of 1.
template <class T>
T SectorHue(T R, T G, T B, THue Form, bool Strict, bool Moved) {
  auto U = [Form](T Q) { return Form == THue::Linear ? Q : static_cast<T>(std::sqrt(Q)); };
  const bool Itten = Form == THue::Itten;
  const T One = Moved ? static_cast<T>(1.0 / 6) : static_cast<T>(1);
  const T Zero = Moved ? static_cast<T>(1.0 / 6) : static_cast<T>(0);
  const T Third = Moved ? static_cast<T>(0.5) : static_cast<T>(1.0 / 3);
  const T TwoThirds = Moved ? static_cast<T>(5.0 / 6) : static_cast<T>(2.0 / 3);
  if (R >= G && R >= B) {
    if (Strict ? B > G : B >= G) return One - U((B - G) / (R - G)) / 6;
    const T V = U((G - B) / (R - B));
    return Itten ? V / 3 : Zero + V / 6;
  }
  if (G >= R && G >= B) {
    if (R >= B) {
      const T V = U((R - B) / (G - B));
      return Itten ? static_cast<T>(0.5) - V / 6 : Third - V / 6;
    }
    const T V = U((B - R) / (G - R));
    return Itten ? static_cast<T>(0.5) + V / 12 : Third + V / 6;
  }
  if (G >= R) {
    const T V = U((G - R) / (B - R));
    return Itten ? static_cast<T>(2.0 / 3) - V / 12 : TwoThirds - V / 6;
  }
  const T V = U((R - G) / (B - G));
  return (Itten ? static_cast<T>(2.0 / 3) : TwoThirds) + V / 6;
}

template <class M>
void Forward(typename M::T R, typename M::T G, typename M::T B, const TForwardForm& F,
             typename M::T& H, typename M::T& S, typename M::T& P) {
  using T = typename M::T;
  M::Decode(R, G, B);
  if (F.Extended)
    for (T* C : {&R, &G, &B}) {
      if (*C > 1) *C = 1;
      if (*C < static_cast<T>(1e-8)) *C = 0;
    }
  const T Lum = static_cast<T>(WR) * R + static_cast<T>(WG) * G + static_cast<T>(WB) * B;
  if (R == G && G == B) {
    H = 0;
    S = 0;
    if (F.ExactGrey) {
      const double L = Lum;
      P = static_cast<T>(L <= 0.008856 ? 903.3 * L : 116.0 * std::cbrt(L) - 16.0);
    } else {
      P = F.UnitLightness ? M::LStar(Lum) : 100 * M::LStar(Lum);
    }
    return;
  }
  H = SectorHue<T>(R, G, B, F.Hue, F.Extended, F.MovedOrigin);
  const T Mx = std::max(R, std::max(G, B));
  const T Mn = std::min(R, std::min(G, B));
  if (F.Extended && Mx + Mn > 1)
    S = 1 - (1 - Mx) / (1 - Mn);
  else
    S = 1 - Mn / Mx;
  if (F.Squared) S = S * S;
  P = F.UnitLightness ? M::LStar(Lum) : 100 * M::LStar(Lum);
}

template <class M>
void ForwardXY(typename M::T R, typename M::T G, typename M::T B, const TForwardForm& F,
               typename M::T& P, typename M::T& X, typename M::T& Y) {
  using T = typename M::T;
  T H, S;
  Forward<M>(R, G, B, F, H, S, P);
  if (S == 0) {
    X = 0;
    Y = 0;
    return;
  }
  const double Phi = F.Hue == THue::Itten ? TwoPi * H - Pi / 6 : TwoPi * H + Pi / 4;
  X = static_cast<T>(100.0 * S * std::cos(Phi));
  Y = static_cast<T>(100.0 * S * std::sin(Phi));
}

// Solves for the linear triple of hue H, saturation S (plain or extended
// measure) and luminance Lum. Not clipped.
template <class T>
void Core(T H, T S, T Lum, THue Form, T& R, T& G, T& B) {
  int Max, Mid, Min;
  T Tm;
  const double D = H;
  if (Form == THue::Itten) {
    if (D < 1.0 / 3) {
      Max = 0, Mid = 1, Min = 2, Tm = Sqr(3 * H);
    } else if (D < 0.5) {
      Max = 1, Mid = 0, Min = 2, Tm = Sqr(6 * (static_cast<T>(0.5) - H));
    } else if (H < 0.5833333f) {
      Max = 1, Mid = 2, Min = 0, Tm = Sqr(12 * (H - static_cast<T>(0.5)));
    } else if (D < 2.0 / 3) {
      Max = 2, Mid = 1, Min = 0, Tm = Sqr(12 * (static_cast<T>(2.0 / 3) - H));
    } else if (D < 5.0 / 6) {
      Max = 2, Mid = 0, Min = 1, Tm = Sqr(6 * (H - static_cast<T>(2.0 / 3)));
    } else {
      Max = 0, Mid = 2, Min = 1, Tm = Sqr(6 * (1 - H));
    }
  } else {
    if (D < 1.0 / 6) {
      Max = 0, Mid = 1, Min = 2, Tm = 6 * H;
    } else if (D < 1.0 / 3) {
      Max = 1, Mid = 0, Min = 2, Tm = 6 * (static_cast<T>(1.0 / 3) - H);
    } else if (D < 0.5) {
      Max = 1, Mid = 2, Min = 0, Tm = 6 * (H - static_cast<T>(1.0 / 3));
    } else if (D < 2.0 / 3) {
      Max = 2, Mid = 1, Min = 0, Tm = 6 * (static_cast<T>(2.0 / 3) - H);
    } else if (D < 5.0 / 6) {
      Max = 2, Mid = 0, Min = 1, Tm = 6 * (H - static_cast<T>(2.0 / 3));
    } else {
      Max = 0, Mid = 2, Min = 1, Tm = 6 * (1 - H);
    }
    if (Form == THue::SquareRoot) Tm = Tm * Tm;
  }
  const T W[3] = {static_cast<T>(WR), static_cast<T>(WG), static_cast<T>(WB)};
  const T F = 1 - S;
  T C[3];
  if (F <= 0) {
    C[Max] = Lum / (W[Max] + Tm * W[Mid]);
    C[Mid] = C[Max] * Tm;
    C[Min] = 0;
  } else {
    C[Min] = Lum / (W[Max] / F + (Tm * (1 / F - 1) + 1) * W[Mid] + W[Min]);
    C[Max] = C[Min] / F;
    C[Mid] = C[Min] + Tm * (C[Max] - C[Min]);
  }
  R = C[0];
  G = C[1];
  B = C[2];
}

template <class T>
inline void WrapOnce(T& H) {
  if (H < 0) H += 1;
  if (H > 1) H -= 1;
}

// Core, clip to 0..1, encode.
template <class M>
void Solve(typename M::T H, typename M::T S, typename M::T Lum, THue Form, typename M::T& R,
           typename M::T& G, typename M::T& B) {
  Core(H, S, Lum, Form, R, G, B);
  FinalClamp(R, G, B);
  M::Encode(R, G, B);
}

template <class M>
void PolarInverse(typename M::T H, typename M::T S, typename M::T Lum, bool Squared, THue Form,
                  typename M::T& R, typename M::T& G, typename M::T& B) {
  WrapOnce(H);
  if (S < 0) S = 0;
  if (Squared) S = std::sqrt(S);
  Solve<M>(H, S, Lum, Form, R, G, B);
}

// Cartesian inverse of HSPn (plain) and HSP (squared), after any limit.
template <class M>
void HSPXYInverse(typename M::T P, typename M::T X, typename M::T Y, bool Squared, typename M::T& R,
                  typename M::T& G, typename M::T& B) {
  using T = typename M::T;
  const T Lum = M::LStarToLum(P);
  const T Xs = X / 100, Ys = Y / 100;
  T H = static_cast<T>((std::atan2(static_cast<double>(Ys), static_cast<double>(Xs)) - Pi / 4) /
                       TwoPi);
  WrapOnce(H);
  T S = std::sqrt(Xs * Xs + Ys * Ys);
  if (Squared) S = std::sqrt(S);
  Solve<M>(H, S, Lum, THue::Linear, R, G, B);
}

// Inverse of HSP3 and HSP Itten from the compass angle Bc (fraction of a
// turn, from +Y towards +X) and the radius C, after any limit.
template <class M>
void HSP3Inverse(typename M::T P, typename M::T Bc, typename M::T C, bool Itten, typename M::T& R,
                 typename M::T& G, typename M::T& B) {
  using T = typename M::T;
  T H = Itten ? 1 - Bc + static_cast<T>(1.0 / 12) + static_cast<T>(0.25)
              : 1 - Bc + static_cast<T>(0.125);
  C = C / 100;
  const T Lum = M::LStarToLum(P);
  WrapOnce(H);
  const T S = std::sqrt(std::max(C, static_cast<T>(0)));
  Solve<M>(H, S, Lum, Itten ? THue::Itten : THue::SquareRoot, R, G, B);
}

template <class T>
inline T CompassTurn(T X, T Y) {
  return static_cast<T>(std::atan2(static_cast<double>(X), static_cast<double>(Y)) / TwoPi);
}

// The two-pass solve of the extended models: the dark-half solution, and
// when LightPass the complement of the light-half one where it is valid.
void ExtendedSolve(float Lum, float H, float S, bool LightPass, bool EncodeResult, float& R,
                   float& G, float& B) {
  Core(H, S, Lum, THue::Linear, R, G, B);
  FinalClamp(R, G, B);
  if (LightPass) {
    float H2 = H + 0.5f;
    if (H2 >= 1) H2 -= 1;
    float R2, G2, B2;
    Core(H2, S, 1 - Lum, THue::Linear, R2, G2, B2);
    if (std::max(R2, std::max(G2, B2)) + std::min(R2, std::min(G2, B2)) < 1) {
      R = 1 - R2;
      G = 1 - G2;
      B = 1 - B2;
    }
  }
  if (EncodeResult) LinearToGammaSRGBRGB(R, G, B);
}

void ExtendedXYInverse(float P, float X, float Y, bool Squared, float& R, float& G, float& B) {
  R = G = B = 0;
  if (Squared && P < 0) return;  // HSPe: below black stays black
  if (P > 100) P = 100;
  float Lum = LStarToLinear(std::fabs(P));
  if (P < 0) Lum = 1 - Lum;
  const float Xs = X / 100, Ys = Y / 100;
  float H =
      static_cast<float>(std::atan2(static_cast<double>(Ys), static_cast<double>(Xs)) / TwoPi) -
      0.125f;
  WrapOnce(H);
  float S = std::sqrt(Xs * Xs + Ys * Ys);
  if (Squared) S = std::sqrt(S);
  if (S > 1) S = 1;
  ExtendedSolve(Lum, H, S, P > 0, P >= 0, R, G, B);
}

constexpr TForwardForm PlainForm{};
constexpr TForwardForm SquaredForm{THue::Linear, false, true, false, false, false};
constexpr TForwardForm HSP3Form{THue::SquareRoot, false, true, false, false, false};
constexpr TForwardForm IttenForm{THue::Itten, false, true, false, false, false};

const TColorSpaceGamut* LimitTable(bool Switch, TGamutTable Table) {
  return Switch ? GamutTable(Table) : nullptr;
}

// The Cartesian inverse of HSP3 / HSP Itten, limited by Table when given.
void HSP3XYInverseLimited(float P, float X, float Y, const TColorSpaceGamut* Table, bool Itten,
                          float& R, float& G, float& B) {
  float Bc = CompassTurn(X, Y);
  float C = std::sqrt(X * X + Y * Y);
  if (Table != nullptr) ClampChromaToGamut(Bc, C, P, *Table);
  HSP3Inverse<TSingleMaths>(P, Bc, C, Itten, R, G, B);
}

}  // namespace

void RGBtoHSPnSingle(float R, float G, float B, float& H, float& S, float& P) {
  Forward<TSingleMaths>(R, G, B, {THue::Linear, false, false, false, true, false}, H, S, P);
}

void HSPntoRGBSingle(float H, float S, float P, float& R, float& G, float& B) {
  PolarInverse<TSingleMaths>(H, S, LStarToLinear(P), false, THue::Linear, R, G, B);
}

void RGBtoHSP2Single(float R, float G, float B, float& H, float& S, float& P) {
  Forward<TSingleMaths>(R, G, B, SquaredForm, H, S, P);
}

void HSP2toRGBSingle(float H, float S, float P, float& R, float& G, float& B) {
  PolarInverse<TSingleMaths>(H, S, LStarToLinear(P), true, THue::Linear, R, G, B);
}

void RGBtoHSPnpSingle(float R, float G, float B, float& H, float& S, float& P) {
  Forward<TSingleMaths>(R, G, B, {THue::Linear, false, false, true, true, false}, H, S, P);
}

void RGBtoHSP2pSingle(float R, float G, float B, float& H, float& S, float& P) {
  Forward<TSingleMaths>(R, G, B, {THue::Linear, false, false, true, false, false}, H, S, P);
}

void RGBtoHSP3XYSingle(float R, float G, float B, float& H, float& S, float& P) {
  Forward<TSingleMaths>(R, G, B, {THue::SquareRoot, false, true, false, false, true}, H, S, P);
}

void HSP3XYtoRGBSingle(float H, float S, float P, float& R, float& G, float& B) {
  PolarInverse<TSingleMaths>(H, S, LStarToLinear(100 * P), true, THue::SquareRoot, R, G, B);
}

void HSPetoRGBSingle(float H, float S, float P, float& R, float& G, float& B) {
  R = G = B = 0;
  if (P > 100) P = 100;
  const float Lum = LStarToLinear(P);
  WrapOnce(H);
  S = S > 0 ? std::sqrt(S) : 0.0f;
  if (S > 1) S = 1;
  ExtendedSolve(Lum, H, S, Lum > 0, Lum >= 0, R, G, B);
}

void RGBtoHSPnXYSingle(float R, float G, float B, float& P, float& X, float& Y) {
  ForwardXY<TSingleMaths>(R, G, B, PlainForm, P, X, Y);
}

void HSPnXYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B) {
  if (const TColorSpaceGamut* T = LimitTable(UseHSPGamut, TGamutTable::HSP))
    ClampABToGamut(P, X, Y, *T);
  HSPXYInverse<TSingleMaths>(P, X, Y, false, R, G, B);
}

void RGBtoHSP2XYSingle(float R, float G, float B, float& P, float& X, float& Y) {
  ForwardXY<TSingleMaths>(R, G, B, SquaredForm, P, X, Y);
}

void HSP2XYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B) {
  const TColorSpaceGamut* T = LimitTable(UseHSPGamut, TGamutTable::HSP);
  const float Radius = std::sqrt(X * X + Y * Y);
  if (T == nullptr || !(Radius > 0)) {
    HSPXYInverse<TSingleMaths>(P, X, Y, true, R, G, B);
    return;
  }
  // The table holds radii of the plain measure (100*S); this model's radius
  // is 100*S^2. Limit the point in the plain measure, then solve from it.
  const float Plain = 10 * std::sqrt(Radius) / Radius;
  float Xp = X * Plain, Yp = Y * Plain;
  ClampABToGamut(P, Xp, Yp, *T);
  HSPXYInverse<TSingleMaths>(P, Xp, Yp, false, R, G, B);
}

void RGBtoHSPneXYSingle(float R, float G, float B, float& P, float& X, float& Y) {
  ForwardXY<TSingleMaths>(R, G, B, {THue::Linear, true, false, false, false, false}, P, X, Y);
}

void HSPneXYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B) {
  ExtendedXYInverse(P, X, Y, false, R, G, B);
}

void RGBtoHSPeXYSingle(float R, float G, float B, float& P, float& X, float& Y) {
  ForwardXY<TSingleMaths>(R, G, B, {THue::Linear, true, true, false, false, false}, P, X, Y);
}

void HSPeXYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B) {
  ExtendedXYInverse(P, X, Y, true, R, G, B);
}

void RGBtoHSP3ModelSingle(float R, float G, float B, float& P, float& X, float& Y) {
  ForwardXY<TSingleMaths>(R, G, B, HSP3Form, P, X, Y);
}

void HSP3ModeltoRGBSingle(float P, float X, float Y, float& R, float& G, float& B) {
  HSP3XYInverseLimited(P, X, Y, LimitTable(UseHSP3Gamut, TGamutTable::HSP3), false, R, G, B);
}

void RGBtoHSPIttenSingle(float R, float G, float B, float& P, float& X, float& Y) {
  ForwardXY<TSingleMaths>(R, G, B, IttenForm, P, X, Y);
}

void HSPIttentoRGBSingle(float P, float X, float Y, float& R, float& G, float& B) {
  HSP3XYInverseLimited(P, X, Y, LimitTable(UseHSPIttenGamut, TGamutTable::HSPItten), true, R,
                       G, B);
}

void RGBtoHSPnXYDouble(double R, double G, double B, double& P, double& X, double& Y) {
  ForwardXY<TDoubleMaths>(R, G, B, PlainForm, P, X, Y);
}

void HSPnXYtoRGBDouble(double P, double X, double Y, double& R, double& G, double& B) {
  HSPXYInverse<TDoubleMaths>(P, X, Y, false, R, G, B);
}

void RGBtoHSP3ModelDouble(double R, double G, double B, double& P, double& X, double& Y) {
  ForwardXY<TDoubleMaths>(R, G, B, HSP3Form, P, X, Y);
}

void HSP3ModeltoRGBDouble(double P, double X, double Y, double& R, double& G, double& B) {
  HSP3Inverse<TDoubleMaths>(P, CompassTurn(X, Y), std::sqrt(X * X + Y * Y), false, R, G, B);
}

void RGBtoHSPIttenDouble(double R, double G, double B, double& P, double& X, double& Y) {
  ForwardXY<TDoubleMaths>(R, G, B, IttenForm, P, X, Y);
}

void HSPIttentoRGBDouble(double P, double X, double Y, double& R, double& G, double& B) {
  HSP3Inverse<TDoubleMaths>(P, CompassTurn(X, Y), std::sqrt(X * X + Y * Y), true, R, G, B);
}

}  // namespace kromel
