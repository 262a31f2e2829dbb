#include "audio/riff_chunks.h"

#include <gtest/gtest.h>

#include <cstring>

#include "audio/wav_format.h"
#include "audio/wav_meta_chunks.h"
#include "audio_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

std::string AsString(const TBytes& B) { return std::string(B.begin(), B.end()); }

TBytes HeaderOnlyWav() {
  TWavHeader H;
  H.Init16Mono44100(0);
  TBytes B(44);
  H.ToBytes(B.data());
  return B;
}

}  // namespace

TEST(RiffChunks, ListInfoAppendIsPaddedAndUpdatesRiffSize) {
  TMemoryStream S(AsString(HeaderOnlyWav()));
  ASSERT_TRUE(AppendListInfoChunk(S, "ICMT", 6, "A\r\nB\0"));
  const std::string B = S.Bytes();
  ASSERT_EQ(B.size(), 44u + 26u);
  EXPECT_EQ(B.substr(44), std::string("LIST\x12\0\0\0INFOICMT\x06\0\0\0A\r\nB\0", 26));
  EXPECT_EQ(uint8_t(B[4]), 70 - 8);
  // An odd sub-chunk is padded, and the LIST size counts the pad.
  ASSERT_TRUE(AppendListInfoChunk(S, "INAM", 3, "abc"));
  EXPECT_EQ(S.Size(), 70 + 12 + 8 + 4);
  EXPECT_EQ(uint8_t(S.Bytes()[74]), 16);
  uint32_t Size = 0;
  TChunkData Data;
  ASSERT_TRUE(ReadListInfoChunkFromStream(S, "INAM", Size, Data));
  EXPECT_EQ(std::string(Data.begin(), Data.end()), "abc");
  EXPECT_FALSE(ReadListInfoChunkFromStream(S, "icmt", Size, Data));
}

TEST(RiffChunks, UpdateFileSize) {
  TMemoryStream S(AsString(HeaderOnlyWav()));
  S.SetPosition(4);
  S.Write("\0\0\0\0", 4);
  ASSERT_TRUE(UpdateFileSize(S));
  EXPECT_EQ(uint8_t(S.Bytes()[4]), 36);
  TMemoryStream Short(std::string("RIFF\0\0\0", 7));
  THeadlessMessageSink Sink;
  Sink.EchoToStderr = false;
  SetMessageSink(&Sink);
  EXPECT_FALSE(UpdateFileSize(Short));
  SetMessageSink(nullptr);
  EXPECT_EQ(Sink.Messages(), (std::vector<std::string>{"UpdateFileSize: File is too short!"}));
  EXPECT_EQ(Short.Bytes(), std::string("RIFF\0\0\0", 7));
}

TEST(RiffChunks, AppendChunkToFilePadsAndKeepsSize) {
  const TTestTempDir Dir;
  const std::string File = Dir.File("a.wav");
  WriteBytes(File, HeaderOnlyWav());
  ASSERT_TRUE(AppendChunkToFile(File, "abcd", 3, "xyz"));
  ASSERT_TRUE(AppendChunkToFile(File, "efgh", 2, "pq"));
  const TBytes B = ReadBytes(File);
  ASSERT_EQ(B.size(), 44u + 12u + 10u);
  EXPECT_EQ(B[4], B.size() - 8);
  TMemoryStream S(AsString(B));
  std::vector<std::string> Names;
  S.SetPosition(12);
  ListChunkNames(S, Names);
  EXPECT_EQ(Names, (std::vector<std::string>{"fmt ", "data", "abcd", "efgh"}));
  uint32_t Size = 0;
  TChunkData Data;
  S.SetPosition(12);
  ASSERT_TRUE(ReadChunkFromStream(S, "EFGH", Data, Size, false));  // first pass, padded
  EXPECT_EQ(Size, 2u);
  EXPECT_FALSE(AppendChunkToFile(Dir.File("missing.wav"), "abcd", 1, "x"));
}

TEST(RiffChunks, SearchesFollowOrIgnorePadding) {
  // "fmt " of odd size 17 without a pad byte.
  TBytes B;
  Append(B, "RIFF");
  AppendLE(B, 0, 4);
  Append(B, "WAVEfmt ");
  AppendLE(B, 17, 4);
  B.resize(B.size() + 17, 1);
  Append(B, "data");
  AppendLE(B, 4, 4);
  AppendLE(B, 0x01020304, 4);
  TMemoryStream S(AsString(B));
  uint32_t Size = 0;
  TChunkData Data;
  S.SetPosition(12);
  ASSERT_TRUE(ReadChunkFromStream(S, "DATA", Data, Size, false));  // second pass
  EXPECT_EQ(Size, 4u);
  EXPECT_FALSE(FindChunk(S, "data", Size, false));
  EXPECT_TRUE(ReadChunk(S, "Data", Data, Size));
}

