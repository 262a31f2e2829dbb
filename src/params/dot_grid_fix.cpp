// The dot-grid model: range fixing, smoothing, tensions, crossed
// neighbours, the push/pull brush and the random shapes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "foundation/numeric.h"
#include "params/dot_grid.h"
#include "params/envelope_math.h"

namespace kromel {

namespace {

constexpr float PiF = std::numbers::pi_v<float>;
// Radius scale of the push/pull brush: weight exp(-d^2 / 30000).
constexpr double BrushSpread = 30000.0;

// Random(2A) - A: uniform in -A..A-1.
int32_t RandomOffset(int32_t Amount) {
  return SatInt32(int64_t(RandomInteger(SatInt32(2 * int64_t(Amount)))) - Amount);
}

int32_t RandomBelow(int64_t N) { return RandomInteger(SatInt32(N)); }

double SquaredDistance(const TDotPoint& A, const TDotPoint& B) {
  const double DX = double(A.X) - B.X;
  const double DY = double(A.Y) - B.Y;
  return DX * DX + DY * DY;
}

int32_t Div(int64_t A, int64_t B) { return SatInt32(DivTrunc(A, B)); }

}  // namespace

// ---------------------------------------------------------------------------
// Range fixing

void T2DEnvelopeDots::FixGrid() {
  const int32_t LoY = std::min(MinY, MaxY);
  const int32_t HiY = std::max(MinY, MaxY);
  const int32_t N = Cols();
  const int32_t M = Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      if (D.X < MinX) D.X = MinX;
      if (D.Y < LoY) D.Y = LoY;
      if (D.X > MaxX) D.X = MaxX;
      if (D.Y > HiY) D.Y = HiY;
    }
}

void T2DEnvelopeDots::FixGridSavingAngle() {
  const int32_t N = Cols();
  const int32_t M = Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      float A = std::atan2(float(D.X), float(D.Y));
      const float Dist = std::sqrt(float(D.X) * float(D.X) + float(D.Y) * float(D.Y));
      // Folded towards the nearest axis.
      for (int I = 0; I < 2; ++I)
        if (A > PiF / 4) A -= PiF / 2;
      for (int I = 0; I < 2; ++I)
        if (A < -PiF / 4) A += PiF / 2;
      const float Edge = float(MaxX) / std::cos(A);
      if (Dist > Edge) {
        D.X = RoundToInt32(float(D.X) * Edge / Dist);
        D.Y = RoundToInt32(float(D.Y) * Edge / Dist);
      }
    }
}

// ---------------------------------------------------------------------------
// Smoothing

