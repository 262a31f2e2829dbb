#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "foundation/byte_codecs.h"

using namespace kromel;

TEST(ByteCodecs, ByteSwaps) {
  EXPECT_EQ(ByteSwapWord(0x1234), 0x3412);
  EXPECT_EQ(ByteSwapSmallInt(static_cast<int16_t>(0xFF01)), 0x01FF);
  EXPECT_EQ(ByteSwap32(0x12345678u), 0x78563412u);
  EXPECT_EQ(ByteSwap64(0x0102030405060708ull), 0x0807060504030201ull);
  const unsigned char BigEndianOne[4] = {0x3F, 0x80, 0x00, 0x00};
  float Raw;
  std::memcpy(&Raw, BigEndianOne, 4);
  EXPECT_EQ(ByteSwapSingle(Raw), 1.0f);
  EXPECT_EQ(ByteSwapSingle(ByteSwapSingle(-2.75f)), -2.75f);
  const TExtended80 E = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(ByteSwapExtended(E), (TExtended80{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
  EXPECT_EQ(ByteSwapExtended(ByteSwapExtended(E)), E);
}

TEST(ByteCodecs, PosNotChar) {
  EXPECT_EQ(PosNotChar('=', "ab==", -1), 2);
  EXPECT_EQ(PosNotChar('=', "====", -1), 0);
  EXPECT_EQ(PosNotChar('=', "=a=b", 0), 2);
  EXPECT_EQ(PosNotChar('=', "=a=b", 1), 2);
  EXPECT_EQ(PosNotChar('=', "=a=b", 2), 4);
  EXPECT_EQ(PosNotChar('=', "=a=b", 3), 0);
  EXPECT_EQ(PosNotChar('=', "a=b=", -2), 1);
  EXPECT_EQ(PosNotChar('=', "", -1), 0);
}

TEST(ByteCodecs, Base64Lines) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"abc", "YWJj"}, {"ab", "YWI="}, {"a", "YQ=="}, {"", ""}, {std::string("\xFF\xFE\x00\x01", 4), "//4AAQ=="}};
  for (const auto& [Bytes, Text] : Cases) {
    EXPECT_EQ(EncodeBufferText(1, Bytes.data(), static_cast<int32_t>(Bytes.size())), Text);
    EXPECT_EQ(EncodeBufferText(2, Bytes.data(), static_cast<int32_t>(Bytes.size())), Text);
    EXPECT_EQ(DecodeTextLine(1, Text), Bytes);
    EXPECT_EQ(DecodeTextLine(2, Text), Bytes);
  }
  // Padded lines followed by a CR, blanks or a tab give no partial byte.
  for (const std::string Tail : {"\r", " ", "  \r\n", "\t"}) {
    EXPECT_EQ(DecodeTextLine(1, "YQ==" + Tail), "a") << Tail.size();
    EXPECT_EQ(DecodeTextLine(1, "YWI=" + Tail), "ab");
    EXPECT_EQ(DecodeTextLine(1, "YWJj" + Tail), "abc");
  }
  EXPECT_EQ(DecodeTextLine(1, "YW Jj"), "abc");  // a skipped character inside
  EXPECT_EQ(DecodeTextLine(1, "YW I="), "ab");   // ... and no extra byte for it
  EXPECT_EQ(DecodeTextLine(1, "YQ=Jj"), "a");    // "=" inside ends the data
  EXPECT_EQ(DecodeTextLine(1, "Y\xC3\xA9WJj{"), "abc");  // outside the table: skipped
  EXPECT_EQ(DecodeTextLine(3, "YWJj"), "");
  EXPECT_EQ(EncodeBufferText(1, "x", -1), "");
  EXPECT_EQ(EncodeBufferText(1, nullptr, 3), "");
  const std::string Max(189, 'z');
  EXPECT_EQ(EncodeBufferText(1, Max.data(), 189).size(), 252u);
  EXPECT_EQ(EncodeBufferText(1, Max.data(), 190), "");
}

TEST(ByteCodecs, UULines) {
  EXPECT_EQ(EncodeBufferText(0, "Cat", 3), "#0V%T");
  EXPECT_EQ(DecodeTextLine(0, "#0V%T"), "Cat");
  EXPECT_EQ(EncodeBufferText(0, "", 0), "`");
  EXPECT_EQ(DecodeTextLine(0, "`"), "");
  EXPECT_EQ(DecodeTextLine(0, ""), "");
  EXPECT_EQ(DecodeTextLine(0, "N0V%T"), "");  // length character out of range
  const std::string Block(45, '\x5A');
  const std::string Line = EncodeBufferText(0, Block.data(), 45);
  ASSERT_EQ(Line.size(), 61u);
  EXPECT_EQ(Line[0], 'M');
  EXPECT_EQ(DecodeTextLine(0, Line), Block);
  // A last partial group is padded with zero bits, never read past the buffer.
  EXPECT_EQ(EncodeBufferText(0, "\x01", 1), "!`0``");
  EXPECT_EQ(DecodeTextLine(0, "!`0``"), "\x01");
  const std::string Long(64, 'q');
  EXPECT_EQ(EncodeBufferText(0, Long.data(), 64), "");
}

