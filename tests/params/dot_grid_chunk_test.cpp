#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dot_grid_test_support.h"
#include "foundation/byte_stream.h"
#include "params/dot_grid.h"

namespace kromel {
namespace {

using testing::GridBytes;
using testing::MakeCircularGrid;
using testing::MakeRectGrid;
using testing::TMessageCapture;

std::string Hex(const char* Text) {
  std::string Out;
  for (const char* P = Text; *P;) {
    if (*P == ' ') {
      ++P;
      continue;
    }
    Out += static_cast<char>(std::stoi(std::string(P, 2), nullptr, 16));
    P += 2;
  }
  return Out;
}

std::string LE32(uint32_t V) {
  std::string S;
  for (int I = 0; I < 4; ++I) S += static_cast<char>((V >> (8 * I)) & 0xFF);
  return S;
}

// Typed integers in each of the three forms.
std::string Int8(int8_t V) { return std::string("\x02", 1) + static_cast<char>(V); }
std::string Int32(int32_t V) { return std::string("\x04", 1) + LE32(static_cast<uint32_t>(V)); }

TEST(DotGridChunk, NineByNineRectangularGridHasTheExactBytes) {
  T2DEnvelopeDots G = MakeRectGrid(9, 9, -1000, 1000);
  TMemoryStream S;
  ASSERT_TRUE(G.SaveToStream(S, ""));
  const std::string B = S.Bytes();
  const std::string Head = Hex(
      "44 47 52 44 02 10 02 02 12 00 00 00 00 08 03 18 FC 03 18 FC 03 E8 03 03 E8 03 "
      "02 09 02 09 02 32");
  ASSERT_EQ(B.size(), Head.size() + (81 + 81) * 50);
  EXPECT_EQ(B.substr(0, Head.size()), Head);
  EXPECT_EQ(S.Position(), S.Size());

  // Dot (0, 0): a pinned active corner at (-1000, -1000), U = V = 0.
  const std::string Corner = Hex(
      "18 FC FF FF 18 FC FF FF 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 01 00 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  // Dot (1, 0), the second record (rows are written whole): (-750, -1000), U = 0.125.
  const std::string Next = Hex(
      "12 FD FF FF 18 FC FF FF 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
      "00 00 00 00 00 00 00 00 00 00 00 01 00 00 00 3E 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(B.substr(Head.size(), 50), Corner);
  EXPECT_EQ(B.substr(Head.size() + 50, 50), Next);
  // Dot (0, 1) starts the second row.
  EXPECT_EQ(B.substr(Head.size() + 9 * 50, 8), Hex("18 FC FF FF 12 FD FF FF"));
  // The default dots follow, in the same order.
  EXPECT_EQ(B.substr(Head.size() + 81 * 50, 50), Corner);
}

TEST(DotGridChunk, NameIsWrittenAsUtf16Text) {
  T2DEnvelopeDots G = MakeRectGrid(2, 2, 0, 10);
  TMemoryStream S;
  ASSERT_TRUE(G.SaveToStream(S, "A\xC3\xA9"));  // "Aé"
  EXPECT_EQ(S.Bytes().substr(8, 9), Hex("12 02 00 00 00 41 00 E9 00"));
}

TEST(DotGridChunk, RoundTripRestoresEverythingAndOnlyRealChangesNotify) {
  T2DEnvelopeDots Source = MakeCircularGrid(7, 4, 500);
  Source.Dots[3][2].X += 17;
  Source.Dots[3][2].Z = -40;
  Source.Dots[3][2].Pinned = true;
  Source.Dots[1][1].Selected = true;
  Source.Dots[2][3].Color = 0x123456;
  Source.Dots[2][3].MarkColor = 0x0000FF;
  Source.Dots[4][1].Empty = true;
  Source.DefaultDots[5][2].Spare2 = 77;
  TMemoryStream S;
  ASSERT_TRUE(Source.SaveToStream(S, "chart"));
  S.WriteBuffer("tail", 4);

  // Into an empty grid: sizes, ranges, the layout flag and every byte.
  T2DEnvelopeDots Target;
  int Changes = 0;
  void* Sender = nullptr;
  Target.OnChange = [&](void* From) {
    ++Changes;
    Sender = From;
  };
  S.SetPosition(0);
  ASSERT_TRUE(Target.LoadFromStream(S, true));
  EXPECT_EQ(S.Position(), S.Size() - 4);  // right after the chunk
  EXPECT_EQ(Target.ColCount, 7);
  EXPECT_EQ(Target.RowCount, 4);
  EXPECT_TRUE(Target.Circular);
  EXPECT_EQ(Target.MinX, -500);
  EXPECT_EQ(Target.MaxY, 500);
  EXPECT_EQ(GridBytes(Target), GridBytes(Source));
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Sender, &Target);

  // Again into the same grid: nothing differs, so no notification.
  S.SetPosition(0);
  ASSERT_TRUE(Target.LoadFromStream(S, true));
  EXPECT_EQ(Changes, 1);

  // A dot that differs in Z alone counts as a change.
  Target.Dots[6][3].Z = 5;
  S.SetPosition(0);
  ASSERT_TRUE(Target.LoadFromStream(S, true));
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Target.Dots[6][3].Z, 0);
}

// A chunk built field by field, for crafted and hostile input.
struct TChunk {
  std::string Magic = "DGRD";
  std::string Header = Int8(16);
  std::string Version = Int8(2);
  std::string Name = Hex("12 00 00 00 00");
  std::string Flags = Hex("08") + Int32(-100) + Int32(-100) + Int32(100) + Int32(100);
  std::string Rows = Int8(2);
  std::string Cols = Int8(3);
  std::string RecordSize = Int8(50);
  std::string Records;

