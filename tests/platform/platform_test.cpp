#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include <libintl.h>

#include "platform/command_line.h"
#include "platform/folders.h"
#include "platform/kromel_thread.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;

TEST(MainThread, CallsRunOnMainThreadWhenDrained) {
  EXPECT_TRUE(IsMainThread());
  std::atomic<bool> RanOnMain{false};
  std::atomic<bool> Done{false};
  std::thread Worker([&] {
    EXPECT_FALSE(IsMainThread());
    RunOnMainThreadBlocking([&] { RanOnMain = IsMainThread(); });
    Done = true;
  });
  while (!Done) {
    DrainMainThreadCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Worker.join();
  EXPECT_TRUE(RanOnMain);
  // On the main thread the call runs at once.
  int X = 0;
  RunOnMainThreadBlocking([&] { X = 5; });
  EXPECT_EQ(X, 5);
}

TEST(MainThread, ExceptionReachesTheCaller) {
  std::atomic<bool> Caught{false};
  std::atomic<bool> Done{false};
  std::thread Worker([&] {
    try {
      RunOnMainThreadBlocking([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error&) {
      Caught = true;
    }
    Done = true;
  });
  while (!Done) DrainMainThreadCalls();
  Worker.join();
  EXPECT_TRUE(Caught);
}

namespace {
class TCountingThread : public TKromelThread {
public:
  ~TCountingThread() override { TerminateAndWait(); }
  std::atomic<int> Rounds{0};
  std::size_t StackSeen = 0;

protected:
  void Execute() override {
    pthread_attr_t Attr;
    pthread_getattr_np(pthread_self(), &Attr);
    pthread_attr_getstacksize(&Attr, &StackSeen);
    pthread_attr_destroy(&Attr);
    while (!Terminated()) {
      ++Rounds;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
};
}  // namespace

TEST(KromelThread, SuspendedUntilResumedThenTerminates) {
  TCountingThread T;
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(T.Rounds.load(), 0);
  EXPECT_FALSE(T.Started());
  ASSERT_TRUE(T.Resume());
  while (T.Rounds.load() == 0) std::this_thread::yield();
  T.Terminate();
  T.WaitFor();
  EXPECT_TRUE(T.Finished());
  EXPECT_GE(T.StackSeen, TKromelThread::DefaultStackSize);
}

TEST(Folders, TempFolderFollowsTmpdir) {
  kromel::testing::TScopedEnv Tmp("TMPDIR", "/var/tmp/");
  EXPECT_EQ(TempFolder(), "/var/tmp");
  Tmp.Unset();
  EXPECT_EQ(TempFolder(), "/tmp");
  kromel::testing::TScopedEnv Config("XDG_CONFIG_HOME", "/x/cfg");
  EXPECT_EQ(ConfigFolder(), "/x/cfg/kromel");
  EXPECT_TRUE(DirectoryExists("/tmp"));
  EXPECT_FALSE(FileExists("/tmp"));
}

TEST(CommandLine, ParamStrAndCount) {
  const char* Argv[] = {"/usr/bin/kromel", "a.jpg", "DEBUG"};
  SetCommandLine(3, Argv);
  EXPECT_EQ(ParamCount(), 2);
  EXPECT_EQ(ParamStr(2), "DEBUG");
  EXPECT_EQ(ParamStr(3), "");
  EXPECT_EQ(ParamStr(-1), "");
}

TEST(MessageSink, HeadlessSinkRecords) {
  THeadlessMessageSink Sink;
  Sink.EchoToStderr = false;
  SetMessageSink(&Sink);
  PlatformShowMessage("hello");
  SetMessageSink(nullptr);
  ASSERT_EQ(Sink.Messages().size(), 1u);
  EXPECT_EQ(Sink.Messages()[0], "hello");
}

namespace {

// Without a catalogue the English text comes back; with one compiled by
// msgfmt and bound to the text domain, the catalogue's text.
TEST(Translation, EnglishWithoutCatalogueTranslatedWithOne) {
  EXPECT_EQ(kromel::_("LUT Name: "), "LUT Name: ");
  EXPECT_EQ(kromel::_(""), "");
  if (!kromel::testing::ProgramAvailable("msgfmt")) GTEST_SKIP() << "msgfmt is not installed";
  const kromel::testing::TTestTempDir Dir("kromel_translate");
  const std::string Folder = Dir.Path.string() + "/de/LC_MESSAGES";
  std::filesystem::create_directories(Folder);
  kromel::testing::WriteText(Dir.File("kromel.po"),
                             "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                             "msgid \"Red:\"\nmsgstr \"Rot:\"\n");
  ASSERT_EQ(kromel::testing::RunProgram(
                {"msgfmt", "-o", Folder + "/kromel.mo", Dir.File("kromel.po")}, Dir.File("out")),
            0);
  const char* Saved = std::setlocale(LC_MESSAGES, nullptr);
  const std::string SavedLocale = Saved != nullptr ? Saved : "C";
  if (std::setlocale(LC_MESSAGES, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  const kromel::testing::TScopedEnv Language("LANGUAGE", "de");
  bindtextdomain(kromel::TextDomain, Dir.Path.c_str());
  const std::string Red = kromel::_("Red:");
  const std::string Other = kromel::_("Green:");
  std::setlocale(LC_MESSAGES, SavedLocale.c_str());
  EXPECT_EQ(Red, "Rot:");
  EXPECT_EQ(Other, "Green:");
}

}  // namespace
