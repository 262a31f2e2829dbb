// The dot-grid model: selection, pins, resets, blends, rotation and sector
// scaling. Loops run over columns, and within each column over rows.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <numbers>
#include <vector>

#include "foundation/messages.h"
#include "params/dot_grid.h"
#include "params/envelope_math.h"

namespace kromel {

namespace {

constexpr float PiF = std::numbers::pi_v<float>;

// Tolerances within which UnPinAll takes a spread dot for its pinned one.
constexpr int64_t UnpinToleranceXY = 6;
constexpr int64_t UnpinToleranceZ = 8;
constexpr int32_t UnpinMaxPasses = 15;

template <class TFn>
void EachDot(T2DEnvelopeDots& G, TFn Fn) {
  const int32_t N = G.Cols();
  const int32_t M = G.Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R)
      Fn(C, R, G.Dots[size_t(C)][size_t(R)], G.DefaultDots[size_t(C)][size_t(R)]);
}

template <class TFn>
void EachDot(const T2DEnvelopeDots& G, TFn Fn) {
  const int32_t N = G.Cols();
  const int32_t M = G.Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) Fn(C, R, G.Dots[size_t(C)][size_t(R)]);
}

int32_t Blend(int32_t From, int32_t To, float A) {
  return RoundToInt32((1 - double(A)) * From + double(A) * To);
}

// A point at angle Angle and distance D.
void PlaceAt(TDotPoint& P, double Angle, double D) {
  P.X = RoundToInt32(std::sin(Angle) * D);
  P.Y = RoundToInt32(D * std::cos(Angle));
}

float Distance(const TDotPoint& P) {
  return std::sqrt(float(P.X) * float(P.X) + float(P.Y) * float(P.Y));
}

bool AtOrigin(const TDotPoint& P) { return P.X == 0 && P.Y == 0; }

// Turns each dot (the selected ones when OnlySelected) whose default is off
// the origin to the angle NewAngle(dot, default), keeping its distance; a dot
// at the origin takes its default position. Every such dot is pinned.
template <class TNewAngle>
void TurnToNewAngle(T2DEnvelopeDots& G, bool OnlySelected, TNewAngle NewAngle) {
  EachDot(G, [&](int32_t, int32_t, TDotPoint& D, TDotPoint& E) {
    if ((OnlySelected && !D.Selected) || AtOrigin(E)) return;
    if (AtOrigin(D)) {
      D.X = E.X;
      D.Y = E.Y;
    } else {
      PlaceAt(D, NewAngle(D, E), Distance(D));
    }
    D.Pinned = true;
  });
  G.FixGrid();
}

// The mean of one coordinate over the active dots; 0 when none is active.
int32_t MeanActive(const T2DEnvelopeDots& G, int32_t TDotPoint::*Field) {
  int64_t Sum = 0, Count = 0;
  EachDot(G, [&](int32_t, int32_t, const TDotPoint& D) {
    if (D.Active) {
      Sum += D.*Field;
      ++Count;
    }
  });
  return Count == 0 ? 0 : static_cast<int32_t>(Sum / Count);
}

}  // namespace

bool T2DEnvelopeDots::IsCorner(int32_t C, int32_t R) const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  return (C == 0 || C == N - 1) && (R == 0 || R == M - 1);
}

void T2DEnvelopeDots::CopyCentreToAllColumns(int32_t FromCol) {
  const int32_t N = Cols();
  if (Rows() < 1 || FromCol < 0 || FromCol >= N) return;
  const TDotPoint Centre = Dots[size_t(FromCol)][0];
  for (int32_t C = 0; C < N; ++C)
    if (C != FromCol) Dots[size_t(C)][0] = Centre;
}

// ---------------------------------------------------------------------------
// Selection

void T2DEnvelopeDots::SelectAll() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint&) { D.Selected = true; });
}

void T2DEnvelopeDots::DeselectAll() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint&) { D.Selected = false; });
}

void T2DEnvelopeDots::InvertSelection() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint&) { D.Selected = !D.Selected; });
}

