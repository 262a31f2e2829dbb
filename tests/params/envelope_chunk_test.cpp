#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"
#include "params/envelope_dots.h"
#include "support/test_support.h"

namespace kromel {
namespace {

std::vector<std::string>& Reports = kromel::testing::CapturedErrors();

class TCountingControl : public TEnvelopeGraphControl {
public:
  int Invalidates = 0;
  void Invalidate() override { ++Invalidates; }
};

void PutInt(std::string& S, int32_t V) {
  const uint32_t U = static_cast<uint32_t>(V);
  for (int I = 0; I < 4; ++I) S += static_cast<char>((U >> (8 * I)) & 0xFF);
}

int32_t IntAt(const std::string& S, size_t Offset) {
  uint32_t U = 0;
  for (int I = 0; I < 4; ++I) U |= uint32_t(uint8_t(S[Offset + I])) << (8 * I);
  return static_cast<int32_t>(U);
}

// A chunk with the given header fields and raw record bytes.
std::string Chunk(int32_t Size, int32_t Version, int32_t Count, int32_t RecordSize,
                  const std::vector<int32_t>& Fields, const char* Magic = "EnvG") {
  std::string S(Magic, 4);
  PutInt(S, Size);
  PutInt(S, Version);
  PutInt(S, Count);
  PutInt(S, RecordSize);
  for (int32_t F : Fields) PutInt(S, F);
  return S;
}

// A curve of three known dots, a repaint counter and a change counter.
class EnvelopeChunkTest : public ::testing::Test {
protected:
  void SetUp() override {
    Curve.GraphControl = &Control;
    Curve.OnChange = [this](void* Sender) {
      ++Changes;
      LastSender = Sender;
    };
    Curve.Dot(0) = {0, 0, 0};
    Curve.Dot(1) = {8000, 20000, 1};
    Curve.Dot(2) = {16384, 32767, 0};
    Curve.NumDots = 3;
    Curve.CalcSpline();
    Before = Curve.Dots;
  }
  void ExpectUnchanged(const char* Name) {
    EXPECT_EQ(Curve.NumDots, 3) << Name;
    EXPECT_EQ(std::memcmp(Curve.Dots.data() + 2, Before.data() + 2, 3 * sizeof(TCurveDotPoint)), 0)
        << Name;
    EXPECT_EQ(Changes, 0) << Name;
  }

