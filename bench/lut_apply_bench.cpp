// A 33-point LUT applied to a 24-megapixel picture at 8 and 16 bits on all
// cores, in horizontal bands as the renderer's workers do.
// bench/compare-ffmpeg runs ffmpeg's lut3d on the same job beside it and
// hands both the same picture: raw 6000 x 4000 BGRA bytes in the file named
// by KROMEL_BENCH_RAW8, RGBA words in KROMEL_BENCH_RAW16 (otherwise a
// synthetic picture is used).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "images/image32.h"
#include "images/image64.h"
#include "lut/lut_apply.h"
#include "bench_lut.h"

namespace {

constexpr int32_t Width = 6000, Height = 4000;

const kromel::T3DLut& Look() {
  static kromel::T3DLut Lut;
  if (Lut.Size == 0) kromel::bench::MakeBenchLut(Lut);
  return Lut;
}

// Fills Pixels from the raw file named by the variable; false without one.
bool ReadRaw(const char* Variable, void* Pixels, std::size_t Bytes) {
  const char* Name = std::getenv(Variable);
  if (Name == nullptr) return false;
  std::ifstream In(Name, std::ios::binary);
  return In.read(static_cast<char*>(Pixels), static_cast<std::streamsize>(Bytes)).good();
}

int Threads() { return std::max(1u, std::thread::hardware_concurrency()); }

// Runs Fn(FirstRow, Rows) on Threads() bands at once.
template <class TFn>
void InBands(TFn Fn) {
  const int N = Threads();
  std::vector<std::thread> Workers;
  for (int i = 0; i < N; ++i) {
    const int32_t First = static_cast<int32_t>(int64_t(Height) * i / N);
    const int32_t Last = static_cast<int32_t>(int64_t(Height) * (i + 1) / N);
    Workers.emplace_back([=] { Fn(First, Last - First); });
  }
  for (auto& W : Workers) W.join();
}

// Src filled from the raw file named by RawVariable, else by Fill(Pixel, i)
// per pixel; each iteration runs Process(S, D) on every band of Src and Dst.
template <class TImage, class TFill, class TProcess>
void ApplyInBands(benchmark::State& State, const char* RawVariable, TFill Fill,
                  TProcess Process) {
  TImage Src, Dst;
  Src.Init();
  Dst.Init();
  Src.Alloc(Width, Height);
  Dst.Alloc(Width, Height);
  if (!ReadRaw(RawVariable, Src.Pixels, sizeof(*Src.Pixels) * std::size_t(Src.Size)))
    for (int64_t i = 0; i < Src.Size; ++i) Fill(Src.Pixels[i], i);
  // The destination's pages mapped before timing, as a reused output's are.
  std::fill_n(reinterpret_cast<char*>(Dst.Pixels), sizeof(*Dst.Pixels) * std::size_t(Dst.Size), 0);
  for (auto _ : State)
    InBands([&](int32_t First, int32_t Rows) {
      auto S = kromel::RowBand<typename TImage::TPixel>(Src, First, Rows);
      auto D = kromel::RowBand<typename TImage::TPixel>(Dst, First, Rows);
      Process(S, D);
    });
  State.SetItemsProcessed(State.iterations() * int64_t(Width) * Height);
  State.counters["threads"] = Threads();
  Src.Dispose();
  Dst.Dispose();
}

void BM_ApplyLut33_8bit(benchmark::State& State) {
  const kromel::T3DLut& Lut = Look();
  ApplyInBands<kromel::TImage32>(
      State, "KROMEL_BENCH_RAW8",
      [](kromel::TVPixel32& P, int64_t i) {
        P.Value = static_cast<uint32_t>(i * 2654435761u) | 0xFF000000u;
      },
      [&Lut](const auto& S, auto& D) {
        kromel::ProcessImage(Lut, S, D, false);
      });
}
BENCHMARK(BM_ApplyLut33_8bit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApplyLut33_16bit(benchmark::State& State) {
  const kromel::T3DLut& Lut = Look();
  ApplyInBands<kromel::TImage64>(
      State, "KROMEL_BENCH_RAW16",
      [](kromel::TPixel64& P, int64_t i) {
        const uint64_t H = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull;
        P.Init(static_cast<uint16_t>(H), static_cast<uint16_t>(H >> 16),
               static_cast<uint16_t>(H >> 32), 65535);
      },
      [&Lut](const auto& S, auto& D) {
        kromel::ProcessImage64(Lut, S, D, false);
      });
}
BENCHMARK(BM_ApplyLut33_16bit)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the lookup prepared once per picture and shared by the bands.
void BM_ApplyLut33_16bitPrepared(benchmark::State& State) {
  kromel::TPreparedLut Prepared;
  Prepared.Prepare(Look(), true);
  ApplyInBands<kromel::TImage64>(
      State, "KROMEL_BENCH_RAW16",
      [](kromel::TPixel64& P, int64_t i) {
        const uint64_t H = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull;
        P.Init(static_cast<uint16_t>(H), static_cast<uint16_t>(H >> 16),
               static_cast<uint16_t>(H >> 32), 65535);
      },
      [&Prepared](const auto& S, auto& D) {
        kromel::ProcessImage64(Prepared, S, D, false);
      });
}
BENCHMARK(BM_ApplyLut33_16bitPrepared)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
