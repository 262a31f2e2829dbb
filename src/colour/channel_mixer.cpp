#include "colour/channel_mixer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "foundation/ascii_case.h"
#include "foundation/error_sink.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"
#include "foundation/text_scan.h"
#include "foundation/text_tokens.h"
#include "images/image128.h"
#include "platform/translate.h"

namespace kromel {

namespace {

constexpr double Pi = std::numbers::pi;

double& At(TChannelMixerParams& P, int Row, int Col) { return P.Matrix[3 * Row + Col]; }
double At(const TChannelMixerParams& P, int Row, int Col) { return P.Matrix[3 * Row + Col]; }

float RowSum(const TChannelMixerParams& P, int Row) {
  return static_cast<float>(At(P, Row, 0) + At(P, Row, 1) + At(P, Row, 2));
}

// The Single-rounded determinant of Algorithm 1.
float Determinant(const double (&M)[9]) {
  const double D = M[0] * (M[4] * M[8] - M[5] * M[7]) - M[1] * (M[3] * M[8] - M[5] * M[6]) +
                   M[2] * (M[3] * M[7] - M[4] * M[6]);
  return static_cast<float>(D);
}

// Inv = inverse of M; false (Inv untouched) when singular.
bool InvertMatrix(const double (&M)[9], double (&Inv)[9]) {
  const float D = Determinant(M);
  if (!(std::fabs(D) >= 0.000001f)) return false;
  const double d = D;
  double R[9];
  R[0] = (M[4] * M[8] - M[5] * M[7]) / d;
  R[1] = -(M[1] * M[8] - M[2] * M[7]) / d;
  R[2] = (M[1] * M[5] - M[2] * M[4]) / d;
  R[3] = -(M[3] * M[8] - M[5] * M[6]) / d;
  R[4] = (M[0] * M[8] - M[2] * M[6]) / d;
  R[5] = -(M[0] * M[5] - M[2] * M[3]) / d;
  R[6] = (M[3] * M[7] - M[4] * M[6]) / d;
  R[7] = -(M[0] * M[7] - M[1] * M[6]) / d;
  R[8] = (M[0] * M[4] - M[1] * M[3]) / d;
  std::copy(R, R + 9, Inv);
  return true;
}

// C = A x B.
void MultiplyMatrices(const double (&A)[9], const double (&B)[9], double (&C)[9]) {
  double R[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      R[3 * i + j] = A[3 * i] * B[j] + A[3 * i + 1] * B[3 + j] + A[3 * i + 2] * B[6 + j];
  std::copy(R, R + 9, C);
}

// A uniform number in [0, 1) from the process-wide generator.

// Replaces the first case-insensitive occurrence of Label by Short.
void ReplaceFirstIgnoreCase(std::string& Text, const std::string& Label, const std::string& Short) {
  if (Label.empty()) return;
  const std::size_t P = UpperAscii(Text).find(UpperAscii(Label));
  if (P != std::string::npos) Text.replace(P, Label.size(), Short);
}

float ItemNumber(std::string Item) {
  TrimLeadingBlanks(Item);
  return StrToFloatLeading(Item);
}

}  // namespace

void ChannelMixerSetDefault(TChannelMixerParams& P) {
  P = TChannelMixerParams{};
  P.Matrix[0] = P.Matrix[4] = P.Matrix[8] = 1;
}

void ChannelMixerClear(TChannelMixerParams& P) { P = TChannelMixerParams{}; }

bool ChannelMixerIsIdentity(const TChannelMixerParams& P) {
  for (int i = 0; i < 9; ++i)
    if (P.Matrix[i] != (i % 4 == 0 ? 1.0 : 0.0)) return false;
  return true;
}

float ChannelMixerGain(const TChannelMixerParams& P) {
  double S = 0;
  for (double C : P.Matrix) S += C;
  return static_cast<float>(S / 3);
}

void ChannelMixerScaleSingle(TChannelMixerParams& P, float F) {
  for (double& C : P.Matrix) C *= F;
}

void ChannelMixerScale(TChannelMixerParams& P, double F) {
  for (double& C : P.Matrix) C *= F;
}

void ChannelMixerAdd(TChannelMixerParams& A, const TChannelMixerParams& B) {
  for (int i = 0; i < 9; ++i) A.Matrix[i] += B.Matrix[i];
}

void ChannelMixerMultiply(TChannelMixerParams& A, const TChannelMixerParams& B) {
  MultiplyMatrices(B.Matrix, A.Matrix, A.Matrix);
}

void ChannelMixerInvert(TChannelMixerParams& Dst, const TChannelMixerParams& Src) {
  if (!InvertMatrix(Src.Matrix, Dst.Matrix)) Dst = Src;
}

void ChannelMixerInvertInPlace(TChannelMixerParams& P) { InvertMatrix(P.Matrix, P.Matrix); }

void ChannelMixerApplyToColor(const TChannelMixerParams& P, float& R, float& G, float& B) {
  const double r = R, g = G, b = B;
  const double* M = P.Matrix;
  R = static_cast<float>(M[0] * r + M[1] * g + M[2] * b);
  G = static_cast<float>(M[3] * r + M[4] * g + M[5] * b);
  B = static_cast<float>(M[6] * r + M[7] * g + M[8] * b);
}

void ChannelMixerApplyToImage128(const TChannelMixerParams& P, TImage128& Image) {
  if (Image.Data == nullptr || Image.Size <= 0) return;
  for (int32_t i = 0; i < Image.Size; ++i) {
    TBGRAPixel128& X = Image.Data[i];
    float r = X.R + P.OffsetR, g = X.G + P.OffsetG, b = X.B + P.OffsetB;
    ChannelMixerApplyToColor(P, r, g, b);
    X.R = r;
    X.G = g;
    X.B = b;
  }
}

void ChannelMixerWhiteBalance(TChannelMixerParams& P, float& GainR, float& GainG, float& GainB) {
  if (!(ChannelMixerGain(P) >= 0.01f)) return;
  double Inv[9];
  // A singular matrix has no white balance to split off.
  if (!InvertMatrix(P.Matrix, Inv)) return;
  double S[3];
  for (int c = 0; c < 3; ++c) {
    S[c] = Inv[3 * c] + Inv[3 * c + 1] + Inv[3 * c + 2];
    if (!(S[c] != 0) || !std::isfinite(S[c])) return;
  }
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) At(P, r, c) *= S[c];
  GainR = static_cast<float>(1 / S[0]);
  GainG = static_cast<float>(1 / S[1]);
  GainB = static_cast<float>(1 / S[2]);
}

namespace {

// The rotation about the grey axis, row-major.
void HueMatrix(float Angle, double (&H)[9]) {
  const float k = std::cos(Angle);
  const float n = std::sin(Angle);
  const double o = (1.0 - k) / 3;
  const double t = n * 0.5773502691896257645;
  const double c = k + (1.0 - k) / 3;
  const double R[9] = {c, o - t, o + t, o + t, c, o - t, o - t, o + t, c};
  std::copy(R, R + 9, H);
}

}  // namespace

void ChannelMixerRotateHue(TChannelMixerParams& P, float Angle) {
  double H[9];
  HueMatrix(Angle, H);
  MultiplyMatrices(H, P.Matrix, P.Matrix);
}

void ChannelMixerRotateHueInput(TChannelMixerParams& P, float Angle) {
  double H[9];
  HueMatrix(Angle, H);
  MultiplyMatrices(P.Matrix, H, P.Matrix);
}

void ChannelMixerSaturation(TChannelMixerParams& P, float F) {
  for (double& C : P.Matrix) C = F * (C - 1.0 / 3) + 1.0 / 3;
}

void ChannelMixerSaturationLuma(TChannelMixerParams& P, float F) {
  static const double W[3] = {0.2126, 0.7152, 0.0722};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) At(P, r, c) = F * (At(P, r, c) - W[c]) + W[c];
}

