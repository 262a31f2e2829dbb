#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
namespace fs = std::filesystem;

namespace {

using kromel::testing::ReadText;

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> R;
  std::stringstream S(Text);
  std::string L;
  while (std::getline(S, L)) R.push_back(L);
  return R;
}

class DebugLogTest : public ::testing::Test {
protected:
  void SetUp() override {
    Tmp.Set(Dir.string());
    DefaultHeadlessSink().EchoToStderr = false;
    DefaultHeadlessSink().Clear();
    ResetMessageState();
    SetProgramName("");
    SetDebugLogLevel(0);
    SetDebugLogEnabled(false);
  }
  void TearDown() override {
    SetDebugLogEnabled(false);
    SetProgramName("");
  }
  kromel::testing::TTestTempDir Temp{"kromel_log_test"};
  fs::path Dir = Temp.Path;
  kromel::testing::TScopedEnv Tmp{"TMPDIR"};
};

}  // namespace

TEST(DebugSwitch, ArgumentsOneToThreeFileNamePartAnyCase) {
  struct {
    std::vector<std::string> Args;
    bool On;
  } Cases[] = {
      {{"kromel"}, false},
      {{"kromel", "-debug"}, false},
      {{"kromel", "DEBUG.LOG"}, false},
      {{"kromel", "debug"}, true},
      {{"kromel", "Debug.txt"}, true},
      {{"kromel", "a.jpg", "b.lux", "DEBUG"}, true},
      {{"kromel", "/some/path/debug.txt"}, true},
      {{"kromel", "C:\\dir\\DEBUG"}, true},
      {{"kromel", "a", "b", "c", "debug"}, false},
      {{"debug"}, false},
  };
  for (const auto& C : Cases) EXPECT_EQ(DebugSwitchInArguments(C.Args), C.On) << C.Args.back();
}

TEST(DebugLogFormat, TimestampThreadTagAndIndentation) {
  const TDateTime T = EncodeDateTime(2026, 1, 2, 3, 4, 5, 6);
  EXPECT_EQ(FormatDebugLogLine(T, true, 0, "x"), "2026-01-02 03:04:05.006 [M] x");
  EXPECT_EQ(FormatDebugLogLine(T, false, 2, "x"), "2026-01-02 03:04:05.006 [s]       x");
  EXPECT_EQ(FormatDebugLogLine(T, true, -1, "x"), "2026-01-02 03:04:05.006 [M] x");
  EXPECT_EQ(FormatTimestamp(EncodeDateTime(1999, 12, 31, 23, 59, 59, 999)),
            "1999-12-31 23:59:59.999");
}

TEST_F(DebugLogTest, StartInnerFinishLinesAlign) {
  SetProgramName("Kro mel");
  EXPECT_EQ(DebugLogFileName(), (Dir / "Kromel_debug.log").string());
  DebugLogAdd("start", 1);
  DebugLogAdd("inner", 0);
  DebugLogAdd("finish", -1);
  DebugLogAdd("extra finish", -1);
  DebugLogAdd("below zero", 0);
  std::thread([] { DebugLogAdd("worker", 0); }).join();
  EXPECT_EQ(DebugLogLevel(), -1);
  auto L = Lines(ReadText(Dir / "Kromel_debug.log"));
  ASSERT_EQ(L.size(), 6u);
  std::vector<std::string> Tails;
  for (auto& Line : L) {
    ASSERT_GE(Line.size(), 24u);
    EXPECT_EQ(Line[4], '-');
    EXPECT_EQ(Line[10], ' ');
    EXPECT_EQ(Line[19], '.');
    Tails.push_back(Line.substr(23));
  }
  EXPECT_EQ(Tails[0], " [M] start");
  EXPECT_EQ(Tails[1], " [M]    inner");
  EXPECT_EQ(Tails[2], " [M] finish");
  EXPECT_EQ(Tails[3], " [M] extra finish");
  EXPECT_EQ(Tails[4], " [M] below zero");
  EXPECT_EQ(Tails[5], " [s] worker");
}

TEST_F(DebugLogTest, AddWithoutProgramNameShowsMessageAndWritesNothing) {
  DebugLogAdd("hello", 0);
  auto M = DefaultHeadlessSink().Messages();
  ASSERT_EQ(M.size(), 1u);
  EXPECT_EQ(M[0], "DebugLogAdd - Program name not set for hello");
  EXPECT_TRUE(fs::is_empty(Dir));
}

// The cap of 10 holds for the log too: a flood of messages neither shows
// nor logs more than 10.
TEST_F(DebugLogTest, AtMostTenMessagesShownAndLogged) {
  SetDebugLogEnabled(true);
  SetProgramName("Kromel");
  for (int I = 1; I <= 1000; ++I) DebugShowMessage("m" + std::to_string(I));
  auto M = DefaultHeadlessSink().Messages();
  ASSERT_EQ(M.size(), 10u);
  EXPECT_EQ(M[0], "m1");
  EXPECT_EQ(M[9], "m10");
  EXPECT_EQ(ShownMessageCount(), 10);
  auto L = Lines(ReadText(Dir / "Kromel_debug.log"));
  ASSERT_EQ(L.size(), 10u);
  EXPECT_EQ(L[9].substr(23), " [M] ShowMessage: m10");
}

