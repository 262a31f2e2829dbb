// The curve model's editing operations: dot edits, reshaping and clean-up.
// Each public operation that changes dots ends with the spline recalculated.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "params/envelope_dots.h"
#include "params/envelope_math.h"

namespace kromel {

namespace {

int64_t Abs64(int64_t V) { return V < 0 ? -V : V; }

// A * B / C in 128 bits, limited to the Int32 range; C = 0 gives 0.
int32_t MulDiv(int64_t A, int64_t B, int64_t C) {
  if (C == 0) return 0;
  const __int128 R = static_cast<__int128>(A) * B / C;
  if (R < INT32_MIN) return INT32_MIN;
  if (R > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(R);
}

int32_t Mid(int32_t A, int32_t B) { return static_cast<int32_t>((int64_t(A) + B) / 2); }

// Uniform in [0, 1).

// A copy that evaluates like Source (the settings CopyFrom keeps are taken too).
std::unique_ptr<TEnvelopeDots> EvaluatingCopy(const TEnvelopeDots& Source) {
  auto Copy = std::make_unique<TEnvelopeDots>();
  Copy->Smooth = Source.Smooth;
  Copy->Attenuation = Source.Attenuation;
  Copy->AllowNegative = Source.AllowNegative;
  Copy->CopyFrom(&Source);
  return Copy;
}

}  // namespace

// ---------------------------------------------------------------------------
// Primitives

int32_t TEnvelopeDots::AddDotRaw(int32_t X, int32_t Y, int32_t MinDistance) {
  X = std::clamp(X, 0, EnvelopeMaxX);
  if (Y > EnvelopeMaxY) Y = EnvelopeMaxY;
  if (AllowNegative) {
    if (Y < -EnvelopeMaxY) Y = -EnvelopeMaxY;
  } else if (Y < 0) {
    Y = 0;
  }
  const int32_t N = Count();
  NumDots = N;
  int32_t K = 0;
  while (K < N && Dot(K).X < X) ++K;
  if (K == N) {
    if (N == 0) NumDots = 1;
    else if (Abs64(int64_t(Dot(N - 1).X) - X) > MinDistance && N < EnvelopeMaxDots) NumDots = N + 1;
    // Otherwise the dot goes to the slot after the curve and changes nothing.
  } else if (Abs64(int64_t(Dot(K).X) - X) > MinDistance && N < EnvelopeMaxDots) {
    for (int32_t I = N; I > K; --I) Dot(I) = Dot(I - 1);
    NumDots = N + 1;
  }
  Dot(K) = {X, Y, 0};
  SplineValid = false;
  return K;
}

void TEnvelopeDots::DeleteDotRaw(int32_t Index) {
  const int32_t N = Count();
  if (Index < 0 || Index >= N) return;
  for (int32_t I = Index; I < N - 1; ++I) Dot(I) = Dot(I + 1);
  NumDots = N - 1;
  SplineValid = false;
}

void TEnvelopeDots::InsertDotRaw(int32_t Index, const TCurveDotPoint& P) {
  const int32_t N = Count();
  if (N >= EnvelopeMaxDots || Index < 0 || Index > N) return;
  for (int32_t I = N; I > Index; --I) Dot(I) = Dot(I - 1);
  Dot(Index) = P;
  NumDots = N + 1;
  SplineValid = false;
}

int32_t TEnvelopeDots::EditValue(int32_t X) {
  if (!SplineValid) CalcSpline();
  return GetValue(X);
}

// ---------------------------------------------------------------------------
// Dot editing

int32_t TEnvelopeDots::AddDot(int32_t X, int32_t Y, int32_t MinDistance) {
  const int32_t K = AddDotRaw(X, Y, MinDistance);
  CalcSpline();
  return K;
}

void TEnvelopeDots::AddDotAndSelect(int32_t X, int32_t Y) {
  SelectedDot = AddDot(X, Y, 100);
  Repaint();
}

void TEnvelopeDots::MoveSelectedDot(int32_t X, int32_t Y) {
  if (SelectedDot >= 0 && SelectedDot < Count()) {
    Dot(SelectedDot).X = X;
    Dot(SelectedDot).Y = Y;
    CalcSpline();
  }
  Repaint();
}

void TEnvelopeDots::DeleteDot(int32_t Index) {
  if (Index < 0 || Index >= Count()) return;
  DeleteDotRaw(Index);
  CalcSpline();
}

int32_t TEnvelopeDots::FindDot(int32_t X, int32_t Tolerance) const {
  int32_t Best = -1;
  int64_t BestDistance = 0;
  for (int32_t I = 0; I < Count(); ++I) {
    const int64_t D = Abs64(int64_t(Dot(I).X) - X);
    if (D <= Tolerance && (Best < 0 || D <= BestDistance)) {
      Best = I;
      BestDistance = D;
    }
  }
  return Best;
}

void TEnvelopeDots::AddEndDots() {
  if (Count() > 0) {
    if (Dot(0).X != 0 && Count() < EnvelopeMaxDots) {
      TCurveDotPoint P = Dot(0);
      P.X = 0;
      InsertDotRaw(0, P);
    }
    const int32_t N = Count();
    if (Dot(N - 1).X != EnvelopeMaxX && N < EnvelopeMaxDots) {
      TCurveDotPoint P = Dot(N - 1);
      P.X = EnvelopeMaxX;
      InsertDotRaw(N, P);
    }
    CalcSpline();
  }
  Repaint();
}

void TEnvelopeDots::AddIntermediateDots(int32_t MaxStep) {
  if (MaxStep < 1) return;  // no step to divide by
  const auto Start = EvaluatingCopy(*this);
  const int32_t N = Start->Count();
  for (int32_t I = 0; I + 1 < N; ++I) {
    const int64_t X0 = Start->Dot(I).X;
    const int64_t W = int64_t(Start->Dot(I + 1).X) - X0;
    if (W <= MaxStep) continue;
    // New dots land on 0..16384, so more steps than that only repeat them.
    const int64_t Steps = std::min<int64_t>(W / MaxStep, 2 * EnvelopeMaxX);
    for (int64_t J = 1; J < Steps; ++J) {
      const int32_t X = SatInt32(X0 + J * W / Steps);
      AddDotRaw(X, Start->GetValue(X), 100);
    }
  }
  CalcSpline();
}

// ---------------------------------------------------------------------------
// Whole-curve reshaping

void TEnvelopeDots::Transpose() {
  for (int32_t I = 0; I < Count(); ++I) {
    const int32_t X = Dot(I).X, Y = Dot(I).Y;
    Dot(I).X = MulDiv(Y, EnvelopeMaxX, EnvelopeMaxY);
    Dot(I).Y = MulDiv(X, EnvelopeMaxY, EnvelopeMaxX);
  }
  RepairDots();
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::Invert() {
  for (int32_t I = 0; I < Count(); ++I) Dot(I).Y = SatInt32(int64_t(EnvelopeMaxY) - Dot(I).Y);
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::BlendWithDiagonal(float Amount) {
  for (int32_t I = 0; I < Count(); ++I)
    Dot(I).Y = RoundToInt32((1 - Amount) * (static_cast<float>(Dot(I).X) / 16384.0f * 32767.0f) +
                            Amount * static_cast<float>(Dot(I).Y));
  CalcSpline();
}

void TEnvelopeDots::BlendToDiagonal(float Amount) {
  for (int32_t I = 0; I < Count(); ++I)
    Dot(I).Y = RoundToInt32(Amount * 2 * static_cast<float>(Dot(I).X) +
                            (1 - Amount) * static_cast<float>(Dot(I).Y));
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::ApplyCurve(const TEnvelopeDots* Curve) {
  if (Curve == nullptr) return;
  // Reading this curve while rewriting it would see half-changed dots.
  std::unique_ptr<TEnvelopeDots> Own;
  if (Curve == this) {
    Own = EvaluatingCopy(*this);
    Curve = Own.get();
  }
  for (int32_t I = 0; I < Count(); ++I)
    Dot(I).Y = Curve->GetValue(
        RoundToInt32(static_cast<float>(Dot(I).Y) / 32767.0f * 16384.0f));
  CalcSpline();
}

void TEnvelopeDots::SetAverageOf(const TEnvelopeDots* A, const TEnvelopeDots* B,
                                 const TEnvelopeDots* C) {
  if (A == nullptr || B == nullptr || C == nullptr) return;
  // A source that is this curve is read from a copy taken before the rebuild.
  std::unique_ptr<TEnvelopeDots> Own;
  if (A == this || B == this || C == this) {
    Own = EvaluatingCopy(*this);
    if (A == this) A = Own.get();
    if (B == this) B = Own.get();
    if (C == this) C = Own.get();
  }
  NumDots = 0;
  for (const TEnvelopeDots* Source : {A, B, C}) {
    for (int32_t I = 0; I < Source->Count(); ++I) {
      const int32_t X = Source->Dot(I).X;
      const int64_t Sum = int64_t(A->GetValue(X)) + B->GetValue(X) + C->GetValue(X);
      AddDotRaw(X, SatInt32(Sum / 3), 100);
    }
  }
  CalcSpline();
}

void TEnvelopeDots::MakeBandCurve(int32_t Low, int32_t High, int32_t Falloff) {
  int32_t Inside = EnvelopeMaxY, Outside = 0;
  int64_t A = int64_t(Low) - 192, B = int64_t(High) + 192;
  if (A > B) {
    std::swap(A, B);
    std::swap(Inside, Outside);
  }
  A = std::min<int64_t>(A, EnvelopeMaxX);
  B = std::min<int64_t>(B, EnvelopeMaxX);
  if (Abs64(A - B) <= 256) {
    A -= 128;
    B = std::min<int64_t>(B + 128, EnvelopeMaxX);
  }
  int32_t N = 0;
  const auto Put = [&](int64_t X, int32_t Y) {  // flags stay as they were
    Dot(N).X = SatInt32(X);
    Dot(N).Y = Y;
    ++N;
  };
  if (A > 0) Put(A - Falloff, Outside);
  Put(std::max<int64_t>(A, 0), Inside);
  Put(B, Inside);
  if (B < EnvelopeMaxX) Put(B + Falloff, Outside);
  NumDots = N;
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::Randomize(int32_t Count) {
  Count = std::clamp(Count, 2, EnvelopeMaxDots);
  NumDots = Count;
  Dots.fill(TCurveDotPoint{});
  const int32_t Last = Count - 1;
  Dot(Last) = {EnvelopeMaxX, EnvelopeMaxY, 0};
  if (RandomFloat01() > 0.5) Dot(0).X = RoundToInt32(RandomFloat01() * 16384 * 0.1);
  else Dot(0).Y = RoundToInt32(RandomFloat01() * 32767 * 0.1);
  if (RandomFloat01() > 0.5) Dot(Last).X = RoundToInt32((1 - RandomFloat01() * 0.1) * 16384);
  else Dot(Last).Y = RoundToInt32((1 - RandomFloat01() * 0.1) * 32767);
  if (Count == 3) {
    Dot(1).X = RoundToInt32(((RandomFloat01() - 0.5) * 0.6 + 0.5) * 16384);
    Dot(1).Y = RoundToInt32(((RandomFloat01() - 0.5) * 0.1 + Dot(1).X / 16384.0) * 32767);
  }
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::StretchFrom(const TEnvelopeDots* Source, int32_t Index) {
  const int32_t N = Count();
  if (Source == nullptr || Index < 0 || Index >= N) return;
  std::unique_ptr<TEnvelopeDots> Own;
  if (Source == this) {
    Own = EvaluatingCopy(*this);
    Source = Own.get();
  }
  const auto SX = [&](int32_t I) { return int64_t(Source->Dot(I).X); };
  const auto SY = [&](int32_t I) { return int64_t(Source->Dot(I).Y); };
  const int64_t X0 = SX(0), XN = SX(N - 1);
  const int64_t D = int64_t(Dot(Index).Y) - SY(Index);
  const int64_t LeftSpan = std::max<int64_t>(30, SX(Index) - X0);
  for (int32_t J = 0; J < Index; ++J) {
    Dot(J).X = SatInt32(MulDiv(int64_t(Dot(Index).X) - X0, SX(J) - X0, LeftSpan) + X0);
    Dot(J).Y = SatInt32(SY(J) + MulDiv(int64_t(Dot(J).X) - Dot(0).X, D, LeftSpan));
  }
  const int64_t RightSpan = XN - SX(Index);
  for (int32_t K = Index + 1; K < N; ++K) {
    Dot(K).X = SatInt32(XN - MulDiv(XN - SX(K), XN - Dot(Index).X, std::max<int64_t>(1, RightSpan)));
    Dot(K).Y = SatInt32(SY(K) + MulDiv(int64_t(Dot(N - 1).X) - Dot(K).X, D,
                                       std::max<int64_t>(30, RightSpan)));
  }
  const int32_t Floor = AllowNegative ? -EnvelopeMaxY : 0;
  for (int32_t I = 0; I < N; ++I)
    if (Dot(I).Y < Floor) Dot(I).Y = Floor;
  CalcSpline();
}

void TEnvelopeDots::ExtendToEnds(bool ToZeroY, bool ToFullY, float Factor) {
  if (Count() < 2) return;
  if (Dot(0).X > 0) {
    if (Dot(0).X == Dot(1).X) DeleteDotRaw(1);
    if (Count() >= 2 && Dot(0).Y == Dot(1).Y) DeleteDotRaw(1);
    if (Count() >= 2 && Dot(1).X > Dot(0).X) {
      const double X0 = Dot(0).X, Y0 = Dot(0).Y, X1 = Dot(1).X, Y1 = Dot(1).Y;
      const int32_t YAtZero = RoundToInt32(Y0 - X0 * (Y1 - Y0) / (X1 - X0));
      if (YAtZero > 0)
        AddDotRaw(0, ToZeroY ? 0 : YAtZero, 100);
      else if (Y1 != Y0)
        AddDotRaw(RoundToInt32(Factor * (X0 - Y0 * (X1 - X0) / (Y1 - Y0))), 0, 100);
    }
  }
  int32_t N = Count();
  if (N >= 2 && Dot(N - 1).X < EnvelopeMaxX - 1) {
    if (Dot(N - 1).X == Dot(N - 2).X) DeleteDotRaw(N - 2);
    N = Count();
    if (ToFullY) {
      AddDotRaw(EnvelopeMaxX, EnvelopeMaxY, 100);
    } else if (N >= 2) {
      const double XA = Dot(N - 2).X, YA = Dot(N - 2).Y, XB = Dot(N - 1).X, YB = Dot(N - 1).Y;
      const double Y = XA == XB ? YB : (YA - YB) * (EnvelopeMaxX - XB) / (XA - XB) + YB;
      AddDotRaw(EnvelopeMaxX, RoundToInt32(Y), 100);
    }
  }
  CalcSpline();
  Repaint();
}

// ---------------------------------------------------------------------------
// Clean-up

void TEnvelopeDots::RepairDots() {
  constexpr int32_t MaxPasses = 1001;
  for (int32_t I = Count() - 1; I >= 1; --I) {
    if (I >= Count()) continue;
    if (Dot(I - 1).X == Dot(I).X) {
      Dot(I - 1).Y = Mid(Dot(I).Y, Dot(I - 1).Y);
      DeleteDotRaw(I);
    }
  }
  bool Moved = false;
  for (int32_t Pass = 0; Pass < MaxPasses; ++Pass) {
    bool Changed = false;
    for (int32_t I = 0; I + 1 < Count(); ++I) {
      if (Dot(I + 1).X <= Dot(I).X) {
        const int32_t Old = Dot(I + 1).X;
        Dot(I + 1).X = SatInt32(int64_t(Dot(I).X) + 1);
        Dot(I).X = SatInt32(int64_t(Old) - 1);
        Changed = Moved = true;
        SplineValid = false;
      }
    }
    if (!Changed) break;
  }
  for (int32_t I = Count() - 1; I >= 1; --I) {
    if (I >= Count()) continue;
    if (int64_t(Dot(I).X) - Dot(I - 1).X < 10) {
      Dot(I - 1).X = Mid(Dot(I - 1).X, Dot(I).X);
      Dot(I - 1).Y = Mid(Dot(I - 1).Y, Dot(I).Y);
      DeleteDotRaw(I);
    }
  }
  for (int32_t Pass = 0; Pass < MaxPasses; ++Pass) {
    bool Changed = false;
    for (int32_t I = 1; I + 1 < Count(); ++I) {
      if (Abs64(int64_t(Dot(I).X) - Dot(I + 1).X) < 10 ||
          Abs64(int64_t(Dot(I).X) - Dot(I - 1).X) < 10) {
        const int32_t X =
            SatInt32((int64_t(Dot(I - 1).X) + Dot(I).X + Dot(I + 1).X) / 3);
        Moved = true;
        SplineValid = false;
        if (X != Dot(I).X) {
          Dot(I).X = X;
          Changed = true;
        }
      }
    }
    if (!Changed) break;
  }
  if (Moved) SmoothXY();
  else CalcSpline();
}

void TEnvelopeDots::SmoothXY() {
  for (int32_t I = 1; I + 1 < Count(); ++I) {
    int64_t X = (10 * int64_t(Dot(I).X) + Dot(I - 1).X + Dot(I + 1).X) / 12;
    if (X > Dot(I + 1).X) X = int64_t(Dot(I + 1).X) - 1;
    if (X < Dot(I - 1).X) X = int64_t(Dot(I - 1).X) + 1;
    Dot(I).X = SatInt32(X);
    Dot(I).Y = SatInt32((10 * int64_t(Dot(I).Y) + Dot(I - 1).Y + Dot(I + 1).Y) / 12);
  }
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::SmoothCircularMedian(int32_t MaxWidth, float Amount) {
  const int32_t N = Count();
  if (N < 6) return;
  std::array<int32_t, EnvelopeMaxDots> OldY{};
  for (int32_t I = 0; I < N; ++I) OldY[I] = Dot(I).Y;
  const auto W = [N](int32_t I) { return (I % N + N) % N; };
  for (int32_t I = 0; I < N; ++I) {
    const int64_t Hi = int64_t(Dot(W(I + 2)).X) + (I + 2 >= N ? EnvelopeMaxX : 0);
    const int64_t Lo = int64_t(Dot(W(I - 2)).X) - (I < 2 ? EnvelopeMaxX : 0);
    if (Hi - Lo < MaxWidth) {
      const int32_t M = Median5(OldY[W(I - 2)], OldY[W(I - 1)], OldY[I], OldY[W(I + 1)],
                                OldY[W(I + 2)]);
      Dot(I).Y = RoundToInt32((1 - Amount) * static_cast<float>(OldY[I]) +
                              Amount * static_cast<float>(M));
    }
  }
  CalcSpline();
}

void TEnvelopeDots::ThinOut() {
  TEnvelopeDots Copy;
  Copy.CopyFrom(this);
  const int32_t N = Count();
  for (int32_t I = N - 2; I >= 1; --I) {
    if (I + 1 >= Count()) continue;
    const int32_t OldX = Dot(I).X, OldY = Dot(I).Y;
    DeleteDotRaw(I);
    const int64_t Deviation = Abs64(int64_t(OldY) - EditValue(OldX));
    if (Deviation >= 20) CopyFrom(&Copy);
    else Copy.CopyFrom(this);
  }
  if (!SplineValid) CalcSpline();
  Repaint();
}

int32_t TEnvelopeDots::ThinOutCountRaw(int32_t Count) {
  TEnvelopeDots Copy;
  int32_t Removed = 0;
  for (int32_t Pass = 0; Pass < Count; ++Pass) {
    Copy.CopyFrom(this);
    int32_t Best = -1;
    int64_t BestDeviation = 0;
    for (int32_t I = this->Count() - 2; I >= 1; --I) {
      const int32_t OldX = Dot(I).X, OldY = Dot(I).Y;
      DeleteDotRaw(I);
      const int64_t D = Abs64(int64_t(OldY) - EditValue(OldX));
      CopyFrom(&Copy);
      if (Best < 0 || D < BestDeviation) {
        Best = I;
        BestDeviation = D;
        if (D < 2) break;
      }
    }
    if (Best < 0) break;
    DeleteDotRaw(Best);
    ++Removed;
  }
  return Removed;
}

void TEnvelopeDots::ThinOutCount(int32_t Count) {
  ThinOutCountRaw(Count);
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::RemoveCloseDotsRaw(int32_t MinDistance) {
  for (int32_t Pass = 0; Pass < 1001; ++Pass) {
    const int32_t N = Count();
    int32_t Found = -1;
    for (int32_t I = 0; I + 1 < N; ++I)
      if (int64_t(Dot(I + 1).X) - Dot(I).X < MinDistance) {
        Found = I;
        break;
      }
    if (Found < 0) break;
    if (N > 2) {
      if (Dot(Found).X >= 8192 || Found == N - 2) DeleteDotRaw(Found);
      else DeleteDotRaw(Found + 1);
    } else {
      Dot(Found + 1).X = SatInt32(int64_t(Dot(Found + 1).X) + MinDistance);
      SplineValid = false;
    }
  }
}

void TEnvelopeDots::RemoveCloseDots(int32_t MinDistance) {
  RemoveCloseDotsRaw(MinDistance);
  CalcSpline();
}

void TEnvelopeDots::ReduceDots(int32_t MaxCount) {
  MaxCount = std::max(MaxCount, 2);
  RemoveCloseDotsRaw(128);
  while (Count() > MaxCount)
    if (ThinOutCountRaw(2) == 0) break;  // nothing more can go
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::TrimClippedEnds() {
  while (Count() > 2 && Dot(0).Y <= 0 && Dot(1).Y <= 0) DeleteDotRaw(0);
  while (Count() > 2 && Dot(Count() - 1).Y >= EnvelopeMaxY && Dot(Count() - 2).Y >= EnvelopeMaxY)
    DeleteDotRaw(Count() - 1);
  CalcSpline();
}

bool TEnvelopeDots::RemoveShelfAreas() {
  const auto Slope = [this](int32_t A, int32_t B) {
    const int64_t DX = int64_t(Dot(B).X) - Dot(A).X;
    return double(int64_t(Dot(B).Y) - Dot(A).Y) / (DX == 0 ? 0.00001 : double(DX));
  };
  bool Merged = false;
  for (int32_t I = Count() - 2; I >= 1; --I) {
    if (I + 1 >= Count()) continue;
    // For the last inner dot, dot n is the trailing extension dot.
    const double Before = Slope(I - 1, I), Step = Slope(I, I + 1), After = Slope(I + 1, I + 2);
    if (Before > Step && After > Step) {
      Dot(I).X = Mid(Dot(I).X, Dot(I + 1).X);
      Dot(I).Y = Mid(Dot(I).Y, Dot(I + 1).Y);
      DeleteDotRaw(I + 1);
      Merged = true;
    }
  }
  CalcSpline();
  Repaint();
  return Merged;
}

void TEnvelopeDots::RemoveNonMonotonicDots() {
  for (int32_t I = Count() - 3; I >= 1; --I) {
    if (I > Count() - 3) continue;
    const int32_t Y0 = Dot(I - 1).Y, Y1 = Dot(I).Y, Y2 = Dot(I + 1).Y, Y3 = Dot(I + 2).Y;
    if (Y0 < Y1 && Y2 < Y1 && Y2 < Y3) {
      if (Y3 < Y1) {
        DeleteDotRaw(I);
      } else {
        Dot(I).X = Mid(Dot(I).X, Dot(I + 1).X);
        Dot(I).Y = Mid(Y1, Y2);
        DeleteDotRaw(I + 1);
      }
    } else if (Y0 > Y1 && Y1 < Y2 && Y2 < Y3) {
      DeleteDotRaw(I);
    }
  }
  CalcSpline();
  Repaint();
}

void TEnvelopeDots::MakeMonotonous() {
  int32_t Pass = 0;
  bool Reported = false;
  bool Changed;
  do {
    ++Pass;
    Changed = false;
    for (int32_t I = 0; I + 1 < Count(); ++I) {
      TCurveDotPoint& L = Dot(I);
      TCurveDotPoint& R = Dot(I + 1);
      if (L.Y >= R.Y) {
        const int32_t M = Mid(R.Y, L.Y);
        L.Y = SatInt32(int64_t(M) - 1);
        if (M < EnvelopeMaxY) R.Y = M + 1;
        Changed = true;
        SplineValid = false;
      }
      const int32_t XM = Mid(R.X, L.X);
      const int32_t V = EditValue(XM);
      if (L.Y <= V && V <= R.Y) continue;
      if (Pass >= 102 && !Reported) {
        Reported = true;
        ErrorMessageProc("TEnvelopeDots.MakeMonotonous problem at I=" + std::to_string(I) +
                         ", LeftX=" + std::to_string(L.X) + ", InterX=" + std::to_string(XM) +
                         ", RightX=" + std::to_string(R.X) + ", LeftY=" + std::to_string(L.Y) +
                         ", InterSampleY=" + std::to_string(V) +
                         ", RightY=" + std::to_string(R.Y));
      }
      const int64_t G = std::max<int64_t>(Abs64(int64_t(V) - Mid(R.Y, L.Y)) / 4, 1);
      L.Y = SatInt32(int64_t(L.Y) - G);
      if (L.Y < 0) L.Y = 0;
      R.Y = SatInt32(int64_t(R.Y) + G);
      if (R.Y > EnvelopeMaxY) R.Y = EnvelopeMaxY;
      Changed = true;
      SplineValid = false;
    }
  } while (Changed && Pass <= 200);
  if (Pass > 200) ErrorMessageProc("TEnvelopeDots.MakeMonotonous - Iterations>200!");
  CalcSpline();
}

}  // namespace kromel
