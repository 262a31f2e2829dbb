#include "colour/colour_models.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

#include "colour/contrast_clip.h"
#include "colour/gamut.h"
#include "colour/gamut_tables.h"
#include "colour/hsp_models.h"
#include "colour/hsv_hsl.h"
#include "colour/log_gamma.h"
#include "colour/model_maths.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "foundation/number_format.h"

namespace kromel {

namespace {

using namespace model_maths;

constexpr float NormScale = 57.73502692f;  // 100/sqrt(3)

// Rounded byte of a 0..1 value, limited to 0..255; NaN gives 0.
inline uint32_t ByteOf(float V) {
  const double X = 255.0 * V;
  if (!(X > 0)) return 0;
  if (X >= 255) return 255;
  return static_cast<uint32_t>(std::nearbyint(X));
}

// Limits (V2, V3) by the table while the switch is on and the table present.
inline void Limit(bool Switch, TGamutTable Table, float V1, float& V2, float& V3) {
  if (!Switch) return;
  if (const TColorSpaceGamut* T = GamutTable(Table)) ClampABToGamut(V1, V2, V3, *T);
}

// LXY ------------------------------------------------------------------------

template <class M>
void LXYForward(typename M::T R, typename M::T G, typename M::T B, typename M::T& V1,
                typename M::T& V2, typename M::T& V3) {
  using T = typename M::T;
  M::Decode(R, G, B);
  V1 = 100 * M::LStar(static_cast<T>(0.2126) * R + static_cast<T>(0.7152) * G +
                      static_cast<T>(0.0722) * B);
  T X, Y;
  Opponent(R, G, B, X, Y);
  V2 = 113 * X;
  V3 = 100 * Y;
}

template <class M>
void LXYInverse(typename M::T V1, typename M::T V2, typename M::T V3, typename M::T& R,
                typename M::T& G, typename M::T& B) {
  using T = typename M::T;
  const T Yl = M::LStarToLum(V1);
  const T X = V2 / 113, Y = V3 / 100;
  const T H = X * static_cast<T>(0.577350271);
  const T K = X * static_cast<T>(0.2454893263);
  const T J = (Y - H) * static_cast<T>(0.0722);
  B = J + (H - Y + Yl) - K;
  G = J + Yl - K;
  R = J + (X * static_cast<T>(1.1547005) + Yl) - K;
  FinalClamp(R, G, B);
  M::Encode(R, G, B);
}

// MXY ------------------------------------------------------------------------

template <class T>
void MXYForward(T R, T G, T B, T& V1, T& V2, T& V3) {
  T X, Y;
  Opponent(R, G, B, X, Y);
  V1 = static_cast<T>(NormScale) * Norm(R, G, B);
  V2 = Compress<T>(112 * X);
  V3 = Compress<T>(98 * Y);
}

template <class T>
void MXYInverse(T V1, T V2, T V3, T& R, T& G, T& B) {
  if (V1 < 0) {  // below black
    R = G = B = 0;
    return;
  }
  const T N = V1 / static_cast<T>(NormScale);
  SphereSolve<T>(N, Expand(V2) / 112, Expand(V3) / 98, R, G, B);
  FinalClamp(R, G, B);
}

// MABe -----------------------------------------------------------------------

template <class T>
T MABeFactor(T N) {
  const T E = (static_cast<T>(1.3) - N * static_cast<T>(0.57735) * static_cast<T>(0.62)) *
              static_cast<T>(1.085);
  T F = E * E * E * E * E + static_cast<T>(0.125);
  if (F > 1) F = 1;
  if (F < static_cast<T>(0.2)) F = static_cast<T>(0.2);
  return F;
}

template <class T>
void MABeForward(T R, T G, T B, T& V1, T& V2, T& V3) {
  T X, Y;
  Opponent(R, G, B, X, Y);
  const T N = Norm(R, G, B);
  const T F = MABeFactor(N);
  V2 = static_cast<T>(std::atan2(static_cast<double>(X / F), static_cast<double>(N)) / Pi * 4 * 90);
  V3 = static_cast<T>(std::atan2(static_cast<double>(Y / F), static_cast<double>(N)) / Pi * 4 * 90);
  V1 = static_cast<T>(NormScale) * N;
}

template <class T>
void MABeInverse(T V1, T V2, T V3, T& R, T& G, T& B) {
  if (V1 < 0) {  // below black
    R = G = B = 0;
    return;
  }
  const T N = V1 / static_cast<T>(NormScale);
  auto Tangent = [N](T V) {
    const T Tn = static_cast<T>(std::tan(static_cast<double>(V) * Pi * 0.25 / 90)) * N;
    return std::clamp(Tn, static_cast<T>(-1000), static_cast<T>(1000));
  };
  const T F = MABeFactor(N);
  SphereSolve<T>(N, Tangent(V2) * F, Tangent(V3) * F, R, G, B);
  FinalClamp(R, G, B);
}

// MXYe -----------------------------------------------------------------------

template <class T>
T MXYeDivisor(T N) {
  return static_cast<T>((std::sin(static_cast<double>(N * static_cast<T>(0.57735)) * Pi) + 0.01 +
                         static_cast<double>(N * static_cast<T>(0.5735) * static_cast<T>(0.1))) *
                        1.15);
}

template <class T>
void MXYeForward(T R, T G, T B, T& V1, T& V2, T& V3) {
  T X, Y;
  Opponent(R, G, B, X, Y);
  const T N = Norm(R, G, B);
  const T D = MXYeDivisor(N);
  V1 = static_cast<T>(NormScale) * N;
  V2 = Compress<T>(70 * X / D);
  V3 = Compress<T>(70 * Y / D);
}

template <class T>
void MXYeInverse(T V1, T V2, T V3, T& R, T& G, T& B) {
  if (V1 < 0) {  // below black
    R = G = B = 0;
    return;
  }
  const T N = V1 / static_cast<T>(NormScale);
  const T D = MXYeDivisor(N);
  SphereSolve<T>(N, Expand(V2) / 70 * D, Expand(V3) / 70 * D, R, G, B);
  FinalClamp(R, G, B);
}

// SXYe -----------------------------------------------------------------------

inline float SXYDivisor(float M) {
  return static_cast<float>(std::sin(static_cast<double>(M) * Pi)) + 0.005f + M * 0.1f;
}

TVariableToRGBSingleProc const ModelInverses[ColorModelCount] = {
    LABModeltoRGB,       LABntoRGBSingle,   LXYtoRGBSingle,    MXYtoRGBSingle,
    MABetoRGBSingleOut,  MXYetoRGBSingle,   SXYtoRGBSingle,    HSPnXYtoRGBSingle,
    HSPneXYtoRGBSingle,  HSP2XYtoRGBSingle, HSPeXYtoRGBSingle, HSP3ModeltoRGBSingle,
    HSPIttentoRGBSingle, YUVtoRGBSingle,    CMYKModeltoRGB,    RGBWModeltoRGB};

TRGBToVariableSingleProc const ModelForwards[ColorModelCount] = {
    RGBtoLABModel,       RGBtoLABnSingle,   RGBtoLXYSingle,    RGBtoMXYSingle,
    RGBtoMABeSingle,     RGBtoMXYeSingle,   RGBtoSXYSingle,    RGBtoHSPnXYSingle,
    RGBtoHSPneXYSingle,  RGBtoHSP2XYSingle, RGBtoHSPeXYSingle, RGBtoHSP3ModelSingle,
    RGBtoHSPIttenSingle, RGBtoYUVSingle,    RGBtoCMYKModel,    RGBtoRGBWModel};

const float ModelScales[ColorModelCount] = {1.24f, 1.24f, 1.05f, 1.05f, 1.0f, 1.0f, 1.05f, 1.0f,
                                            1.0f,  1.0f,  1.0f,  1.0f,  1.0f, 1.0f, 0.92f, 0.92f};

const char* const ModelNames[ColorModelCount] = {
    "LAB",   "LABn", "LXY",  "MXY",  "MABe",      "MXYe", "SXYe", "HSPn",
    "HSPne", "HSP",  "HSPe", "HSP3", "HSP Itten", "YUV",  "CMYK", "RGBW"};

const TColorModelRecord ModelRecords[ColorModelCount] = {
#define KROMEL_MODEL_RECORD(M) {static_cast<TColorModel>(M), ModelForwards[M], ModelInverses[M], ModelScales[M]}
    KROMEL_MODEL_RECORD(0),  KROMEL_MODEL_RECORD(1),  KROMEL_MODEL_RECORD(2),
    KROMEL_MODEL_RECORD(3),  KROMEL_MODEL_RECORD(4),  KROMEL_MODEL_RECORD(5),
    KROMEL_MODEL_RECORD(6),  KROMEL_MODEL_RECORD(7),  KROMEL_MODEL_RECORD(8),
    KROMEL_MODEL_RECORD(9),  KROMEL_MODEL_RECORD(10), KROMEL_MODEL_RECORD(11),
    KROMEL_MODEL_RECORD(12), KROMEL_MODEL_RECORD(13), KROMEL_MODEL_RECORD(14),
    KROMEL_MODEL_RECORD(15)};
#undef KROMEL_MODEL_RECORD

std::atomic<const TColorModelRecord*> CurrentRecord{&ModelRecords[cmHSPe]};

}  // namespace

const TColorModelRecord& CurrentColorModel() {
  return *CurrentRecord.load(std::memory_order_acquire);
}

const TColorModelRecord& ColorModelRecord(int Model) {
  return Model >= 0 && Model < ColorModelCount ? ModelRecords[Model] : ModelRecords[cmHSPe];
}

std::string ColorModelDisplayName(int Model) {
  return Model >= 0 && Model < ColorModelCount ? ModelNames[Model] : "";
}

void SetColorModel(int Model) {
  if (Model < 0 || Model >= ColorModelCount) return;
  CurrentRecord.store(&ModelRecords[Model], std::memory_order_release);
}

int TestHSP3() {
  std::mt19937 Engine(20240611u);
  std::uniform_real_distribution<float> Uniform(0.0f, 1.0f);
  int Failures = 0;
  for (int Pass = 0; Pass <= 100; ++Pass) {
    const float R = Uniform(Engine);
    const float G = Uniform(Engine);
    const float B = Uniform(Engine);
    float H, S, P, R2, G2, B2;
    RGBtoHSP3XYSingle(R, G, B, H, S, P);
    HSP3XYtoRGBSingle(H, S, P, R2, G2, B2);
    if (!(std::fabs(R - R2) <= 0.01f)) {
      ++Failures;
      ErrorMessageProc("HSP3 testing failed! R:" + FloatToStrD3(R) + "<>" + FloatToStrD3(R2) +
                       "   G:" + FloatToStrD3(G) + "<>" + FloatToStrD3(G2) +
                       "   B:" + FloatToStrD3(B) + "<>" + FloatToStrD3(B2));
    }
  }
  return Failures;
}

void InitColorModels() {
  SetColorModel(cmHSPe);
  TestHSP3();
}

void RGBtoColorModelContrast(float R, float G, float B, float Contrast, float& V1, float& V2,
                             float& V3) {
  if (Contrast != 0) ContrastSigmoidRGBReverse(R, G, B, 5 * Contrast);
  CurrentRGBToModel.load()(R, G, B, V1, V2, V3);
}

void ColorModeltoRGBContrast(float V1, float V2, float V3, float Contrast, float& R, float& G,
                             float& B) {
  CurrentModelToRGB.load()(V1, V2, V3, R, G, B);
  if (Contrast != 0) ContrastSigmoidRGB(R, G, B, 5 * Contrast);
}

// LAB, LABn ------------------------------------------------------------------

void RGBtoLABModel(float R, float G, float B, float& V1, float& V2, float& V3) {
  float L, A, Bv;
  RGBtoLABSingle(R, G, B, L, A, Bv);
  V1 = L;
  V2 = A;
  V3 = 0.92f * Bv;
}

void LABModeltoRGB(float V1, float V2, float V3, float& R, float& G, float& B) {
  LABtoRGBSingle(V1, V2, V3 / 0.92f, R, G, B);
}

void RGBtoLABnSingle(float R, float G, float B, float& V1, float& V2, float& V3) {
  float L, A, Bv;
  RGBtoLABSingle(R, G, B, L, A, Bv);
  A = Compress(A);
  Bv = Compress(Bv);
  if (A < 0) A = A / 0.95f;
  if (Bv < 0) Bv = Bv / 1.1f;
  if (Bv < 0) A = A + 0.5f * Bv;
  V1 = L;
  V2 = A;
  V3 = Bv;
}

void LABntoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B) {
  float A = V2, Bv = V3;
  if (Bv < 0) {
    A = A - 0.5f * Bv;
    Bv = Bv * 1.1f;
  }
  if (A < 0) A = A * 0.95f;
  LABtoRGBSingle(V1, Expand(A), Expand(Bv), R, G, B);
}

