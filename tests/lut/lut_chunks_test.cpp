#include "lut/lut_chunks.h"

#include <cmath>
#include <limits>
#include <string>

#include "lut/lut.h"
#include "lut/lut_lookup.h"
#include "lut_bytes.h"
#include "lut_test_support.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using test::F32At;
using test::I32At;
using test::LutMessages;
using test::LutTest;
using test::MakeIdentity;
using test::TBytes;
using testing::ReadText;

class LutChunkTest : public LutTest {};

// Everything a failed read must leave as it was.
std::string Snapshot(const T3DLut& Lut) {
  std::string S = Lut.Name + "|" + std::to_string(Lut.Size) + "|" + std::to_string(Lut.NLRH) +
                  "|" + std::to_string(Lut.NLGS) + "|" + std::to_string(Lut.NLBL) + "|" +
                  std::to_string(Lut.NonCubic) + "|" + (Lut.Preset ? Lut.Preset->Bytes() : "-");
  for (const float* P : {Lut.R, Lut.G, Lut.B, Lut.A})
    if (P != nullptr) S.append(reinterpret_cast<const char*>(P), sizeof(float) * Lut.Count);
  return S;
}

std::string SaveChunk(const T3DLut& Lut, bool IncludePreset = true) {
  TMemoryStream S;
  EXPECT_TRUE(WriteLut3DChunk(S, Lut, IncludePreset));
  return S.Bytes();
}

std::string SaveSingleChannel(const T3DLut& Lut) {
  TMemoryStream S;
  EXPECT_TRUE(WriteLutSingleChannelChunk(S, Lut));
  return S.Bytes();
}

// --- "3DLB" ---

TEST_F(LutChunkTest, SeventeenPointChunkLayout) {
  T3DLut Lut;
  MakeIdentity(Lut, 17);
  Lut.Name = "A";
  const std::string S = SaveChunk(Lut);
  ASSERT_EQ(S.size(), 58998u);
  EXPECT_EQ(S.substr(0, 4), "3DLB");
  EXPECT_EQ(I32At(S, 4), 19672);
  EXPECT_EQ(I32At(S, 8), 17);
  EXPECT_EQ(I32At(S, 12), 3);
  EXPECT_EQ(I32At(S, 16), 17);
  EXPECT_EQ(I32At(S, 20), 17);
  EXPECT_EQ(I32At(S, 24), 17);
  EXPECT_EQ(I32At(S, 28), 1);
  EXPECT_EQ(S.substr(32, 2), std::string("A\0", 2));
  // Node 1 is (1/16, 0, 0); nodes interleave R, G, B.
  EXPECT_EQ(F32At(S, 34 + 12), 1.0f / 16);
  EXPECT_EQ(F32At(S, 34 + 16), 0.0f);
  EXPECT_EQ(S.substr(58990, 4), "LPRS");
  EXPECT_EQ(I32At(S, 58994), 0);

  T3DLut Back;
  TMemoryStream In(S);
  bool Changed = false;
  ASSERT_TRUE(ReadLut3DChunk(In, Back, Changed));
  EXPECT_TRUE(Changed);
  EXPECT_EQ(In.Position(), In.Size());
  EXPECT_EQ(Back.Name, "A");
  EXPECT_EQ(Back.Size, 17);
  EXPECT_FALSE(Back.NonCubic);
  EXPECT_EQ(Snapshot(Back), Snapshot(Lut));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutChunkTest, EmptyLutChunk) {
  T3DLut Empty;
  Empty.NLRH = Empty.NLGS = Empty.NLBL = 9;  // counts without planes are not written
  const std::string S = SaveChunk(Empty);
  ASSERT_EQ(S.size(), 40u);
  EXPECT_EQ(I32At(S, 4), 20);
  for (int Off : {8, 16, 20, 24, 28}) EXPECT_EQ(I32At(S, Off), 0) << Off;
  EXPECT_EQ(S.substr(32, 4), "LPRS");
  EXPECT_EQ(Empty.NLRH, 9);  // the LUT itself is not changed by saving

  T3DLut Lut;
  MakeIdentity(Lut, 5);
  TMemoryStream In(S);
  bool Changed = false;
  ASSERT_TRUE(ReadLut3DChunk(In, Lut, Changed));
  EXPECT_TRUE(Changed);
  EXPECT_TRUE(Lut.IsEmpty());
  EXPECT_EQ(Lut.R, nullptr);
}

