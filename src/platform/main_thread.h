// The main thread and the queue of calls that other threads run on it.
#pragma once
#include <functional>
#include <thread>

namespace kromel {

// The thread that ran static initialisation (the process's main thread).
std::thread::id MainThreadId();
bool IsMainThread();

// Runs Fn on the main thread and returns when it has finished. On the main
// thread Fn runs at once; elsewhere it waits in the queue until the main
// thread calls DrainMainThreadCalls (the Qt layer does so from its event loop,
// headless code and tests call it themselves). An exception thrown by Fn is
// rethrown in the calling thread.
void RunOnMainThreadBlocking(const std::function<void()>& Fn);

// Queues Fn to run on the main thread and returns at once, on any thread
// (the main thread too: Fn then runs at its next drain, never inside the
// caller). Calls run in the order they were queued, blocking ones included.
// An exception thrown by Fn is dropped.
void PostToMainThread(std::function<void()> Fn);

// Runs every queued call (blocking and posted); main thread only. Returns
// the number run.
int DrainMainThreadCalls();

// Main thread: runs queued calls until Done returns true, sleeping while the
// queue is empty. Done is checked again after every call, whenever a call is
// queued and whenever WakeMainThreadWaiter is called.
void DrainMainThreadCallsUntil(const std::function<bool()>& Done);
// Wakes DrainMainThreadCallsUntil to check its condition (any thread).
void WakeMainThreadWaiter();

// Called (from any thread) whenever a call is queued, so an event loop can
// wake up and drain. Empty by default.
void SetMainThreadWakeup(std::function<void()> Wakeup);

}  // namespace kromel
