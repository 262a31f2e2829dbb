#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/numeric.h"
#include "foundation/platform_helpers.h"
#include "platform/message_sink.h"
#include "platform/prompt.h"
#include "platform/ui_state.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
namespace fs = std::filesystem;

namespace {

using kromel::testing::CaptureStdout;
using kromel::testing::ReadText;
using kromel::testing::WriteText;

void SetFileSizeLimit(rlim_t Bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit L;
  getrlimit(RLIMIT_FSIZE, &L);
  L.rlim_cur = Bytes;
  setrlimit(RLIMIT_FSIZE, &L);
}

class HelpersFiles : public ::testing::Test {
protected:
  void SetUp() override {
    DefaultHeadlessSink().EchoToStderr = false;
    DefaultHeadlessSink().Clear();
    DefaultHeadlessPrompt().Clear();
  }
  void TearDown() override {
    rlimit L;
    getrlimit(RLIMIT_FSIZE, &L);
    L.rlim_cur = L.rlim_max;
    setrlimit(RLIMIT_FSIZE, &L);
    DefaultHeadlessPrompt().Clear();
  }
  kromel::testing::TTestTempDir Temp{"kromel_helpers"};
  fs::path Dir = Temp.Path;
};

}  // namespace

TEST(PackedColours, ChannelArithmetic) {
  const TColor White = 0xFFFFFF, Black = 0, C = 0x80402010;  // top byte ignored
  EXPECT_EQ(AddColors(White, C), White);
  EXPECT_EQ(SubtractColors(Black, C), Black);
  EXPECT_EQ(AddColors(0x102030, 0xF0F0F0), 0xFFFFFFu);
  EXPECT_EQ(SubtractColors(0x102030, 0x200010), 0x002020u);
  EXPECT_EQ(BlendColors(C, White, 0), 0x402010u);
  EXPECT_EQ(BlendColors(C, White, 256), White);
  EXPECT_EQ(BlendColors(0x000000, 0xFFFFFF, 128), 0x7F7F7Fu);
  EXPECT_EQ(BlendColors(0x000000, 0xFFFFFF, 300), White);  // weight held to 256
  EXPECT_EQ(OffsetColor(0x102030, 300, -300, 5), 0x1500FFu);
  EXPECT_EQ(ColorDistance(0x102030, 0x302010), 0x20 + 0 + 0x20);
}

TEST(PackedColours, Gradients) {
  const TColor C1 = 0x0000FF, C2 = 0x00FF00, C3 = 0xFF0000, C4 = 0x808080;
  EXPECT_EQ(GradientColor3(C1, C2, C3, 0.5f), C2);
  EXPECT_EQ(GradientColor3(C1, C2, C3, 1.0f), C3);
  EXPECT_EQ(GradientColor3(C1, C2, C3, -3.0f), C1);
  EXPECT_EQ(GradientColor3(C1, C2, C3, NAN), C1);
  EXPECT_EQ(GradientColor4(C1, C2, C3, C4, 0.0f), C1);
  EXPECT_EQ(GradientColor4(C1, C2, C3, C4, 0.333f), C2);
  EXPECT_EQ(GradientColor4(C1, C2, C3, C4, 0.666f), C3);
  // Near the end the weight would pass 256; it stays there, giving C4.
  for (float X : {0.99966f, 0.9999f, 1.0f, 7.0f}) EXPECT_EQ(GradientColor4(C1, C2, C3, C4, X), C4) << X;
  EXPECT_EQ(GradientColor4(0, 0xFFFFFF, 0, 0, 0.1665f), 0x7F7F7Fu);  // weight 128
}

TEST(Real48, Bytes) {
  struct Case {
    double D;
    std::array<uint8_t, 6> Bytes;
  };
  const Case Cases[] = {
      {1.0, {0x81, 0, 0, 0, 0, 0}},
      {-1.0, {0x81, 0, 0, 0, 0, 0x80}},
      {0.0, {0, 0, 0, 0, 0, 0}},
      {-0.0, {0, 0, 0, 0, 0, 0}},
      {0.5, {0x80, 0, 0, 0, 0, 0}},
      {1.5, {0x81, 0, 0, 0, 0, 0x40}},
      {-3.0, {0x82, 0, 0, 0, 0, 0xC0}},
      {100.0, {0x87, 0, 0, 0, 0, 0x48}},
      {1e-40, {0, 0, 0, 0, 0, 0}},  // below the range: zero
  };
  for (const Case& C : Cases) {
    uint8_t R[6] = {9, 9, 9, 9, 9, 9};
    ASSERT_TRUE(DoubleToReal48(R, C.D)) << C.D;
    EXPECT_EQ(std::vector<uint8_t>(R, R + 6), std::vector<uint8_t>(C.Bytes.begin(), C.Bytes.end())) << C.D;
  }
  uint8_t R[6] = {1, 2, 3, 4, 5, 6};
  for (double Big : {1e39, double(INFINITY), double(NAN)}) {
    EXPECT_FALSE(DoubleToReal48(R, Big));
    EXPECT_EQ(R[0], 1);
  }
}

