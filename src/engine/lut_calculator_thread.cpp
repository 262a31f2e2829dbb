#include "engine/lut_calculator_thread.h"

#include "engine/lut_pipeline.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "platform/main_thread.h"

namespace kromel {

namespace {
constexpr auto IdlePoll = std::chrono::milliseconds(10);
constexpr auto PauseStep = std::chrono::milliseconds(1);
}  // namespace

TLUTCalculator::TLUTCalculator(TLutCalculationHost& Host) : FHost(Host) {}

TLUTCalculator::~TLUTCalculator() {
  if (DebugLogEnabled()) DebugLogAdd("TLUTCalculator.Destroy", 0);
  TerminateAndWait();
}

void TLUTCalculator::Stop() {
  Terminate();
  FHost.AbandonRun();
  FWake.notify_all();
  TerminateAndWait();
}

void TLUTCalculator::Request() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    RecalcRequested = true;
  }
  FWake.notify_all();
}

bool TLUTCalculator::WaitIdle(const std::chrono::steady_clock::time_point* Deadline) {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    Paused = true;
  }
  for (;;) {
    if (IsMainThread()) DrainMainThreadCalls();
    std::unique_lock<std::mutex> Guard(FLock);
    if (!Busy) return true;
    if (Deadline != nullptr && std::chrono::steady_clock::now() >= *Deadline) return false;
    FWake.wait_for(Guard, PauseStep);
  }
}

bool TLUTCalculator::Pause(std::chrono::milliseconds Timeout) {
  const auto Deadline = std::chrono::steady_clock::now() + Timeout;
  if (WaitIdle(&Deadline)) return true;
  ErrorMessageProc("TLUTCalculator.Pause: the calculation did not finish");
  return false;
}

void TLUTCalculator::PauseUntilIdle() { WaitIdle(nullptr); }

void TLUTCalculator::Unpause() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    Paused = false;
  }
  FWake.notify_all();
}

void TLUTCalculator::DoCalcLut() {
  const bool Succeeded = FHost.CalcLut();
  // A stale run has nothing to show; the newer request runs next.
  if (!Succeeded && FHost.RunWasAbandoned()) return;
  RunOnMainThreadBlocking([this, Succeeded] { FHost.LUTCalculationFinished(Succeeded); });
}

void TLUTCalculator::Execute() {
  while (!Terminated()) {
    {
      std::unique_lock<std::mutex> Guard(FLock);
      FWake.wait_for(Guard, IdlePoll, [this] { return RecalcRequested && !Paused; });
      if (Terminated() || !RecalcRequested || Paused) continue;
      RecalcRequested = false;
      Busy = true;
    }
    try {
      DoCalcLut();
    } catch (...) {
      DebugShowMessage("Exception in TLUTCalculator.DoCalcLut");
    }
    ++FCount;
    {
      std::lock_guard<std::mutex> Guard(FLock);
      Busy = false;
    }
    FWake.notify_all();
    WakeMainThreadWaiter();
  }
  if (DebugLogEnabled()) DebugLogAdd("TLUTCalculator Finished", 0);
}

}  // namespace kromel