namespace {
std::string RandomBytes(std::mt19937& Rng, std::size_t N) {
  std::string S(N, '\0');
  for (char& C : S) C = static_cast<char>(Rng() & 0xFF);
  return S;
}
}  // namespace

TEST(ByteCodecs, StreamLinesRoundTripEveryLength) {
  std::mt19937 Rng(12345);
  for (std::size_t N = 0; N <= 200; ++N) {
    const std::string Bytes = RandomBytes(Rng, N);
    TMemoryStream In(Bytes);
    In.SetPosition(N / 2);  // encoding rewinds first
    const std::vector<std::string> Lines = EncodeStreamToLines(In);
    EXPECT_EQ(Lines.size(), (N + 44) / 45) << N;
    auto Out = DecodeLinesToStream(&Lines);
    ASSERT_TRUE(Out);
    EXPECT_EQ(Out->Position(), Out->Size());
    EXPECT_EQ(Out->Bytes(), Bytes) << N;
  }
  EXPECT_EQ(DecodeLinesToStream(nullptr), nullptr);
  const std::vector<std::string> None;
  EXPECT_EQ(DecodeLinesToStream(&None)->Size(), 0);
  // Lines that picked up CR line ends decode the same.
  std::vector<std::string> Crlf = {"YWJj\r", "ZA==\r"};
  EXPECT_EQ(DecodeLinesToStream(&Crlf)->Bytes(), "abcd");
}

TEST(ByteCodecs, HundredBytesGiveThreeLinesThatBase64Decodes) {
  std::mt19937 Rng(7);
  const std::string Bytes = RandomBytes(Rng, 100);
  TMemoryStream In(Bytes);
  const std::vector<std::string> Lines = EncodeStreamToLines(In);
  ASSERT_EQ(Lines.size(), 3u);
  EXPECT_EQ(Lines[0].size(), 60u);
  EXPECT_EQ(Lines[1].size(), 60u);
  EXPECT_EQ(Lines[2].size(), 16u);
  EXPECT_EQ(Lines[2].substr(14), "==");

  const auto Dir = std::filesystem::temp_directory_path() / ("kromel_k02_b64_" + std::to_string(getpid()));
  std::filesystem::create_directories(Dir);
  const auto TextFile = Dir / "lines.txt";
  const auto BinFile = Dir / "decoded.bin";
  {
    std::ofstream T(TextFile, std::ios::binary);
    for (const auto& L : Lines) T << L << '\n';
  }
  const pid_t Child = fork();
  ASSERT_NE(Child, -1);
  if (Child == 0) {
    std::FILE* In = std::freopen(TextFile.c_str(), "rb", stdin);
    std::FILE* Out = std::freopen(BinFile.c_str(), "wb", stdout);
    if (In != nullptr && Out != nullptr) execlp("base64", "base64", "-d", static_cast<char*>(nullptr));
    _exit(127);
  }
  int Status = 0;
  ASSERT_EQ(waitpid(Child, &Status, 0), Child);
  ASSERT_TRUE(WIFEXITED(Status));
  ASSERT_EQ(WEXITSTATUS(Status), 0);
  std::ifstream B(BinFile, std::ios::binary);
  const std::string Decoded((std::istreambuf_iterator<char>(B)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Decoded, Bytes);
  std::filesystem::remove_all(Dir);
}

TEST(ByteCodecs, CRC64) {
  EXPECT_EQ(CRC64OfBuffer("123456789", 9), 0x66A2364420E6C605ull);
  EXPECT_EQ(~CRC64OfBuffer("123456789", 9), 0x995DC9BBDF1939FAull);  // CRC-64/XZ
  EXPECT_EQ(CRC64OfBuffer("", 0), 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(CRC64OfBuffer(nullptr, 5), 0u);
  uint64_t C = ~0ull;
  CRC64Update("12345", 5, C);
  CRC64Update("6789", 4, C);
  EXPECT_EQ(C, 0x66A2364420E6C605ull);
  CRC64Update(nullptr, 1, C);
  EXPECT_EQ(C, 0u);

  TMemoryStream S(std::string("xx123456789"));
  S.SetPosition(2);
  EXPECT_EQ(CRC64OfStream(S, 9, 4), 0x66A2364420E6C605ull);
  EXPECT_EQ(S.Position(), 11);
  S.SetPosition(2);
  EXPECT_EQ(CRC64OfStream(S, 9, 1000), 0x66A2364420E6C605ull);
  TMemoryStream Whole(std::string("123456789"));
  EXPECT_EQ(CRC64OfStream(Whole, -1, 2), 0x66A2364420E6C605ull);
  S.SetPosition(5);
  EXPECT_THROW(CRC64OfStream(S, 9, 4), EStreamError);  // fewer bytes than asked
  EXPECT_EQ(S.Position(), 5);
  EXPECT_THROW(CRC64OfStream(S, 1, 0), std::invalid_argument);
}