TEST(SmallUtilities, TextToInteger) {
  EXPECT_EQ(HexTextToInt("FF"), 255);
  EXPECT_EQ(HexTextToInt("ff"), 255);
  EXPECT_EQ(HexTextToInt("10"), 16);
  EXPECT_EQ(HexTextToInt(""), 0);
  EXPECT_EQ(HexTextToInt("G"), 16);  // not validated: 'G' counts as 16
  EXPECT_EQ(HexTextToInt("FFFFFFFF"), -1);

  struct Case {
    const char* Text;
    int32_t Value;
  };
  const Case Cases[] = {{"42", 42},          {"-17", -17},         {" 5", 5},     {"$1F", 31},
                        {"0x10", 16},        {"12a", 0},           {"", 0},       {"-", 0},
                        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"2147483648", 0},
                        {"99999999999999999999", 0}};
  for (const Case& C : Cases) EXPECT_EQ(StrToIntVal(C.Text), C.Value) << C.Text;
}

TEST(SmallUtilities, WavesRandomAndBytes) {
  EXPECT_EQ(SquareWave(1), -1.0f);
  EXPECT_EQ(SquareWave(4), 1.0f);
  EXPECT_EQ(SquareWave(-4), -1.0f);
  EXPECT_FLOAT_EQ(TriangleWave(0), -1.0f);
  EXPECT_NEAR(TriangleWave(static_cast<float>(std::numbers::pi)), 1.0f, 1e-6);
  EXPECT_FLOAT_EQ(SinhSingle(1.0f), std::sinh(1.0f));

  RandomInteger(10);
  float A = SeededRandom(7);
  EXPECT_EQ(SeededRandom(7), A);
  EXPECT_GE(A, 0.0f);
  EXPECT_LT(A, 1.0f);
  EXPECT_NE(SeededRandom(8), A);
  for (int32_t N : {0, -1, INT32_MAX, INT32_MIN}) {
    float V = SeededRandom(N);
    EXPECT_TRUE(V >= 0.0f && V < 1.0f) << N;
  }

  EXPECT_TRUE(HasCyrillicVowel1251("\xD1\xE0"));
  EXPECT_TRUE(HasCyrillicVowel1251("x\xA8"));
  EXPECT_FALSE(HasCyrillicVowel1251("\xD1\xF2\xEF"));
  EXPECT_FALSE(HasCyrillicVowel1251("aeiou"));

  uint32_t X = 1, Y = 2;
  SwapCardinals(X, Y);
  EXPECT_EQ(X, 2u);
  EXPECT_EQ(Y, 1u);
  IgnoreText(1, 2, "t", nullptr);
  DoNothing();
}

TEST(PlatformState, KeysModalLevelAndFolders) {
  EXPECT_FALSE(IsShiftKeyDown());
  EXPECT_FALSE(IsAltKeyDown());
  EXPECT_FALSE(IsCommandKeyDown());
  EXPECT_FALSE(IsNumLockKeyDown());
  SetKeyStateQuery([](int32_t Key) -> int16_t {
    switch (Key) {
      case 18: return 0x80;
      case 16: return int16_t(0x8000);
      case 92: return int16_t(0x8001);
      case 144: return int16_t(0x8000);
      default: return 0;
    }
  });
  EXPECT_TRUE(IsAltKeyDown());
  EXPECT_TRUE(IsShiftKeyDown());
  EXPECT_TRUE(IsCommandKeyDown());
  EXPECT_TRUE(IsNumLockKeyDown());
  SetKeyStateQuery([](int32_t Key) -> int16_t { return Key == 16 ? 0x80 : 0; });
  EXPECT_FALSE(IsShiftKeyDown());  // bit 7 is not bit 15
  SetKeyStateQuery({});

  EXPECT_FALSE(IsSpaceKeyDown());
  SetSpaceKeyDown(true);
  EXPECT_TRUE(IsSpaceKeyDown());
  SetSpaceKeyDown(false);

  EXPECT_EQ(GetModalLevel(), 0);
  {
    TModalScope M;
    EXPECT_EQ(GetModalLevel(), 1);
  }
  {
    kromel::testing::TScopedEnv Tmp("TMPDIR", "/var/tmp/");
    EXPECT_EQ(GetTempFolder() + "/x", "/var/tmp/x");
  }

  DefaultHeadlessSink().EchoToStderr = false;
  DefaultHeadlessSink().Clear();
  EXPECT_EQ(GetProgramFileName(), "");
  EXPECT_EQ(DefaultHeadlessSink().Messages(), (std::vector<std::string>{"GetModuleFileName not found"}));
}

