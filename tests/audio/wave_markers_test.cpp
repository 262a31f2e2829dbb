// Marker lists and their cue/label chunks, "Mark" blocks and text forms.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "audio/riff_chunks.h"
#include "audio/wav_files.h"
#include "audio/wave_markers.h"
#include "audio_test_support.h"
#include "platform/message_sink.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

uint32_t LE32(const TChunkData& D, size_t Off) {
  return uint32_t(D[Off]) | uint32_t(D[Off + 1]) << 8 | uint32_t(D[Off + 2]) << 16 |
         uint32_t(D[Off + 3]) << 24;
}
std::string Tag(const TChunkData& D, size_t Off) {
  return std::string(reinterpret_cast<const char*>(D.data() + Off), 4);
}

std::string SilentWav(TTestTempDir& Dir, const std::string& Name, int Frames) {
  const std::string F = Dir.File(Name);
  WriteBytes(F, MakeWav(1, 1, 44100, 16, TBytes(size_t(Frames) * 2, 0)));
  return F;
}

}  // namespace

TEST(WaveMarkers, SaveToWavWritesExactCueAndLabelChunks) {
  TTestTempDir Dir;
  const std::string F = SilentWav(Dir, "m.wav", 1000);
  TWaveMarkersList Empty;
  Empty.SaveToWav(F);
  EXPECT_EQ(ReadBytes(F).size(), 44u + 2000u);  // nothing appended

  TWaveMarkersList L;
  L.Add(10, -1, TMarkerKind::mkSampleStart, 0, 0, "");
  L.Add(500, -1, TMarkerKind::mkGeneric, 0, 0, "x");
  L.Add(900, -1, TMarkerKind::mkSampleEnd, 0, 0, "");
  L.SaveToWav(F);
  TChunkData Cue, List;
  uint32_t Size = 0;
  ASSERT_TRUE(ReadChunkFromFile(F, "cue ", Cue, Size));
  ASSERT_EQ(Size, 4u + 24u * 3u);
  EXPECT_EQ(LE32(Cue, 0), 3u);
  const char* Tags[] = {"strt", "data", "end "};
  const uint32_t Pos[] = {10, 500, 900};
  for (size_t I = 0; I < 3; ++I) {
    const size_t E = 4 + 24 * I;
    EXPECT_EQ(LE32(Cue, E), I + 1);
    EXPECT_EQ(LE32(Cue, E + 4), Pos[I]);
    EXPECT_EQ(Tag(Cue, E + 8), Tags[I]);
    EXPECT_EQ(LE32(Cue, E + 12), 0u);
    EXPECT_EQ(LE32(Cue, E + 16), 0u);
    EXPECT_EQ(LE32(Cue, E + 20), Pos[I]);
  }
  ASSERT_TRUE(ReadChunkFromFile(F, "LIST", List, Size));
  ASSERT_EQ(Size, 4u + 268u * 3u);
  EXPECT_EQ(Tag(List, 0), "adtl");
  for (size_t I = 0; I < 3; ++I) {
    const size_t E = 4 + 268 * I;
    EXPECT_EQ(Tag(List, E), "labl");
    EXPECT_EQ(LE32(List, E + 4), 260u);
    EXPECT_EQ(LE32(List, E + 8), I);
    EXPECT_STREQ(reinterpret_cast<const char*>(List.data() + E + 12),
                 ("Cue " + std::to_string(I)).c_str());
  }
  const TBytes B = ReadBytes(F);
  EXPECT_EQ(LE32(TChunkData(B.begin(), B.end()), 4), B.size() - 8);

  TWaveMarkersList Back;
  Back.LoadFromWav(F);
  ASSERT_EQ(Back.Count(), 3);
  EXPECT_EQ(Back.GetMarkerKind(0), uint8_t(TMarkerKind::mkSampleStart));
  EXPECT_EQ(Back.GetMarkerTime(1), 500);
  EXPECT_EQ(Back.GetMarkerKind(2), uint8_t(TMarkerKind::mkSampleEnd));
  EXPECT_EQ(Back.GetMarkerKind(3), 255);
}