// LXY, MXY, MABe, MXYe -----------------------------------------------------------

void RGBtoLXYSingle(float R, float G, float B, float& V1, float& V2, float& V3) {
  LXYForward<TSingleMaths>(R, G, B, V1, V2, V3);
}

void LXYtoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B) {
  Limit(UseLXYGamut, TGamutTable::LXY, V1, V2, V3);
  LXYInverse<TSingleMaths>(V1, V2, V3, R, G, B);
}

void RGBtoMXYSingle(float R, float G, float B, float& V1, float& V2, float& V3) {
  MXYForward(R, G, B, V1, V2, V3);
}

void MXYtoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B) {
  Limit(UseMXYGamut, TGamutTable::MXY, V1, V2, V3);
  MXYInverse(V1, V2, V3, R, G, B);
}

void RGBtoMABeSingle(float R, float G, float B, float& V1, float& V2, float& V3) {
  MABeForward(R, G, B, V1, V2, V3);
}

TRGBSingle MABetoRGBSingle(float V1, float V2, float V3) {
  Limit(UseMABeGamut, TGamutTable::MABe, V1, V2, V3);
  TRGBSingle C;
  MABeInverse(V1, V2, V3, C.R, C.G, C.B);
  return C;
}

void MABetoRGBSingleOut(float V1, float V2, float V3, float& R, float& G, float& B) {
  const TRGBSingle C = MABetoRGBSingle(V1, V2, V3);
  R = C.R;
  G = C.G;
  B = C.B;
}