TEST(MinimizeName, ShortensFolders) {
  auto Width = [](const std::string& S) { return static_cast<int32_t>(S.size()); };
  EXPECT_EQ(MinimizeName("/Users/me/Pictures/a.jpg", Width, 100), "/Users/me/Pictures/a.jpg");
  EXPECT_EQ(MinimizeName("/Users/me/Pictures/a.jpg", Width, 10), "a.jpg");
  EXPECT_EQ(MinimizeName("/Users/me/Pictures/a.jpg", Width, 1), "a.jpg");
  // Folders split at "\" lose one leading folder per step.
  const std::string P = "\\first\\two\\three/f.txt";
  struct Case {
    int32_t MaxLen;
    std::string Shown;
  };
  const Case Cases[] = {{22, P},
                        {21, "\\...\\two\\three/f.txt"},
                        {19, "\\...\\three/f.txt"},
                        {10, "\\f.txt"},
                        {5, "f.txt"},
                        {0, "f.txt"}};
  for (const Case& C : Cases) EXPECT_EQ(MinimizeName(P, Width, C.MaxLen), C.Shown) << C.MaxLen;
  // A drive goes with the folder part in front of it.
  EXPECT_EQ(MinimizeName("C:\\one\\f.txt", Width, 100), "C:\\one\\f.txt");
  EXPECT_EQ(MinimizeName("C:\\one\\f.txt", Width, 10), "\\one\\f.txt");
}

