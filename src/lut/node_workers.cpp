#include "lut/node_workers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#ifdef __linux__
#include <sched.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace kromel {

namespace {

// Walks shorter than this are not worth waking the pool for.
constexpr int32_t MinParallelNodes = 2048;
constexpr int32_t MinRangeNodes = 256;
constexpr int32_t MaxThreads = 8;
// A calculation runs its walks back to back: workers watch for the next one
// this long before they sleep, and the caller watches for the workers' end
// before it sleeps, so neither waits for a wake-up in between.
constexpr auto WorkerSpin = std::chrono::microseconds(200);
constexpr auto CallerSpin = std::chrono::microseconds(50);

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

// Spins until Ready() or For has passed; returns Ready().
template <class TReady>
bool SpinUntil(TReady Ready, std::chrono::microseconds For) {
  const auto Until = std::chrono::steady_clock::now() + For;
  for (int32_t Round = 0;; ++Round) {
    if (Ready()) return true;
    for (int32_t i = 0; i < 16; ++i) CpuRelax();
    if ((Round & 15) == 15 && std::chrono::steady_clock::now() >= Until) return Ready();
  }
}

thread_local bool GInsidePool = false;

class TNodeWorkerPool {
 public:
  TNodeWorkerPool() {
    const int32_t Workers = std::clamp(UsableCores(), 1, MaxThreads) - 1;
    FLimit.store(Workers + 1);
    FThreads.reserve(size_t(Workers));
    for (int32_t I = 0; I < Workers; ++I) FWake.push_back(std::make_unique<std::condition_variable>());
    for (int32_t I = 0; I < Workers; ++I) FThreads.emplace_back([this, I] { WorkerLoop(I); });
  }

  ~TNodeWorkerPool() {
    {
      std::lock_guard<std::mutex> Guard(FLock);
      FStop = true;
      FStopping.store(true);
    }
    for (auto& W : FWake) W->notify_one();
    for (std::thread& T : FThreads) T.join();
  }

  int32_t Size() const { return static_cast<int32_t>(FThreads.size()); }
  std::atomic<int32_t>& Limit() { return FLimit; }

  void Run(int32_t Count, TNodeRangeProc Proc, void* Context) {
    const int32_t Threads = FLimit.load();
    bool Expected = false;
    if (Threads <= 1 || Count < MinParallelNodes || GInsidePool ||
        !FBusy.compare_exchange_strong(Expected, true)) {
      Proc(Context, 0, Count);
      return;
    }
    {
      std::lock_guard<std::mutex> Guard(FLock);
      FProc = Proc;
      FContext = Context;
      FCount = Count;
      FRange = std::max(MinRangeNodes, Count / (Threads * 4));
      FNext.store(0);
      FSeats = Threads - 1;
      FInvited = Threads - 1;
      FError = nullptr;
      ++FGeneration;
      FPosted.store(FGeneration, std::memory_order_release);
    }
    // Only the workers the limit lets in are woken.
    for (int32_t I = 0; I < Threads - 1; ++I) FWake[size_t(I)]->notify_one();
    GInsidePool = true;
    RunRanges(Proc, Context, Count, FRange);
    GInsidePool = false;
    std::exception_ptr Error;
    SpinUntil([this] { return FActive.load(std::memory_order_acquire) == 0; }, CallerSpin);
    {
      std::unique_lock<std::mutex> Lock(FLock);
      FDone.wait(Lock, [this] { return FActive.load() == 0; });
      // Workers waking late find no job.
      FProc = nullptr;
      FSeats = 0;
      Error = FError;
      FError = nullptr;
    }
    FBusy.store(false);
    if (Error) std::rethrow_exception(Error);
  }

 private:
  std::mutex FLock;
  std::vector<std::unique_ptr<std::condition_variable>> FWake;  // one per worker
  std::condition_variable FDone;
  std::vector<std::thread> FThreads;
  std::atomic<bool> FBusy{false};
  std::atomic<int32_t> FLimit{1};
  std::atomic<int32_t> FNext{0};
  // The current walk, guarded by FLock.
  TNodeRangeProc FProc = nullptr;
  void* FContext = nullptr;
  int32_t FCount = 0;
  int32_t FRange = 0;
  int32_t FSeats = 0;   // workers that may still join
  int32_t FInvited = 0; // workers 0..FInvited - 1 may join
  // Workers inside the walk; changed under FLock, read without it too.
  std::atomic<int32_t> FActive{0};
  uint64_t FGeneration = 0;
  // FGeneration, and FStop, for a look without the lock.
  std::atomic<uint64_t> FPosted{0};
  std::atomic<bool> FStopping{false};
  bool FStop = false;
  std::exception_ptr FError;

  void RunRanges(TNodeRangeProc Proc, void* Context, int32_t Count, int32_t Range) {
    for (;;) {
      const int32_t Begin = FNext.fetch_add(Range);
      if (Begin >= Count) return;
      try {
        Proc(Context, Begin, std::min(Count, Begin + Range));
      } catch (...) {
        FNext.store(Count);
        std::lock_guard<std::mutex> Guard(FLock);
        if (!FError) FError = std::current_exception();
        return;
      }
    }
  }

  // The processors this process may run on (its affinity mask), else the
  // machine's count.
  static int32_t UsableCores() {
#ifdef __linux__
    cpu_set_t Set;
    CPU_ZERO(&Set);
    if (sched_getaffinity(0, sizeof(Set), &Set) == 0) return std::max(1, CPU_COUNT(&Set));
#endif
    return static_cast<int32_t>(std::thread::hardware_concurrency());
  }

  void WorkerLoop(int32_t Index) {
    GInsidePool = true;
    uint64_t Seen = 0;
    std::condition_variable& Wake = *FWake[size_t(Index)];
    std::unique_lock<std::mutex> Lock(FLock);
    for (;;) {
      // Only workers the limit lets in watch for the next walk.
      if (!FStop && FGeneration == Seen && Index < FLimit.load(std::memory_order_relaxed) - 1) {
        Lock.unlock();
        SpinUntil(
            [&] {
              return FStopping.load(std::memory_order_relaxed) ||
                     FPosted.load(std::memory_order_acquire) != Seen;
            },
            WorkerSpin);
        Lock.lock();
      }
      Wake.wait(Lock, [&] { return FStop || (FGeneration != Seen && Index < FInvited); });
      if (FStop) return;
      Seen = FGeneration;
      if (FProc == nullptr || FSeats <= 0) continue;
      --FSeats;
      ++FActive;
      const TNodeRangeProc Proc = FProc;
      void* const Context = FContext;
      const int32_t Count = FCount, Range = FRange;
      Lock.unlock();
      RunRanges(Proc, Context, Count, Range);
      Lock.lock();
      if (--FActive == 0) FDone.notify_all();
    }
  }
};

TNodeWorkerPool& Pool() {
  static TNodeWorkerPool Instance;
  return Instance;
}

}  // namespace

void ParallelForNodesProc(int32_t Count, TNodeRangeProc Proc, void* Context) {
  if (Count <= 0) return;
  Pool().Run(Count, Proc, Context);
}

int32_t NodeThreadLimit() { return Pool().Limit().load(); }

int32_t SetNodeThreadLimit(int32_t Limit) {
  TNodeWorkerPool& P = Pool();
  return P.Limit().exchange(std::clamp(Limit, 1, P.Size() + 1));
}

}  // namespace kromel
