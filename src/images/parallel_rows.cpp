#include "images/parallel_rows.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace kromel {

void ForEachRowBand(int32_t Rows, int64_t Work, const std::function<void(int32_t, int32_t)>& Body) {
  if (Rows <= 0) return;
  constexpr int64_t WorkPerThread = 1 << 20;
  const int64_t Cores = std::max<int64_t>(1, std::thread::hardware_concurrency());
  const int32_t Bands = int32_t(std::clamp<int64_t>(Work / WorkPerThread, 1, std::min<int64_t>(Cores, Rows)));
  if (Bands == 1) {
    Body(0, Rows);
    return;
  }
  std::vector<std::thread> Threads;
  Threads.reserve(size_t(Bands - 1));
  for (int32_t B = 1; B < Bands; ++B)
    Threads.emplace_back([&, B] { Body(int32_t(int64_t(Rows) * B / Bands), int32_t(int64_t(Rows) * (B + 1) / Bands)); });
  Body(0, int32_t(Rows / Bands));
  for (std::thread& T : Threads) T.join();
}

}  // namespace kromel