void T2DEnvelopeDots::SmoothBorder(bool DoX, bool DoY, bool DoZ, bool OnlySelected) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N == 0 || M == 0) return;
  const TDotColumns Before = Dots;
  const auto W = [N](int32_t C) { return ((C % N) + N) % N; };
  const auto B = [&](int32_t C, int32_t R) -> const TDotPoint& {
    return Before[size_t(W(C))][size_t(R)];
  };
  const auto D = [&](int32_t C, int32_t R) -> TDotPoint& { return Dots[size_t(W(C))][size_t(R)]; };
  const auto Treated = [&](const TDotPoint& P) { return !OnlySelected || P.Selected; };

  const int32_t First = Circular ? 0 : 1;
  const int32_t Last = Circular ? N - 1 : N - 2;
  const int32_t Rim = M - 1;
  for (int32_t C = First; C <= Last; ++C) {
    TDotPoint& P = D(C, 0);
    if (Treated(P)) {
      if (DoX) P.X = Div(32 * int64_t(B(C, 0).X) + B(C + 1, 0).X + B(C - 1, 0).X + 2, 34);
      if (DoY) P.Y = Div(32 * int64_t(P.Y) + D(C + 1, 0).Y + D(C - 1, 0).Y + 2, 34);
      if (DoZ) P.Z = Div(32 * int64_t(P.Z) + D(C + 1, 0).Z + D(C - 1, 0).Z + 2, 34);
    }
    TDotPoint& Q = D(C, Rim);
    if (Treated(Q)) {
      // The rim of a circular grid keeps its curvature.
      int64_t TX = 0, TY = 0;
      if (Circular) {
        TX = ((int64_t(B(C - 1, Rim).X) - B(C - 2, Rim).X) + (int64_t(B(C + 1, Rim).X) - B(C + 2, Rim).X)) / 5;
        TY = ((int64_t(B(C - 1, Rim).Y) - B(C - 2, Rim).Y) + (int64_t(B(C + 1, Rim).Y) - B(C + 2, Rim).Y)) / 5;
      }
      if (DoX)
        Q.X = Div(32 * int64_t(B(C, Rim).X) + B(C + 1, Rim).X + B(C - 1, Rim).X + 2 * TX + 2, 34);
      if (DoY) Q.Y = Div(32 * int64_t(Q.Y) + D(C + 1, Rim).Y + D(C - 1, Rim).Y + 2 * TY + 2, 34);
      if (DoZ) Q.Z = Div(32 * int64_t(Q.Z) + D(C + 1, Rim).Z + D(C - 1, Rim).Z + 2, 34);
    }
  }
  if (!Circular)
    for (int32_t R = 1; R <= M - 2; ++R)
      for (const int32_t C : {0, N - 1}) {
        TDotPoint& P = Dots[size_t(C)][size_t(R)];
        if (!Treated(P)) continue;
        const TDotPoint& Up = Dots[size_t(C)][size_t(R - 1)];
        const TDotPoint& Down = Dots[size_t(C)][size_t(R + 1)];
        if (DoX) P.X = Div(32 * int64_t(P.X) + Down.X + Up.X + 2, 34);
        if (DoY) P.Y = Div(32 * int64_t(P.Y) + Down.Y + Up.Y + 2, 34);
        if (DoZ) P.Z = Div(32 * int64_t(P.Z) + Down.Z + Up.Z + 2, 34);
      }
}

void T2DEnvelopeDots::Smooth(bool DoX, bool DoY, bool DoZ, bool SkipMiddle, bool KeepSum,
                             bool OnlySelected) {
  SmoothBorder(DoX, DoY, DoZ, OnlySelected);
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N == 0 || M == 0) return;
  const int32_t F = Circular ? 0 : 1;
  const auto W = [N](int32_t C) { return ((C % N) + N) % N; };
  const auto Step = [&](int32_t C, int32_t R, int64_t Offset) {
    TDotPoint& P = Dots[size_t(C)][size_t(R)];
    if ((SkipMiddle && C == (N - 1) / 2) || (OnlySelected && !P.Selected)) return;
    const TDotPoint& L = Dots[size_t(W(C - 1))][size_t(R)];
    const TDotPoint& Rt = Dots[size_t(W(C + 1))][size_t(R)];
    const TDotPoint& Up = Dots[size_t(C)][size_t(R - 1)];
    const TDotPoint& Dn = Dots[size_t(C)][size_t(R + 1)];
    const auto Mean = [&](int32_t TDotPoint::*Field) {
      return Div(int64_t(Rt.*Field) + 32 * int64_t(P.*Field) + L.*Field + Dn.*Field + Up.*Field +
                     Offset,
                 36);
    };
    const int32_t NX = DoX ? Mean(&TDotPoint::X) : P.X;
    const int32_t NY = DoY ? Mean(&TDotPoint::Y) : P.Y;
    if (DoZ) P.Z = Mean(&TDotPoint::Z);
    if (Rotated && KeepSum) {
      // Along the dot's own direction, so that X + Y takes the smoothed sum.
      const float S = float(P.X) + float(P.Y);
      const float K = S <= 0 ? 1.0f : (float(NX) + float(NY)) / S;
      P.X = RoundToInt32(double(P.X) * K);
      P.Y = RoundToInt32(double(P.Y) * K);
    } else {
      P.X = NX;
      P.Y = NY;
    }
  };
  for (int32_t C = F; C <= N - 1 - F; ++C)
    for (int32_t R = 1; R <= M - 2; ++R) Step(C, R, 18);
  for (int32_t C = N - 1 - F; C >= F; --C)
    for (int32_t R = M - 2; R >= 1; --R) Step(C, R, 5);
}

