// The dot-grid model: mapping points through the displaced dots, resampling
// to a new size and baking the spread positions.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "params/dot_grid.h"
#include "params/envelope_math.h"

namespace kromel {

namespace {

constexpr float PiF = std::numbers::pi_v<float>;
constexpr float EdgeInset = 0.00001f;

// Up to four dots of a cell and their weights at the point.
struct TCellMix {
  int32_t C[4] = {};
  int32_t R[4] = {};
  float W[4] = {};
  int32_t Count = 0;

  void Add(int32_t Col, int32_t Row, float Weight) {
    C[Count] = Col;
    R[Count] = Row;
    W[Count] = Weight;
    ++Count;
  }
  // The cell split along its diagonal from (C0, R0) to (C1, R1).
  void Triangle(int32_t C0, int32_t C1, int32_t R0, int32_t R1, float FU, float FV) {
    if (FU > FV) {
      Add(C0, R0, 1 - FU);
      Add(C1, R0, FU - FV);
      Add(C1, R1, FV);
    } else {
      Add(C0, R0, 1 - FV);
      Add(C0, R1, FV - FU);
      Add(C1, R1, FU);
    }
  }
  template <class TField>
  float Mix(const TDotColumns& Dots, TField Field) const {
    float Q = 0;
    for (int32_t I = 0; I < Count; ++I) Q += Field(Dots[size_t(C[I])][size_t(R[I])]) * W[I];
    return Q;
  }
};

// Position Pos on an axis of Count dots as a cell index below Count - 1 and
// the fraction within it (which reaches 1 on the last edge).
void CellOnAxis(float Pos, int32_t Count, int32_t& Index, float& Fraction) {
  const float Last = float(Count - 1);
  if (!(Pos > 0)) Pos = 0;
  if (Pos >= Last) Pos = Last - EdgeInset;
  Index = static_cast<int32_t>(Pos);
  if (Index > Count - 2) Index = Count - 2;
  Fraction = Pos - float(Index);
}

// Rectangular layout, shared by all three mappings. False when the ranges
// are empty or the point is not a number.
bool RectangularCell(const T2DEnvelopeDots& G, int32_t N, int32_t M, float X, float Y,
                     TCellMix& Mix) {
  const float DX = float(int64_t(G.MaxX) - G.MinX);
  const float DY = float(int64_t(G.MaxY) - G.MinY);
  if (DX == 0 || DY == 0) return false;
  const float U = float(N - 1) * (X - float(G.MinX)) / DX;
  const float V = float(M - 1) * (Y - float(G.MinY)) / DY;
  if (std::isnan(U) || std::isnan(V)) return false;
  int32_t C0, R0;
  float FU, FV;
  CellOnAxis(U, N, C0, FU);
  CellOnAxis(V, M, R0, FV);
  Mix.Triangle(C0, C0 + 1, R0, R0 + 1, FU, FV);
  return true;
}

// Sector of a circular grid: columns C0, C1 (wrapping), the sector's index
// S0 and position S, and the angle Theta (shifted to be positive).
struct TSector {
  int32_t C0 = 0;
  int32_t C1 = 0;
  int64_t S0 = 0;
  float S = 0;
  float Theta = 0;
  float Rho = 0;  // ring position, without the chord correction
};

bool LocateSector(const T2DEnvelopeDots& G, int32_t N, int32_t M, float X, float Y,
                  TSector& Out) {
  const float R = float(int64_t(G.MaxX) - G.MinX) * 0.5f;
  if (R == 0 || std::isnan(X) || std::isnan(Y)) return false;
  Out.Theta = std::atan2(X, Y) + 4 * PiF;
  Out.S = float(N) * Out.Theta / (2 * PiF);
  if (!(Out.S > 0)) Out.S = 0;
  Out.S0 = static_cast<int64_t>(Out.S);
  // (N + S0) mod N and the next column, by subtraction: S0 is near 2 N.
  int64_t C = Out.S0;
  if (C < 8 * int64_t(N))
    while (C >= N) C -= N;
  else
    C %= N;
  Out.C0 = static_cast<int32_t>(C);
  Out.C1 = Out.C0 + 1 == N ? 0 : Out.C0 + 1;
  Out.Rho = float(M - 1) * std::sqrt(X * X + Y * Y) / R;
  if (!(Out.Rho > 0)) Out.Rho = 0;  // also NaN
  return true;
}

// What the chord rule needs of N sectors alone.
struct TChordConstants {
  float CosHalf = 0;   // cos of half a sector
  float EdgeLength = 0;  // a chord of the unit circle across one sector
};

TChordConstants MakeChordConstants(int32_t N) {
  TChordConstants K;
  K.CosHalf = std::cos(PiF / float(N));
  const float EX = std::cos(2 * PiF / float(N)) - 1;
  const float EY = std::sin(2 * PiF / float(N));
  K.EdgeLength = std::sqrt(EX * EX + EY * EY);
  return K;
}

// Made once for every sector count a grid can have.
const TChordConstants& ChordConstants(int32_t N) {
  static const auto* const Table = [] {
    auto* T = new std::array<TChordConstants, size_t(DotGridMaxCount) + 1>;
    for (int32_t I = 1; I <= DotGridMaxCount; ++I) (*T)[size_t(I)] = MakeChordConstants(I);
    return T;
  }();
  if (N >= 1 && N <= DotGridMaxCount) return (*Table)[size_t(N)];
  thread_local TChordConstants Other;
  Other = MakeChordConstants(N);
  return Other;
}

// Circular layout of Interpolation: rings joined by straight chords.
bool CircularChordCell(const T2DEnvelopeDots& G, int32_t N, int32_t M, float X, float Y,
                       TCellMix& Mix) {
  TSector Sec;
  if (!LocateSector(G, N, M, X, Y, Sec)) return false;
  const TChordConstants& K = ChordConstants(N);
  const float ThetaM = float(2 * Sec.S0 + 1) * PiF / float(N);
  const float CosHalf = K.CosHalf;
  const float CosOff = std::cos(Sec.Theta - ThetaM);
  float Rho = Sec.Rho * CosOff / CosHalf;
  if (!(Rho > 0)) Rho = 0;
  const float Phi = 2 * PiF * (Sec.S - float(Sec.S0)) / float(N);
  const float Ratio = CosHalf / CosOff;
  const float PX = std::cos(Phi) * Ratio;
  const float PY = std::sin(Phi) * Ratio;
  float FS = std::sqrt((PX - 1) * (PX - 1) + PY * PY) / K.EdgeLength;
  if (std::isnan(FS)) FS = 0;
  int32_t R0, R1;
  float FR;
  if (Rho >= float(M - 1)) {
    R0 = R1 = M - 1;
    FR = 0;
  } else {
    R0 = static_cast<int32_t>(Rho);
    R1 = R0 + 1;
    FR = Rho - float(R0);
  }
  Mix.Add(Sec.C0, R0, (1 - FS) * (1 - FR));
  Mix.Add(Sec.C0, R1, (1 - FS) * FR);
  Mix.Add(Sec.C1, R0, FS * (1 - FR));
  Mix.Add(Sec.C1, R1, FS * FR);
  return true;
}

// Circular layout of the selection mappings: angle and ring fractions
// straight into the triangle rule.
bool CircularSimpleCell(const T2DEnvelopeDots& G, int32_t N, int32_t M, float X, float Y,
                        TCellMix& Mix) {
  TSector Sec;
  if (!LocateSector(G, N, M, X, Y, Sec)) return false;
  int32_t R0;
  float FR;
  CellOnAxis(Sec.Rho, M, R0, FR);
  Mix.Triangle(Sec.C0, Sec.C1, R0, R0 + 1, Sec.S - float(Sec.S0), FR);
  return true;
}

// Finds the cell of (X, Y) (circular grids by chords when Chord, else by
// the simple rule) and maps X, Y and Z through its dots. False, with X, Y
// and Z unchanged, when the point lies in no cell.
bool MapThroughCell(const T2DEnvelopeDots& G, int32_t N, int32_t M, bool Chord, float& X,
                    float& Y, float& Z, TCellMix& Mix) {
  const bool Found = !G.Circular ? RectangularCell(G, N, M, X, Y, Mix)
                     : Chord     ? CircularChordCell(G, N, M, X, Y, Mix)
                                 : CircularSimpleCell(G, N, M, X, Y, Mix);
  if (!Found) return false;
  // The three sums of Mix in one pass, each in the same order.
  float QX = 0, QY = 0, QZ = 0;
  for (int32_t I = 0; I < Mix.Count; ++I) {
    const TDotPoint& D = G.Dots[size_t(Mix.C[I])][size_t(Mix.R[I])];
    QX += float(D.X) * Mix.W[I];
    QY += float(D.Y) * Mix.W[I];
    QZ += float(D.Z) * Mix.W[I];
  }
  X = QX;
  Y = QY;
  Z = QZ;
  return true;
}

}  // namespace

void T2DEnvelopeDots::Interpolation(float& X, float& Y, float& Z) const {
  Interpolation(X, Y, Z, Cols(), Rows());
}

void T2DEnvelopeDots::Interpolation(float& X, float& Y, float& Z, int32_t N, int32_t M) const {
  if (N < 2 || M < 2) return;
  TCellMix Mix;
  MapThroughCell(*this, N, M, true, X, Y, Z, Mix);
}

void T2DEnvelopeDots::InterpolationSelection(float& X, float& Y, float& Z, float& Sel) const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N < 1 || M < 1) return;
  Sel = 0;
  if (N < 2 || M < 2) {
    X = float(Dots[0][0].X);
    Y = float(Dots[0][0].Y);
    Z = float(Dots[0][0].Z);
    return;
  }
  TCellMix Mix;
  if (!MapThroughCell(*this, N, M, false, X, Y, Z, Mix)) return;
  Sel = Mix.Mix(Dots, [](const TDotPoint& D) { return D.Selected ? 1.0f : 0.0f; });
}