TEST(WaveMarkers, CueReadersSortMergeAndBoundHostileChunks) {
  TTestTempDir Dir;
  struct Case {
    const char* What;
    uint32_t Count;       // announced
    int Entries;          // really there
    uint32_t ChunkSize;   // announced
    int Markers;          // expected
  };
  const Case Cases[] = {{"sorted and merged", 3, 3, 4 + 72, 2},
                        {"empty chunk", 0, 0, 4, 0},
                        {"count beyond the chunk", 1000000, 2, 4 + 48, 2},
                        {"chunk size beyond the file", 2, 2, 0x7FFFFFF0, 0},
                        {"chunk shorter than its count", 5, 0, 2, 0}};
  for (const Case& K : Cases) {
    TBytes W = MakeWav(1, 1, 44100, 16, TBytes(200, 0));
    Append(W, "cue ");
    AppendLE(W, K.ChunkSize, 4);
    if (K.ChunkSize >= 4) AppendLE(W, K.Count, 4);
    const uint32_t P[] = {70, 0, 70};
    for (int I = 0; I < K.Entries; ++I) {
      AppendLE(W, uint32_t(I + 1), 4);
      AppendLE(W, P[I], 4);
      Append(W, I == 1 ? "strt" : "data");
      AppendLE(W, 0, 4);
      AppendLE(W, 0, 4);
      AppendLE(W, P[I], 4);
    }
    const std::string F = Dir.File("c.wav");
    WriteBytes(F, W);
    TWaveMarkersList L;
    L.LoadFromWav(F);
    ASSERT_EQ(L.Count(), K.Markers) << K.What;
    if (K.Markers == 2) {
      EXPECT_EQ(L.GetMarkerTime(0), 0) << K.What;
      EXPECT_EQ(L.GetMarkerKind(0), uint8_t(TMarkerKind::mkSampleStart)) << K.What;
      EXPECT_EQ(L.GetMarkerTime(1), 70) << K.What;
    }
  }
}

TEST(WaveMarkers, LabelReaderStaysInsideItsChunk) {
  // A label whose text has no zero byte and whose size runs past the chunk,
  // then a subchunk size that would wrap.
  TBytes W = MakeWav(1, 1, 44100, 16, TBytes(20, 0));
  TBytes L;
  Append(L, "adtl");
  Append(L, "labl");
  AppendLE(L, 10, 4);
  AppendLE(L, 3, 4);
  Append(L, "abcdef");
  Append(L, "labl");
  AppendLE(L, 0xFFFF, 4);
  AppendLE(L, 4, 4);
  Append(L, "xyz");  // no terminator; chunk ends here
  Append(W, "LIST");
  AppendLE(W, uint32_t(L.size()), 4);
  W.insert(W.end(), L.begin(), L.end());
  TMemoryStream S(std::string(W.begin(), W.end()));
  std::vector<TCueLabel> Labels;
  ReadCueLabels(S, Labels);
  ASSERT_EQ(Labels.size(), 2u);
  EXPECT_EQ(Labels[0].Id, 3u);
  EXPECT_EQ(Labels[0].Text, "abcdef");
  EXPECT_EQ(Labels[1].Id, 4u);
  EXPECT_EQ(Labels[1].Text, "xyz");
}