TEST_F(LutChunkTest, EmbeddedPreset) {
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  Lut.Preset = std::make_unique<TMemoryStream>("KRMP and chunks");
  const std::string With = SaveChunk(Lut, true);
  EXPECT_EQ(I32At(With, 32 + 96 + 4), 15);
  EXPECT_EQ(With.substr(32 + 96 + 8), "KRMP and chunks");
  const std::string Without = SaveChunk(Lut, false);
  EXPECT_EQ(Without.size(), 32u + 96 + 8);
  EXPECT_EQ(I32At(Without, 32 + 96 + 4), 0);

  T3DLut Back;
  Back.Preset = std::make_unique<TMemoryStream>("old");
  bool Changed;
  TMemoryStream In(With);
  ASSERT_TRUE(ReadLut3DChunk(In, Back, Changed));
  ASSERT_TRUE(Back.Preset);
  EXPECT_EQ(Back.Preset->Bytes(), "KRMP and chunks");
  TMemoryStream In2(Without);
  ASSERT_TRUE(ReadLut3DChunk(In2, Back, Changed));
  EXPECT_FALSE(Back.Preset);
}

TEST_F(LutChunkTest, NonCubicRoundTrip) {
  T3DLut Mask;
  ASSERT_TRUE(Mask.SetLevels(144, 10, 16));
  for (int i = 0; i < Mask.Count; ++i) Mask.R[i] = Mask.G[i] = Mask.B[i] = i * 1e-4f;
  const std::string S = SaveChunk(Mask);
  EXPECT_EQ(I32At(S, 8), 0);
  T3DLut Back;
  MakeIdentity(Back, 33);
  TMemoryStream In(S);
  bool Changed;
  ASSERT_TRUE(ReadLut3DChunk(In, Back, Changed));
  EXPECT_TRUE(Back.NonCubic);
  EXPECT_EQ(Back.Size, 0);
  EXPECT_EQ(Snapshot(Back), Snapshot(Mask));
}

// Older layouts: version 1 (no version field, no "LPRS" part), version 2
// (one size), and a newer version read like the current one.
TEST_F(LutChunkTest, OlderAndNewerVersionsRead) {
  auto Nodes = [](TBytes& B, int N) {
    for (int i = 0; i < N * N * N; ++i) B.F32(i * 0.25f).F32(0.5f).F32(1.0f - i * 0.125f);
  };
  TBytes V1;
  V1.Raw("3DLB").I32(12 * 8 + 4).I32(2).Name("old");
  Nodes(V1, 2);
  V1.Raw("NEXT");
  TBytes V2;
  V2.Raw("3DLB").I32(52).I32(2).I32(2).Name("two");
  Nodes(V2, 2);
  V2.Raw("LPRS").I32(3).Raw("abc");
  TBytes V7;
  V7.Raw("3DLB").I32(52).I32(2).I32(7).I32(2).I32(2).I32(2).Name("");
  Nodes(V7, 2);
  V7.Raw("LPRS").I32(0);
  for (const TBytes* B : {&V1, &V2, &V7}) {
    T3DLut Lut;
    TMemoryStream In(B->S);
    bool Changed;
    ASSERT_TRUE(ReadLut3DChunk(In, Lut, Changed));
    EXPECT_EQ(Lut.Size, 2);
    EXPECT_EQ(Lut.R[3], 0.75f);
    EXPECT_EQ(Lut.B[7], 1.0f - 7 * 0.125f);
  }
  T3DLut Lut;
  TMemoryStream In(V1.S);
  bool Changed;
  ASSERT_TRUE(ReadLut3DChunk(In, Lut, Changed));
  EXPECT_EQ(Lut.Name, "old");
  EXPECT_EQ(In.Position(), In.Size() - 4);  // "NEXT" is left for the caller
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutChunkTest, WrongTagLeavesStreamAndReports) {
  T3DLut Lut;
  MakeIdentity(Lut, 3);
  TMemoryStream In("xx3DLA....");
  In.SetPosition(2);
  bool Changed = true;
  EXPECT_FALSE(ReadLut3DChunk(In, Lut, Changed));
  EXPECT_FALSE(Changed);
  EXPECT_EQ(In.Position(), 2);
  EXPECT_TRUE(Reported("Error loading T3DLUT from stream!"));
  EXPECT_EQ(Lut.R, nullptr);
  // The preset loader then resets to identity at the old level counts.
  Lut.SetDefault();
  EXPECT_EQ(Lut.Size, 3);
}