void RGBtoMXYeSingle(float R, float G, float B, float& V1, float& V2, float& V3) {
  MXYeForward(R, G, B, V1, V2, V3);
}

void MXYetoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B) {
  Limit(UseMXYeGamut, TGamutTable::MXYe, V1, V2, V3);
  MXYeInverse(V1, V2, V3, R, G, B);
}

// SXYe -------------------------------------------------------------------------

void RGBtoSXYSingle(float R, float G, float B, float& V1, float& V2, float& V3) {
  GammaSRGBToLinearRGB(R, G, B);
  const float M = (R + G + B) / 3;
  const float E = SXYDivisor(M);
  float X, Y;
  Opponent(R, G, B, X, Y);
  V2 = Compress(100 * X / E);
  V3 = Compress(90 * Y / E);
  V1 = M > 0.008856f ? static_cast<float>(116.0 * std::cbrt(static_cast<double>(M)) - 16.0)
                     : 903.3f * M;
  if (V1 < 0) V1 = 0;
}

void SXYtoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B) {
  const float M = LStarToLinear(V1);
  const float E = SXYDivisor(M);
  const float X = Expand(V2) / 100 * E;
  const float Y = Expand(V3) / 90 * E;
  const float H = X * 0.577350271f;
  const float J = (Y - H) / 3;
  const float K = 1.1547005f * X;
  constexpr float Third = 0.38490016666666666668f;
  B = J + (H - Y + M) - K / 3;
  G = J + M - Third * X;
  R = J + (K + M) - Third * X;
  FinalClamp(R, G, B);
  LinearToGammaSRGBRGB(R, G, B);
}