void T2DEnvelopeDots::SmoothNinePoint(bool ZOnly) {
  SmoothBorder(!ZOnly, !ZOnly, true, false);
  const int32_t N = Cols();
  const int32_t M = Rows();
  const auto Step = [&](int32_t C, int32_t R) {
    int64_t SX = 0, SY = 0, SZ = 0;
    for (int32_t I = -1; I <= 1; ++I)
      for (int32_t J = -1; J <= 1; ++J) {
        if (I == 0 && J == 0) continue;
        const TDotPoint& Q = Dots[size_t(C + I)][size_t(R + J)];
        SX += Q.X;
        SY += Q.Y;
        SZ += Q.Z;
      }
    TDotPoint& P = Dots[size_t(C)][size_t(R)];
    if (!ZOnly) {
      P.X = Div(32 * int64_t(P.X) + SX + 18, 40);
      P.Y = Div(32 * int64_t(P.Y) + SY + 20, 40);
    }
    P.Z = Div(32 * int64_t(P.Z) + SZ + 20, 40);
  };
  for (int32_t C = 1; C <= N - 2; ++C)
    for (int32_t R = 1; R <= M - 2; ++R) Step(C, R);
  for (int32_t C = N - 2; C >= 1; --C)
    for (int32_t R = M - 2; R >= 1; --R) Step(C, R);
}

// ---------------------------------------------------------------------------
// Tensions and crossed neighbours

int32_t T2DEnvelopeDots::GetMaxTension() const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  double Max = 0;
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      const TDotPoint& P = Dots[size_t(C)][size_t(R)];
      if (C + 1 < N) Max = std::max(Max, SquaredDistance(P, Dots[size_t(C + 1)][size_t(R)]));
      if (R + 1 < M) Max = std::max(Max, SquaredDistance(P, Dots[size_t(C)][size_t(R + 1)]));
    }
  return RoundToInt32(std::sqrt(Max));
}

int32_t T2DEnvelopeDots::GetMinTension() const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  double Min = -1;
  const auto Take = [&](const TDotPoint& A, const TDotPoint& B) {
    if (!A.Active || !B.Active) return;
    const double Q = SquaredDistance(A, B);
    if (Min < 0 || Q < Min) Min = Q;
  };
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      const TDotPoint& P = Dots[size_t(C)][size_t(R)];
      if (C + 1 < N) Take(P, Dots[size_t(C + 1)][size_t(R)]);
      if (R + 1 < M) Take(P, Dots[size_t(C)][size_t(R + 1)]);
    }
  return Min <= 0 ? 0 : RoundToInt32(std::sqrt(Min));
}

void T2DEnvelopeDots::SmoothDot(int32_t C, int32_t R) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  const auto At = [&](int32_t Col, int32_t Row) -> const TDotPoint& {
    return Dots[size_t(std::clamp(Col, 0, N - 1))][size_t(std::clamp(Row, 0, M - 1))];
  };
  TDotPoint& P = Dots[size_t(C)][size_t(R)];
  const auto Mean = [&](int32_t TDotPoint::*Field) {
    return Div(32 * int64_t(P.*Field) + At(C + 1, R).*Field + At(C - 1, R).*Field +
                   At(C, R + 1).*Field + At(C, R - 1).*Field + 18,
               36);
  };
  const int32_t X = Mean(&TDotPoint::X);
  const int32_t Y = Mean(&TDotPoint::Y);
  const int32_t Z = Mean(&TDotPoint::Z);
  P.X = X;
  P.Y = Y;
  P.Z = Z;
}