void T2DEnvelopeDots::GrowSelection() {
  const int32_t N = Cols();
  const int32_t M = Rows();
  std::vector<std::vector<bool>> Was(static_cast<size_t>(N), std::vector<bool>(static_cast<size_t>(M)));
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) Was[size_t(C)][size_t(R)] = Dots[size_t(C)][size_t(R)].Selected;
  const auto Sel = [&](int32_t C, int32_t R) {
    return C >= 0 && C < N && R >= 0 && R < M && Was[size_t(C)][size_t(R)];
  };
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R)
      if (Sel(C - 1, R) || Sel(C + 1, R) || Sel(C, R - 1) || Sel(C, R + 1))
        Dots[size_t(C)][size_t(R)].Selected = true;
}

void T2DEnvelopeDots::SelectInRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint&) {
    if (X1 <= D.X && D.X <= X2 && Y1 <= D.Y && D.Y <= Y2) D.Selected = true;
  });
}

int32_t T2DEnvelopeDots::GetSelectedCount() const {
  int32_t Count = 0;
  EachDot(*this, [&](int32_t C, int32_t R, const TDotPoint& D) {
    // The centre of a circular grid counts once.
    if (D.Selected && !(Circular && R == 0 && C > 0)) ++Count;
  });
  return Count;
}

void T2DEnvelopeDots::FindFarthestSelected(int32_t& Col, int32_t& Row) const {
  Col = -1;
  Row = -1;
  float Best = -1;
  EachDot(*this, [&](int32_t C, int32_t R, const TDotPoint& D) {
    const float Q = float(D.X) * float(D.X) + float(D.Y) * float(D.Y);
    if (D.Selected && Q > Best) {
      Best = Q;
      Col = C;
      Row = R;
    }
  });
}

void T2DEnvelopeDots::FindNearestActiveDot(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const {
  Col = -1;
  Row = -1;
  int64_t Best = 0;
  EachDot(*this, [&](int32_t C, int32_t R, const TDotPoint& D) {
    if (!D.Active) return;
    const int64_t Dist = std::llabs(int64_t(X) - D.X) + std::llabs(int64_t(Y) - D.Y);
    if (Col < 0 || Dist <= Best) {
      Best = Dist;
      Col = C;
      Row = R;
    }
  });
}

void T2DEnvelopeDots::ToggleSelectedFlag() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint&) {
    if (D.Selected) D.Excluded = !D.Excluded;
  });
  InterpolateUntouchedDots();
}

// ---------------------------------------------------------------------------
// Pins

void T2DEnvelopeDots::PinAll() {
  AllPinned = true;
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint&) { D.Pinned = true; });
}

void T2DEnvelopeDots::PinSelected() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint&) {
    if (D.Selected) D.Pinned = true;
  });
}

void T2DEnvelopeDots::UnPinSelected() {
  const int32_t M = Rows();
  EachDot(*this, [&](int32_t C, int32_t R, TDotPoint& D, TDotPoint&) {
    if (!D.Selected || IsCorner(C, R) || (Circular && (R == 0 || R == M - 1))) return;
    D.Pinned = false;
  });
  InterpolateUntouchedDots();
  DoChange();
}

void T2DEnvelopeDots::UnPinAll() {
  AllPinned = false;
  try {
    const int32_t N = Cols();
    const int32_t M = Rows();
    int32_t PassesLeft = UnpinMaxPasses;
    int32_t Unpinned;
    do {
      Unpinned = 0;
      for (int32_t C = 0; C < N; ++C)
        for (int32_t R = 0; R < M; ++R) {
          if (IsCorner(C, R) || !Dots[size_t(C)][size_t(R)].Pinned) continue;
          const TDotPoint Saved = Dots[size_t(C)][size_t(R)];
          Dots[size_t(C)][size_t(R)].Pinned = false;
          InterpolateUntouchedDots();
          TDotPoint& D = Dots[size_t(C)][size_t(R)];
          if (std::llabs(int64_t(D.X) - Saved.X) <= UnpinToleranceXY &&
              std::llabs(int64_t(D.Y) - Saved.Y) <= UnpinToleranceXY &&
              std::llabs(int64_t(D.Z) - Saved.Z) <= UnpinToleranceZ)
            ++Unpinned;
          else
            D = Saved;
        }
      --PassesLeft;
    } while (Unpinned > 0 && PassesLeft > 0);
    InterpolateUntouchedDots();
  } catch (const std::exception&) {
    AppendAndShowMessages("Exception in T2DEnvelopeDots.UnPinAll");
  }
}