TEST_F(LutChunkTest, ChangedAndOnChange) {
  T3DLut Lut;
  MakeIdentity(Lut, 4);
  int Fired = 0;
  Lut.OnChange = [&](TLut*) { ++Fired; };
  const std::string Same = SaveChunk(Lut);
  bool Changed = true;
  TMemoryStream In(Same);
  ASSERT_TRUE(ReadLut3DChunk(In, Lut, Changed));
  EXPECT_FALSE(Changed);
  EXPECT_EQ(Fired, 0);

  T3DLut Other;
  MakeIdentity(Other, 4);
  Other.B[10] = 0.3f;  // blue plane only
  TMemoryStream In2(SaveChunk(Other));
  ASSERT_TRUE(ReadLut3DChunk(In2, Lut, Changed));
  EXPECT_TRUE(Changed);
  EXPECT_EQ(Fired, 1);
  EXPECT_EQ(Lut.B[10], 0.3f);
}

// --- "3DLA" ---

TEST_F(LutChunkTest, SingleChannelKinds) {
  T3DLut Mask;
  MakeIdentity(Mask, 2);
  for (int i = 0; i < 8; ++i) Mask.R[i] = (i % 2) ? -0.0f : 0.0f;
  std::string S = SaveSingleChannel(Mask);
  ASSERT_EQ(S.size(), 36u);
  EXPECT_EQ(S.substr(0, 4), "3DLA");
  EXPECT_EQ(I32At(S, 4), 52);
  EXPECT_EQ(I32At(S, 12), 4);
  EXPECT_EQ(I32At(S, 32), 1);

  Mask.R[5] = 1e-30f;
  S = SaveSingleChannel(Mask);
  ASSERT_EQ(S.size(), 36u + 32);
  EXPECT_EQ(I32At(S, 32), 0);
  EXPECT_EQ(F32At(S, 36 + 20), 1e-30f);

  Mask.R[5] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(I32At(SaveSingleChannel(Mask), 32), 0);

  // Read back: R only, G and B zero, name taken, no OnChange.
  Mask.R[5] = 0.5f;
  Mask.Name = "mask";
  const std::string Data = SaveSingleChannel(Mask);
  T3DLut Back;
  MakeIdentity(Back, 2);
  Back.Preset = std::make_unique<TMemoryStream>("p");
  int Fired = 0;
  Back.OnChange = [&](TLut*) { ++Fired; };
  TMemoryStream In(Data);
  bool Changed = false;
  ASSERT_TRUE(ReadLutSingleChannelChunk(In, Back, Changed));
  EXPECT_TRUE(Changed);
  EXPECT_EQ(Fired, 0);
  EXPECT_EQ(Back.Name, "mask");
  EXPECT_FALSE(Back.Preset);
  EXPECT_EQ(Back.R[5], 0.5f);
  EXPECT_EQ(Back.G[7], 0.0f);
  EXPECT_EQ(Back.B[7], 0.0f);
}

