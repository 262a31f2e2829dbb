#include "analysis/gradient_analyzer.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <vector>

#include "analysis/analysis_rounding.h"
#include "audio/sample_files.h"
#include "audio/stereo_sample.h"
#include "colour/colour_model_prefs.h"
#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "images/pixel128.h"

namespace kromel {

namespace {

void DefaultToModel(float R, float G, float B, float& H, float& S, float& L) {
  RGBtoHSL(H, S, L, R, G, B);
}

void DefaultFromModel(float H, float S, float L, float& R, float& G, float& B) {
  HSLtoRGB(R, G, B, H, S, L);
}

float FiniteOr0(float V) { return std::isfinite(V) ? V : 0.0f; }

// Lightness level of a third component: below 0 (and NaN) reads 0.
int32_t LevelOf(float C3) {
  return int32_t(std::clamp<int64_t>(RoundToInt64Saturated(255.0 * C3), 0, 255));
}

// Hue into 0..1 (a whole turn added or taken off).
float WrapHue(float H) { return H - std::floor(H); }

// The upper (Raise) or lower envelope of component C over one chord from
// level A to level B; K runs over Ks.
void EnvelopeChord(THSL256Gradient& T, bool Raise, int32_t A, int32_t B, int32_t KFirst,
                   int32_t KLast, int32_t Step) {
  for (int32_t K = KFirst; Step > 0 ? K <= KLast : K >= KLast; K += Step) {
    const float Tt = float(K - A) / float(B - A);
    const float H = Tt * T[B].H + (1 - Tt) * T[A].H;
    const float S = Tt * T[B].S + (1 - Tt) * T[A].S;
    if (Raise) {
      T[K].H = std::max(T[K].H, H);
      T[K].S = std::max(T[K].S, S);
    } else {
      T[K].H = std::min(T[K].H, H);
      T[K].S = std::min(T[K].S, S);
    }
  }
}

void PutPixel(TImage32& Image, int32_t X, int32_t Y, TVariableHSLToRGBSingleProc FromModel,
              float C1, float C2, float C3) {
  if (X < 0 || X >= Image.Width || Y < 0 || Y >= Image.Height) return;
  float R = 0, G = 0, B = 0;
  FromModel(C1, C2, C3, R, G, B);
  TBGRAPixel128 P;
  P.Init(R, G, B, 0);
  Image.Pixels[int64_t(Y) * Image.Width + X].Value = Pixel128ToPixel32Clamped(P);
}

}  // namespace

TGradientAnalyzer::TGradientAnalyzer() : ToModel(DefaultToModel), FromModel(DefaultFromModel) {}

void TGradientAnalyzer::CalculateGradientBounds(const TImage128& Image) {
  HueMin = HueMax = SatMin = SatMax = 0;
  LumLow = LumHigh = 0;
  LowerTable.fill({});
  UpperTable.fill({});
  const int64_t N = Image.Data != nullptr ? std::min<int64_t>(Image.Size, int64_t(Image.Width) * Image.Height) : 0;
  if (N < 2) return;
  int32_t L1 = 0, L2 = 0;
  try {
    std::vector<THSLPixel128> C(size_t(N), THSLPixel128{});
    for (int64_t I = 0; I < N; ++I) {
      const TBGRAPixel128& P = Image.Data[I];
      float H = 0, S = 0, L = 0;
      ToModel(P.R, P.G, P.B, H, S, L);
      C[size_t(I)] = {FiniteOr0(H), FiniteOr0(S), std::min(FiniteOr0(L), 1.0f), 0};
    }
    std::stable_sort(C.begin(), C.end(),
                     [](const THSLPixel128& A, const THSLPixel128& B) { return A.L < B.L; });
    for (size_t I = 1; I < C.size(); ++I) {
      if (C[I].H - C[I - 1].H > 0.5f) C[I].H -= 1;
      else if (C[I - 1].H - C[I].H > 0.5f) C[I].H += 1;
    }
    HueMin = HueMax = C[0].H;
    SatMin = SatMax = C[0].S;
    for (const THSLPixel128& P : C) {
      HueMin = std::min(HueMin, P.H);
      HueMax = std::max(HueMax, P.H);
      SatMin = std::min(SatMin, P.S);
      SatMax = std::max(SatMax, P.S);
    }
    for (size_t I = 0; I + 1 < C.size(); ++I) {
      const THSLPixel128& A = C[I];
      const THSLPixel128& B = C[I + 1];
      L1 = LevelOf(A.L);
      L2 = LevelOf(B.L);
      if (L2 <= L1) continue;
      for (int32_t J = L1; J <= L2; ++J) {
        THSLPixel128& E = UpperTable[size_t(J)];
        E.H = (float(J - L1) * B.H + float(L2 - J) * A.H) / float(L2 - L1);
        E.S = (float(J - L1) * B.S + float(L2 - J) * A.S) / float(L2 - L1);
        E.L = float(J) / 255.0f;
      }
    }
    LowerTable = UpperTable;
    LumLow = LevelOf(C.front().L);
    LumHigh = LevelOf(C.back().L);
    for (int32_t I = LumLow; I <= LumHigh - 2; ++I) {
      const int32_t E = std::min(I + 25, LumHigh);
      const int32_t B = std::max(I - 25, LumLow);
      for (const bool Raise : {true, false}) {
        THSL256Gradient& T = Raise ? UpperTable : LowerTable;
        L1 = I;
        L2 = E;
        EnvelopeChord(T, Raise, I, E, I, E - 1, 1);
        L1 = B;
        L2 = I;
        if (I > B) EnvelopeChord(T, Raise, B, I, I - 1, B, -1);
      }
    }
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TGradientAnalyzer.CalculateGradientBounds, L1=" +
                     std::to_string(L1) + " L2=" + std::to_string(L2));
  }
}

