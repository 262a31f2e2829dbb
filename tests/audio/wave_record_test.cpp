// Sample records, the "SAMW" block and the file store.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/file_store.h"
#include "audio/wave_record.h"
#include "audio_test_support.h"
#include "platform/message_sink.h"
#include "platform/prompt.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TWave MonoWave(int N, float Step = 0.001f) {
  TWave W;
  InitSampleRecord(W);
  W.Alloc(false, N);
  for (int I = 0; I < N; ++I) W.Mono.Data[I] = float(I) * Step;
  W.SetSampleRate(44100);
  return W;
}

TWave StereoWave(int N) {
  TWave W;
  InitSampleRecord(W);
  W.Alloc(true, N);
  for (int I = 0; I < N; ++I) {
    W.Stereo.Left.Data[I] = float(I) / 1000.0f;
    W.Stereo.Right.Data[I] = -float(I) / 1000.0f;
  }
  W.SetSampleRate(44100);
  return W;
}

}  // namespace

TEST(WaveRecord, LengthModesAndViews) {
  EXPECT_EQ(WaveLength(nullptr), -1);
  TWave S;
  S.IsStereo = true;
  InitSampleRecord(S);
  EXPECT_TRUE(S.IsStereo);
  EXPECT_EQ(S.Stereo.Left.SampleRate, 44100);
  EXPECT_EQ(S.Stereo.Right.SampleRate, 44100);
  EXPECT_EQ(S.Reserved, 1);

  // A whole-range view keeps every frame in both modes.
  TWave M = MonoWave(100), St = StereoWave(100), V;
  InitSampleRecord(V);
  V.AssignRange(M, 0, 100);
  EXPECT_EQ(V.Length(), 100);
  V.AssignRange(St, 0, 100);
  EXPECT_EQ(V.Length(), 100);
  V.AssignRange(St, 60, 40);
  EXPECT_EQ(V.Length(), 0);

  TWave C;
  InitSampleRecord(C);
  ASSERT_TRUE(C.CopyRange(M, 10, 20));
  ASSERT_EQ(C.Length(), 10);
  EXPECT_FLOAT_EQ(C.Mono.Data[0], 0.010f);
  EXPECT_FLOAT_EQ(C.Mono.Data[9], 0.019f);

  EXPECT_FALSE(M.Equals(St));
  TWave St2 = StereoWave(100);
  EXPECT_TRUE(St.Equals(St2));
  St2.Stereo.Right.Data[3] = 1.0f;
  EXPECT_FALSE(St.Equals(St2));

  // Mixed modes: Add does nothing.
  TWave D = StereoWave(100);
  const float Before = D.Stereo.Left.Data[7];
  M.Add(St, D);
  EXPECT_EQ(D.Stereo.Left.Data[7], Before);

  for (TWave* W : {&M, &St, &St2, &C, &D}) W->Dispose();
}

TEST(WaveRecord, EnvelopeAndSpectrumEdges) {
  TWave M = MonoWave(10, 0.1f);
  TSample32 Env = MakeSample({-1, -1, -1, -1, -1});
  M.PeakEnvelopeTo(Env);
  for (int I = 0; I < 4; ++I) EXPECT_GE(Env.Data[I], 0.0f) << I;
  EXPECT_EQ(Env.Data[4], -1.0f);  // the last bin is never written

  TSample32 Profile = MakeSample({5, 5, 5, 5});
  M.SpectrumProfile(Profile);  // 10 frames < 16 x 4: no block
  for (int I = 0; I < 4; ++I) EXPECT_EQ(Profile.Data[I], 0.0f);
  TSample32 Empty;
  Empty.Init();
  M.SpectrumProfile(Empty);  // refused, no crash
  Env.Dispose();
  Profile.Dispose();
  M.Dispose();
}

