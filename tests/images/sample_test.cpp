#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"
#include "image_test_support.h"
#include "images/sample.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class SampleTest : public MessageCapture {};

std::vector<uint8_t> LE32(int32_t V) {
  std::vector<uint8_t> B;
  for (int I = 0; I < 4; ++I) B.push_back(uint8_t(uint32_t(V) >> (8 * I)));
  return B;
}
std::vector<uint8_t> LE64(int64_t V) {
  std::vector<uint8_t> B;
  for (int I = 0; I < 8; ++I) B.push_back(uint8_t(uint64_t(V) >> (8 * I)));
  return B;
}
std::vector<uint8_t> Chunk(const char* Tag, int32_t Rate, int64_t Count,
                           std::vector<uint8_t> Payload) {
  std::vector<uint8_t> B(Tag, Tag + 4);
  for (uint8_t X : LE32(Rate)) B.push_back(X);
  for (uint8_t X : LE64(Count)) B.push_back(X);
  B.insert(B.end(), Payload.begin(), Payload.end());
  return B;
}

// A temporary file holding Bytes, positioned at Offset.
std::FILE* FileWith(const std::vector<uint8_t>& Bytes, long Offset = 0) {
  std::FILE* F = std::tmpfile();
  if (F == nullptr) return nullptr;
  if (!Bytes.empty()) std::fwrite(Bytes.data(), 1, Bytes.size(), F);
  std::fseek(F, Offset, SEEK_SET);
  return F;
}

std::vector<uint8_t> FileBytes(std::FILE* F) {
  std::rewind(F);
  std::vector<uint8_t> B;
  int C;
  while ((C = std::fgetc(F)) != EOF) B.push_back(uint8_t(C));
  return B;
}

TEST_F(SampleTest, InitForgetsCountSoLaterFillsTouchNothing) {
  TSample32 S;
  S.Count = 5;
  S.Data = nullptr;
  S.Init();
  EXPECT_EQ(S.Count, 0);
  S.Fill(1.0f);
  S.Clear();
  S.Reverse();
  EXPECT_EQ(S.SizeInBytes(), 0);
  TSample16 W;
  W.Count = 3;
  W.Init();
  EXPECT_EQ(W.Count, 0);
  W.Fill(7);
}

TEST_F(SampleTest, AllocAndDispose) {
  TSample32 S;
  S.Init();
  ASSERT_TRUE(S.Alloc(3));
  EXPECT_EQ(S.Count, 3);
  EXPECT_EQ(S.SizeInBytes(), 12);
  S.Fill(2.5f);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{2.5f, 2.5f, 2.5f}));
  S.Dispose();
  EXPECT_EQ(S.Data, nullptr);
  EXPECT_EQ(S.Count, 0);
  S.Dispose();

  EXPECT_FALSE(S.Alloc(0));
  EXPECT_EQ(S.Data, nullptr);
  EXPECT_TRUE(Silent());
  EXPECT_FALSE(S.Alloc(-4));
  EXPECT_FALSE(S.Alloc(int64_t(1) << 40));
  ASSERT_EQ(Errors().size(), 2u);
  EXPECT_EQ(Errors()[0], "Exception in TSample32.Alloc Size=-4");
  EXPECT_EQ(S.Count, 0);
}

TEST_F(SampleTest, SetLength) {
  TSample32 S = MakeSample32({1, 2, 3}, 44100);
  ASSERT_TRUE(S.SetLength(5));
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1, 2, 3, 0, 0}));
  EXPECT_EQ(S.SampleRate, 44100);
  ASSERT_TRUE(S.SetLength(2));
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1, 2}));
  float* Held = S.Data;
  ASSERT_TRUE(S.SetLength(2));
  EXPECT_EQ(S.Data, Held);
  EXPECT_TRUE(S.SetLength(0));
  EXPECT_EQ(S.Data, nullptr);
  S = MakeSample32({4});
  EXPECT_TRUE(S.SetLength(-3));
  EXPECT_EQ(S.Data, nullptr);
  EXPECT_EQ(S.Count, 0);
  ASSERT_TRUE(S.SetLength(2));  // from nothing: zeros
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 0}));
  S.Dispose();

  TSample16 W;
  W.Init();
  W.SetLength(3);
  ASSERT_NE(W.Data, nullptr);
  W.Data[0] = 7;
  W.Data[1] = -8;
  W.Data[2] = 9;
  W.SampleRate = 22050;
  W.SetLength(4);
  EXPECT_EQ(W.Count, 4);
  EXPECT_EQ(W.Data[1], -8);
  EXPECT_EQ(W.Data[3], 0);
  EXPECT_EQ(W.SampleRate, 22050);
  W.SetLength(1);
  EXPECT_EQ(W.Data[0], 7);
  W.Reverse();
  W.SetLength(0);
  EXPECT_EQ(W.Data, nullptr);
  EXPECT_TRUE(Silent());
}

