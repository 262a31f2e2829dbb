// The preview renderer on a 24-megapixel 16-bit picture through a 33-point
// LUT: on its eight band workers and on the OpenCL device, and the
// machine's memory copy bandwidth in the same run. bench/compare-ffmpeg runs
// ffmpeg's lut3d beside it; KROMEL_BENCH_RAW16 names raw 6000 x 4000 RGBA
// words to use as the picture (otherwise a synthetic one).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

#include "bench_hosts.h"
#include "bench_lut.h"
#include "lut/lut_renderer.h"
#include "platform/main_thread.h"

namespace {

using namespace kromel;

constexpr int32_t Width = 6000, Height = 4000;

// The picture (or raw words named by KROMEL_BENCH_RAW16) and the LUT.
class TBenchHost : public bench::TBenchRendererHost {
 public:
  TBenchHost() : TBenchRendererHost(Width, Height) {
    const char* Raw = std::getenv("KROMEL_BENCH_RAW16");
    std::ifstream In(Raw != nullptr ? Raw : "", std::ios::binary);
    if (!In.read(reinterpret_cast<char*>(Work.Image64.Pixels),
                 std::streamsize(sizeof(TPixel64)) * Work.Image64.Size))
      for (int64_t i = 0; i < Work.Image64.Size; ++i) {
        const uint64_t H = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull;
        Work.Image64.Pixels[i].Init(uint16_t(H), uint16_t(H >> 16), uint16_t(H >> 32), 65535);
      }
    Main.Write([](T3DLut& Lut) { kromel::bench::MakeBenchLut(Lut); });
  }
};

TBenchHost& Host() {
  static TBenchHost H;
  return H;
}

void Render(benchmark::State& State, bool OnDevice) {
  TLutRenderer Renderer(Host(), OnDevice);
  Renderer.UseOpenCL = OnDevice;
  Renderer.UseOpenCLOnCPU = OnDevice;  // measured on POCL too
  if (OnDevice && (Renderer.CLProcessor() == nullptr || !Renderer.CLProcessor()->Usable())) {
    State.SkipWithError("no OpenCL device");
    return;
  }
  for (auto _ : State) {
    const int64_t Before = Renderer.RenderCount();
    Renderer.RequestRender();
    // Sleeps until the render is done; the renderer wakes this thread.
    DrainMainThreadCallsUntil(
        [&] { return Renderer.RenderCount() != Before && !Renderer.Busy(); });
  }
  if (OnDevice && !Renderer.LastRenderOnDevice()) State.SkipWithError("the device refused");
  State.SetItemsProcessed(State.iterations() * int64_t(Width) * Height);
  // 8 bytes read and 4 written per pixel.
  State.SetBytesProcessed(State.iterations() * int64_t(Width) * Height * 12);
}

void BM_Render24MP_Lut33_Workers(benchmark::State& State) { Render(State, false); }
BENCHMARK(BM_Render24MP_Lut33_Workers)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Render24MP_Lut33_OpenCL(benchmark::State& State) { Render(State, true); }
BENCHMARK(BM_Render24MP_Lut33_OpenCL)->Unit(benchmark::kMillisecond)->UseRealTime();

// memcpy of the 16-bit picture's bytes (192 MB) in eight bands on eight
// threads at once; bytes read plus written.
void BM_MemoryCopy8Threads(benchmark::State& State) {
  const size_t Bytes = size_t(Width) * Height * 8;
  std::vector<char> A(Bytes, 1), B(Bytes, 2);
  for (auto _ : State) {
    std::vector<std::thread> Threads;
    for (size_t i = 0; i < 8; ++i)
      Threads.emplace_back([&, i] {
        const size_t First = Bytes * i / 8, Last = Bytes * (i + 1) / 8;
        std::memcpy(B.data() + First, A.data() + First, Last - First);
      });
    for (auto& T : Threads) T.join();
    benchmark::DoNotOptimize(B.data());
  }
  State.SetBytesProcessed(State.iterations() * int64_t(Bytes) * 2);
}
BENCHMARK(BM_MemoryCopy8Threads)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