void RGBtoSXYPolarSingle(float R, float G, float B, float& H, float& C, float& S) {
  float V1, V2, V3;
  RGBtoSXYSingle(R, G, B, V1, V2, V3);
  C = std::sqrt(V2 * V2 + V3 * V3);
  H = static_cast<float>(std::atan2(static_cast<double>(V2), static_cast<double>(V3)) * 0.5 / Pi);
  if (H < 0) H += 1;
  S = V1;
}

void SXYPolartoRGBSingle(float H, float C, float S, float& R, float& G, float& B) {
  const double Angle = 2 * Pi * H;
  SXYtoRGBSingle(S, static_cast<float>(C * std::sin(Angle)),
                 static_cast<float>(C * std::cos(Angle)), R, G, B);
}

// CMYK, RGBW -------------------------------------------------------------------

void RGBtoCMYKModel(float R, float G, float B, float& V1, float& V2, float& V3) {
  constexpr float S = OppS<float>;
  const float Mx = std::max(R, std::max(G, B));
  float E = 0, F = 0, Gv = 0;
  if (Mx > 0) {
    E = 1 - (Mx - R) / Mx;
    F = 1 - (Mx - G) / Mx;
    Gv = 1 - (Mx - B) / Mx;
  }
  V2 = 100 * (-(1 - E) * S + (1 - F) * S);
  V3 = 100 * (1 - Gv - (1 - F) * 0.5f - (1 - E) * 0.5f);
  V1 = 100 * Mx;
}