TEST(WaveRecord, SaveAndLoadFilesKeepModeAndName) {
  TTestTempDir Dir;
  THeadlessMessageSink& Sink = DefaultHeadlessSink();
  Sink.Clear();
  TWave Empty;
  InitSampleRecord(Empty);
  EXPECT_FALSE(Empty.SaveToFile24(Dir.File("e.wav")));
  ASSERT_EQ(Sink.Messages().size(), 1u);
  EXPECT_EQ(Sink.Messages()[0], "Can not save empty sample!");

  struct Case {
    bool Stereo;
    bool Bits24;
  };
  for (const Case& K : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
    TWave W = K.Stereo ? StereoWave(300) : MonoWave(300);
    const std::string F = Dir.File(std::string("w") + (K.Stereo ? "s" : "m") + (K.Bits24 ? "24" : "16") + ".wav");
    ASSERT_TRUE(K.Bits24 ? W.SaveToFile24(F) : W.SaveToFile(F));
    TWave R;
    InitSampleRecord(R);
    bool Hi = !K.Bits24;
    ASSERT_TRUE(R.LoadFromFile(F, false, Hi)) << F;
    EXPECT_EQ(Hi, K.Bits24);
    EXPECT_EQ(R.IsStereo, K.Stereo);
    EXPECT_EQ(R.Length(), 300);
    EXPECT_EQ(R.Name, F.substr(F.rfind('/') + 1));
    EXPECT_TRUE(R.Equals(W));
    R.Dispose();
    W.Dispose();
  }
}

TEST(WaveRecord, SampleBlockRoundTripAndHostileBlocks) {
  TTestTempDir Dir;
  const std::string F = Dir.File("block.bin");
  TWave St = StereoWave(50), M = MonoWave(20);
  {
    std::FILE* H = std::fopen(F.c_str(), "wb");
    ASSERT_TRUE(St.WriteToFile(H));
    ASSERT_TRUE(M.WriteToFile(H));
    std::fclose(H);
  }
  const TBytes B = ReadBytes(F);
  ASSERT_GE(B.size(), 8u);
  EXPECT_EQ(std::string(B.begin(), B.begin() + 4), "SAMW");
  EXPECT_EQ(B[4], 2);

  std::FILE* H = std::fopen(F.c_str(), "rb");
  TWave R;
  InitSampleRecord(R);
  ASSERT_TRUE(R.ReadFromFile(H));
  EXPECT_TRUE(R.IsStereo);
  EXPECT_TRUE(R.Equals(St));
  R.Dispose();
  ASSERT_TRUE(R.ReadFromFile(H));
  EXPECT_FALSE(R.IsStereo);
  EXPECT_TRUE(R.Equals(M));
  R.Dispose();
  const long End = std::ftell(H);
  EXPECT_FALSE(R.ReadFromFile(H));  // nothing left: position unchanged
  EXPECT_EQ(std::ftell(H), End);
  std::fclose(H);

  // Hostile streams: wrong tags, channel counts, cut-short chunks.
  std::vector<TBytes> Bad;
  TBytes T;
  Append(T, "LIST");
  AppendLE(T, 1, 4);
  Bad.push_back(T);
  T.clear();
  Append(T, "SAMW");
  AppendLE(T, 7, 4);
  Bad.push_back(T);
  T.clear();
  Append(T, "SAMW");
  AppendLE(T, 0xFFFFFFFF, 4);
  Bad.push_back(T);
  TBytes Cut(B.begin(), B.begin() + 30);
  Bad.push_back(Cut);
  T.clear();
  Append(T, "SAMW");
  AppendLE(T, 1, 4);
  Append(T, "SAM2");
  AppendLE(T, 0x7FFFFFFF, 4);
  Bad.push_back(T);
  {  // Stereo whose right channel (the mono wave's 20 samples) is shorter
     // than its left (50): refused, as its right channel would be read past
     // its end.
    // B: the stereo block (8-byte head, two equal channel chunks), then
    // the mono block (8-byte head, one chunk).
    const std::string MF = Dir.File("mono.bin");
    std::FILE* MH = std::fopen(MF.c_str(), "wb");
    ASSERT_TRUE(M.WriteToFile(MH));
    std::fclose(MH);
    const size_t MonoChunk = ReadBytes(MF).size() - 8;
    const size_t LeftChunk = (B.size() - 16 - MonoChunk) / 2;
    TBytes Uneven(B.begin(), B.begin() + std::ptrdiff_t(8 + LeftChunk));
    Uneven.insert(Uneven.end(), B.end() - std::ptrdiff_t(MonoChunk), B.end());
    Bad.push_back(Uneven);
  }
  for (size_t I = 0; I < Bad.size(); ++I) {
    TMemoryStream S(std::string(Bad[I].begin(), Bad[I].end()));
    EXPECT_FALSE(R.LoadFromStream(S)) << I;
    EXPECT_EQ(R.Length(), 0) << I;
    EXPECT_EQ(S.Position(), I < 3 ? 0 : S.Position()) << I;
  }
  TMemoryStream Good(std::string(B.begin(), B.end()));
  ASSERT_TRUE(R.LoadFromStream(Good));
  EXPECT_TRUE(R.Equals(St));
  R.Dispose();
  St.Dispose();
  M.Dispose();
}

