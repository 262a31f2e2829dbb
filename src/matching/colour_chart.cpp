#include "matching/colour_chart.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace kromel {

std::string TColorCheckerPixel128::Name() const {
  return std::string(NameChars, std::min<size_t>(NameLength, sizeof(NameChars)));
}

void TColorCheckerPixel128::SetName(const std::string& S) {
  NameLength = static_cast<uint8_t>(std::min(S.size(), sizeof(NameChars)));
  std::memset(NameChars, 0, sizeof(NameChars));
  std::memcpy(NameChars, S.data(), NameLength);
}

std::string ColorChartPatchName(int32_t Column, int32_t Row) {
  std::string Name;
  if (Column < 26) {
    Name += char(65 + Column);
  } else {
    Name += char(64 + Column / 26);
    Name += char(65 + Column % 26);
  }
  return Name + std::to_string(Row + 1);
}

void TColorChartTable::Init() {
  Count = 0;
  Patches.clear();
  BlackCompensation.Init();
  WhiteCompensation.Init();
}

void TColorChartTable::Alloc(int32_t N) {
  Count = std::max(N, 0);
  Patches.assign(size_t(Count), TColorCheckerPixel128{});
}

void TColorChartTable::Dispose() {
  Patches.clear();
  Patches.shrink_to_fit();
  Count = 0;
  BlackCompensation.Dispose();
  WhiteCompensation.Dispose();
}

bool TColorChartTable::GridIsComplete() const {
  return Columns > 0 && Rows > 0 && int64_t(Columns) * Rows <= int64_t(Count) &&
         size_t(Count) <= Patches.size();
}

namespace {

// Positions of the patches between two placed ones along a row or column,
// interpolated linearly in double precision.
void InterpolatePositions(TColorCheckerPixel128& P, const TColorCheckerPixel128& From,
                          const TColorCheckerPixel128& To, double T) {
  P.PosX = float(T * To.PosX + (1 - T) * From.PosX);
  P.PosY = float(T * To.PosY + (1 - T) * From.PosY);
}

bool HasFullLab(const TColorCheckerPixel128& P) {
  return P.LabL != 0 && P.LabA != 0 && P.LabB != 0;
}

}  // namespace

void TColorChartTable::SetPatches(const TColorCheckerPixel128* Source, int32_t SourceCount,
                                  int32_t NewColumns, int32_t NewRows) {
  const TColorCheckerPixelArray Copy(Source, Source + std::max(SourceCount, 0));
  Dispose();
  const int64_t Grid = int64_t(std::max(NewColumns, 0)) * std::max(NewRows, 0);
  Alloc(int32_t(std::max<int64_t>(Grid, int64_t(Copy.size()))));
  std::copy(Copy.begin(), Copy.end(), Patches.begin());
  Columns = NewColumns;
  Rows = NewRows;
  if (!GridIsComplete()) return;
  auto At = [this](int32_t Y, int32_t X) -> TColorCheckerPixel128& {
    return Patches[size_t(PatchIndex(Y, X))];
  };
  for (int32_t Y = 0; Y <= Rows - 2; ++Y)
    for (int32_t X = 0; X <= Columns - 2; ++X) {
      if (!At(Y, X).HasPosition() && (Y != 0 || X != 0)) continue;
      int32_t I = X + 1;
      while (I < Columns - 1 && !At(Y, I).HasPosition() && HasFullLab(At(Y, I))) ++I;
      if (!At(Y, I).HasPosition()) continue;
      for (int32_t K = X + 1; K < I; ++K)
        InterpolatePositions(At(Y, K), At(Y, X), At(Y, I), double(K - X) / (I - X));
    }
  for (int32_t X = 0; X <= Columns - 2; ++X)
    for (int32_t Y = 0; Y <= Rows - 2; ++Y) {
      if (At(Y, X).PosY == 0) continue;
      int32_t J = Y + 1;
      while (J < Rows - 1 && !At(J, X).HasPosition() && HasFullLab(At(J, X))) ++J;
      if (At(J, X).PosY == 0) continue;
      for (int32_t K = Y + 1; K < J; ++K)
        InterpolatePositions(At(K, X), At(Y, X), At(J, X), double(K - Y) / (J - Y));
    }
}

void TColorChartTable::SetCount(int32_t N) {
  N = std::max(N, 0);
  Patches.resize(size_t(N), TColorCheckerPixel128{});
  Count = N;
  if (Columns > 0) Rows = N / Columns;
}

void TColorChartTable::Assign(const TColorChartTable& Other) {
  if (&Other == this) return;
  Dispose();
  Patches.assign(Other.Patches.begin(), Other.Patches.begin() + Other.Count);
  Count = Other.Count;
  Columns = Other.Columns;
  Rows = Other.Rows;
}

void TColorChartTable::Clear() {
  for (TColorCheckerPixel128& P : Patches) {
    P = TColorCheckerPixel128{};
    P.Empty = true;
  }
}

void TColorChartTable::Transpose() {
  if (!GridIsComplete()) return;
  TColorChartTable Old;
  Old.Init();
  Old.Assign(*this);
  std::swap(Columns, Rows);
  const int32_t N = Columns * Rows;
  for (int32_t I = 0; I < N; ++I) {
    TColorCheckerPixel128 P = Old.Patches[size_t(I)];
    std::swap(P.PosX, P.PosY);
    Patches[size_t((I % Rows) * Columns + I / Rows)] = P;
  }
  Old.Dispose();
}

