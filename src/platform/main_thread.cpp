#include "platform/main_thread.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

namespace kromel {

namespace {

const std::thread::id GMainThreadId = std::this_thread::get_id();

struct TQueuedCall {
  std::function<void()> Fn;
  bool Done = false;
  bool Posted = false;  // nobody waits for it
  std::exception_ptr Error;
};

struct TCallQueue {
  std::mutex Lock;
  std::condition_variable Finished;
  std::condition_variable Queued;  // a call arrived or a waiter's condition may hold
  std::deque<std::shared_ptr<TQueuedCall>> Calls;
  std::function<void()> Wakeup;
};

TCallQueue& Queue() {
  static TCallQueue Q;
  return Q;
}

}  // namespace

std::thread::id MainThreadId() { return GMainThreadId; }

bool IsMainThread() { return std::this_thread::get_id() == GMainThreadId; }

void RunOnMainThreadBlocking(const std::function<void()>& Fn) {
  if (IsMainThread()) {
    Fn();
    return;
  }
  auto Call = std::make_shared<TQueuedCall>();
  Call->Fn = Fn;
  TCallQueue& Q = Queue();
  std::function<void()> Wakeup;
  {
    std::lock_guard<std::mutex> Guard(Q.Lock);
    Q.Calls.push_back(Call);
    Wakeup = Q.Wakeup;
  }
  Q.Queued.notify_all();
  if (Wakeup) Wakeup();
  std::unique_lock<std::mutex> Guard(Q.Lock);
  Q.Finished.wait(Guard, [&] { return Call->Done; });
  if (Call->Error) std::rethrow_exception(Call->Error);
}

void PostToMainThread(std::function<void()> Fn) {
  auto Call = std::make_shared<TQueuedCall>();
  Call->Fn = std::move(Fn);
  Call->Posted = true;
  TCallQueue& Q = Queue();
  std::function<void()> Wakeup;
  {
    std::lock_guard<std::mutex> Guard(Q.Lock);
    Q.Calls.push_back(std::move(Call));
    Wakeup = Q.Wakeup;
  }
  Q.Queued.notify_all();
  if (Wakeup) Wakeup();
}

int DrainMainThreadCalls() {
  if (!IsMainThread()) return 0;
  TCallQueue& Q = Queue();
  int Count = 0;
  for (;;) {
    std::shared_ptr<TQueuedCall> Call;
    {
      std::lock_guard<std::mutex> Guard(Q.Lock);
      if (Q.Calls.empty()) break;
      Call = Q.Calls.front();
      Q.Calls.pop_front();
    }
    try {
      Call->Fn();
    } catch (...) {
      if (!Call->Posted) Call->Error = std::current_exception();
    }
    if (Call->Posted) {
      ++Count;
      continue;
    }
    {
      std::lock_guard<std::mutex> Guard(Q.Lock);
      Call->Done = true;
    }
    Q.Finished.notify_all();
    ++Count;
  }
  return Count;
}

void DrainMainThreadCallsUntil(const std::function<bool()>& Done) {
  if (!IsMainThread()) return;
  TCallQueue& Q = Queue();
  for (;;) {
    DrainMainThreadCalls();
    std::unique_lock<std::mutex> Guard(Q.Lock);
    Q.Queued.wait(Guard, [&] { return !Q.Calls.empty() || Done(); });
    if (Q.Calls.empty()) return;
  }
}

void WakeMainThreadWaiter() {
  TCallQueue& Q = Queue();
  { std::lock_guard<std::mutex> Guard(Q.Lock); }
  Q.Queued.notify_all();
}

void SetMainThreadWakeup(std::function<void()> Wakeup) {
  TCallQueue& Q = Queue();
  std::lock_guard<std::mutex> Guard(Q.Lock);
  Q.Wakeup = std::move(Wakeup);
}

}  // namespace kromel