TEST(FileStore, ChunkLayoutAndRoundTrip) {
  TFileStore Store;
  std::string Bytes(1000, '\0');
  for (int I = 0; I < 1000; ++I) Bytes[size_t(I)] = char(I * 7);
  Store.Write(Bytes.data(), 1000);
  Store.FileName = "/tmp/sample.wav";
  TMemoryStream Out;
  Store.SaveToStream(Out);
  ASSERT_EQ(Out.Size(), 1264);
  const std::string C = Out.Bytes();
  EXPECT_EQ(C.substr(0, 4), "FILE");
  EXPECT_EQ(uint8_t(C[4]) | uint8_t(C[5]) << 8, 1256);
  EXPECT_EQ(uint8_t(C[8]), 15);
  EXPECT_EQ(C.substr(9, 15), "/tmp/sample.wav");
  EXPECT_EQ(C.substr(264), Bytes);

  TFileStore Back;
  Out.SetPosition(0);
  ASSERT_TRUE(Back.LoadFromStream(Out));
  EXPECT_EQ(Back.FileName, "/tmp/sample.wav");
  EXPECT_EQ(Back.Bytes(), Bytes);
  EXPECT_EQ(Back.Position(), 0);
  EXPECT_EQ(Out.Position(), 1264);

  TFileStore Unnamed;
  TMemoryStream Out2;
  Unnamed.SaveToStream(Out2);
  EXPECT_EQ(Out2.Size(), 264);
  EXPECT_EQ(Out2.Bytes()[8], '\0');
}

TEST(FileStore, HostileChunksFailCleanly) {
  THeadlessMessageSink& Sink = DefaultHeadlessSink();
  auto Chunk = [](const char* Tag, uint32_t Size, size_t Body) {
    TBytes B;
    Append(B, "XXXX");  // something before the chunk
    Append(B, Tag);
    AppendLE(B, Size, 4);
    B.resize(B.size() + Body, 'a');
    return B;
  };
  const std::vector<TBytes> Cases = {
      Chunk("LIST", 300, 300),          // another tag
      Chunk("FILE", 0xFFFFFFFF, 300),   // negative size
      Chunk("FILE", 100, 300),          // below the name field
      Chunk("FILE", 100000, 300),       // beyond the stream
      Chunk("FILE", 256, 100)};         // name field cut short
  for (size_t I = 0; I < Cases.size(); ++I) {
    Sink.Clear();
    TMemoryStream S(std::string(Cases[I].begin(), Cases[I].end()));
    S.SetPosition(4);
    TFileStore Store;
    Store.Write("old", 3);
    EXPECT_FALSE(Store.LoadFromStream(S)) << I;
    EXPECT_EQ(Store.Size(), 0) << I;
    EXPECT_EQ(S.Position(), 4) << I;
    ASSERT_EQ(Sink.Messages().size(), 1u) << I;
    EXPECT_EQ(Sink.Messages()[0], "Error loading file from stream! Preset is probably corrupt!");
  }
}

TEST(FileStore, MissingFileAsksThroughThePrompt) {
  TTestTempDir Dir;
  const std::string Found = Dir.File("found.wav");
  WriteBytes(Found, {1, 2, 3});
  const std::string Missing = Dir.File("gone.wav");
  THeadlessPrompt& P = DefaultHeadlessPrompt();
  P.Clear();

  TFileStore Quiet;
  Quiet.LoadFromFile(Missing, false);
  EXPECT_EQ(Quiet.Size(), 0);
  EXPECT_EQ(Quiet.FileName, Missing);
  EXPECT_TRUE(P.Questions().empty());

  // Yes, dialog cancelled: asked again about the same name; then Yes with a
  // picked file loads it.
  P.QueueAnswers({TPromptAnswer::Yes, TPromptAnswer::Yes});
  P.QueuePickedFiles({"", Found});
  TFileStore Asked;
  Asked.LoadFromFile(Missing, true);
  const auto Q = P.Questions();
  ASSERT_EQ(Q.size(), 2u);
  EXPECT_EQ(Q[0].Text, "File " + Missing + " not found! Do you want to find it manually?");
  EXPECT_EQ(Q[1].Text, Q[0].Text);
  EXPECT_EQ(Asked.FileName, Found);
  EXPECT_EQ(Asked.Size(), 3);
  P.Clear();
}