// ---------------------------------------------------------------------------
// Moves, resets and blends

void T2DEnvelopeDots::MoveSelected(int32_t DX, int32_t DY, int32_t DZ) {
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint&) {
    if (!D.Selected) return;
    D.X = SatInt32(int64_t(D.X) + DX);
    D.Y = SatInt32(int64_t(D.Y) + DY);
    D.Z = SatInt32(int64_t(D.Z) + DZ);
  });
}

void T2DEnvelopeDots::AddZ(int32_t Delta) {
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint&) {
    D.Z = SatInt32(int64_t(D.Z) + Delta);
  });
}

void T2DEnvelopeDots::ClampZ() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint&) { D.Z = std::clamp(D.Z, -128, 128); });
}

void T2DEnvelopeDots::ResetZ(bool OnlySelected) {
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint&) {
    if (!OnlySelected || D.Selected) D.Z = 0;
  });
}

void T2DEnvelopeDots::ResetX() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint& E) { D.X = E.X; });
}

void T2DEnvelopeDots::BlendYToDefault(float A) {
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint& E) { D.Y = Blend(D.Y, E.Y, A); });
}

void T2DEnvelopeDots::ResetCentreDots() {
  EachDot(*this, [](int32_t, int32_t R, TDotPoint& D, TDotPoint& E) {
    if (R != 0) return;
    D.X = E.X;
    D.Y = E.Y;
    D.Z = E.Z;
  });
}

void T2DEnvelopeDots::ResetToDefault() {
  EachDot(*this, [](int32_t, int32_t, TDotPoint& D, TDotPoint& E) {
    D.X = E.X;
    D.Y = E.Y;
    D.Z = E.Z;
    D.Pinned = E.Pinned;
  });
  DoChange();
}

void T2DEnvelopeDots::ResetSelected(bool KeepPosition, bool Pin) {
  EachDot(*this, [&](int32_t C, int32_t R, TDotPoint& D, TDotPoint& E) {
    if (!D.Selected) return;
    if (!KeepPosition) {
      D.X = E.X;
      D.Y = E.Y;
      D.Pinned = Pin || E.Pinned;
    }
    D.Z = 0;
    if (Circular && R == 0) CopyCentreToAllColumns(C);
  });
  InterpolateUntouchedDots();
}

void T2DEnvelopeDots::BlendToDefault(bool AllDots, bool KeepXY, float A) {
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint& E) {
    if (!AllDots && !D.Selected) return;
    if (!KeepXY) {
      D.X = Blend(D.X, E.X, A);
      D.Y = Blend(D.Y, E.Y, A);
    }
    D.Z = Blend(D.Z, E.Z, A);
  });
  DoChange();
}

void T2DEnvelopeDots::BlendWith(const T2DEnvelopeDots& Other, float A) {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (Other.ColCount != ColCount || Other.RowCount != RowCount || Other.Cols() != N ||
      Other.Rows() != M) {
    AppendAndShowMessages("Error in T2DEnvelopeDots.BlendWith: Grid sizes are different");
    return;
  }
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      const TDotPoint& O = Other.Dots[size_t(C)][size_t(R)];
      D.X = Blend(D.X, O.X, A);
      D.Y = Blend(D.Y, O.Y, A);
      D.Z = Blend(D.Z, O.Z, A);
      D.Pinned = D.Pinned || O.Pinned;
    }
}