TEST_F(LutChunkTest, SingleChannelOlderVersionHasNoKind) {
  TBytes V3;
  V3.Raw("3DLA").I32(52).I32(2).I32(3).I32(2).I32(2).I32(2).Name("m");
  for (int i = 0; i < 8; ++i) V3.F32(i / 8.0f);
  T3DLut Lut;
  TMemoryStream In(V3.S);
  bool Changed;
  ASSERT_TRUE(ReadLutSingleChannelChunk(In, Lut, Changed));
  EXPECT_EQ(Lut.R[7], 7 / 8.0f);
  EXPECT_EQ(In.Position(), In.Size());
}

// --- Hostile chunks: each fails cleanly, leaving the LUT and the stream
// position as they were. ---

struct THostileCase {
  const char* What;
  std::string Bytes;
};

std::vector<THostileCase> Hostile3DLB() {
  auto Head = [](int64_t Size, int64_t NR, int64_t NG, int64_t NB) {
    TBytes B;
    B.Raw("3DLB").I32(20).I32(Size).I32(3).I32(NR).I32(NG).I32(NB);
    return B;
  };
  std::vector<THostileCase> Cases;
  Cases.push_back({"huge level counts", Head(0, 100000, 100000, 100000).Name("").S});
  Cases.push_back({"counts whose product wraps 32 bits", Head(0, 2048, 2048, 1024).Name("").S});
  Cases.push_back({"negative counts", Head(-17, -17, -17, -17).Name("").S});
  Cases.push_back({"one level", Head(1, 1, 1, 1).Name("").F32(0).F32(0).F32(0).S});
  Cases.push_back({"a zero among counts", Head(0, 0, 17, 17).Name("").S});
  Cases.push_back({"Size field disagrees", Head(9, 2, 2, 2).Name("").Raw(std::string(96, 0)).S});
  Cases.push_back({"header cut short", TBytes().Raw("3DLB").I32(52).I32(2).S});
  Cases.push_back({"name length 255", Head(2, 2, 2, 2).I32(255).Raw("abcdef").S});
  Cases.push_back({"name length -1", Head(2, 2, 2, 2).I32(-1).Raw(std::string(200, 0)).S});
  Cases.push_back({"node data cut short", Head(2, 2, 2, 2).Name("x").Raw(std::string(95, 0)).S});
  Cases.push_back({"no node data", Head(17, 17, 17, 17).Name("x").S});
  Cases.push_back({"preset size beyond the end",
                   Head(2, 2, 2, 2).Name("").Raw(std::string(96, 0)).Raw("LPRS").I32(1000).S});
  Cases.push_back({"negative preset size",
                   Head(2, 2, 2, 2).Name("").Raw(std::string(96, 0)).Raw("LPRS").I32(-5).S});
  Cases.push_back({"preset size cut short",
                   Head(2, 2, 2, 2).Name("").Raw(std::string(96, 0)).Raw("LPRS").Raw("\1").S});
  for (const char* Cut : {"L", "LP", "LPR"})
    Cases.push_back({"preset tag cut short",
                     Head(2, 2, 2, 2).Name("").Raw(std::string(96, 0)).Raw(Cut).S});
  // Version 1 by its block size, with a size beyond 256 levels.
  Cases.push_back({"version 1 with 257 levels",
                   TBytes().Raw("3DLB").I32(12LL * 257 * 257 * 257 + 4).I32(257).Name("").S});
  return Cases;
}

