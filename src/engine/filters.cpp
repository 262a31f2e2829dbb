#include "engine/filters.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "foundation/messages.h"
#include "params/dot_grid.h"
#include "params/envelope_dots.h"

namespace kromel {

namespace {

// Rounded (halves to even) into the Int32 range; NaN gives 0.
int32_t RoundToInt(double V) {
  if (std::isnan(V)) return 0;
  return static_cast<int32_t>(std::clamp(std::nearbyint(V), -2147483648.0, 2147483647.0));
}

// A copy of the buffer's values (the filters read the values from before
// their pass).
std::vector<float> ValuesOf(const TSample32& Buffer) {
  return {Buffer.Data, Buffer.Data + Buffer.Count};
}

bool HasAtLeast(const TSample32& Buffer, int64_t N) {
  return Buffer.Data != nullptr && Buffer.Count >= N;
}

// Index i of a circular buffer of N values for i in -1..N.
size_t Wrap(int64_t I, int64_t N) { return static_cast<size_t>((I + N) % N); }

}  // namespace

void ProcessGridByCurve(T2DEnvelopeDots& Grid, const TEnvelopeDots& CurveX,
                        const TEnvelopeDots& CurveY) {
  const double W = double(Grid.MaxX) - Grid.MinX;
  const double H = double(Grid.MaxY) - Grid.MinY;
  if (W < 1 || H < 1) return;
  int32_t Row = 0;
  try {
    size_t Rows = 0;
    for (const auto& Column : Grid.Dots) Rows = std::max(Rows, Column.size());
    for (size_t IY = 0; IY < Rows; ++IY) {
      Row = static_cast<int32_t>(IY);
      for (auto& Column : Grid.Dots) {
        if (IY >= Column.size()) continue;
        TDotPoint& Dot = Column[IY];
        const float FX = CurveX.GetValueS(float((Dot.X - Grid.MinX) / W * 16384));
        const float FY = CurveY.GetValueS(float((Dot.Y - Grid.MinY) / H * 16384));
        Dot.X = Grid.MinX + RoundToInt(W * FX / 32767);
        Dot.Y = Grid.MinY + RoundToInt(H * FY / 32767);
        Dot.Pinned = true;
      }
    }
  } catch (...) {
    AppendAndShowMessages("Exception in ProcessGridByCurve, IY=" + std::to_string(Row));
  }
}

void Init1DSharpenKernel(TSample32& Kernel, float Sigma) {
  Init1DGaussianBlurKernel(Kernel, Sigma);
  if (!Kernel.HoldsData()) return;
  NormalizeKernel(Kernel);
  float Sum = 0;
  for (int64_t I = 0; I < Kernel.Count; ++I) Sum += Kernel.Data[I];
  for (int64_t I = 0; I < Kernel.Count; ++I) Kernel.Data[I] = -Kernel.Data[I];
  Kernel.Data[Kernel.Count / 2] += Sum;
}

void ConvolveKernels(const TSample32& A, const TSample32& B, TSample32& Result) {
  Result.Dispose();
  if (!A.HoldsData() || !B.HoldsData() || A.Count < 1 || B.Count < 1) return;
  if (!Result.Alloc(A.Count + B.Count - 1)) return;
  Result.Clear();
  for (int64_t I = 0; I < A.Count; ++I)
    for (int64_t J = 0; J < B.Count; ++J) Result.Data[I + J] += A.Data[I] * B.Data[J];
}

void NormalizeKernel(TSample32& Kernel) {
  if (!Kernel.HoldsData()) return;
  float Sum = 0;
  for (int64_t I = 0; I < Kernel.Count; ++I) Sum += Kernel.Data[I];
  if (Sum == 0 || !std::isfinite(Sum)) return;
  for (int64_t I = 0; I < Kernel.Count; ++I) Kernel.Data[I] /= Sum;
}

void AddKernelsCentered(const TSample32& A, const TSample32& B, TSample32& Result) {
  Result.Dispose();
  if (!A.HoldsData() || !B.HoldsData() || A.Count < 1 || B.Count < 1) return;
  if (!Result.Alloc(std::max(A.Count, B.Count))) return;
  Result.Clear();
  const int64_t CR = Result.Count / 2;
  const int64_t CA = A.Count / 2;
  const int64_t CB = B.Count / 2;
  for (int64_t I = 0; I < A.Count; ++I) Result.Data[CR - CA + I] = A.Data[I];
  for (int64_t J = 0; J < B.Count; ++J) Result.Data[CR - CB + J] += B.Data[J];
}

void FloatBufferSort(TSample32& Buffer) {
  if (!Buffer.HoldsData()) return;
  // Stable and in place, as the neighbour-exchange sort it stands for.
  std::stable_sort(Buffer.Data, Buffer.Data + Buffer.Count);
}

void FilterMedian(TSample32& Buffer, int32_t Window) {
  if (Window < 3 || !HasAtLeast(Buffer, 1)) return;
  const int64_t N = Buffer.Count;
  const int64_t H = Window / 2;
  if (N <= 2 * H) return;
  const std::vector<float> In = ValuesOf(Buffer);
  std::vector<float> Ring(static_cast<size_t>(Window));
  for (int64_t K = H; K < N - H; ++K) {
    // The ring holds the Window values ending at K + H.
    const int64_t First = K + H - Window + 1;
    for (int64_t I = 0; I < Window; ++I)
      Ring[size_t(I)] = In[size_t(std::clamp<int64_t>(First + I, 0, N - 1))];
    std::nth_element(Ring.begin(), Ring.begin() + H, Ring.end());
    Buffer.Data[K] = Ring[size_t(H)];
  }
}

void FilterMaxWindow3Loop(TSample32& Buffer) {
  if (!HasAtLeast(Buffer, 2)) return;
  const int64_t N = Buffer.Count;
  const std::vector<float> V = ValuesOf(Buffer);
  for (int64_t I = 0; I < N; ++I) {
    const float M = std::max({V[Wrap(I - 1, N)], V[size_t(I)], V[Wrap(I + 1, N)]});
    Buffer.Data[I] = 0.5f * V[size_t(I)] + 0.5f * M;
  }
}

void FilterBox3Loop(TSample32& Buffer) {
  if (!HasAtLeast(Buffer, 2)) return;
  const int64_t N = Buffer.Count;
  const std::vector<float> V = ValuesOf(Buffer);
  for (int64_t I = 0; I < N; ++I)
    Buffer.Data[I] = (V[Wrap(I - 1, N)] + V[size_t(I)] + V[Wrap(I + 1, N)]) / 3;
}

void Filter181Loop(TSample32& Buffer) {
  if (!HasAtLeast(Buffer, 2)) return;
  const int64_t N = Buffer.Count;
  const std::vector<float> V = ValuesOf(Buffer);
  for (int64_t I = 0; I < N; ++I)
    Buffer.Data[I] = (V[Wrap(I - 1, N)] + 8 * V[size_t(I)] + V[Wrap(I + 1, N)]) * 0.1f;
}

void FilterHue181Loop(TSample32& Buffer) {
  if (!HasAtLeast(Buffer, 2)) return;
  const int64_t N = Buffer.Count;
  constexpr double TwoPi = 2 * std::numbers::pi;
  std::vector<double> S(static_cast<size_t>(N)), C(static_cast<size_t>(N));
  for (int64_t I = 0; I < N; ++I) {
    S[size_t(I)] = std::sin(TwoPi * Buffer.Data[I]);
    C[size_t(I)] = std::cos(TwoPi * Buffer.Data[I]);
  }
  for (int64_t I = 0; I < N; ++I) {
    const size_t P = Wrap(I - 1, N), Q = Wrap(I + 1, N);
    double A = std::atan2(0.1 * S[P] + 0.8 * S[size_t(I)] + 0.1 * S[Q],
                          0.1 * C[P] + 0.8 * C[size_t(I)] + 0.1 * C[Q]) /
               TwoPi;
    if (A < 0) A += 1;
    Buffer.Data[I] = float(A);
  }
}

void FilterBox3(TSample32& Buffer) {
  if (!HasAtLeast(Buffer, 2)) return;
  const int64_t N = Buffer.Count;
  const std::vector<float> V = ValuesOf(Buffer);
  for (int64_t I = 0; I < N - 1; ++I)
    Buffer.Data[I] = (V[size_t(std::max<int64_t>(I - 1, 0))] + V[size_t(I)] + V[size_t(I + 1)]) / 3;
  Buffer.Data[N - 1] = (V[size_t(N - 2)] + 2 * V[size_t(N - 1)]) / 3;
}

void FilterBox5(TSample32& Buffer) {
  if (!HasAtLeast(Buffer, 3)) return;
  const int64_t N = Buffer.Count;
  const std::vector<float> V = ValuesOf(Buffer);
  auto At = [&](int64_t I) { return V[size_t(std::clamp<int64_t>(I, 0, N - 1))]; };
  for (int64_t I = 0; I < N; ++I)
    Buffer.Data[I] = (At(I - 2) + At(I - 1) + At(I) + At(I + 1) + At(I + 2)) * 0.2f;
}

}  // namespace kromel