  std::string Bytes() const {
    return Magic + Header + Version + Name + Flags + Rows + Cols + RecordSize + Records;
  }
};

// The 2 x 3 records of a displaced grid with ranges -100..100.
std::string SampleRecords() {
  T2DEnvelopeDots G = MakeRectGrid(3, 2, -100, 100);
  G.Dots[1][1].X = 33;
  const std::string B = GridBytes(G);
  return B.substr(B.size() - 12 * 50);
}

TEST(DotGridChunk, AcceptsEveryNameFormAndShortAndLongRecords) {
  TMessageCapture Capture;
  struct TCase {
    const char* What;
    std::string Name;
  } Cases[] = {
      {"UTF-16 text", Hex("12 02 00 00 00 41 00 42 00")},
      {"Unicode text", Hex("15 01 00 00 00 41 00")},
      {"UTF-8 text", Hex("14 03 00 00 00 41 C3 A9")},
      {"short text", Hex("06 02 41 42")},
      {"long text", Hex("0C 01 00 00 00 41")},
  };
  for (const TCase& C : Cases) {
    TChunk K;
    K.Name = C.Name;
    K.Records = SampleRecords();
    TMemoryStream S(K.Bytes());
    T2DEnvelopeDots G;
    EXPECT_TRUE(G.LoadFromStream(S, true)) << C.What;
    EXPECT_EQ(S.Position(), S.Size()) << C.What;
    ASSERT_EQ(G.ColCount, 3) << C.What;
    EXPECT_EQ(G.Dots[1][1].X, 33) << C.What;
  }

  // Records of 35 bytes end before Active: later bytes keep their values
  // and every dot becomes active.
  {
    TChunk K;
    K.RecordSize = Int8(35);
    std::string Short;
    for (int I = 0; I < 12; ++I) {
      std::string R(35, '\0');
      R[0] = static_cast<char>(I + 1);  // X
      Short += R;
    }
    K.Records = Short;
    T2DEnvelopeDots G = MakeRectGrid(3, 2, -100, 100);
    G.Dots[2][1].MarkColor = 4242;
    G.Dots[2][1].Active = false;
    TMemoryStream S(K.Bytes());
    ASSERT_TRUE(G.LoadFromStream(S, true));
    EXPECT_EQ(G.Dots[2][1].X, 6);  // row 1, column 2: the sixth record
    EXPECT_EQ(G.Dots[2][1].MarkColor, 4242);
    EXPECT_TRUE(G.Dots[2][1].Active);
    EXPECT_EQ(G.DefaultDots[0][0].X, 7);
  }

  // Records of 60 bytes: 50 are read, the surplus skipped.
  {
    TChunk K;
    K.RecordSize = Int8(60);
    const std::string Records = SampleRecords();
    for (int I = 0; I < 12; ++I) K.Records += Records.substr(size_t(I) * 50, 50) + std::string(10, '\x7F');
    TMemoryStream S(K.Bytes());
    T2DEnvelopeDots G;
    ASSERT_TRUE(G.LoadFromStream(S, true));
    EXPECT_EQ(S.Position(), S.Size());
    EXPECT_EQ(G.Dots[1][1].X, 33);
    EXPECT_EQ(G.Dots[0][1].X, -100);
  }
  EXPECT_TRUE(Capture.Messages().empty());
}

TEST(DotGridChunk, VersionOneSetsCircularRangesOnly) {
  TChunk K;
  K.Version = Int8(1);
  K.Flags.clear();
  K.Records = SampleRecords();
  for (const bool Circular : {true, false}) {
    T2DEnvelopeDots G;
    G.SetRanges(-5, -6, 7, 8);
    G.Circular = Circular;
    TMemoryStream S(K.Bytes());
    ASSERT_TRUE(G.LoadFromStream(S, true));
    EXPECT_EQ(G.Circular, Circular);
    EXPECT_EQ(G.MinX, Circular ? -1000 : -5);
    EXPECT_EQ(G.MinY, Circular ? -1000 : -6);
    EXPECT_EQ(G.MaxX, Circular ? 1000 : 7);
    EXPECT_EQ(G.MaxY, Circular ? 1000 : 8);
  }
}

TEST(DotGridChunk, NewerVersionWarnsAndReadsOn) {
  TMessageCapture Capture;
  TChunk K;
  K.Version = Int8(3);
  K.Records = SampleRecords();
  TMemoryStream S(K.Bytes());
  T2DEnvelopeDots G;
  EXPECT_TRUE(G.LoadFromStream(S, true));
  EXPECT_TRUE(Capture.Shown("Displacement grid: loading data, saved with newer version. Loading may fail!"));
  EXPECT_EQ(G.Dots[1][1].X, 33);
}

TEST(DotGridChunk, WrongMagicLeavesStreamAndGridAlone) {
  TMessageCapture Capture;
  T2DEnvelopeDots G = MakeRectGrid(3, 3, 0, 100);
  const std::string Before = GridBytes(G);
  for (const bool ShowErrors : {false, true}) {
    TMemoryStream S(std::string("xxDGRX") + SampleRecords());
    S.SetPosition(2);
    EXPECT_FALSE(G.LoadFromStream(S, ShowErrors));
    EXPECT_EQ(S.Position(), 2);
    EXPECT_EQ(GridBytes(G), Before);
    EXPECT_EQ(Capture.Shown("TDisplacementGridBox.LoadFromStream - Error reading grid, file corrupt"),
              ShowErrors);
  }
  // Fewer than four bytes left.
  TMemoryStream Short(std::string("DG"));
  EXPECT_FALSE(G.LoadFromStream(Short, false));
  EXPECT_EQ(Short.Position(), 0);
}

TEST(DotGridChunk, HostileChunksAreRefusedAndChangeNothing) {
  const std::string Records = SampleRecords();
  const auto With = [&](auto Edit) {
    TChunk K;
    K.Records = Records;
    Edit(K);
    return K.Bytes();
  };
  struct TCase {
    const char* What;
    std::string Bytes;
  } Cases[] = {
      {"no rows", With([](TChunk& K) { K.Rows = Int8(0); })},
      {"negative rows", With([](TChunk& K) { K.Rows = Int8(-3); })},
      {"257 rows", With([](TChunk& K) { K.Rows = Int32(257); })},
      {"no columns", With([](TChunk& K) { K.Cols = Int8(0); })},
      {"a million columns", With([](TChunk& K) { K.Cols = Int32(1000000); })},
      {"256 x 256 without the records", With([](TChunk& K) {
         K.Rows = Int32(256);
         K.Cols = Int32(256);
       })},
      {"record size 0", With([](TChunk& K) { K.RecordSize = Int8(0); })},
      {"negative record size", With([](TChunk& K) { K.RecordSize = Int8(-50); })},
      {"huge record size", With([](TChunk& K) { K.RecordSize = Int32(0x7FFFFFFF); })},
      {"name longer than the chunk", With([](TChunk& K) { K.Name = Hex("12 FF FF FF FF 41 00"); })},
      {"UTF-8 name longer than the chunk", With([](TChunk& K) { K.Name = Hex("14 00 00 01 00 41"); })},
      {"unknown name type", With([](TChunk& K) { K.Name = Hex("07 00"); })},
      {"integer of unknown type", With([](TChunk& K) { K.Version = Hex("05 02"); })},
      {"Boolean given as integer", With([](TChunk& K) { K.Flags[0] = '\x02'; })},
      {"records cut short", With([&](TChunk& K) { K.Records = Records.substr(0, Records.size() - 1); })},
      {"default records missing", With([&](TChunk& K) { K.Records = Records.substr(0, 6 * 50); })},
      {"ends after the header value", std::string("DGRD") + Int8(16)},
      {"ends inside an integer", std::string("DGRD") + Hex("04 10 00")},
      {"magic alone", std::string("DGRD")},
  };
  TMessageCapture Capture;
  for (const TCase& C : Cases) {
    T2DEnvelopeDots G = MakeCircularGrid(5, 3, 300);
    G.Dots[2][1].X = 99;
    G.PatternMode = true;
    G.CurCol = 4;
    G.CurRow = 2;
    const std::string Before = GridBytes(G);
    int Changes = 0;
    G.OnChange = [&](void*) { ++Changes; };
    Capture.Clear();
    TMemoryStream S("junk" + C.Bytes);
    S.SetPosition(4);
    EXPECT_FALSE(G.LoadFromStream(S, true)) << C.What;
    EXPECT_EQ(S.Position(), 4) << C.What;
    EXPECT_EQ(GridBytes(G), Before) << C.What;
    EXPECT_EQ(G.ColCount, 5) << C.What;
    EXPECT_EQ(G.RowCount, 3) << C.What;
    EXPECT_EQ(G.MinX, -300) << C.What;
    EXPECT_TRUE(G.Circular) << C.What;
    EXPECT_TRUE(G.PatternMode) << C.What;
    EXPECT_EQ(G.CurCol, 4) << C.What;
    EXPECT_EQ(Changes, 0) << C.What;
    EXPECT_TRUE(Capture.Shown("Exception in TDisplacementGridBox.LoadFromStream, X=")) << C.What;
  }
}

TEST(DotGridChunk, RecordBooleansReadAsNonZero) {
  TDotPoint P;
  uint8_t R[DotPointRecordSize];
  P.ToRecord(R);
  R[32] = 7;  // Pinned
  R[45] = 0xFF;  // Empty
  P.FromRecord(R);
  EXPECT_TRUE(P.Pinned);
  EXPECT_TRUE(P.Empty);
  uint8_t Back[DotPointRecordSize];
  P.ToRecord(Back);
  EXPECT_EQ(Back[32], 1);
  EXPECT_EQ(Back[45], 1);
}

}  // namespace
}  // namespace kromel
