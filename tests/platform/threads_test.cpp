// The platform's shared state used from several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/kromel_thread.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "platform/prompt.h"
#include "platform/ui_state.h"

using namespace kromel;

namespace {

constexpr int Workers = 8;

// Drains the main-thread queue until Finished reaches Count; returns the
// number of calls run.
int DrainUntil(const std::atomic<int>& Finished, int Count) {
  int Ran = 0;
  while (Finished.load() < Count) {
    Ran += DrainMainThreadCalls();
    std::this_thread::yield();
  }
  return Ran + DrainMainThreadCalls();
}

}  // namespace

// Every worker queues calls at once: each runs once, on the main thread, and
// what it wrote there (plain memory) is seen by its worker on return.
TEST(MainThreadQueue, ManyWorkersQueueAtOnce) {
  constexpr int Calls = 40;
  std::atomic<int> Wakeups{0};
  SetMainThreadWakeup([&] { ++Wakeups; });
  int RunOnMain = 0;              // touched on the main thread only
  std::vector<int> Slot(Workers);  // written on main, read by its worker
  std::vector<int> Bad(Workers, 0), Caught(Workers, 0);
  std::atomic<int> Finished{0};
  std::vector<std::thread> Threads;
  for (int W = 0; W < Workers; ++W)
    Threads.emplace_back([&, W] {
      for (int I = 0; I < Calls; ++I) {
        try {
          RunOnMainThreadBlocking([&, W, I] {
            if (!IsMainThread()) throw std::logic_error("not on the main thread");
            ++RunOnMain;
            Slot[W] = I;
            if (I % 10 == 9) throw std::runtime_error("every tenth call fails");
          });
        } catch (const std::runtime_error&) {
          ++Caught[W];
        } catch (...) {
          ++Bad[W];
        }
        if (Slot[W] != I) ++Bad[W];
      }
      ++Finished;
    });
  const int Ran = DrainUntil(Finished, Workers);
  for (auto& T : Threads) T.join();
  SetMainThreadWakeup(nullptr);
  EXPECT_EQ(Ran, Workers * Calls);
  EXPECT_EQ(RunOnMain, Workers * Calls);
  EXPECT_EQ(Wakeups.load(), Workers * Calls);
  EXPECT_EQ(Bad, std::vector<int>(Workers, 0));
  EXPECT_EQ(Caught, std::vector<int>(Workers, Calls / 10));
  // Off the main thread, draining runs nothing.
  std::thread([] { EXPECT_EQ(DrainMainThreadCalls(), 0); }).join();
}

namespace {
// Waits until every thread of its group runs, then until terminated.
class TGroupThread : public TKromelThread {
public:
  explicit TGroupThread(std::atomic<int>& Running) : FRunning(Running) {}
  ~TGroupThread() override { TerminateAndWait(); }
  std::atomic<int> Executions{0};
  bool SawWholeGroup = false;  // read after WaitFor

protected:
  void Execute() override {
    ++Executions;
    ++FRunning;
    while (!Terminated() && FRunning.load() < Workers) std::this_thread::yield();
    SawWholeGroup = FRunning.load() == Workers;
    while (!Terminated()) std::this_thread::yield();
  }

private:
  std::atomic<int>& FRunning;
};

class TThrowingThread : public TKromelThread {
public:
  ~TThrowingThread() override { TerminateAndWait(); }

protected:
  void Execute() override { throw std::runtime_error("worker failed"); }
};
}  // namespace

TEST(KromelThread, SeveralRunAtOnceUntilTerminatedFromAnotherThread) {
  std::atomic<int> Running{0};
  std::vector<std::unique_ptr<TGroupThread>> Group;
  for (int I = 0; I < Workers; ++I) Group.push_back(std::make_unique<TGroupThread>(Running));
  for (auto& T : Group) ASSERT_TRUE(T->Resume());
  for (auto& T : Group) EXPECT_TRUE(T->Resume());  // already started: no second run
  std::thread Stopper([&] {
    while (Running.load() < Workers) std::this_thread::yield();
    for (auto& T : Group) T->Terminate();
  });
  Stopper.join();
  for (auto& T : Group) {
    T->WaitFor();
    EXPECT_TRUE(T->Finished());
    EXPECT_TRUE(T->SawWholeGroup);
    EXPECT_EQ(T->Executions.load(), 1);
  }
  // An exception ends its thread only; the thread still counts as finished.
  TThrowingThread Thrower;
  ASSERT_TRUE(Thrower.Resume());
  Thrower.WaitFor();
  EXPECT_TRUE(Thrower.Finished());
}