void T2DEnvelopeDots::SmoothTensions(int32_t Threshold) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  const double Limit = double(Threshold) * Threshold;
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      const TDotPoint& P = Dots[size_t(C)][size_t(R)];
      double T = 0;
      if (C + 1 < N) T = std::max(T, SquaredDistance(P, Dots[size_t(C + 1)][size_t(R)]));
      if (R + 1 < M) T = std::max(T, SquaredDistance(P, Dots[size_t(C)][size_t(R + 1)]));
      if (!(T > Limit)) continue;
      SmoothDot(C, R);
      if (C + 1 < N) SmoothDot(C + 1, R);
      if (R + 1 < M) SmoothDot(C, R + 1);
    }
  if (Circular && N > 1 && M > 0) {
    int64_t SX = 0, SY = 0, SZ = 0;
    for (int32_t C = 0; C < N; ++C) {
      SX += Dots[size_t(C)][0].X;
      SY += Dots[size_t(C)][0].Y;
      SZ += Dots[size_t(C)][0].Z;
    }
    for (int32_t C = 0; C < N; ++C) {
      Dots[size_t(C)][0].X = Div(SX, N);
      Dots[size_t(C)][0].Y = Div(SY, N);
      Dots[size_t(C)][0].Z = Div(SZ, N);
    }
  }
}

void T2DEnvelopeDots::RemoveOverlappings() {
  const int32_t N = Cols();
  const int32_t M = Rows();
  const auto Crossed = [](int32_t DefA, int32_t DefB, int32_t A, int32_t B) {
    return (double(DefA) - DefB) * (double(A) - B) < 0;
  };
  for (int32_t C = 0; C + 1 < N; ++C)
    for (int32_t R = 0; R + 1 < M; ++R) {
      TDotPoint& P = Dots[size_t(C)][size_t(R)];
      TDotPoint& Right = Dots[size_t(C + 1)][size_t(R)];
      TDotPoint& Below = Dots[size_t(C)][size_t(R + 1)];
      if (Crossed(DefaultDots[size_t(C)][size_t(R)].X, DefaultDots[size_t(C + 1)][size_t(R)].X, P.X,
                  Right.X))
        P.X = Right.X = Div(int64_t(P.X) + Right.X, 2);
      if (Crossed(DefaultDots[size_t(C)][size_t(R)].Y, DefaultDots[size_t(C)][size_t(R + 1)].Y, P.Y,
                  Below.Y))
        P.Y = Below.Y = Div(int64_t(P.Y) + Below.Y, 2);
    }
}

// ---------------------------------------------------------------------------
// Push and pull

void T2DEnvelopeDots::PullInPushOut(float X, float Y, float Strength, bool FromDefaults,
                                    bool AllDots, bool DoX, bool DoY, bool TurnOnly) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  const auto Weight = [&](double PX, double PY) {
    return std::min(1.0, std::exp(-((PX - X) * (PX - X) + (PY - Y) * (PY - Y)) / BrushSpread));
  };
  double TX = X, TY = Y;
  if (FromDefaults) {
    double SW = 0, SX = 0, SY = 0;
    for (int32_t C = 0; C < N; ++C)
      for (int32_t R = 0; R < M; ++R) {
        const TDotPoint& E = DefaultDots[size_t(C)][size_t(R)];
        const TDotPoint& D = Dots[size_t(C)][size_t(R)];
        const double W = Weight(E.X, E.Y);
        SW += W;
        SX += W * D.X;
        SY += W * D.Y;
      }
    TX = SX;
    TY = SY;
    if (SW > 0.001) {
      TX /= SW;
      TY /= SW;
    }
  }
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      if (!AllDots && !D.Selected) continue;
      const TDotPoint& P = FromDefaults ? DefaultDots[size_t(C)][size_t(R)] : D;
      const double W = Weight(P.X, P.Y) * Strength;
      const int32_t NX = RoundToInt32(W * TX + (1 - W) * D.X);
      const int32_t NY = RoundToInt32(W * TY + (1 - W) * D.Y);
      if (std::llabs(int64_t(NX) - D.X) + std::llabs(int64_t(NY) - D.Y) > 1) D.Pinned = true;
      if (TurnOnly) {
        D.Rotate(float(std::atan2(double(NY), double(NX)) - std::atan2(double(D.Y), double(D.X))));
      } else if (!Rotated) {
        if (DoX) D.X = NX;
        if (DoY) D.Y = NY;
      } else {
        // Axes turned by 45 degrees.
        const float K = 0.7071f;
        float U = (float(D.X) * K - float(D.Y) * K) * K;
        float V = (float(D.X) * K + float(D.Y) * K) * K;
        if (DoX) U = (float(NX) * K - float(NY) * K) * K;
        if (DoY) V = (float(NX) * K + float(NY) * K) * K;
        D.X = RoundToInt32((U * K + V * K) / K);
        D.Y = RoundToInt32((-U * K + V * K) / K);
      }
    }
  FixGrid();
}

