// Thread base: created suspended with a 4 MB stack, started by Resume,
// asked to stop through the terminate flag, joined by WaitFor.
#pragma once
#include <atomic>
#include <cstddef>
#include <pthread.h>

namespace kromel {

class TKromelThread {
public:
  static constexpr std::size_t DefaultStackSize = 4 * 1024 * 1024;

  explicit TKromelThread(std::size_t StackSize = DefaultStackSize);
  // Terminates and waits for a started thread. Subclasses whose Execute uses
  // their own members must call TerminateAndWait in their own destructor.
  virtual ~TKromelThread();
  TKromelThread(const TKromelThread&) = delete;
  TKromelThread& operator=(const TKromelThread&) = delete;

  // Starts Execute on a new thread; does nothing when already started.
  // Returns false when the thread could not be created.
  bool Resume();
  void Terminate() { FTerminated.store(true); }
  bool Terminated() const { return FTerminated.load(); }
  bool Started() const { return FStarted; }
  bool Finished() const { return FFinished.load(); }
  // Waits until Execute has returned; returns at once when never started.
  // On the main thread it runs the calls the thread queues meanwhile.
  void WaitFor();
  void TerminateAndWait();

protected:
  virtual void Execute() = 0;

private:
  static void* Entry(void* Self);
  std::size_t FStackSize;
  pthread_t FHandle{};
  bool FStarted = false;
  bool FJoined = false;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
};

}  // namespace kromel