namespace {
// Reports onto the main thread several times, as a worker's message does.
class TReportingThread : public TKromelThread {
public:
  explicit TReportingThread(std::vector<std::thread::id>& Seen) : FSeen(Seen) {}
  ~TReportingThread() override { TerminateAndWait(); }

protected:
  void Execute() override {
    for (int I = 0; I < 3; ++I)
      RunOnMainThreadBlocking([this] { FSeen.push_back(std::this_thread::get_id()); });
  }

private:
  std::vector<std::thread::id>& FSeen;
};
}  // namespace

// Waiting on the main thread runs the worker's calls, so the worker finishes.
TEST(KromelThread, WaitForOnMainThreadRunsTheWorkersCalls) {
  std::vector<std::thread::id> Seen;
  TReportingThread Worker(Seen);
  ASSERT_TRUE(Worker.Resume());
  Worker.WaitFor();
  EXPECT_TRUE(Worker.Finished());
  ASSERT_EQ(Seen.size(), 3u);
  for (const auto& Id : Seen) EXPECT_EQ(Id, MainThreadId());
}

// Messages and prompts from several threads at once: none lost, each queued
// answer given once, the modal level back to 0.
TEST(MessageSink, HeadlessSinkAndPromptServeConcurrentThreads) {
  constexpr int Each = 25;
  THeadlessMessageSink Sink;
  Sink.EchoToStderr = false;
  THeadlessPrompt Ask;
  Ask.QueueAnswers(std::vector<TPromptAnswer>(Workers * Each / 2, TPromptAnswer::OK));
  SetMessageSink(&Sink);
  SetPrompt(&Ask);
  std::atomic<int> Oks{0};
  std::vector<std::thread> Threads;
  for (int W = 0; W < Workers; ++W)
    Threads.emplace_back([&, W] {
      for (int I = 0; I < Each; ++I) {
        PlatformShowMessage(std::to_string(W) + ":" + std::to_string(I));
        if (PlatformAskOkCancel("Q", "q")) ++Oks;
      }
    });
  for (auto& T : Threads) T.join();
  // The workers' messages wait for the main thread.
  DrainMainThreadCalls();
  SetMessageSink(nullptr);
  SetPrompt(nullptr);
  EXPECT_EQ(Sink.Messages().size(), std::size_t(Workers * Each));
  EXPECT_EQ(Ask.Questions().size(), std::size_t(Workers * Each));
  EXPECT_EQ(Oks.load(), Workers * Each / 2);
  EXPECT_EQ(ModalLevel(), 0);
}

// Posted calls: the poster never waits, the main thread runs them in the
// order queued (mixed with blocking calls), a throwing one is dropped, and
// the wake-up hook hears of every one.
TEST(MainThreadQueue, PostedCallsRunInOrderWithoutWaiting) {
  std::atomic<int> Wakeups{0};
  SetMainThreadWakeup([&] { ++Wakeups; });
  std::vector<int> Order;  // main thread only
  PostToMainThread([&] { Order.push_back(0); });
  EXPECT_TRUE(Order.empty());  // not run inside the main thread's own post
  std::atomic<int> Finished{0};
  std::thread Worker([&] {
    PostToMainThread([&] { throw std::runtime_error("dropped"); });
    PostToMainThread([&] { Order.push_back(1); });
    RunOnMainThreadBlocking([&] { Order.push_back(2); });
    PostToMainThread([&] { Order.push_back(3); });
    ++Finished;
  });
  EXPECT_EQ(DrainUntil(Finished, 1), 5);
  Worker.join();
  DrainMainThreadCalls();
  SetMainThreadWakeup(nullptr);
  EXPECT_EQ(Order, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Wakeups.load(), 5);
}

// A message raised on a worker reaches the sink on the main thread, and
// the worker is not held while it waits there.
TEST(MessageSink, WorkerMessagesAreShownOnTheMainThread) {
  class TThreadSink : public TMessageSink {
   public:
    void ShowMessage(const std::string& Text) override {
      Texts.push_back(Text);
      OnMain.push_back(IsMainThread());
    }
    std::vector<std::string> Texts;
    std::vector<bool> OnMain;
  } Sink;
  SetMessageSink(&Sink);
  std::thread([] { PlatformShowMessage("from a worker"); }).join();
  EXPECT_TRUE(Sink.Texts.empty());
  DrainMainThreadCalls();
  PlatformShowMessage("from main");
  SetMessageSink(nullptr);
  EXPECT_EQ(Sink.Texts, (std::vector<std::string>{"from a worker", "from main"}));
  EXPECT_EQ(Sink.OnMain, (std::vector<bool>{true, true}));
}