void ChannelMixerLimitGain(TChannelMixerParams& P) {
  auto Sum = [](double A, double B) { return static_cast<float>(A + B); };
  const double* M = P.Matrix;
  const float Values[7] = {static_cast<float>(M[0] + M[3] + M[6]),
                           static_cast<float>(M[1] + M[4] + M[7]),
                           static_cast<float>(M[2] + M[5] + M[8]),
                           Sum(M[0], M[3]),
                           Sum(M[0], M[6]),
                           Sum(M[3], M[6]),
                           1.0f};
  float Mx = Values[0];
  for (float V : Values)
    if (V > Mx) Mx = V;
  // Within the limit already: leave the coefficients exactly as they are.
  if (!(Mx > 1.0f)) return;
  ChannelMixerSaturation(P, 1.0f / (Mx * Mx * Mx));
}

void ChannelMixerNormalizeRows(TChannelMixerParams& P) {
  for (int r = 0; r < 3; ++r) {
    const float S = RowSum(P, r);
    if (S < 0.05f) At(P, r, r) += 0.05 - S;
  }
  for (int r = 0; r < 3; ++r) {
    const double S = At(P, r, 0) + At(P, r, 1) + At(P, r, 2);
    if (std::fabs(S) > 0.001)
      for (int c = 0; c < 3; ++c) At(P, r, c) /= S;
  }
}