void TGradientAnalyzer::GetColorAt(float& C1, float& C2, float& C3, float X) const {
  const size_t I = size_t(LevelOf(X));
  const THSLPixel128& Lo = LowerTable[I];
  const THSLPixel128& Up = UpperTable[I];
  C1 = WrapHue((Lo.H + Up.H) / 2);
  C2 = (Lo.S + Up.S) / 2;
  C3 = (Lo.L + Up.L) / 2;
}

void TGradientAnalyzer::ShiftHue(float Delta) {
  HueMin += Delta;
  HueMax += Delta;
  for (THSL256Gradient* T : {&LowerTable, &UpperTable})
    for (THSLPixel128& E : *T) E.H += Delta;
}

bool TGradientAnalyzer::SaveCurvesToWav(const std::string& FileName) const {
  TStereoSample32 S;
  S.Init();
  if (!S.Alloc(256)) return false;
  S.Left.SampleRate = S.Right.SampleRate = 44100;
  for (int32_t I = 0; I < 256; ++I) {
    float H = 0, Sat = 0, L = 0;
    GetColorAt(H, Sat, L, float(I) / 255.0f);
    S.Left.Data[I] = H;
    S.Right.Data[I] = Sat;
  }
  const bool Ok = SaveStereoSampleToWav(S, FileName);
  S.Dispose();
  return Ok;
}

