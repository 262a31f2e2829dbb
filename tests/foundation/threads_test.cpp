// The debug log, error reporting and random numbers used from several
// threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "foundation/numeric.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;

namespace {

std::vector<std::string> FileLines(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  std::vector<std::string> Lines;
  for (std::string L; std::getline(In, L);) Lines.push_back(L);
  return Lines;
}

// Records each shown text and whether it was shown on the main thread.
class TMainThreadSink : public TMessageSink {
public:
  void ShowMessage(const std::string& Text) override {
    Texts.push_back(Text);
    if (!IsMainThread()) ++OffMain;
  }
  std::vector<std::string> Texts;
  int OffMain = 0;
};

class DebugLogThreads : public ::testing::Test {
protected:
  void SetUp() override {
    Tmp.Set(Dir.Path.string());
    SetMessageSink(&Sink);
    ResetMessageState();
    SetProgramName("Kromel");
    SetDebugLogLevel(0);
    SetDebugLogEnabled(true);
  }
  void TearDown() override {
    ErrorMessageProc = &ConsoleWriteLn;
    SetDebugLogEnabled(false);
    SetProgramName("");
    ResetMessageState();
    SetMessageSink(nullptr);
  }
  // Text of each log line after its time stamp, thread tag and indentation.
  std::multiset<std::string> LoggedTexts(const std::string& Tag) const {
    std::multiset<std::string> Texts;
    for (const std::string& L : FileLines(Dir.File("Kromel_debug.log"))) {
      EXPECT_EQ(L.substr(23, 5), " " + Tag + " ") << L;
      const std::size_t Start = L.find_first_not_of(' ', 28);
      Texts.insert(Start == std::string::npos ? "" : L.substr(Start));
    }
    return Texts;
  }
  kromel::testing::TTestTempDir Dir{"kromel_log_threads"};
  kromel::testing::TScopedEnv Tmp{"TMPDIR"};
  TMainThreadSink Sink;
};

constexpr int Workers = 8;

}  // namespace

// Start/finish pairs from many threads at once: every line whole and written
// once, the shared level back to 0.
TEST_F(DebugLogThreads, ConcurrentStartFinishLinesStayWhole) {
  constexpr int Inner = 10;
  std::multiset<std::string> Expected;
  std::vector<std::thread> Threads;
  for (int W = 0; W < Workers; ++W) {
    const std::string Id = "w" + std::to_string(W);
    Expected.insert({"start " + Id, "finish " + Id});
    for (int I = 0; I < Inner; ++I) Expected.insert(Id + " line " + std::to_string(I));
    Threads.emplace_back([Id] {
      DebugLogAdd("start " + Id, 1);
      for (int I = 0; I < Inner; ++I) DebugLogAdd(Id + " line " + std::to_string(I), 0);
      DebugLogAdd("finish " + Id, -1);
    });
  }
  for (auto& T : Threads) T.join();
  EXPECT_EQ(DebugLogLevel(), 0);
  EXPECT_EQ(LoggedTexts("[s]"), Expected);
}

// Many workers report through the installed error sink at once while the
// main thread drains: every report logged, ten shown, all on the main thread.
TEST_F(DebugLogThreads, ManyWorkersReportErrorsAtOnce) {
  constexpr int Count = 2 * Workers;
  InstallErrorMessageProc();
  std::multiset<std::string> Expected;
  std::atomic<int> Finished{0};
  std::vector<std::thread> Threads;
  for (int W = 0; W < Count; ++W) {
    const std::string Text = "Exception in TWorker.Run " + std::to_string(W);
    Expected.insert("ShowMessage: " + Text);
    Threads.emplace_back([Text, &Finished] {
      ErrorMessageProc(Text);
      ++Finished;
    });
  }
  while (Finished.load() < Count) {
    DrainMainThreadCalls();
    std::this_thread::yield();
  }
  for (auto& T : Threads) T.join();
  // The ten shown reports are the ten logged.
  const std::multiset<std::string> Logged = LoggedTexts("[s]");
  EXPECT_EQ(Logged.size(), 10u);
  for (const std::string& L : Logged) EXPECT_EQ(Expected.count(L), 1u) << L;
  EXPECT_EQ(ShownMessageCount(), 10);
  EXPECT_EQ(Sink.OffMain, 0);
  ASSERT_FALSE(Sink.Texts.empty());
  EXPECT_EQ(Sink.Texts.size(), 10u);
  // The last box shows the whole pending text: a leading line end, then ten reports.
  EXPECT_EQ(std::count(Sink.Texts.back().begin(), Sink.Texts.back().end(), '\n'), 10);
  EXPECT_EQ(Sink.Texts.back(), PendingMessages());
}

// Each thread draws from its own generator: values in range, every integer
// reached, and no two threads repeating one sequence.
TEST(RandomThreads, EachThreadDrawsItsOwnNumbers) {
  constexpr int Draws = 4000;
  std::vector<std::vector<float>> Floats(Workers);
  std::vector<std::vector<int>> IntegerCounts(Workers, std::vector<int>(10, 0));
  std::vector<int> OutOfRange(Workers, 0);
  std::vector<std::thread> Threads;
  for (int W = 0; W < Workers; ++W)
    Threads.emplace_back([&, W] {
      for (int I = 0; I < Draws; ++I) {
        const float F = RandomFloat01();
        const int32_t N = RandomInteger(10);
        if (!(F >= 0.0f && F < 1.0f) || N < 0 || N > 9) ++OutOfRange[W];
        else ++IntegerCounts[W][N];
        if (I < 16) Floats[W].push_back(F);
      }
    });
  for (auto& T : Threads) T.join();
  EXPECT_EQ(OutOfRange, std::vector<int>(Workers, 0));
  for (int W = 0; W < Workers; ++W) {
    for (int C : IntegerCounts[W]) EXPECT_GT(C, 0) << "thread " << W;
    for (int V = W + 1; V < Workers; ++V) EXPECT_NE(Floats[W], Floats[V]) << W << " " << V;
  }
}