void CMYKModeltoRGB(float V1, float V2, float V3, float& R, float& G, float& B) {
  constexpr float S = OppS<float>;
  const float D = V2 / 100 / S;
  float M = D, C = 0;
  if (M < 0) {
    M = 0;
    C = -D;
  }
  const float Yv = V3 / 100;
  float Yel = 0.5f * C + 0.5f * M + Yv;
  if (Yel < 0) {
    C = -Yv - 0.5f * D;
    Yel = 0;
    M = -2 * Yv - C;
  }
  R = (1 - C) * V1 / 100;
  G = (1 - M) * V1 / 100;
  B = (1 - Yel) * V1 / 100;
  for (float* Ch : {&R, &G, &B})
    if (*Ch < 0) *Ch = 0;
}

void RGBtoRGBWModel(float R, float G, float B, float& V1, float& V2, float& V3) {
  constexpr float S = OppS<float>;
  const float Mn = std::min(R, std::min(G, B));
  float E = 0, F = 0, Gv = 0;
  if (Mn < 1) {
    E = (R - Mn) / (1 - Mn);
    F = (G - Mn) / (1 - Mn);
    Gv = (B - Mn) / (1 - Mn);
  }
  V2 = 100 * (S * E - S * F);
  V3 = 100 * (0.5f * E + (0.5f * F - Gv));
  V1 = 100 * Mn;
}

void RGBWModeltoRGB(float V1, float V2, float V3, float& R, float& G, float& B) {
  constexpr float S = OppS<float>;
  float Rc = 0;
  const float D = V2 / 100 / S;
  float Gr = -D;
  if (Gr < 0) {
    Gr = 0;
    Rc = D;
  }
  float Bl = 0.5f * Rc + (0.5f * Gr - V3 / 100);
  if (Bl < 0) {
    Bl = 0;
    Rc = 0.5f * D + V3 / 100;
    Gr = 2 * V3 / 100 - Rc;
  }
  const float W = 1 - V1 / 100;
  R = 1 - W * (1 - Rc);
  G = 1 - W * (1 - Gr);
  B = 1 - W * (1 - Bl);
  FinalClamp(R, G, B);
}