TEST_F(DebugLogTest, WorkerMessagesReachMainThreadThroughQueue) {
  for (const char* Text : {"first", "second"}) {
    std::atomic<bool> Done{false};
    std::thread Worker([&] {
      DebugShowMessage(Text);
      Done = true;
    });
    while (!Done) {
      DrainMainThreadCalls();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Worker.join();
  }
  auto M = DefaultHeadlessSink().Messages();
  ASSERT_EQ(M.size(), 2u);
  EXPECT_EQ(M[0], "\nfirst");
  EXPECT_EQ(M[1], "\nfirst\nsecond");
  AppendAndShowMessages("third");
  EXPECT_EQ(DefaultHeadlessSink().Messages().back(), "\nfirst\nsecond\nthird");
}

TEST_F(DebugLogTest, ManyWorkersNeverExceedTheLimit) {
  std::atomic<int> Finished{0};
  std::vector<std::thread> Workers;
  for (int I = 0; I < 16; ++I)
    Workers.emplace_back([&, I] {
      DebugShowMessage("w" + std::to_string(I));
      ++Finished;
    });
  while (Finished < 16) {
    DrainMainThreadCalls();
    std::this_thread::yield();
  }
  for (auto& W : Workers) W.join();
  EXPECT_EQ(DefaultHeadlessSink().Messages().size(), 10u);
  EXPECT_EQ(Lines(PendingMessages()).size(), 11u);  // leading empty line + 10 texts
}

TEST_F(DebugLogTest, ErrorSinkIsConsoleUntilInstalled) {
  EXPECT_EQ(ErrorMessageProc, &ConsoleWriteLn);
  InstallErrorMessageProc();
  EXPECT_EQ(ErrorMessageProc, &DebugShowMessage);
  ErrorMessageProc("reported");
  EXPECT_EQ(DefaultHeadlessSink().Messages().back(), "reported");
  ErrorMessageProc = &ConsoleWriteLn;
}

TEST_F(DebugLogTest, TextFileHelpers) {
  EXPECT_FALSE(AppendLineToFile((Dir / "missing" / "x.log").string(), "a"));
  const std::string F = (Dir / "a.txt").string();
  EXPECT_TRUE(AppendLineToFile(F, "one"));
  EXPECT_TRUE(AppendLineToFile(F, "two"));
  EXPECT_EQ(ReadText(F), "one\ntwo\n");
  EXPECT_EQ(CountFileLines(F), 2);
  EXPECT_EQ(CountFileLines((Dir / "none.txt").string()), 0);
  std::ofstream((Dir / "empty.txt").string()).close();
  EXPECT_EQ(CountFileLines((Dir / "empty.txt").string()), 0);
  std::ofstream((Dir / "mixed.txt").string(), std::ios::binary) << "a\r\nb\rc\n\nd";
  EXPECT_EQ(CountFileLines((Dir / "mixed.txt").string()), 5);

  const std::string E = (Dir / "Exceptions.log").string();
  EXPECT_TRUE(LogAppendTimestamped(E, "HTTP failed"));
  auto L = Lines(ReadText(E));
  ASSERT_EQ(L.size(), 1u);
  EXPECT_EQ(L[0].size(), 23u + 1 + 11);
  EXPECT_EQ(L[0].substr(23), " HTTP failed");
  EXPECT_FALSE(LogAppendTimestamped((Dir / "no" / "x.log").string(), "t"));
}

TEST(ParseDateTime, HourAsWrittenAndCuts) {
  int Y, Mo, D, H, Mi, S, Ms;
  DecodeDateTime(ParseDateTimeText("2024-03-05 12:30:15"), Y, Mo, D, H, Mi, S, Ms);
  EXPECT_EQ(Y, 2024);
  EXPECT_EQ(Mo, 3);
  EXPECT_EQ(D, 5);
  EXPECT_EQ(H, 12);
  EXPECT_EQ(Mi, 30);
  EXPECT_EQ(S, 15);
  // A blank at positions 17..22 cuts the rest (a zone here).
  EXPECT_EQ(ParseDateTimeText("2024-03-05 12:30 +0100"), ParseDateTimeText("2024-03-05 12:30"));
  EXPECT_EQ(ParseDateTimeText("2024-03-05 12:30:15 GMT and a long tail beyond forty chars"),
            ParseDateTimeText("2024-03-05 12:30:15"));
  DecodeDateTime(ParseDateTimeText("2024/12/31 23:59:58.5"), Y, Mo, D, H, Mi, S, Ms);
  EXPECT_EQ(Ms, 500);
  EXPECT_EQ(ParseDateTimeText("1899-12-30"), 0.0);
  EXPECT_THROW(ParseDateTimeText("yesterday"), std::invalid_argument);
  EXPECT_THROW(ParseDateTimeText("2024-02-30"), std::invalid_argument);
}
