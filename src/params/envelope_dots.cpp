// The curve model: construction, copying, the two splines and evaluation.
#include "params/envelope_dots.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/error_sink.h"
#include "params/envelope_math.h"

namespace kromel {

namespace {

// The spline's working storage: the dot records (element 0 is dot -2) and
// the coefficient arrays. Either the curve's own or a private copy.
struct TSplineRef {
  TCurveDotPoint* D;
  float* Slope;
  float* Quad;
  float* Cubic;
  float* Second;
  TCurveDotPoint& P(int32_t I) const { return D[I + 2]; }
  int32_t X(int32_t I) const { return D[I + 2].X; }
  int32_t Y(int32_t I) const { return D[I + 2].Y; }
};

struct TConstSplineRef {
  const TCurveDotPoint* D;
  const float* Slope;
  const float* Quad;
  const float* Cubic;
  const float* Second;
  int32_t X(int32_t I) const { return D[I + 2].X; }
  int32_t Y(int32_t I) const { return D[I + 2].Y; }
  int32_t F(int32_t I) const { return D[I + 2].Flags; }
};

// A divisor taken from an X difference: 0 counts as 0.00001.
double XDivisor(int64_t DX) { return DX == 0 ? 0.00001 : static_cast<double>(DX); }

// Single-precision slope between dots A and B.
float SlopeS(const TSplineRef& S, int32_t A, int32_t B) {
  const int64_t DX = int64_t(S.X(B)) - S.X(A);
  const float Div = DX == 0 ? 0.00001f : static_cast<float>(DX);
  return static_cast<float>(int64_t(S.Y(B)) - S.Y(A)) / Div;
}

void CalcAkimaOn(const TSplineRef& S, int32_t N, bool Circular) {
  for (int32_t I = 0; I < N; ++I)
    if (S.P(I).Y > EnvelopeMaxY) S.P(I).Y = EnvelopeMaxY;
  for (int32_t I = 1; I <= N + 1; ++I)
    if (S.X(I - 1) >= S.X(I)) S.P(I).X = SatInt32(int64_t(S.X(I - 1)) + 1);
  if (N < 2) return;

  int32_t LastDot = N + 1;
  if (!Circular) {
    const float M0 = SlopeS(S, 0, 1);
    const float M1 = N > 2 ? SlopeS(S, 1, 2) : 0.0f;
    S.P(-1).X = SatInt32(2 * int64_t(S.X(0)) - S.X(1));
    S.P(-2).X = SatInt32(2 * int64_t(S.X(0)) - S.X(2));
    S.P(-1).Y = RoundToInt32(S.Y(0) + double(int64_t(S.X(-1)) - S.X(0)) *
                                          (1.5 * double(M0) - 0.5 * double(M1)));
    S.P(-2).Y = S.Y(-1);
    const double ML =
        double(int64_t(S.Y(N - 1)) - S.Y(N - 2)) / XDivisor(int64_t(S.X(N - 1)) - S.X(N - 2));
    const float MP = SlopeS(S, N - 3, N - 2);
    S.P(N).X = SatInt32(int64_t(S.X(N - 1)) + S.X(N - 2) - S.X(N - 3));
    S.P(N + 1).X = SatInt32(2 * int64_t(S.X(N - 1)) - S.X(N - 3));
    S.P(N).Y = RoundToInt32(S.Y(N - 1) + double(int64_t(S.X(N)) - S.X(N - 1)) *
                                             (1.5 * ML - 0.5 * double(MP)));
    S.P(N + 1).Y = S.Y(N);
  } else {
    auto Wrapped = [&](int32_t Source, int64_t Shift) {
      TCurveDotPoint P = S.P(Source);
      P.X = SatInt32(P.X + Shift);
      return P;
    };
    S.P(-1) = Wrapped(N - 1, -EnvelopeMaxX);
    S.P(-2) = Wrapped(N - 2, -EnvelopeMaxX);
    const TCurveDotPoint First = Wrapped(0, EnvelopeMaxX);
    const TCurveDotPoint Second = Wrapped(1, EnvelopeMaxX);
    // The slope at the wrapped first dot needs one more dot after it.
    const TCurveDotPoint Third = Wrapped(2 % N, int64_t(EnvelopeMaxX) * (1 + 2 / N));
    S.P(N) = First;
    S.P(N + 1) = Second;
    S.P(N + 2) = Third;
    LastDot = N + 2;
  }
  for (int32_t I = -1; I <= LastDot; ++I)
    if (S.X(I - 1) >= S.X(I)) S.P(I).X = SatInt32(int64_t(S.X(I - 1)) + 1);

  const int32_t LastSlope = Circular ? N : N - 1;
  for (int32_t I = -1; I <= LastSlope; ++I) {
    const float M1 = I == -1 ? 0.0f : SlopeS(S, I - 2, I - 1);
    const float M2 = SlopeS(S, I - 1, I);
    const float M3 = SlopeS(S, I, I + 1);
    const float M4 = SlopeS(S, I + 1, I + 2);
    const float W1 = std::fabs(M4 - M3);
    const float W2 = std::fabs(M2 - M1);
    float T = 0;
    if (W1 + W2 > 0.00001f) {
      T = (W1 * M2 + W2 * M3) / (W1 + W2);
    } else {
      const double M3P =
          double(int64_t(S.Y(I + 1)) - S.Y(I)) / (double(int64_t(S.X(I + 1)) - S.X(I)) + 1.0);
      const double A = std::fabs(double(M4) - M3P);
      if (A + W2 > 0.00001) T = static_cast<float>((A * M2 + W2 * M3P) / (A + W2));
    }
    S.Slope[I + 1] = T;
  }
  // Slopes past the last computed dot are not defined; keep them at 0.
  for (int32_t I = LastSlope + 1; I <= N + 1; ++I) S.Slope[I + 1] = 0;

  for (int32_t I = -1; I <= N; ++I) {
    const double H = XDivisor(int64_t(S.X(I + 1)) - S.X(I));
    const double DY = double(int64_t(S.Y(I + 1)) - S.Y(I));
    const double M = DY / H;
    const double T0 = S.Slope[I + 1], T1 = S.Slope[I + 2];
    S.Quad[I + 1] = static_cast<float>((3 * M - 2 * T0 - T1) / H);
    S.Cubic[I + 1] = static_cast<float>((T0 + T1 - 2 * DY / H) / (H * H));
  }
}

void CalcNaturalOn(const TSplineRef& S, int32_t N) {
  if (N < 2) return;
  std::array<float, EnvelopeMaxDots> A{}, B{}, C{}, R{};
  B[0] = 1;
  B[static_cast<size_t>(N - 1)] = 1;
  for (int32_t I = 1; I <= N - 2; ++I) {
    const double XL = S.X(I - 1), XM = S.X(I), XR = S.X(I + 1);
    A[I] = static_cast<float>((XM - XL) / 6.0);
    B[I] = static_cast<float>((XR - XL) / 3.0);
    C[I] = static_cast<float>((XR - XM) / 6.0);
    const double Right = double(int64_t(S.Y(I + 1)) - S.Y(I)) / std::max(1.0, XR - XM);
    const double Left = double(int64_t(S.Y(I)) - S.Y(I - 1)) / std::max(1.0, XM - XL);
    R[I] = static_cast<float>(Right - Left);
  }
  for (int32_t I = 1; I <= N - 1; ++I) {
    const float F = B[I - 1] != 0 ? A[I] / B[I - 1] : 0.0f;
    B[I] -= F * C[I - 1];
    A[I] = 0;
    R[I] -= F * R[I - 1];
  }
  for (int32_t I = N - 2; I >= 0; --I) {
    const float F = B[I + 1] != 0 ? C[I] / B[I + 1] : 0.0f;
    B[I] -= F * A[I + 1];
    C[I] = 0;
    R[I] -= F * R[I + 1];
  }
  for (int32_t I = 0; I < N; ++I) S.Second[I] = B[I] != 0 ? R[I] / B[I] : 0.0f;
}

// GetValueS on a curve with 2..131 dots and valid coefficients.
float EvaluateOn(const TConstSplineRef& S, const TEnvelopeDots& C, int32_t N, float X) {
  // Only the Akima kind fills the wrapped dots a circular curve reads.
  const bool Circ = C.Circular && C.SplineType == stAkima;
  if (!Circ) {
    if (X < static_cast<float>(S.X(0))) return static_cast<float>(S.Y(0));
    if (X > static_cast<float>(S.X(N - 1))) return static_cast<float>(S.Y(N - 1));
  }
  const int32_t Extra = Circ ? 1 : 0;
  int32_t I = Circ ? 0 : 1;
  while ((static_cast<float>(S.X(I)) < X || S.X(I - 1) == S.X(I)) && I < N + Extra) ++I;
  const int32_t K = I - 1;

  const auto Straight = [&]() {
    const int64_t DX = int64_t(S.X(K + 1)) - S.X(K);
    float L = static_cast<float>(S.Y(K));
    if (DX != 0)
      L = static_cast<float>(S.Y(K)) + (X - static_cast<float>(S.X(K))) *
                                            static_cast<float>(int64_t(S.Y(K + 1)) - S.Y(K)) /
                                            static_cast<float>(DX);
    // Rounding alone can carry a line between in-range dots past the range.
    return std::clamp(static_cast<float>(256 - int64_t(C.Attenuation)) * L * (1.0f / 256.0f),
                      -32767.0f, 32767.0f);
  };
  if (C.Smooth == 0 || N < 3) return Straight();

  float V;
  if (C.SplineType == stAkima) {
    const float D = X - static_cast<float>(S.X(K));
    V = ((S.Cubic[K + 1] * D + S.Quad[K + 1]) * D + S.Slope[K + 1]) * D +
        static_cast<float>(S.Y(K));
    if (S.F(K) & 1) V = Straight();
  } else {
    const float H = static_cast<float>(int64_t(S.X(K + 1)) - S.X(K));
    const float T = (X - static_cast<float>(S.X(K))) / std::max(H, 1.0f);
    const float A = T, B = 1 - T;
    V = B * static_cast<float>(S.Y(K)) + A * static_cast<float>(S.Y(K + 1)) +
        ((A * A * A - A) * S.Second[K + 1] + (B * B * B - B) * S.Second[K]) * H * H / 6.0f;
  }
  if (V > 32767.0f) V = 32767.0f;
  if (V < -32767.0f) V = -32767.0f;
  if (!C.AllowNegative && V < 0) V = 0;
  return V;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction and state

TEnvelopeDots::TEnvelopeDots() {
  SetCircular(false);
  // Zero-filled after that first calculation, as a new curve starts.
  Dots.fill(TCurveDotPoint{});
  AkimaSlope.fill(0);
  AkimaQuad.fill(0);
  AkimaCubic.fill(0);
  SecondDerivs.fill(0);
}

int32_t TEnvelopeDots::Count() const { return std::clamp(NumDots, 0, EnvelopeMaxDots); }

void TEnvelopeDots::Repaint() {
  if (GraphControl != nullptr) GraphControl->Invalidate();
}

void TEnvelopeDots::SetDefault(TCurveDefaultType Kind) {
  switch (Kind) {
    case cdtDiagonal: ResetDiagonal(2); break;
    case cdtHorizontalZero: ResetHorizontal(0, 2); break;
    case cdtHorizontalMiddle: ResetHorizontal(16384, 2); break;
    case cdtMaximum: ResetHorizontal(EnvelopeMaxY, 2); break;
    default: break;
  }
}

void TEnvelopeDots::ResetDiagonal(int32_t Count) {
  Count = std::clamp(Count, 2, 130);
  NumDots = Count;
  for (int32_t I = 0; I < Count; ++I)
    Dot(I) = {I * EnvelopeMaxX / (Count - 1), I * EnvelopeMaxY / (Count - 1), 0};
  SelectedDot = -1;
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::ResetHorizontal(int32_t Value, int32_t Count) {
  // Limited to the curve's capacity as well.
  Count = std::clamp(Count, 2, EnvelopeMaxDots);
  NumDots = Count;
  for (int32_t I = 0; I < Count; ++I) Dot(I) = {I * EnvelopeMaxX / (Count - 1), Value, 0};
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::ResetMaximum(int32_t Count) { ResetHorizontal(EnvelopeMaxY, Count); }

void TEnvelopeDots::Clear() {
  NumDots = 0;
  Repaint();
}

bool TEnvelopeDots::CopyFrom(const TEnvelopeDots* Source) {
  if (Source == nullptr) {
    ErrorMessageProc("TEnvelopeDots.CopyFrom 1");
    return false;
  }
  if (Source == this) return true;
  Dots = Source->Dots;
  NumDots = Source->NumDots;
  Circular = Source->Circular;
  SplineType = Source->SplineType;
  SplineValid = Source->SplineValid.load();
  AkimaSlope = Source->AkimaSlope;
  AkimaQuad = Source->AkimaQuad;
  AkimaCubic = Source->AkimaCubic;
  SecondDerivs = Source->SecondDerivs;
  if (!SplineValid) CalcSpline();
  Repaint();
  return true;
}

void TEnvelopeDots::SetCircular(bool Value) {
  Circular = Value;
  CalcSpline();
}

void TEnvelopeDots::SetPickerPosition(int32_t Value) {
  if (Value == PickerPosition) return;
  PickerPosition = Value;
  Repaint();
}

int32_t TEnvelopeDots::GetSelectedDotX() const {
  if (SelectedDot < 0 || SelectedDot >= Count()) return -1;
  return Dot(SelectedDot).X;
}

// ---------------------------------------------------------------------------
// Evaluation

float TEnvelopeDots::GetValueS(float X) const {
  const int32_t N = NumDots;
  if (N < 0 || N > EnvelopeMaxDots) {
    ErrorMessageProc("TEnvelopeGraphBox: Exception in GetValueS, I=0 Num=" + std::to_string(N));
    return 0;
  }
  if (N == 0) return 0;
  if (N == 1) return static_cast<float>(Dot(0).Y);
  if (!SplineValid.load(std::memory_order_acquire)) {
    // The first evaluation after a change recalculates, once for all threads.
    std::lock_guard<std::mutex> Guard(FSplineLock);
    if (!SplineValid.load(std::memory_order_relaxed)) const_cast<TEnvelopeDots*>(this)->CalcSpline();
  }
  return EvaluateOn(
      {Dots.data(), AkimaSlope.data(), AkimaQuad.data(), AkimaCubic.data(), SecondDerivs.data()},
      *this, N, X);
}

int32_t TEnvelopeDots::GetValue(int32_t X) const {
  return RoundToInt32(GetValueS(static_cast<float>(X)));
}

// ---------------------------------------------------------------------------
// Spline calculation

void TEnvelopeDots::CalcSpline() {
  if (SplineType == stAkima) CalcSplineAkima();
  else CalcSplinePhotoshop();
  SplineValid.store(true, std::memory_order_release);
}

void TEnvelopeDots::CalcSplineAkima() {
  if (NumDots < 0 || NumDots > EnvelopeMaxDots) {
    ErrorMessageProc("TEnvelopeGraphBox: Exception in CalcSplineAkima, N=" +
                     std::to_string(NumDots));
    return;
  }
  CalcAkimaOn({Dots.data(), AkimaSlope.data(), AkimaQuad.data(), AkimaCubic.data(),
               SecondDerivs.data()},
              NumDots, Circular);
}

void TEnvelopeDots::CalcSplinePhotoshop() {
  CalcNaturalOn({Dots.data(), AkimaSlope.data(), AkimaQuad.data(), AkimaCubic.data(),
                 SecondDerivs.data()},
                Count());
}

void TEnvelopeDots::DotsToText(std::string& Text) const {
  Text.clear();
  for (int32_t I = -2; I <= Count() + 2; ++I)
    Text += std::to_string(I) + ": (X: " + std::to_string(Dot(I).X) + ", " +
            std::to_string(Dot(I).Y) + ")\n";
}

// ---------------------------------------------------------------------------
// Flat normalised access

float TEnvelopeDots::GetNormalizedValue(int32_t Index) const {
  if (Index == 0) return static_cast<float>(NumDots) / 132.0f;
  if (Index < 0) return 0;
  const int32_t D = (Index - 1) / 2;
  if (D >= EnvelopeMaxDots) return 0;
  if (Index % 2 == 1) return static_cast<float>(Dot(D).X) / 16384.0f;
  return static_cast<float>(Dot(D).Y) / 32768.0f;
}

void TEnvelopeDots::SetNormalizedValue(int32_t Index, float Value) {
  if (Index == 0) {
    NumDots = std::clamp(RoundToInt32(Value * 132.0f), 0, EnvelopeMaxDots);
  } else if (Index > 0) {
    const int32_t D = (Index - 1) / 2;
    if (D >= EnvelopeMaxDots) return;
    if (Index % 2 == 1) Dot(D).X = RoundToInt32(Value * 16384.0f);
    else Dot(D).Y = std::clamp(RoundToInt32(Value * 32768.0f), -EnvelopeMaxY, EnvelopeMaxY);
  } else {
    return;
  }
  // Not recalculated here; evaluation reads a private recalculation until
  // the caller calls CalcSpline.
  SplineValid = false;
}

}  // namespace kromel