// Sizes beyond the stream: bounded reads, no huge allocation, no overrun.
TEST(RiffChunks, HostileSizesAreBounded) {
  TBytes B;
  Append(B, "RIFF");
  AppendLE(B, 0xFFFFFFFF, 4);
  Append(B, "WAVE");
  Append(B, "data");
  AppendLE(B, 1000, 4);  // 600 bytes follow
  B.resize(B.size() + 600, 7);
  TMemoryStream S(AsString(B));
  uint32_t Size = 0;
  TChunkData Data;
  S.SetPosition(12);
  ASSERT_TRUE(ReadChunkFromStream(S, "data", Data, Size, false));
  EXPECT_EQ(Size, 600u);
  EXPECT_EQ(Data.size(), 600u);
  ASSERT_TRUE(FindChunkInStream(S, "data", Size, false));
  EXPECT_EQ(Size, 600u);
  // Twice the stream size or more is refused outright.
  TBytes Huge = B;
  Huge[16] = 0xFF, Huge[17] = 0xFF, Huge[18] = 0xFF, Huge[19] = 0x7F;
  TMemoryStream H(AsString(Huge));
  H.SetPosition(12);
  EXPECT_FALSE(ReadChunkFromStream(H, "data", Data, Size, false));
  EXPECT_EQ(Size, 0u);
  // A LIST whose sub-chunk claims more than the LIST holds.
  TBytes L = HeaderOnlyWav();
  Append(L, "LIST");
  AppendLE(L, 16, 4);
  Append(L, "INFOICMT");
  AppendLE(L, 5000, 4);
  Append(L, "abcd");
  TMemoryStream LS(AsString(L));
  EXPECT_FALSE(ReadListInfoChunkFromStream(LS, "ICMT", Size, Data));
  // A header that ends the stream with size 0.
  TBytes Z = B;
  Z.resize(20);
  Z[16] = Z[17] = Z[18] = Z[19] = 0;
  TMemoryStream ZS(AsString(Z));
  EXPECT_FALSE(FindChunkInStream(ZS, "data", Size, false));
}

TEST(WavMetaChunks, LoopTempoAndComment) {
  const TTestTempDir Dir;
  const std::string File = Dir.File("meta.wav");
  TBytes B = HeaderOnlyWav();
  Append(B, "smpl");
  AppendLE(B, 60, 4);
  TBytes Smpl(60, 0);
  Smpl[44] = 0xE8, Smpl[45] = 0x03;   // 1000
  Smpl[48] = 0x88, Smpl[49] = 0x13;   // 5000
  B.insert(B.end(), Smpl.begin(), Smpl.end());
  Append(B, "acid");
  AppendLE(B, 24, 4);
  TBytes Acid(24, 0);
  Acid[6] = 0x00, Acid[7] = 0x80;
  const float Tempo = 120.0f;
  std::memcpy(Acid.data() + 20, &Tempo, 4);
  B.insert(B.end(), Acid.begin(), Acid.end());
  WriteBytes(File, B);
  int32_t Start = 0, End = 0;
  bool Has = false;
  Load_WavLoopParams(File, Start, End, Has);
  EXPECT_EQ(Start, 1000);
  EXPECT_EQ(End, 5000);
  EXPECT_TRUE(Has);
  EXPECT_EQ(ReadAcidTempo(File), -1.0f);

  ASSERT_TRUE(Save_WavComment(File, {"A", "B"}));
  std::vector<std::string> Lines;
  ASSERT_TRUE(Load_WavComment(File, Lines));
  EXPECT_EQ(Lines, (std::vector<std::string>{"A", "B"}));
  const TBytes After = ReadBytes(File);
  EXPECT_EQ(After.size(), B.size() + 26);
  EXPECT_EQ(After[4] | After[5] << 8, int(After.size()) - 8);
  EXPECT_TRUE(Save_WavComment(File, {}));
  EXPECT_FALSE(Save_WavComment(File, {""}));
  EXPECT_EQ(ReadBytes(File).size(), After.size());
}

TEST(WavMetaChunks, KitDescriptionChannelNames) {
  const TTestTempDir Dir;
  WriteText(Dir.File("Kit_Snare_info.xml"),
            "<x>\n"
            "<BFD2AudioChanInfo chanName=\"Overheads LEFT\" chanIndex=\"4\" encoding=\"stereoleft\"/>\n"
            "<BFD2AudioChanInfo chanName=\"Overheads RIGHT\" chanIndex=\"5\" encoding=\"STEREORIGHT\"/>\n"
            "<BFD2AudioChanInfo chanName=\"Kick\" chanIndex=\"2\" encoding=\"MONO\"/>\n"
            "<BFD2AudioChanInfo chanName=\"Tom\" chanIndex=\"9\" encoding=\"MONO\"/>\n");
  std::vector<std::string> Lines;
  ASSERT_TRUE(ParseBFDXML_Comment(Dir.File("Kit_Snare_hit.wav"), Lines, false));
  EXPECT_EQ(Lines, (std::vector<std::string>{"Channel 3 Kick", "Channel 5-6 Overheads",
                                             "Channel 10 Tom"}));
  EXPECT_FALSE(ParseBFDXML_Comment(Dir.File("Other.wav"), Lines, false));
}
