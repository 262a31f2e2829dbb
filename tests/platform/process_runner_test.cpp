#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/process_runner.h"
#include "support/test_support.h"

using namespace kromel;
namespace fs = std::filesystem;

namespace {

using kromel::testing::CaptureStdout;

int RunAndWait(const std::string& Program, const std::vector<std::string>& Args, const TProcessOptions& Options = {}) {
  return WaitForProcess(StartProcess(Program, Args, Options));
}

}  // namespace

TEST(ProcessRunner, ArgumentsArriveWhole) {
  const std::string Tricky = "a \"b c\" d 'e'";
  // test(1) with three arguments compares two texts: 0 only when each of them
  // reached it as one argument, unsplit and unchanged.
  EXPECT_EQ(RunAndWait("/usr/bin/test", {Tricky, "=", Tricky}), 0);
  EXPECT_EQ(RunAndWait("/usr/bin/test", {Tricky, "=", "a"}), 1);
  // A text that a shell would expand stays literal.
  EXPECT_EQ(RunAndWait("/usr/bin/test", {"$HOME;*", "=", "$HOME;*"}), 0);

  std::string Out = CaptureStdout([&] { EXPECT_EQ(RunAndWait("printf", {"[%s]\\n", Tricky, ""}), 0); });
  EXPECT_EQ(Out, "[" + Tricky + "]\n[]\n");
}

TEST(ProcessRunner, ExitStatusSignalAndMissingProgram) {
  EXPECT_EQ(RunAndWait("/usr/bin/false", {}), 1);
  EXPECT_EQ(RunAndWait("/usr/bin/true", {}), 0);

  pid_t Pid = StartProcess("/usr/bin/sleep", {"30"});
  ASSERT_GT(Pid, 0);
  kill(Pid, SIGTERM);
  EXPECT_EQ(WaitForProcess(Pid), 128 + SIGTERM);

  std::string Error;
  EXPECT_EQ(StartProcess("/no/such/program", {}, {}, &Error), -1);
  EXPECT_NE(Error.find("/no/such/program"), std::string::npos);
  EXPECT_EQ(StartProcess("", {}, {}, &Error), -1);
  EXPECT_EQ(WaitForProcess(-1), -1);
}

TEST(ProcessRunner, StandardErrorAndInheritedFiles) {
  TProcessOptions Merge;
  Merge.StderrToStdout = true;
  std::string Out = CaptureStdout([&] { EXPECT_NE(RunAndWait("ls", {"/no/such/entry"}, Merge), 0); });
  EXPECT_NE(Out.find("/no/such/entry"), std::string::npos);

  int Fd = open("/dev/null", O_RDONLY);  // inheritable
  ASSERT_GE(Fd, 3);
  std::string Path = "/proc/self/fd/" + std::to_string(Fd);
  EXPECT_EQ(RunAndWait("/usr/bin/test", {"-e", Path}), 0);
  TProcessOptions Closed;
  Closed.CloseOtherFiles = true;
  EXPECT_EQ(RunAndWait("/usr/bin/test", {"-e", Path}, Closed), 1);
  close(Fd);
}

TEST(ProcessRunner, FormatCommandLine) {
  struct Case {
    std::vector<std::string> Args;
    std::string Line;
  };
  const Case Cases[] = {
      {{}, "prog"},
      {{"-a", "b"}, "prog -a b"},
      {{"two words"}, "prog \"two words\""},
      {{"say \"hi\""}, "prog \"say \\\"hi\\\"\""},
      {{""}, "prog \"\""},
      {{"back\\slash"}, "prog \"back\\\\slash\""},
  };
  for (const Case& C : Cases) EXPECT_EQ(FormatCommandLine("prog", C.Args), C.Line);
}