TEST_F(HelpersFiles, WriteBlockRetriesFromTheSamePosition) {
  fs::path F = Dir / "block.bin";
  int Fd = open(F.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(Fd, 0);
  ASSERT_TRUE(WriteBlockWithRetry(Fd, "head", 4));

  // The second block hits the limit halfway; the prompt lifts it and says OK.
  class TLifting : public TPrompt {
  public:
    TPromptAnswer AskOkCancel(const std::string& T, const std::string& X) override {
      Title = T;
      Text = X;
      ++Asked;
      SetFileSizeLimit(RLIM_INFINITY);
      return TPromptAnswer::OK;
    }
    std::string Title, Text;
    int Asked = 0;
  } Lifting;
  SetPrompt(&Lifting);
  SetFileSizeLimit(8);
  EXPECT_TRUE(WriteBlockWithRetry(Fd, "0123456789", 10));
  SetPrompt(nullptr);
  close(Fd);
  EXPECT_EQ(Lifting.Asked, 1);
  EXPECT_EQ(Lifting.Title, "Error");
  EXPECT_EQ(Lifting.Text, "Can't write the file. Check if destination drive have enough free space and try again.");
  EXPECT_EQ(ReadText(F), "head0123456789");

  int Full = open("/dev/full", O_WRONLY);
  ASSERT_GE(Full, 0);
  DefaultHeadlessPrompt().QueueAnswers({TPromptAnswer::OK, TPromptAnswer::OK});  // then Cancel
  EXPECT_FALSE(WriteBlockWithRetry(Full, "x", 1));
  EXPECT_EQ(DefaultHeadlessPrompt().Questions().size(), 3u);
  close(Full);
}

TEST_F(HelpersFiles, CopyFileBlocks) {
  std::string Data;
  for (int I = 0; I < 10000; ++I) Data += static_cast<char>(I * 7);
  WriteText(Dir / "src.bin", Data);
  ASSERT_TRUE(CopyFileBlocks((Dir / "src.bin").string(), (Dir / "dst.bin").string()));
  EXPECT_EQ(ReadText(Dir / "dst.bin"), Data);
  EXPECT_EQ(FileSizeOf((Dir / "dst.bin").string()), 10000);
  EXPECT_EQ(FileSizeOf((Dir / "missing").string()), 0);

  EXPECT_FALSE(CopyFileBlocks((Dir / "missing").string(), (Dir / "x.bin").string()));
  ASSERT_EQ(DefaultHeadlessSink().Messages().size(), 1u);
  EXPECT_EQ(DefaultHeadlessSink().Messages()[0].rfind("Error: ", 0), 0u);
  EXPECT_FALSE(fs::exists(Dir / "x.bin"));

  // A target that cannot be written: failure, and no partial copy anywhere.
  EXPECT_FALSE(CopyFileBlocks((Dir / "src.bin").string(), (Dir / "no" / "dst.bin").string()));
  WriteText(Dir / "old.bin", "old");
  SetFileSizeLimit(5000);
  EXPECT_FALSE(CopyFileBlocks((Dir / "src.bin").string(), (Dir / "old.bin").string()));
  SetFileSizeLimit(RLIM_INFINITY);
  EXPECT_EQ(ReadText(Dir / "old.bin"), "old");
  std::vector<std::string> Names;
  for (const auto& E : fs::directory_iterator(Dir)) Names.push_back(E.path().filename().string());
  std::sort(Names.begin(), Names.end());
  EXPECT_EQ(Names, (std::vector<std::string>{"dst.bin", "old.bin", "src.bin"}));
}

TEST_F(HelpersFiles, SaveBufferAndDeleteConfirm) {
  fs::path F = Dir / "b.bin";
  ASSERT_TRUE(SaveBufferToFileUTF8(F.string(), "abc", 3));
  EXPECT_EQ(ReadText(F), "abc");
  WriteText(F, "keep");
  SetFileSizeLimit(2);
  EXPECT_FALSE(SaveBufferToFileUTF8(F.string(), "abcdef", 6));
  SetFileSizeLimit(RLIM_INFINITY);
  EXPECT_EQ(ReadText(F), "keep");

  EXPECT_FALSE(DeleteFileConfirm(F.string()));  // headless answer: Cancel
  EXPECT_TRUE(fs::exists(F));
  ASSERT_EQ(DefaultHeadlessPrompt().Questions().size(), 1u);
  EXPECT_EQ(DefaultHeadlessPrompt().Questions()[0].Text, "Do you want to delete file " + F.string() + "?");
  DefaultHeadlessPrompt().QueueAnswers({TPromptAnswer::OK});
  EXPECT_TRUE(DeleteFileConfirm(F.string()));
  EXPECT_FALSE(fs::exists(F));
}

TEST_F(HelpersFiles, RunProcessUsesAnArgumentVector) {
  const std::string Tricky = "two words \"quoted\"";
  std::string Out = CaptureStdout([&] {
    EXPECT_EQ(RunProcessAndWait("printf", {"<%s>\\n", Tricky}, 5), 0);
    EXPECT_EQ(RunProcessAndWait("ls", {"/no/such/entry"}, 0), 2);  // standard error joins the output
    EXPECT_EQ(RunProcessAndWait("/no/such/program", {}, 0), -1);
  });
  const std::string Expected = "printf \"<%s>\\\\n\" \"two words \\\"quoted\\\"\"\n<two words \"quoted\">\n";
  EXPECT_EQ(Out.substr(0, Expected.size()), Expected);
  EXPECT_NE(Out.find("ls /no/such/entry\n"), std::string::npos);
  EXPECT_NE(Out.find("/no/such/entry", Out.find("ls /no/such/entry\n") + 18), std::string::npos);
}

TEST_F(HelpersFiles, RunProcessNoWaitReturnsWhileTheChildRuns) {
  fs::path Fifo = Dir / "fifo";
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  // cp blocks on the empty pipe until this test writes to it, so returning
  // at all proves the call did not wait for the child.
  ASSERT_TRUE(RunProcessNoWait("/usr/bin/cp", {Fifo.string(), (Dir / "out").string()}));
  int Fd = open(Fifo.c_str(), O_WRONLY);
  ASSERT_GE(Fd, 0);
  ASSERT_EQ(write(Fd, "ok", 2), 2);
  close(Fd);
  EXPECT_FALSE(RunProcessNoWait("/no/such/program", {}));
}