void ChannelMixerBalanceColumns(TChannelMixerParams& P) {
  TChannelMixerParams Copy = P;
  ChannelMixerInvertInPlace(Copy);
  for (int r = 0; r < 3; ++r) {
    const double Q = At(Copy, 0, r) + At(Copy, 1, r) + At(Copy, 2, r);
    if (std::fabs(Q) > 0.001)
      for (int c = 0; c < 3; ++c) At(P, r, c) *= Q;
  }
}

void ChannelMixerRandomizeAtColor(TChannelMixerParams& P, float R, float G, float B) {
  if (!(R > 0)) return;
  for (int r = 0; r < 3; ++r) {
    const float S = RowSum(P, r);
    const float O = static_cast<float>(At(P, r, 0) * R + At(P, r, 1) * G + At(P, r, 2) * B);
    At(P, r, 1) = RandomFloat01() * 3.0 - 1;
    if (std::fabs(R - B) > 0.0001f)
      At(P, r, 0) = (B * At(P, r, 1) + O - G * At(P, r, 1) - S * B) / (R - B);
    At(P, r, 2) = S - At(P, r, 0) - At(P, r, 1);
  }
}

void ChannelMixerAdjustAtColor(TChannelMixerParams& P, int32_t OpR, int32_t OpG, int32_t OpB,
                               float R, float G, float B, float Amount) {
  float S[3], O[3];
  for (int r = 0; r < 3; ++r) {
    S[r] = RowSum(P, r);
    O[r] = static_cast<float>(At(P, r, 0) * R + At(P, r, 1) * G + At(P, r, 2) * B);
  }
  if (OpR + OpG + OpB == 0) {
    TBGRAPixel128 Q, Q1, Q2;
    Q.Init(O[0], O[1], O[2], 1);
    RotateHue128To(Q, Q1, static_cast<float>(Pi / 8));
    RotateHue128To(Q, Q2, static_cast<float>((10.0f * Amount + 1) * Pi / 8));
    TChannelMixerParams T;
    ChannelMixerSetDefault(T);
    if (ChannelMixerFromColorSamples(T, Q, Q1, Q, Q2, 0.0001f) > 0) ChannelMixerMultiply(P, T);
    return;
  }
  const int32_t Ops[3] = {OpR, OpG, OpB};
  for (int r = 0; r < 3; ++r) {
    const int32_t Op = Ops[r];
    if (Op < 1 || Op > 6) continue;
    const double Delta = (Op % 2 == 1) ? Amount : -Amount;
    double& M0 = At(P, r, 0);
    double& M1 = At(P, r, 1);
    double& M2 = At(P, r, 2);
    if (Op <= 2) {
      M0 += Delta;
      if (std::fabs(G - B) > 0.0001f) M1 = (B * M0 + O[r] - R * M0 - S[r] * B) / (G - B);
      M2 = S[r] - M0 - M1;
    } else if (Op <= 4) {
      M1 += Delta;
      if (std::fabs(R - B) > 0.0001f) M0 = (B * M1 + O[r] - G * M1 - S[r] * B) / (R - B);
      M2 = S[r] - M0 - M1;
    } else {
      M2 += Delta;
      if (std::fabs(G - R) > 0.0001f) M1 = (R * M2 + O[r] - B * M2 - S[r] * R) / (G - R);
      M0 = S[r] - M2 - M1;
    }
  }
}

float ChannelMixerFromColorSamples(TChannelMixerParams& P, const TBGRAPixel128& S1,
                                   const TBGRAPixel128& S2, const TBGRAPixel128& T1,
                                   const TBGRAPixel128& T2, float Threshold) {
  const double A1 = double(S1.R) - S1.B, B1 = double(S1.G) - S1.B;
  const double A2 = double(S2.R) - S2.B, B2 = double(S2.G) - S2.B;
  const double Det = B2 * A1 - A2 * B1;
  if (!(std::fabs(Det) > Threshold)) return 0;
  const float T1X[3] = {T1.R, T1.G, T1.B};
  const float T2X[3] = {T2.R, T2.G, T2.B};
  double M[9];
  for (int r = 0; r < 3; ++r) {
    const double U1 = double(T1X[r]) - S1.B, U2 = double(T2X[r]) - S2.B;
    const double a = (U1 * B2 - U2 * B1) / Det;
    const double b = (U2 * A1 - U1 * A2) / Det;
    M[3 * r] = a;
    M[3 * r + 1] = b;
    M[3 * r + 2] = 1 - a - b;
  }
  std::copy(M, M + 9, P.Matrix);
  double Largest = 1;
  for (double C : M) Largest = std::max(Largest, std::fabs(C));
  return static_cast<float>((std::fabs(Det) + 0.1) / Largest);
}