void TColorChartTable::FlipVertical() {
  if (!GridIsComplete()) return;
  for (int32_t X = 0; X < Columns; ++X)
    for (int32_t B = 0; B < Rows / 2; ++B)
      std::swap(Patches[size_t(PatchIndex(B, X))], Patches[size_t(PatchIndex(Rows - 1 - B, X))]);
}

void TColorChartTable::FlipHorizontal() {
  if (!GridIsComplete()) return;
  for (int32_t Y = 0; Y < Rows; ++Y)
    for (int32_t B = 0; B < Columns / 2; ++B)
      std::swap(Patches[size_t(PatchIndex(Y, B))],
                Patches[size_t(PatchIndex(Y, Columns - 1 - B))]);
}

void TColorChartTable::MakeGrayRamp() {
  if (Count < 2) return;
  for (int32_t I = 0; I < Count; ++I) {
    TColorCheckerPixel128& P = Patches[size_t(I)];
    const float T = float(I) / float(Count - 1);
    P.LabL = T * 99.9f + 0.1f;
    P.LabA = 0;
    P.LabB = 0;
    P.Weight = 1;
    P.Empty = false;
  }
}

void TColorChartTable::MakeTestChart() {
  if (Count < 2 || Columns < 1) return;
  for (int32_t I = 0; I < Count; ++I) {
    TColorCheckerPixel128& P = Patches[size_t(I)];
    const float T = float(I) / float(Count - 1);
    P.LabL = T * 89.9f + 10;
    P.LabA = -20;
    P.LabB = float(I % Columns) / float(Columns) * 80 - 40;
    P.Weight = 1;
    P.Empty = false;
  }
}

void TColorChartTable::MarkNeutralPatches() {
  for (TColorCheckerPixel128& P : Patches)
    if (std::fabs(P.LabA) + std::fabs(P.LabB) < 1 && P.LabL > 0) P.Neutral = true;
}

int32_t TColorChartTable::CountNeutralPatches() const {
  return int32_t(std::count_if(Patches.begin(), Patches.begin() + Count,
                               [](const TColorCheckerPixel128& P) { return P.Neutral; }));
}

int32_t TColorChartTable::CountNearNeutral(float Threshold) const {
  return int32_t(std::count_if(
      Patches.begin(), Patches.begin() + Count, [Threshold](const TColorCheckerPixel128& P) {
        return std::fabs(P.LabA) + std::fabs(P.LabB) < Threshold && P.LabL > 0;
      }));
}

namespace {

void CopyCompensation(const TImage128& Src, TImage128& Dest, int32_t GridCount) {
  if (Src.Data == nullptr || Dest.Data == nullptr) return;
  const int32_t N = std::min({GridCount, Src.Size, Dest.Size});
  for (int32_t I = 0; I < N; ++I) {
    Dest.Data[I].B = Src.Data[I].B;
    Dest.Data[I].G = Src.Data[I].G;
    Dest.Data[I].R = Src.Data[I].R;
  }
}

}  // namespace

void TColorChartTable::GetBlackCompensation(TImage128& Dest) const {
  CopyCompensation(BlackCompensation, Dest, std::max(Columns, 0) * std::max(Rows, 0));
}

void TColorChartTable::GetWhiteCompensation(TImage128& Dest) const {
  CopyCompensation(WhiteCompensation, Dest, std::max(Columns, 0) * std::max(Rows, 0));
}

TColorCheckerPixelArray StartupColorChartPatches() {
  static const float Lab[24][3] = {
      {37.987f, 13.555f, 14.059f},   {65.711f, 18.130f, 17.810f},   {49.927f, -4.880f, -21.925f},
      {43.139f, -13.095f, 21.905f},  {55.112f, 8.844f, -25.339f},   {70.719f, -33.397f, -0.114f},
      {62.661f, 36.067f, 57.096f},   {40.020f, 10.410f, -45.964f},  {51.124f, 48.239f, 16.248f},
      {30.325f, 22.976f, -21.587f},  {72.532f, -23.709f, 57.255f},  {71.941f, 19.363f, 67.857f},
      {28.778f, 14.179f, -50.297f},  {55.261f, -38.342f, 31.370f},  {42.101f, 53.378f, 28.190f},
      {81.773f, 4.039f, 79.819f},    {51.935f, 49.986f, -14.574f},  {51.038f, -28.631f, -28.638f},
      {96.539f, -0.425f, 1.186f},    {81.257f, -0.638f, -0.335f},   {66.766f, -0.734f, -0.504f},
      {50.867f, -0.153f, -0.270f},   {35.656f, -0.421f, -1.231f},   {20.461f, -0.079f, -0.973f}};
  TColorCheckerPixelArray Patches(24, TColorCheckerPixel128{});
  for (size_t I = 0; I < 24; ++I) {
    Patches[I].LabL = Lab[I][0];
    Patches[I].LabA = Lab[I][1];
    Patches[I].LabB = Lab[I][2];
    Patches[I].Neutral = I >= 18;
  }
  Patches[23].Weight = 5;
  return Patches;
}

void SetStartupColorChart(TColorChartTable& Table) {
  const TColorCheckerPixelArray Patches = StartupColorChartPatches();
  Table.SetPatches(Patches.data(), int32_t(Patches.size()), StartupChartColumns, StartupChartRows);
}

}  // namespace kromel