TEST_F(LutChunkTest, HostileFullChunksFailCleanly) {
  for (const THostileCase& C : Hostile3DLB()) {
    LutMessages().clear();
    T3DLut Lut;
    MakeIdentity(Lut, 3);
    Lut.Name = "before";
    Lut.Preset = std::make_unique<TMemoryStream>("preset");
    const std::string Before = Snapshot(Lut);
    TMemoryStream In("..." + C.Bytes);
    In.SetPosition(3);
    bool Changed = true;
    EXPECT_FALSE(ReadLut3DChunk(In, Lut, Changed)) << C.What;
    EXPECT_FALSE(Changed) << C.What;
    EXPECT_EQ(In.Position(), 3) << C.What;
    EXPECT_EQ(Snapshot(Lut), Before) << C.What;
    ASSERT_EQ(Messages().size(), 1u) << C.What;
    EXPECT_EQ(Messages()[0].rfind("Exception in T3DLut.LoadFromStream ", 0), 0u) << C.What;
  }
}

TEST_F(LutChunkTest, HostileSingleChannelChunksFailCleanly) {
  std::vector<THostileCase> Cases;
  for (THostileCase C : Hostile3DLB()) {
    C.Bytes.replace(0, 4, "3DLA");
    Cases.push_back(C);
  }
  auto Head = [](int64_t Kind) {
    TBytes B;
    B.Raw("3DLA").I32(52).I32(2).I32(4).I32(2).I32(2).I32(2).Name("");
    if (Kind >= 0) B.I32(Kind);
    return B;
  };
  Cases.push_back({"missing kind", Head(-1).S});
  Cases.push_back({"kind 0 with short data", Head(0).Raw(std::string(31, 0)).S});
  for (const THostileCase& C : Cases) {
    const std::string What = C.What;
    // The single-channel chunk has no preset part, and its 2-level data
    // fits in the bytes the full chunk found too short.
    if (What.find("preset") != std::string::npos || What == "node data cut short") continue;
    LutMessages().clear();
    T3DLut Lut;
    MakeIdentity(Lut, 3);
    const std::string Before = Snapshot(Lut);
    TMemoryStream In(C.Bytes);
    bool Changed = true;
    EXPECT_FALSE(ReadLutSingleChannelChunk(In, Lut, Changed)) << C.What;
    EXPECT_EQ(In.Position(), 0) << C.What;
    EXPECT_EQ(Snapshot(Lut), Before) << C.What;
    ASSERT_EQ(Messages().size(), 1u) << C.What;
    EXPECT_EQ(Messages()[0].rfind("Exception in T3DLut.LoadFromStreamSingleChannel ", 0), 0u)
        << C.What;
  }
}

// --- "KRBl" stream files ---

class KrsTest : public LutChunkTest {
 protected:
  testing::TTestTempDir Dir{"kromel_lut_krs"};
};

TEST_F(KrsTest, FileSizesAndBytes) {
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  Lut.R[1] = 1.25f;  // clamped in the file only
  Lut.G[2] = 0.5f;   // 127.5 and 32767.5 go to the even neighbour
  const std::string F8 = Dir.File("eight.krs"), F16 = Dir.File("sixteen.krs");
  ASSERT_TRUE(WriteKrsFile(F8, Lut, "Teal", true));
  ASSERT_TRUE(WriteKrsFile(F16, Lut, "Teal", false));
  EXPECT_EQ(Lut.R[1], 1.25f);
  const std::string S8 = ReadText(F8), S16 = ReadText(F16);
  ASSERT_EQ(S8.size(), 112u);
  ASSERT_EQ(S16.size(), 136u);
  EXPECT_EQ(S8.substr(0, 4), "KRBl");
  EXPECT_EQ(I32At(S8, 4), 1);
  EXPECT_EQ(I32At(S8, 8), 0);
  EXPECT_EQ(I32At(S16, 8), 1);
  EXPECT_EQ(I32At(S8, 12), 2);
  EXPECT_EQ(I32At(S8, 20), 2);
  EXPECT_EQ(S8[24], 4);
  EXPECT_EQ(S8.substr(25, 4), "Teal");
  EXPECT_EQ(S8.substr(29, 59), std::string(59, '\0'));
  EXPECT_EQ(static_cast<uint8_t>(S8[88 + 3]), 255);      // node 1 red
  EXPECT_EQ(static_cast<uint8_t>(S8[88 + 7]), 128);      // node 2 green
  EXPECT_EQ(static_cast<uint8_t>(S16[88 + 6]), 0xFF);    // node 1 red, low byte
  EXPECT_EQ(static_cast<uint8_t>(S16[88 + 7]), 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(S16[88 + 14]), 0x00);   // node 2 green 32768
  EXPECT_EQ(static_cast<uint8_t>(S16[88 + 15]), 0x80);

  T3DLut Back;
  ASSERT_TRUE(ReadKrsFile(F16, Back));
  EXPECT_EQ(Back.Name, "Teal");
  EXPECT_EQ(Back.Size, 2);
  EXPECT_FALSE(Back.NonCubic);
  EXPECT_EQ(Back.R[1], 1.0f);
  EXPECT_EQ(Back.G[2], static_cast<float>(32768 / 65535.0));
  ASSERT_TRUE(ReadKrsFile(F8, Back));
  EXPECT_EQ(Back.G[2], static_cast<float>(128 / 255.0));
  EXPECT_NEAR(Back.G[2], 0.50196f, 1e-5f);
}