// ---------------------------------------------------------------------------
// Random shapes

void T2DEnvelopeDots::SlideCorner(int32_t Corner, int32_t D) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N == 0 || M == 0) return;
  const auto Put = [](TDotPoint& P, int64_t X, int64_t Y) {
    P.X = SatInt32(X);
    P.Y = SatInt32(Y);
  };
  switch (Corner) {
    case 0:
      if (D <= 0)
        Put(Dots[0][size_t(M - 1)], MinX, int64_t(MaxY) + D);
      else
        Put(Dots[0][size_t(M - 1)], int64_t(MinX) + D, MaxY);
      break;
    case 1:
      if (D <= 0)
        Put(Dots[size_t(N - 1)][0], int64_t(MaxX) + D, MinY);
      else
        Put(Dots[size_t(N - 1)][0], MaxX, int64_t(MinY) + D);
      break;
    case 2:
      if (D <= 0)
        Put(Dots[size_t(N - 1)][size_t(M - 1)], MaxX, int64_t(MaxY) + D);
      else
        Put(Dots[size_t(N - 1)][size_t(M - 1)], int64_t(MaxX) - D, MaxY);
      break;
    default:
      if (D <= 0)
        Put(Dots[0][0], int64_t(MinX) - D, MinY);
      else
        Put(Dots[0][0], MinX, int64_t(MinY) + D);
      break;
  }
}

void T2DEnvelopeDots::RandomizeCorners(int32_t Amount, bool KeepLast) {
  SlideCorner(0, RandomOffset(Amount));
  SlideCorner(1, RandomOffset(Amount));
  if (!KeepLast) {
    SlideCorner(2, RandomOffset(Amount));
    SlideCorner(3, RandomOffset(Amount));
  }
  InterpolateUntouchedDots();
}

void T2DEnvelopeDots::RandomizeEdges(int32_t Amount, bool KeepLast) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  // The edge neighbours and the steps need two columns and two rows.
  if (N < 2 || M < 2) return;
  const auto At = [&](int32_t C, int32_t R) -> TDotPoint& { return Dots[size_t(C)][size_t(R)]; };
  At(0, M - 2).Pinned = false;
  At(1, M - 1).Pinned = false;
  At(N - 1, 1).Pinned = false;
  At(N - 2, 0).Pinned = false;
  const int64_t SX = (int64_t(MaxX) - MinX) / (N - 1);
  const int64_t SY = (int64_t(MaxY) - MinY) / (N - 1);
  const auto Place = [](TDotPoint& P, int64_t X, int64_t Y, bool Pin) {
    P.X = SatInt32(X);
    P.Y = SatInt32(Y);
    if (Pin) P.Pinned = true;
  };
  const int32_t Corners = KeepLast ? 2 : 3;
  for (int32_t K = 0; K < Corners; ++K) {
    if (RandomFloat01() > 0.5f) {
      SlideCorner(K, RandomOffset(Amount));
      continue;
    }
    const bool First = RandomFloat01() <= 0.5f;
    switch (K) {
      case 0:
        Place(At(0, M - 1), MinX, MaxY, false);
        if (First)
          Place(At(0, M - 2), MinX, MaxY - int64_t(RandomBelow(SY)), true);
        else
          Place(At(1, M - 1), MinX + int64_t(RandomBelow(SX)), MaxY, true);
        break;
      case 1:
        Place(At(N - 1, 0), MaxX, MinY, false);
        if (First)
          Place(At(N - 2, 0), MaxX - int64_t(RandomBelow(SX)), MinY, true);
        else
          Place(At(N - 1, 1), MaxX, MinY + int64_t(RandomBelow(SY)), true);
        break;
      default:
        Place(At(N - 1, M - 1), MaxX, MaxY, false);
        if (First)
          Place(At(N - 1, M - 2), MaxX, MaxY - int64_t(RandomBelow(SY)), true);
        else
          Place(At(N - 2, M - 1), MaxX - int64_t(RandomBelow(SX)), MaxY, true);
        break;
    }
  }
  InterpolateUntouchedDots();
}