void T2DEnvelopeDots::ResetAngle(bool OnlySelected) {
  TurnToNewAngle(*this, OnlySelected, [](const TDotPoint&, const TDotPoint& E) {
    return std::atan2(float(E.X), float(E.Y));
  });
}

void T2DEnvelopeDots::BlendAngleToDefault(bool OnlySelected, float A) {
  TurnToNewAngle(*this, OnlySelected, [A](const TDotPoint& D, const TDotPoint& E) {
    const float From = std::atan2(float(D.X), float(D.Y));
    float To = std::atan2(float(E.X), float(E.Y));
    // The short way round.
    if (To > From + PiF)
      To -= 2 * PiF;
    else if (To < From - PiF)
      To += 2 * PiF;
    return To * A + (1 - A) * From;
  });
}

void T2DEnvelopeDots::ResetDistance(bool OnlySelected) {
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint& E) {
    if (OnlySelected && !D.Selected) return;
    if (AtOrigin(D) || AtOrigin(E)) {
      D.X = E.X;
      D.Y = E.Y;
    } else {
      PlaceAt(D, std::atan2(float(D.X), float(D.Y)), Distance(E));
    }
    D.Pinned = true;
  });
  FixGrid();
}

void T2DEnvelopeDots::RotateAround(int32_t CX, int32_t CY, float Angle) {
  const double Co = std::cos(double(Angle));
  const double Si = std::sin(double(Angle));
  EachDot(*this, [&](int32_t, int32_t, TDotPoint& D, TDotPoint&) {
    const double X = float(int64_t(D.X) - CX);
    const double Y = float(int64_t(D.Y) - CY);
    D.X = SatInt32(int64_t(CX) + RoundToInt32(X * Co - Y * Si));
    D.Y = SatInt32(int64_t(CY) + RoundToInt32(Y * Co + X * Si));
  });
}

void T2DEnvelopeDots::SectorScale(int32_t Sector, float Factor, bool SetLuma, int32_t Luma) {
  const int32_t M = Rows();
  if (Sector < 0 || Sector >= Cols() || M < 2) return;
  std::vector<TDotPoint>& Column = Dots[size_t(Sector)];
  const TDotPoint& Rim = Column[size_t(M - 1)];
  int32_t K = M - 1;
  if (Factor <= 1) {
    for (int32_t R = 1; R <= M - 2; ++R) Column[size_t(R)].Pinned = false;
  } else {
    K = RoundToInt32(float(M - 1) / Factor);
    if (K < 1) K = 1;
    if (K > M - 1) K = M - 2;
    K = std::clamp(K, 1, M - 1);
    if (float(K) * Factor > float(M - 1)) Factor = float(M - 1) / float(K);
    TDotPoint& D = Column[size_t(K)];
    D.Pinned = true;
    D.X = static_cast<int32_t>(int64_t(K) * Rim.X / (M - 1));
    D.Y = static_cast<int32_t>(int64_t(K) * Rim.Y / (M - 1));
  }
  Column[size_t(K)].Scale(Factor);
  if (SetLuma) {
    Column[size_t(K)].Z = static_cast<int32_t>(int64_t(K) * Luma / (M - 1));
    Column[size_t(M - 1)].Z = Luma;
  }
}

void T2DEnvelopeDots::SetSectorScale(int32_t Sector, float Factor) {
  SectorScale(Sector, Factor, false, 0);
}

void T2DEnvelopeDots::SetSectorSaturation(int32_t Sector, int32_t Luma, float Factor) {
  SectorScale(Sector, Factor, true, Luma);
}

// ---------------------------------------------------------------------------
// Queries and events

int32_t T2DEnvelopeDots::GetMeanActiveX() const { return MeanActive(*this, &TDotPoint::X); }

int32_t T2DEnvelopeDots::GetMeanActiveY() const { return MeanActive(*this, &TDotPoint::Y); }

void T2DEnvelopeDots::DoChange() {
  if (OnChange) OnChange(this);
}

}  // namespace kromel