TEST_F(SampleTest, CopiesCheckTheDestinationSize) {
  TSample32 Src = MakeSample32({1, 2, 3}, 8000);
  TSample32 Small = MakeSample32({9, 9});
  Src.CopyTo(Small);
  EXPECT_EQ(SampleValues(Small), (std::vector<float>{9, 9}));
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].rfind("TSample32.CopyTo - Size mismatch", 0), 0u);
  TSample32 Room = MakeSample32({0, 0, 0});
  Room.Copy(Src);
  EXPECT_EQ(SampleValues(Room), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(Room.SampleRate, 8000);

  TSample16 W16;
  W16.Init();
  W16.Alloc(3);
  TSample16 Short;
  Short.Init();
  Short.Alloc(2);
  W16.Fill(5);
  W16.CopyTo(Short);
  EXPECT_EQ(Errors().size(), 2u);
  ConvertSample32To16(Src, Short);  // too short as well
  EXPECT_EQ(Errors().size(), 3u);
  ConvertSample16To32(W16, Small);
  EXPECT_EQ(Errors().size(), 4u);
  EXPECT_EQ(SampleValues(Small), (std::vector<float>{9, 9}));
  Short.Dispose();
  W16.Dispose();
  Src.Dispose();
  Small.Dispose();
  Room.Dispose();
}

TEST_F(SampleTest, RangesViewsAndDeletion) {
  TSample32 S = MakeSample32({0, 1, 2, 3, 4}, 100);
  struct Case {
    int64_t From, To, Count, First;
  } Cases[] = {{1, 3, 2, 1}, {2, 99, 3, 2}, {3, 1, 0, -1}, {-2, 2, 2, 0}, {9, 12, 0, -1}};
  for (const Case& C : Cases) {
    TSample32 View;
    TSample32::AssignRange(View, S, C.From, C.To);
    EXPECT_EQ(View.Count, C.Count) << C.From << ".." << C.To;
    EXPECT_EQ(View.SampleRate, 100);
    if (C.Count > 0) {
      EXPECT_EQ(View.Data[0], float(C.First));
    }
  }
  TSample32 Part;
  Part.Init();
  Part.CopyRangeFrom(S, 1, 4);
  EXPECT_EQ(SampleValues(Part), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(Part.SampleRate, 100);
  Part.CopyRangeFrom(Part, 1, 3);  // from itself
  EXPECT_EQ(SampleValues(Part), (std::vector<float>{2, 3}));

  TSample32 Patch = MakeSample32({7, 8});
  S.OverwriteAt(Patch, 3);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 1, 2, 7, 8}));
  S.OverwriteAt(Patch, 4);  // would run past the end
  S.OverwriteAt(Patch, -1);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{0, 1, 2, 7, 8}));
  EXPECT_EQ(Errors().size(), 2u);

  S.DeleteRange(3, 1);  // To < From: nothing
  EXPECT_EQ(S.Count, 5);
  S.DeleteRange(-5, 1);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1, 2, 7, 8}));
  S.DeleteRange(2, 100);
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1, 2}));
  S.Dispose();

  S = MakeSample32({1, 2, 3});
  S.Reverse();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{3, 2, 1}));
  S.Dispose();
  Part.Dispose();
  Patch.Dispose();
}