TEST(WaveMarkers, MarkBlockLayoutRoundTripAndHostileBlocks) {
  TWaveMarkersList L;
  L.Add(100, 7, TMarkerKind::mkBPMMarker, 120.5f, 3, "n");
  L.Add(-5, -1, TMarkerKind::mkLoopEnd, 0.25f, -9, "");
  TMemoryStream S;
  L.SaveToStream(S);
  const std::string B = S.Bytes();
  ASSERT_EQ(B.size(), 16u + 2u * 17u);
  const TChunkData D(B.begin(), B.end());
  EXPECT_EQ(Tag(D, 0), "Mark");
  EXPECT_EQ(int32_t(LE32(D, 4)), -2);
  EXPECT_EQ(LE32(D, 8), 100u);
  EXPECT_EQ(LE32(D, 12), 2u);
  EXPECT_EQ(LE32(D, 16), 100u);
  EXPECT_EQ(LE32(D, 20), 7u);
  EXPECT_EQ(D[24], uint8_t(TMarkerKind::mkBPMMarker));
  float V;
  std::memcpy(&V, D.data() + 25, 4);
  EXPECT_EQ(V, 120.5f);
  EXPECT_EQ(LE32(D, 29), 3u);

  S.SetPosition(0);
  TWaveMarkersList Back;
  Back.LoadFromStream(S);
  ASSERT_EQ(Back.Count(), 2);
  EXPECT_EQ(Back.GetMarker(0)->AltTime, 7);
  EXPECT_EQ(Back.GetMarker(0)->Value, 120.5f);
  EXPECT_EQ(Back.GetMarker(1)->Time, -5);
  EXPECT_EQ(Back.GetMarker(1)->Param, -9);
  EXPECT_EQ(S.Position(), S.Size());

  // An old block: count straight after the tag, 13-byte records.
  TBytes Old;
  Append(Old, "Mark");
  AppendLE(Old, 5, 4);
  for (int I = 0; I < 5; ++I) {
    AppendLE(Old, uint32_t(I * 10), 4);
    Old.push_back(uint8_t(TMarkerKind::mkNoteSplit));
    AppendLE(Old, 0, 4);
    AppendLE(Old, uint32_t(I), 4);
  }
  TMemoryStream OS(std::string(Old.begin(), Old.end()));
  Back.LoadFromStream(OS);
  ASSERT_EQ(Back.Count(), 5);
  EXPECT_EQ(Back.GetMarker(4)->Time, 40);
  EXPECT_EQ(Back.GetMarker(4)->AltTime, -1);
  EXPECT_EQ(Back.GetMarker(4)->Param, 4);

  // Hostile: other tag, negative count, count beyond the stream, cut short,
  // a kind byte out of range (read as generic).
  auto Block = [](const char* T, int32_t Version, uint32_t N, int Records) {
    TBytes X;
    Append(X, T);
    AppendLE(X, uint32_t(Version), 4);
    AppendLE(X, 100, 4);
    AppendLE(X, N, 4);
    for (int I = 0; I < Records; ++I) {
      AppendLE(X, 1, 4);
      AppendLE(X, 2, 4);
      X.push_back(200);
      AppendLE(X, 0, 4);
      AppendLE(X, 0, 4);
    }
    return X;
  };
  const std::vector<TBytes> Bad = {Block("LIST", -2, 1, 1), Block("Mark", -2, 0x80000000u, 0),
                                   Block("Mark", -2, 0x10000000u, 1), Block("Mark", -2, 3, 2),
                                   TBytes{'M', 'a', 'r', 'k', 0xFE}};
  for (size_t I = 0; I < Bad.size(); ++I) {
    TMemoryStream X(std::string(Bad[I].begin(), Bad[I].end()));
    Back.LoadFromStream(X);
    EXPECT_EQ(Back.Count(), 0) << I;
    EXPECT_EQ(X.Position(), 0) << I;
  }
  TBytes Odd = Block("Mark", -2, 1, 1);
  TMemoryStream X(std::string(Odd.begin(), Odd.end()));
  Back.LoadFromStream(X);
  ASSERT_EQ(Back.Count(), 1);
  EXPECT_EQ(Back.GetMarkerKind(0), uint8_t(TMarkerKind::mkGeneric));
}

TEST(WaveMarkers, TextFileSummaryAndEdits) {
  TTestTempDir Dir;
  TWaveMarkersList L;
  L.Add(3, -1, TMarkerKind::mkLoopEnd, 0, 0, "");
  L.Add(3, -1, TMarkerKind::mkGeneric, 1.25f, 2, "Kick");
  L.Add(1, 4, TMarkerKind::mkBPMMarker, 121, 0, "");
  L.Sort();
  EXPECT_EQ(L.GetMarkerTime(0), 1);
  EXPECT_EQ(L.GetMarkerKind(1), uint8_t(TMarkerKind::mkGeneric));
  EXPECT_EQ(L.GetMarkerKind(2), uint8_t(TMarkerKind::mkLoopEnd));

  std::string T;
  L.ToText(T, 0);
  EXPECT_EQ(T, "");
  L.ToText(T, 2);
  EXPECT_EQ(T, "BPMMarker - 1\n\rGeneric - 3 (Kick, 1.2)\n\r");

  const std::string F = Dir.File("m.txt");
  L.SaveToTextFile(F);
  EXPECT_EQ(ReadText(F).substr(0, 14), "1;4;14;121;0;;");
  TWaveMarkersList Back;
  Back.LoadFromTextFile(F);
  ASSERT_EQ(Back.Count(), 3);
  EXPECT_EQ(Back.GetMarker(1)->Name, "Kick");
  EXPECT_EQ(Back.GetMarker(1)->Value, 1.25f);
  EXPECT_EQ(Back.GetMarker(0)->AltTime, 4);

  WriteBytes(F, {'x', ';', '1', '\n'});
  EXPECT_THROW(Back.LoadFromTextFile(F), std::invalid_argument);
  EXPECT_EQ(Back.Count(), 3);

  L.Stretch(2.0f);
  EXPECT_EQ(L.GetMarker(0)->Value, 60.0f);  // 60.5, halves to even
  EXPECT_EQ(L.GetMarkerTime(1), 6);
  EXPECT_EQ(L.NearestMarker(5), 1);
  EXPECT_EQ(L.NearestMarkerInSet(5, MarkerBit(TMarkerKind::mkQuantizeMarker)), -1);
  EXPECT_EQ(L.CountBefore(6), 1);
}