TEST_F(KrsTest, LongNamesAreCut) {
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  const std::string Long(80, 'n');
  ASSERT_TRUE(WriteKrsFile(Dir.File("a.krs"), Lut, Long, true));
  std::string S = ReadText(Dir.File("a.krs"));
  EXPECT_EQ(S[24], 63);
  EXPECT_EQ(S.substr(25, 63), Long.substr(0, 63));
  // A cut never splits a UTF-8 sequence.
  const std::string Accents = std::string(62, 'x') + "\xC3\xA9\xC3\xA9";
  ASSERT_TRUE(WriteKrsFile(Dir.File("b.krs"), Lut, Accents, true));
  S = ReadText(Dir.File("b.krs"));
  EXPECT_EQ(S[24], 62);
  T3DLut Back;
  ASSERT_TRUE(ReadKrsFile(Dir.File("b.krs"), Back));
  EXPECT_EQ(Back.Name, std::string(62, 'x'));
}

TEST_F(KrsTest, VersionsAndMagic) {
  auto File = [](int32_t Version, const char* Magic) {
    TBytes B;
    B.Raw(Magic).I32(Version).I32(0).I32(2).I32(2).I32(2).Raw(std::string(64, '\0'));
    B.Raw(std::string(24, '\x80'));
    return B.S;
  };
  T3DLut Lut;
  TMemoryStream V0(File(0, "KRBl"));
  EXPECT_TRUE(ReadKrsStream(V0, Lut));
  EXPECT_EQ(Lut.R[0], static_cast<float>(128 / 255.0));
  EXPECT_TRUE(Messages().empty());

  MakeIdentity(Lut, 3);
  const std::string Before = Snapshot(Lut);
  TMemoryStream V2(File(2, "KRBl"));
  EXPECT_FALSE(ReadKrsStream(V2, Lut));
  EXPECT_TRUE(
      Reported("This file was created with a newer version of the software. Please update."));
  EXPECT_EQ(Snapshot(Lut), Before);
  EXPECT_EQ(V2.Position(), 0);

  LutMessages().clear();
  TMemoryStream Other(File(1, "KRBL"));
  EXPECT_FALSE(ReadKrsStream(Other, Lut));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Snapshot(Lut), Before);
}