void T2DEnvelopeDots::InterpolationSelectionDot(float& X, float& Y, float& Z, float& W,
                                                int32_t Col, int32_t Row) const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  if (N < 2 || M < 2) {
    if (N > 0 && M > 0) W = 0;
    return;
  }
  W = 0;
  TCellMix Mix;
  if (!MapThroughCell(*this, N, M, false, X, Y, Z, Mix)) return;
  // All centre dots of a circular grid are one point.
  const bool CentreDot = Circular && Row == 0;
  float Q = 0;
  for (int32_t I = 0; I < Mix.Count; ++I)
    if ((Mix.C[I] == Col && Mix.R[I] == Row) || (CentreDot && Mix.R[I] == 0)) Q += Mix.W[I];
  W = Q;
}

float T2DEnvelopeDots::PointDistance(float X1, float Y1, float X2, float Y2) {
  return std::sqrt((X1 - X2) * (X1 - X2) + (Y1 - Y2) * (Y1 - Y2));
}

void T2DEnvelopeDots::Resize(int32_t NewCols, int32_t NewRows, bool NewCircular, int32_t Margin) {
  if (NewRows == RowCount && NewCols == ColCount) return;
  T2DEnvelopeDots Old;
  Old.Assign(*this);
  if (Margin != 0) {
    const int32_t Lo = SatInt32(-int64_t(Margin));
    SetRanges(Lo, Lo, Margin, Margin);
  }
  SetSize(std::max(NewCols, 1), std::max(NewRows, 1));
  if (NewCircular)
    InitializeCircular(true);
  else
    InitializeRectangular(true);

  const bool Map = Old.Cols() > 1 && Old.Rows() > 1;
  const int32_t N = Cols();
  const int32_t M = Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      const TDotPoint& E = DefaultDots[size_t(C)][size_t(R)];
      float X = float(E.X), Y = float(E.Y), Z = 0;
      if (Map) Old.Interpolation(X, Y, Z);
      D.X = RoundToInt32(X);
      D.Y = RoundToInt32(Y);
      D.Z = RoundToInt32(Z);
      D.Pinned = true;
      float SX = float(E.X), SY = float(E.Y), SZ = 0, Sel = 0;
      Old.InterpolationSelection(SX, SY, SZ, Sel);
      D.Selected = Sel > 0.1f;
    }
  if (!AllPinned) UnPinAll();
}

void T2DEnvelopeDots::BakeInterpolation() {
  InterpolateUntouchedDots();
  PinAll();
  FixGridSavingAngle();
  UnPinAll();
}

}  // namespace kromel