void T2DEnvelopeDots::RandomizeCurveCorners() {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N < 2 || M < 2) return;
  const auto At = [&](int32_t C, int32_t R) -> TDotPoint& { return Dots[size_t(C)][size_t(R)]; };
  const auto Place = [](TDotPoint& P, int64_t X, int64_t Y) {
    P.X = SatInt32(X);
    P.Y = SatInt32(Y);
    P.Pinned = true;
  };
  At(N - 1, M - 2).Pinned = false;
  At(N - 2, M - 1).Pinned = false;
  At(1, 0).Pinned = false;
  At(0, 1).Pinned = false;
  const int64_t StepX = MaxX / (N - 1);
  const int64_t StepY = MaxY / (N - 1);
  At(0, 0).X = 0;
  At(0, 0).Y = 0;
  if (RandomFloat01() <= 0.5f)
    Place(At(0, 1), 0, RandomBelow(StepY));
  else
    Place(At(1, 0), RandomBelow(StepX), 0);
  At(N - 1, M - 1).X = MaxX;
  At(N - 1, M - 1).Y = MaxY;
  if (RandomFloat01() <= 0.5f)
    Place(At(N - 2, M - 1), MaxX - int64_t(RandomBelow(StepX)), MaxY);
  else
    Place(At(N - 1, M - 2), MaxX, MaxY - int64_t(RandomBelow(StepY)));
  InterpolateUntouchedDots();
}

void T2DEnvelopeDots::RandomizeDots(int32_t Count, int32_t Amount) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N > 0 && M > 0)
    for (int32_t I = 0; I < Count; ++I) {
      const int32_t C = RandomInteger(N);
      const int32_t R = RandomInteger(M);
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      int64_t X = int64_t(D.X) + RandomOffset(Amount);
      int64_t Y = int64_t(D.Y) + RandomOffset(Amount);
      if (X < MinX) X = MinX;
      if (X > MaxX) X = MaxX;
      if (Y < MinY) Y = MinY;
      if (Y > MaxY) Y = MaxY;
      D.X = SatInt32(X);
      D.Y = SatInt32(Y);
      D.Pinned = true;
      if (Circular && R == 0) CopyCentreToAllColumns(C);
    }
  InterpolateUntouchedDots();
  DoChange();
}

void T2DEnvelopeDots::RandomizeRimAngles() {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N > 0 && M > 0) {
    const int32_t K = RandomInteger(3) + 2;
    std::vector<float> Directions(size_t(K), 0.0f);
    for (int32_t I = 0; I < K; ++I)
      Directions[size_t(I)] = RandomFloat01() * (2 * PiF / float(K)) * 1.5f + 2 * PiF * float(I) / float(K);
    for (int32_t C = 0; C < N; ++C) {
      TDotPoint& D = Dots[size_t(C)][size_t(M - 1)];
      const float Own = D.GetAngle();
      size_t Best = 0;
      for (size_t I = 1; I < Directions.size(); ++I)
        if (std::fabs(AngleDifference(Own, Directions[I])) <
            std::fabs(AngleDifference(Own, Directions[Best])))
          Best = I;
      D.SetAngle(Directions[Best]);
    }
  }
  InterpolateUntouchedDots();
}

}  // namespace kromel