// Differing level counts stay a non-cubic LUT.
TEST_F(KrsTest, NonCubicStreamFile) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(33, 17, 9));
  Lut.SetDefault();
  ASSERT_TRUE(WriteKrsFile(Dir.File("nc.krs"), Lut, "nc", true));
  EXPECT_EQ(ReadText(Dir.File("nc.krs")).size(), 88u + 3 * 33 * 17 * 9);
  T3DLut Back;
  MakeIdentity(Back, 5);
  ASSERT_TRUE(ReadKrsFile(Dir.File("nc.krs"), Back));
  EXPECT_EQ(Back.NLRH, 33);
  EXPECT_EQ(Back.NLGS, 17);
  EXPECT_EQ(Back.NLBL, 9);
  EXPECT_TRUE(Back.NonCubic);
  EXPECT_EQ(Back.Size, 0);
  EXPECT_FALSE(Back.IsEmpty());
  float R = 0.5f, G = 0.25f, B = 1;
  ProcessColorTetrahedralSingle(Back, R, G, B);
  EXPECT_NEAR(R, 0.5f, 1.0f / 255);
}

TEST_F(KrsTest, WriterFailures) {
  T3DLut Empty;
  EXPECT_FALSE(WriteKrsFile(Dir.File("e.krs"), Empty, "e", true));
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  EXPECT_FALSE(WriteKrsFile(Dir.File("missing/folder/x.krs"), Lut, "x", true));
  EXPECT_FALSE(ReadKrsFile(Dir.File("not-there.krs"), Lut));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(KrsTest, HostileStreamFilesFailCleanly) {
  auto Head = [](int64_t Flags, int64_t NR, int64_t NG, int64_t NB) {
    TBytes B;
    B.Raw("KRBl").I32(1).I32(Flags).I32(NR).I32(NG).I32(NB);
    return B;
  };
  const std::string Name64 = std::string(1, '\x05') + "abcde" + std::string(58, '\0');
  const THostileCase Cases[] = {
      {"huge counts", Head(0, 1 << 30, 1 << 30, 1 << 30).Raw(Name64).S},
      {"counts whose product wraps", Head(0, 65536, 65536, 2).Raw(Name64).S},
      {"negative counts", Head(0, -2, -2, -2).Raw(Name64).Raw(std::string(24, 0)).S},
      {"zero counts", Head(0, 0, 0, 0).Raw(Name64).S},
      {"one level", Head(0, 1, 1, 1).Raw(Name64).Raw(std::string(3, 0)).S},
      {"257 levels", Head(0, 257, 2, 2).Raw(Name64).Raw(std::string(3 * 257 * 4, 0)).S},
      {"header cut short", TBytes().Raw("KRBl").I32(1).I32(0).I32(2).S},
      {"name field cut short", Head(0, 2, 2, 2).Raw(std::string(40, 0)).S},
      {"8-bit data cut short", Head(0, 2, 2, 2).Raw(Name64).Raw(std::string(23, 0)).S},
      {"16-bit data cut short", Head(1, 2, 2, 2).Raw(Name64).Raw(std::string(47, 0)).S},
      {"only the magic", "KRBl"},
  };
  for (const THostileCase& C : Cases) {
    T3DLut Lut;
    MakeIdentity(Lut, 3);
    Lut.Name = "kept";
    const std::string Before = Snapshot(Lut);
    TMemoryStream In(C.Bytes);
    EXPECT_FALSE(ReadKrsStream(In, Lut)) << C.What;
    EXPECT_EQ(In.Position(), 0) << C.What;
    EXPECT_EQ(Snapshot(Lut), Before) << C.What;
  }
  EXPECT_TRUE(Messages().empty());
}

// A length byte of 255 is capped at 63: the name is read, nothing beyond
// the 64-byte field.
TEST_F(KrsTest, NameLengthCapped) {
  std::string Field(64, 'q');
  Field[0] = '\xFF';
  TBytes B;
  B.Raw("KRBl").I32(1).I32(0).I32(2).I32(2).I32(2).Raw(Field).Raw(std::string(24, '\0'));
  T3DLut Lut;
  TMemoryStream In(B.S);
  ASSERT_TRUE(ReadKrsStream(In, Lut));
  EXPECT_EQ(Lut.Name, std::string(63, 'q'));
  EXPECT_EQ(In.Position(), 112);
}

}  // namespace
}  // namespace kromel
