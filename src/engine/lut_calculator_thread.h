// TLUTCalculator: the worker that recalculates the main LUT in the
// background. Requests made while it calculates are coalesced into one
// more run; a pause stops new runs from starting. Checking the pause and
// marking the thread busy are one step, so once Pause has returned true no
// calculation runs until Unpause.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/kromel_thread.h"

namespace kromel {

class TLutCalculationHost;

class TLUTCalculator : public TKromelThread {
 public:
  // Created suspended; Resume starts it.
  explicit TLUTCalculator(TLutCalculationHost& Host);
  ~TLUTCalculator() override;

  std::atomic<bool> Busy{false};
  std::atomic<bool> RecalcRequested{false};
  std::atomic<bool> Paused{false};

  // Asks for a calculation (any thread).
  void Request();
  // Stops new runs and waits until the running one has finished, running
  // the main thread's queued calls meanwhile. False, reported, when one is
  // still running after Timeout: Paused stays set and the caller must not go
  // on with work that needs the calculation stopped.
  bool Pause(std::chrono::milliseconds Timeout = std::chrono::milliseconds(3000));
  // The same without a time limit: returns only once no calculation runs.
  void PauseUntilIdle();
  void Unpause();
  // Ends the thread: a calculation under way stops at its next stage
  // (through the host's AbandonRun) and is waited for.
  void Stop();
  // Runs that have finished.
  int64_t CalculationCount() const { return FCount.load(); }

 protected:
  void Execute() override;

 private:
  void DoCalcLut();
  // Sets Paused and waits until no run is busy or Deadline (null: none).
  bool WaitIdle(const std::chrono::steady_clock::time_point* Deadline);
  TLutCalculationHost& FHost;
  std::mutex FLock;
  std::condition_variable FWake;  // a request, an unpause or the end of a run
  std::atomic<int64_t> FCount{0};
};

}  // namespace kromel