void DrawGradientAnalyzer(const TGradientAnalyzer& Analyzer, TImage32& Image,
                          float& HueMin, float& HueMax, float& SatMin, float& SatMax) {
  if (!HasArea(Image)) return;
  THSLPixel128 Lower{};
  try {
    const int32_t Half = Image.Height / 2;
    if (HueMax - HueMin < 0.05f) {
      const float Centre = (HueMin + HueMax) / 2;
      HueMin = Centre - 0.05f;
      HueMax = Centre + 0.05f;
    }
    const double DH = std::max(HueMax - HueMin, 0.01f);
    const double DS = std::max(SatMax - SatMin, 0.01f);
    const double Span = Half - 4;
    for (int32_t I = 0; I < 256; ++I) {
      Lower = Analyzer.LowerTable[size_t(I)];
      const THSLPixel128& Upper = Analyzer.UpperTable[size_t(I)];
      if (Upper.L == 0) continue;
      int32_t Y1 = std::max(0, RoundInt((Lower.H - HueMin) * Span / DH));
      int32_t Y2 = RoundInt((Upper.H - HueMin) * Span / DH) + 3;
      for (int32_t Y = Y1; Y <= Y2; ++Y) {
        const float T = Y1 >= Y2 ? 0.0f : float(Y - Y1) / float(Y2 - Y1);
        const float H = WrapHue(T * Upper.H + (1 - T) * Lower.H);
        PutPixel(Image, I, Y, Analyzer.FromModel, H, Upper.S, Upper.L);
      }
      Y1 = RoundInt((Lower.S - SatMin) * Span / DS);
      Y2 = RoundInt((Upper.S - SatMin) * Span / DS) + 3;
      for (int32_t Y = Y1; Y <= Y2; ++Y) {
        const float T = Y1 >= Y2 ? 0.0f : float(Y - Y1) / float(Y2 - Y1);
        const int32_t Row = std::min(2 * Half - Y - 1, Image.Height - 1);
        PutPixel(Image, I, Row, Analyzer.FromModel, WrapHue(Upper.H),
                 T * Upper.S + (1 - T) * Lower.S, Upper.L);
      }
    }
    Image.DrawLine(0, Half, Image.Width, Half, 0);
  } catch (const std::exception&) {
    std::string Text;
    HSLToText(Lower, Text);
    ErrorMessageProc("Exception in DrawGradientAnalyzer, CMin=" + Text);
  }
}

void TDoubleGradientAnalyzer::UnifyRanges() {
  auto Adopt = [](TGradientAnalyzer& To, const TGradientAnalyzer& From) {
    To.HueMin = From.HueMin;
    To.HueMax = From.HueMax;
    To.SatMin = From.SatMin;
    To.SatMax = From.SatMax;
  };
  if (Analyzer2.SatMax < 0.001f) Adopt(Analyzer2, Analyzer1);
  if (Analyzer1.SatMax < 0.001f) Adopt(Analyzer1, Analyzer2);
  const float S1 = Analyzer1.HueMin + Analyzer1.HueMax;
  if (S1 < Analyzer2.HueMin + Analyzer2.HueMax - 1) Analyzer2.ShiftHue(-1);
  if (S1 > Analyzer2.HueMin + Analyzer2.HueMax + 1) Analyzer2.ShiftHue(+1);
  HueMin = std::min(Analyzer1.HueMin, Analyzer2.HueMin);
  HueMax = std::max(Analyzer1.HueMax, Analyzer2.HueMax);
  SatMin = std::min(Analyzer1.SatMin, Analyzer2.SatMin);
  SatMax = std::max(Analyzer1.SatMax, Analyzer2.SatMax);
}

int32_t TDoubleGradientAnalyzer::HueToPosition(int32_t Size, float Hue) const {
  if (Hue < HueMin) Hue += 1;
  if (Hue < HueMin || Hue > HueMax || (HueMin == 0 && HueMax == 0)) return -1;
  const double R = std::max(HueMax - HueMin, 0.01f);
  return RoundInt((Hue - HueMin) * (Size / 2 - 1) / R);
}

int32_t TDoubleGradientAnalyzer::LumToPosition(int32_t Size, float Value) const {
  if (Value < SatMin || Value > SatMax || (SatMin == 0 && SatMax == 0)) return -1;
  const double D = (Value - SatMin) / std::max(SatMax - SatMin, 0.01f);
  return RoundInt((1 - D) * (Size / 2)) + Size / 2;
}

void TDoubleGradientAnalyzer::SetColorModel(TRGBToVariableHSLSingleProc ToModel,
                                            TVariableHSLToRGBSingleProc FromModel) {
  for (TGradientAnalyzer* A : {&Analyzer1, &Analyzer2}) {
    A->ToModel = ToModel;
    A->FromModel = FromModel;
  }
}

}  // namespace kromel
