// Chart matching on many colour pairs: the tetrahedral build alone and the
// whole match into a 33-level LUT. The pairs are pseudo-random camera
// colours (a fixed sequence) mapped by a mild matrix.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "matching/chart_matching.h"
#include "matching/tetrahedralization.h"

namespace kromel {
namespace {

struct TPairLists {
  TImage128 Src, Dst;
  TBooleanArray Flags;
  explicit TPairLists(int32_t N) {
    Src.Init();
    Dst.Init();
    Src.Alloc(N, 1);
    Dst.Alloc(N, 1);
    uint64_t X = 88172645463325252ull;
    auto Next = [&X] {
      X ^= X << 13;
      X ^= X >> 7;
      X ^= X << 17;
      return float(X >> 40) / float(1 << 24);
    };
    for (int32_t I = 0; I < N; ++I) {
      const float R = Next(), G = Next(), B = Next();
      Src.Data[I].Init(R, G, B, 1);
      Dst.Data[I].Init(0.9f * R + 0.1f * G, 0.05f * R + 0.9f * G + 0.05f * B, 0.1f * G + 0.9f * B,
                       1);
    }
    Flags.assign(size_t(N), false);
  }
  ~TPairLists() {
    Src.Dispose();
    Dst.Dispose();
  }
};

void Build(benchmark::State& State) {
  const TPairLists P(int32_t(State.range(0)));
  for (auto _ : State) {
    TTetrahedralization T;
    T.Init();
    T.SetData(P.Src, P.Dst, P.Flags);
    const bool Built = CalcTetrahedralization(T, false, false, false, nullptr, 0);
    State.counters["tetrahedra"] = T.NumTetrahedra;
    T.Done();
    if (!Built) State.SkipWithError("build failed");
  }
}
BENCHMARK(Build)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void MatchLUT33(benchmark::State& State) {
  const int32_t N = int32_t(State.range(0));
  T3DLut LUT;
  LUT.SetSize(33);
  for (auto _ : State) {
    State.PauseTiming();
    TPairLists P(N);
    State.ResumeTiming();
    if (CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, false, 0, 0, false, false, 0, nullptr,
                         true) != TProfileLUTResult::Done)
      State.SkipWithError("match failed");
  }
}
BENCHMARK(MatchLUT33)->Arg(24)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kromel
