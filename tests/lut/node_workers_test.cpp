#include "lut/node_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kromel {
namespace {

// Every node visited exactly once, whatever the count.
TEST(NodeWorkersThread, VisitsEveryNodeOnce) {
  for (int32_t Count : {0, 1, 2047, 2048, 35937, 262144}) {
    std::vector<std::atomic<int32_t>> Visits(size_t(Count) + 1);
    ParallelForNodes(Count, [&](int32_t Begin, int32_t End) {
      ASSERT_LE(0, Begin);
      ASSERT_LT(Begin, End);
      for (int32_t k = Begin; k < End; ++k) Visits[size_t(k)].fetch_add(1);
    });
    for (int32_t k = 0; k < Count; ++k) ASSERT_EQ(Visits[size_t(k)].load(), 1) << Count << " " << k;
  }
}

// A range that throws stops the walk; the caller gets the exception and the
// pool serves the next walk.
TEST(NodeWorkersThread, ExceptionReachesTheCaller) {
  EXPECT_THROW(ParallelForNodes(100000,
                                [](int32_t Begin, int32_t End) {
                                  if (Begin <= 50000 && 50000 < End)
                                    throw std::runtime_error("node");
                                }),
               std::runtime_error);
  std::atomic<int64_t> Sum{0};
  ParallelForNodes(100000, [&](int32_t Begin, int32_t End) { Sum += End - Begin; });
  EXPECT_EQ(Sum.load(), 100000);
}

// Walks inside walks, and walks from several threads at once, run to the
// end instead of waiting on a pool that is busy.
TEST(NodeWorkersConcurrent, NestedAndParallelCallersFinish) {
  std::atomic<int64_t> Inner{0};
  ParallelForNodes(8192, [&](int32_t Begin, int32_t End) {
    for (int32_t k = Begin; k < End; k += 1024)
      ParallelForNodes(4096, [&](int32_t B, int32_t E) { Inner += E - B; });
  });
  EXPECT_EQ(Inner.load() % 4096, 0);
  EXPECT_GT(Inner.load(), 0);

  std::vector<std::thread> Callers;
  std::atomic<int64_t> Total{0};
  for (int I = 0; I < 4; ++I)
    Callers.emplace_back([&] {
      for (int Run = 0; Run < 50; ++Run)
        ParallelForNodes(5000, [&](int32_t B, int32_t E) { Total += E - B; });
    });
  for (std::thread& T : Callers) T.join();
  EXPECT_EQ(Total.load(), 4 * 50 * 5000);
}

// A limit of 1 keeps every range on the calling thread.
TEST(NodeWorkersThread, LimitOneRunsOnTheCaller) {
  const int32_t Old = SetNodeThreadLimit(1);
  EXPECT_EQ(NodeThreadLimit(), 1);
  const std::thread::id Me = std::this_thread::get_id();
  std::atomic<int32_t> Elsewhere{0};
  ParallelForNodes(100000, [&](int32_t, int32_t) {
    if (std::this_thread::get_id() != Me) ++Elsewhere;
  });
  EXPECT_EQ(Elsewhere.load(), 0);
  SetNodeThreadLimit(Old);
  EXPECT_EQ(NodeThreadLimit(), Old);
}

// A limit of 2 lets one worker join the caller, never more, walk after walk
// (workers past the limit are neither woken nor watching), and the whole
// range is still covered once.
TEST(NodeWorkersThread, LimitTwoUsesAtMostTwoThreads) {
  const int32_t Old = SetNodeThreadLimit(2);
  for (int Run = 0; Run < 20; ++Run) {
    std::mutex Lock;
    std::set<std::thread::id> Seen;
    std::atomic<int32_t> Total{0};
    ParallelForNodes(50000, [&](int32_t B, int32_t E) {
      Total += E - B;
      std::lock_guard<std::mutex> Guard(Lock);
      Seen.insert(std::this_thread::get_id());
    });
    EXPECT_EQ(Total.load(), 50000);
    EXPECT_LE(Seen.size(), 2u) << "run " << Run;
  }
  SetNodeThreadLimit(Old);
}

}  // namespace
}  // namespace kromel