TEST_F(SampleTest, WidthConversions) {
  TSample16 W;
  W.Init();
  W.Alloc(5);
  const int16_t In[] = {0, -1, 32767, -32768, -256};
  std::memcpy(W.Data, In, sizeof(In));
  TSample8 B;
  ConvertSample16To8(W, B);
  ASSERT_EQ(B.Count, 5);
  EXPECT_EQ(std::vector<int>(B.Data, B.Data + 5), (std::vector<int>{128, 128, 255, 0, 127}));
  SampleFreeMem(B.Data);

  TSample32 F = MakeSample32({1.0f, -1.0f, 0.5f, 1.5f, -1.5f});
  ConvertSample32To16(F, W);
  EXPECT_EQ(std::vector<int>(W.Data, W.Data + 5),
            (std::vector<int>{32767, -32767, 16383, 32767, -32767}));
  F.Data[0] = std::nanf("");
  F.Data[1] = INFINITY;
  ConvertSample32To16(F, W);
  EXPECT_EQ(W.Data[0], 0);
  EXPECT_EQ(W.Data[1], 32767);
  W.SampleRate = 11025;
  ConvertSample16To32(W, F);
  EXPECT_EQ(F.SampleRate, 11025);
  EXPECT_FLOAT_EQ(F.Data[1], 1.0f);
  EXPECT_FLOAT_EQ(F.Data[2], float(16383.0 / 32767.0));

  EXPECT_EQ(ClipToSmallInt(-40000), -32767);
  EXPECT_EQ(ClipToSmallInt(40000), 32767);
  EXPECT_EQ(ClipToScaledSmallInt(INT32_MIN), -1073709056);
  EXPECT_EQ(ClipToScaledSmallInt(5), 5);
  W.Dispose();
  F.Dispose();
  EXPECT_TRUE(Silent());
}

TEST_F(SampleTest, ChunkRoundTrips) {
  TSample32 S = MakeSample32({1.0f, -1.0f, 0.5f, 1.5f, -0.25f}, 48000);
  std::FILE* F = std::tmpfile();
  ASSERT_NE(F, nullptr);
  ASSERT_TRUE(S.WriteToFile(F));
  ASSERT_TRUE(S.WriteToFile16(F));
  const auto Bytes = FileBytes(F);
  ASSERT_EQ(Bytes.size(), 16u + 20u + 16u + 10u);
  EXPECT_EQ(std::vector<uint8_t>(Bytes.begin(), Bytes.begin() + 16),
            Chunk("SAMP", 48000, 5, {}));
  const size_t At16 = 36;
  EXPECT_EQ(std::vector<uint8_t>(Bytes.begin() + At16, Bytes.begin() + At16 + 4),
            (std::vector<uint8_t>{'S', 'A', 'M', '2'}));
  auto Word = [&](size_t I) {
    return int16_t(Bytes[At16 + 16 + 2 * I] | Bytes[At16 + 17 + 2 * I] << 8);
  };
  EXPECT_EQ(Word(0), 32767);
  EXPECT_EQ(Word(1), -32767);
  EXPECT_EQ(Word(2), 16383);
  EXPECT_EQ(Word(3), 32767);  // 1.5 clamps instead of wrapping negative
  EXPECT_EQ(Word(4), -8191);

  std::rewind(F);
  TSample32 R;
  R.Init();
  ASSERT_TRUE(R.ReadFromFile(F));
  EXPECT_EQ(SampleValues(R), SampleValues(S));
  EXPECT_EQ(R.SampleRate, 48000);
  ASSERT_TRUE(R.ReadFromFile(F));
  ASSERT_EQ(R.Count, 5);
  EXPECT_EQ(R.SampleRate, 48000);
  EXPECT_FLOAT_EQ(R.Data[0], 1.0f);
  EXPECT_FLOAT_EQ(R.Data[1], -1.0f);
  EXPECT_FLOAT_EQ(R.Data[2], float(16383.0 / 32767.0));
  EXPECT_FLOAT_EQ(R.Data[3], 1.0f);
  EXPECT_EQ(std::ftell(F), long(Bytes.size()));

  // The same bytes through a stream.
  TMemoryStream M(std::string(Bytes.begin(), Bytes.end()));
  TSample32 Q;
  Q.Init();
  ASSERT_TRUE(Q.LoadFromStream(M));
  EXPECT_EQ(SampleValues(Q), SampleValues(S));
  ASSERT_TRUE(Q.LoadFromStream(M));
  EXPECT_FLOAT_EQ(Q.Data[2], float(16383.0 / 32767.0));
  EXPECT_EQ(M.Position(), M.Size());
  std::fclose(F);

  // A buffer without data: count 0, its own count reset, read back empty.
  TSample32 E;
  E.Init();
  E.Count = 12;
  E.SampleRate = 7;
  F = std::tmpfile();
  ASSERT_TRUE(E.WriteToFile16(F));
  EXPECT_EQ(E.Count, 0);
  EXPECT_EQ(FileBytes(F), Chunk("SAM2", 7, 0, {}));
  std::rewind(F);
  ASSERT_TRUE(Q.ReadFromFile(F));
  EXPECT_EQ(Q.Data, nullptr);
  EXPECT_EQ(Q.Count, 0);
  EXPECT_EQ(Q.SampleRate, 7);
  std::fclose(F);
  S.Dispose();
  R.Dispose();
  EXPECT_TRUE(Silent());
}