void RGBtoCMYKSingle(float R, float G, float B, float& C, float& M, float& Y, float& K) {
  K = 1 - std::max(R, std::max(G, B));
  if (K >= 1) {
    C = M = Y = 0;
    return;
  }
  C = (1 - R - K) / (1 - K);
  M = (1 - G - K) / (1 - K);
  Y = (1 - B - K) / (1 - K);
}

// Further building blocks -----------------------------------------------------

uint32_t LABntoColor(float V1, float V2, float V3) {
  float R, G, B;
  LABntoRGBSingle(V1, V2, V3, R, G, B);
  return ByteOf(R) | ByteOf(G) << 8 | ByteOf(B) << 16;
}

uint32_t LABntoPixel(float V1, float V2, float V3) {
  float R, G, B;
  LABntoRGBSingle(V1, V2, V3, R, G, B);
  return ByteOf(B) | ByteOf(G) << 8 | ByteOf(R) << 16 | 255u << 24;
}

TMXYAPixel128 RGBtoMXYePixel(float R, float G, float B, float Alpha) {
  TMXYAPixel128 P;
  RGBtoMXYeSingle(R, G, B, P.M, P.X, P.Y);
  P.Alpha = Alpha;
  return P;
}

void RGBtoLXYMeanSingle(float R, float G, float B, float& V1, float& V2, float& V3) {
  float X, Y;
  Opponent(R, G, B, X, Y);
  V1 = (R + G + B) / 3;
  V2 = 113 * X;
  V3 = 100 * Y;
}

void LXYMeantoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B) {
  const float M = V1, X = V2 / 113, Y = V3 / 100;
  const float XS = X / std::sqrt(3.0f);
  R = M + Y / 3 + XS;
  G = M + Y / 3 - XS;
  B = M - 2 * Y / 3;
  FinalClamp(R, G, B);
}

bool TimeModelConversion(TRGBToVariableRec* Lut, std::size_t Count) {
  if (Lut == nullptr || Count < RGBToVariableLUTCount) {
    ErrorMessageProc(
        "Exception in TimeModelConversion: the table holds fewer than 16777216 entries");
    return false;
  }
  const TRGBToVariableSingleProc Forward = CurrentRGBToModel.load();
  const auto Start = std::chrono::steady_clock::now();
  std::size_t I = 0;
  for (int R = 0; R < 256; ++R)
    for (int G = 0; G < 256; ++G)
      for (int B = 0; B < 256; ++B, ++I) {
        TRGBToVariableRec& E = Lut[I];
        Forward(R / 255.0f, G / 255.0f, B / 255.0f, E.M, E.A, E.B);
      }
  const auto Ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - Start)
                      .count();
  DebugShowMessage("ConvLUT calc time: " + std::to_string(Ms));
  return true;
}

// Double pairs -----------------------------------------------------------------

void RGBtoLXYDouble(double R, double G, double B, double& V1, double& V2, double& V3) {
  LXYForward<TDoubleMaths>(R, G, B, V1, V2, V3);
}
void LXYtoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B) {
  LXYInverse<TDoubleMaths>(V1, V2, V3, R, G, B);
}
void RGBtoMXYDouble(double R, double G, double B, double& V1, double& V2, double& V3) {
  MXYForward(R, G, B, V1, V2, V3);
}
void MXYtoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B) {
  MXYInverse(V1, V2, V3, R, G, B);
}
void RGBtoMABeDouble(double R, double G, double B, double& V1, double& V2, double& V3) {
  MABeForward(R, G, B, V1, V2, V3);
}
void MABetoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B) {
  MABeInverse(V1, V2, V3, R, G, B);
}
void RGBtoMXYeDouble(double R, double G, double B, double& V1, double& V2, double& V3) {
  MXYeForward(R, G, B, V1, V2, V3);
}
void MXYetoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B) {
  MXYeInverse(V1, V2, V3, R, G, B);
}

}  // namespace kromel