float ChannelMixerFromThreeColorPairs(TChannelMixerParams& P, const TBGRAPixel128& S1,
                                      const TBGRAPixel128& S2, const TBGRAPixel128& S3,
                                      const TBGRAPixel128& T1, const TBGRAPixel128& T2,
                                      const TBGRAPixel128& T3, float Threshold) {
  // Rows of S and T are the colours (R, G, B).
  const float S[3][3] = {{S1.R, S1.G, S1.B}, {S2.R, S2.G, S2.B}, {S3.R, S3.G, S3.B}};
  const float T[3][3] = {{T1.R, T1.G, T1.B}, {T2.R, T2.G, T2.B}, {T3.R, T3.G, T3.B}};
  auto Det = [](const float a[3], const float b[3], const float c[3]) {
    return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
           a[2] * (b[0] * c[1] - b[1] * c[0]);
  };
  const float D = Det(S[0], S[1], S[2]);
  if (!(std::fabs(D) > Threshold)) return 0;
  double M[9];
  for (int Row = 0; Row < 3; ++Row)
    for (int Col = 0; Col < 3; ++Col) {
      float Rows[3][3];
      for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3; ++j) Rows[k][j] = j == Col ? T[k][Row] : S[k][j];
      M[3 * Row + Col] = double(Det(Rows[0], Rows[1], Rows[2])) / double(D);
    }
  std::copy(M, M + 9, P.Matrix);
  return std::fabs(D) + 0.1f;
}

void CreateRGBtoXYZ(TChannelMixerParams& P, float Xr, float Yr, float Xg, float Yg, float Xb,
                    float Yb, float Xw, float Yw, float Zw) {
  try {
    ChannelMixerSetDefault(P);
    if (Yr == 0 || Yg == 0 || Yb == 0) return;
    const float x[3] = {Xr, Xg, Xb};
    const float y[3] = {Yr, Yg, Yb};
    float X[3], Z[3];
    for (int i = 0; i < 3; ++i) {
      X[i] = x[i] / y[i];
      Z[i] = (1 - x[i] - y[i]) / y[i];
    }
    TChannelMixerParams C;
    const double CM[9] = {X[0], X[1], X[2], 1, 1, 1, Z[0], Z[1], Z[2]};
    std::copy(CM, CM + 9, C.Matrix);
    TChannelMixerParams Ci;
    ChannelMixerInvert(Ci, C);
    float S[3];
    for (int i = 0; i < 3; ++i)
      S[i] = static_cast<float>(At(Ci, i, 0) * Xw + At(Ci, i, 1) * Yw + At(Ci, i, 2) * Zw);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) At(P, r, c) = static_cast<float>(At(C, r, c) * S[c]);
  } catch (...) {
    ErrorMessageProc("Exception in CreateRGBtoXYZ");
  }
}

bool ParseRGBText(const std::string& Text, float& R, float& G, float& B) {
  std::string S = Text;
  TrimLeadingBlanks(S);
  ReplaceFirstIgnoreCase(S, _("Red:"), "R:");
  ReplaceFirstIgnoreCase(S, _("Green:"), "G:");
  ReplaceFirstIgnoreCase(S, _("Blue:"), "B:");
  const std::string U = UpperAscii(S);
  R = GetFloatAfter(U, "R:");
  G = GetFloatAfter(U, "G:");
  B = GetFloatAfter(U, "B:");
  if (U.find("B:") != std::string::npos) return true;
  if (CountSemicolonItems(S) >= 3) {
    R = ItemNumber(GetSemicolonItem(S, 0));
    G = ItemNumber(GetSemicolonItem(S, 1));
    B = ItemNumber(GetSemicolonItem(S, 2));
  } else if (CountCommaItems(S) >= 3) {
    R = ItemNumber(GetCommaItem(S, 0));
    G = ItemNumber(GetCommaItem(S, 1));
    B = ItemNumber(GetCommaItem(S, 2));
  } else if (CountWords(S) >= 3) {
    R = ItemNumber(GetWord(S, 0));
    G = ItemNumber(GetWord(S, 1));
    B = ItemNumber(GetWord(S, 2));
  } else {
    return false;
  }
  return true;
}

void ChannelMixerMonochromeSetDefault(TChannelMixerMonochromeParams& MP) {
  const float Third = 1.0f / 3;
  MP.R = Third;
  MP.G = Third;
  MP.B = Third;
  MP.Fourth = 0;
}

}  // namespace kromel