TEST_F(SampleTest, HostileChunksFailCleanly) {
  auto Floats = [](size_t N) { return std::vector<uint8_t>(N * 4, 0x3F); };
  struct Case {
    const char* Name;
    std::vector<uint8_t> Data;
    bool Reported;
  } Cases[] = {
      {"no tag", {'S', 'A', 'M', 'X', 1, 2, 3, 4}, false},
      {"nothing", {}, false},
      {"tag cut short", {'S', 'A', 'M'}, false},
      {"header cut short", {'S', 'A', 'M', 'P', 1, 0, 0, 0, 2}, true},
      {"negative count", Chunk("SAMP", 1, -2, Floats(4)), true},
      {"huge count", Chunk("SAMP", 1, int64_t(1) << 40, Floats(4)), true},
      {"count wraps bytes", Chunk("SAMP", 1, int64_t(1) << 62, Floats(4)), true},
      {"more than present", Chunk("SAMP", 1, 5, Floats(4)), true},
      {"one byte short", Chunk("SAMP", 1, 2, std::vector<uint8_t>(7, 0)), true},
      {"16-bit short", Chunk("SAM2", 1, 3, std::vector<uint8_t>(5, 0)), true},
      {"above 2^31", Chunk("SAM2", 1, int64_t(1) << 31, {}), true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::vector<uint8_t> Bytes(C.Data.size() + 3, 'x');
    std::copy(C.Data.begin(), C.Data.end(), Bytes.begin() + 3);
    for (bool UseStream : {false, true}) {
      CapturedErrors().clear();
      TSample32 S = MakeSample32({4, 5}, 99);
      float* Held = S.Data;
      bool Ok;
      int64_t Position;
      if (UseStream) {
        TMemoryStream M(std::string(Bytes.begin(), Bytes.end()));
        M.SetPosition(3);
        Ok = S.LoadFromStream(M);
        Position = M.Position();
      } else {
        std::FILE* F = FileWith(Bytes, 3);
        ASSERT_NE(F, nullptr);
        Ok = S.ReadFromFile(F);
        Position = std::ftell(F);
        std::fclose(F);
      }
      EXPECT_FALSE(Ok);
      EXPECT_EQ(Position, 3);
      EXPECT_EQ(S.Data, Held);
      EXPECT_EQ(SampleValues(S), (std::vector<float>{4, 5}));
      EXPECT_EQ(S.SampleRate, 99);
      ASSERT_EQ(Errors().size(), C.Reported ? 1u : 0u);
      if (C.Reported) {
        EXPECT_EQ(Errors()[0].rfind("Exception in TSample32.", 0), 0u) << Errors()[0];
      }
      S.Dispose();
    }
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SampleTest, ChannelTriplesAndStubs) {
  TRGBSamples32Pair P;
  InitRGBSamples(P[0]);
  InitRGBSamples(P[1]);
  AllocRGBSamplesPair(P, 4);
  EXPECT_EQ(P[0].R.Count, 4);
  EXPECT_EQ(P[1].B.Count, 4);
  SetRGBSamplesPairCount(P, 2);
  EXPECT_EQ(P[0].G.Count, 2);
  DisposeRGBSamplesPair(P);
  EXPECT_EQ(P[1].R.Data, nullptr);
  EXPECT_TRUE(Silent());

  TSample32 S = MakeSample32({1});
  FillSingle(nullptr);
  MixSamples(S, S, S);
  SampleAddConstant(S, 2);
  MixInPitch32(S, S, 1, 2.0f, 3.0f, 4.0f);
  MixInPitch32(S, S, 1, 2.0f, 3.0f);
  MixInPitch32(S, S, 1, 2.0f);
  MixInPitch32(S, S, 2.0f, 3.0f);
  MixInPitch32(nullptr);
  PrevFPUDen_Buffer();
  EXPECT_EQ(SampleValues(S), (std::vector<float>{1}));
  EXPECT_EQ(Errors(), (std::vector<std::string>{
                          "FillSingle not implemented", "MixSamples not implemented",
                          "SampleAddConstant not implemented", "MixInPitch32 not implemented",
                          "MixInPitch32 not implemented", "MixInPitch32 not implemented",
                          "MixInPitch32 not implemented", "MixInPitch32 not implemented",
                          "PrevFPUDen_Buffer not implemented"}));
  S.Dispose();
}

}  // namespace