  TEnvelopeDots Curve;
  TCountingControl Control;
  TDotsArray Before;
  int Changes = 0;
  void* LastSender = nullptr;
  kromel::testing::TErrorCapture Capture;
};

TEST_F(EnvelopeChunkTest, LayoutAndRoundTrip) {
  for (int32_t N : {0, 3, 131}) {
    TEnvelopeDots Source;
    Source.ResetHorizontal(100, N < 2 ? 2 : N);
    Source.NumDots = N;
    if (N > 1) Source.Dot(1).Flags = 1;
    TMemoryStream Stream;
    Stream.Write("abc", 3);  // the chunk goes at the stream's position
    ASSERT_TRUE(Source.SaveToStream(Stream));
    const std::string Bytes = Stream.Bytes().substr(3);
    EXPECT_EQ(Bytes.size(), size_t(20 + 12 * N)) << N;
    EXPECT_EQ(Bytes.substr(0, 4), "EnvG");
    EXPECT_EQ(IntAt(Bytes, 4), 12 + 12 * N);
    EXPECT_EQ(IntAt(Bytes, 8), 1);
    EXPECT_EQ(IntAt(Bytes, 12), N);
    EXPECT_EQ(IntAt(Bytes, 16), 12);
    EXPECT_EQ(Stream.Position(), Stream.Size());

    TEnvelopeDots Copy;
    ASSERT_TRUE(Stream.SetPosition(3));
    ASSERT_TRUE(Copy.LoadFromStream(Stream)) << N;
    EXPECT_EQ(Stream.Position(), Stream.Size());
    ASSERT_EQ(Copy.NumDots, N);
    for (int32_t I = 0; I < N; ++I) {
      EXPECT_EQ(Copy.Dot(I).X, Source.Dot(I).X);
      EXPECT_EQ(Copy.Dot(I).Y, Source.Dot(I).Y);
      EXPECT_EQ(Copy.Dot(I).Flags, Source.Dot(I).Flags);
    }
  }
  EXPECT_TRUE(Reports.empty());
}

TEST_F(EnvelopeChunkTest, HostileChunksAreRefusedAndChangeNothing) {
  enum TWhere { AtStart, AfterMagic, PastChunk };
  struct TCase {
    const char* Name;
    std::string Bytes;
    TWhere Position;
  };
  const std::vector<int32_t> Two = {1, 2, 0, 3, 4, 0};
  const TCase Cases[] = {
      {"wrong magic", Chunk(36, 1, 2, 12, Two, "EnvX"), AfterMagic},
      {"empty stream", "", AtStart},
      {"header cut short", std::string("EnvG\x24\x00\x00", 7), AtStart},
      {"negative count", Chunk(36, 1, -1, 12, Two), PastChunk},
      {"count above 131", Chunk(12 + 12 * 132, 1, 132, 12, std::vector<int32_t>(3 * 132, 7)), PastChunk},
      {"huge count, size past the end", Chunk(0x7FFFFFF0, 1, 0x7FFFFFF, 12, Two), AtStart},
      {"record size 0", Chunk(36, 1, 2, 0, Two), PastChunk},
      {"record size 13", Chunk(36, 1, 2, 13, Two), PastChunk},
      {"negative record size", Chunk(36, 1, 2, -12, Two), PastChunk},
      {"bad count and negative size", Chunk(-8, 1, 500, 12, Two), AtStart},
      {"records cut short", Chunk(48, 1, 3, 12, Two), AtStart},
      {"record cut inside", Chunk(36, 1, 2, 12, {1, 2, 0, 3}), AtStart},
  };
  for (const TCase& C : Cases) {
    Reports.clear();
    TMemoryStream Stream(C.Bytes);
    EXPECT_FALSE(Curve.LoadFromStream(Stream)) << C.Name;
    ExpectUnchanged(C.Name);
    ASSERT_EQ(Reports.size(), 1u) << C.Name;
    EXPECT_EQ(Reports[0], "TEnvelopeDots.LoadFromStream - Error reading curve, file corrupt");
    const int64_t Expected = C.Position == AtStart      ? 0
                             : C.Position == AfterMagic ? 4
                                                        : int64_t(C.Bytes.size());
    EXPECT_EQ(Stream.Position(), std::min<int64_t>(Expected, Stream.Size())) << C.Name;
  }
}

TEST_F(EnvelopeChunkTest, ReadingGoesOnAfterASkippedChunk) {
  std::string Bytes = Chunk(36, 1, 200, 12, {1, 2, 0, 3, 4, 0});
  Bytes += Chunk(24, 1, 1, 12, {500, 600, 0});
  TMemoryStream Stream(Bytes);
  EXPECT_FALSE(Curve.LoadFromStream(Stream));
  EXPECT_TRUE(Curve.LoadFromStream(Stream));
  EXPECT_EQ(Curve.NumDots, 1);
  EXPECT_EQ(Curve.Dot(0).X, 500);
  EXPECT_EQ(Stream.Position(), Stream.Size());
}

TEST_F(EnvelopeChunkTest, ExtremeCoordinatesLoadAndStayHarmless) {
  const int32_t Max = 2147483647, Min = -2147483647 - 1;
  TMemoryStream Stream(Chunk(48, 1, 3, 12, {Max, Max, 0, Min, Min, 1, Max, 5, 0}));
  ASSERT_TRUE(Curve.LoadFromStream(Stream));
  EXPECT_EQ(Curve.NumDots, 3);
  for (float X : {-1e9f, 0.0f, 8192.0f, 1e9f, 3e9f}) EXPECT_FALSE(std::isnan(Curve.GetValueS(X)));
  Curve.RepairDots();
  Curve.MakeMonotonous();
  Curve.AddIntermediateDots(1);
  Curve.Transpose();
  EXPECT_LE(Curve.NumDots, 131);
  // Whatever the curve holds now is written and read back alike.
  TMemoryStream Copy;
  ASSERT_TRUE(Curve.SaveToStream(Copy));
  Copy.SetPosition(0);
  TEnvelopeDots Back;
  ASSERT_TRUE(Back.LoadFromStream(Copy));
  EXPECT_EQ(Back.NumDots, Curve.NumDots);
}

TEST_F(EnvelopeChunkTest, ShortRecordsKeepTheFieldsTheyDoNotCover) {
  TMemoryStream Stream(Chunk(28, 1, 2, 8, {100, 200, 8100, 20100}));
  EXPECT_TRUE(Curve.LoadFromStream(Stream));
  EXPECT_EQ(Curve.NumDots, 2);
  EXPECT_EQ(Curve.Dot(1).X, 8100);
  EXPECT_EQ(Curve.Dot(1).Y, 20100);
  EXPECT_EQ(Curve.Dot(1).Flags, 1);  // kept
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(LastSender, &Control);
}

TEST_F(EnvelopeChunkTest, NewerVersionWarnsAndReads) {
  TMemoryStream Stream(Chunk(24, 2, 1, 12, {10, 20, 0}));
  EXPECT_TRUE(Curve.LoadFromStream(Stream));
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0], "EnvelopeGraphBoxVersion: loading data, saved with newer version. Loading may fail!");
  EXPECT_EQ(Curve.NumDots, 1);
}

TEST_F(EnvelopeChunkTest, EqualChunkFiresNothing) {
  TMemoryStream Stream;
  Curve.SaveToStream(Stream);
  Stream.SetPosition(0);
  const int Repaints = Control.Invalidates;
  EXPECT_TRUE(Curve.LoadFromStream(Stream));
  EXPECT_EQ(Control.Invalidates, Repaints);
  EXPECT_EQ(Changes, 0);
}

TEST_F(EnvelopeChunkTest, IsolatedCurveConsumesTheChunkAndKeepsItsDots) {
  Curve.Isolate = true;
  TMemoryStream Stream(Chunk(24, 1, 1, 12, {10, 20, 0}));
  EXPECT_TRUE(Curve.LoadFromStream(Stream));
  EXPECT_EQ(Stream.Position(), Stream.Size());
  EXPECT_EQ(Curve.NumDots, 3);
  EXPECT_EQ(Curve.Dot(1).Y, 20000);
  EXPECT_EQ(Changes, 1);  // the chunk differed
  EXPECT_EQ(LastSender, &Control);
}

}  // namespace
}  // namespace kromel
