// Multi-part waves cut at cue points and joined back, multi-channel parts,
// and the sampler bank export.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "audio/multi_surround_wave.h"
#include "audio/multi_wave.h"
#include "audio/riff_chunks.h"
#include "audio/wave_markers.h"
#include "audio_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

// Values exact in 16 bits, different in every frame of every part.
float Value(int Part, int I, int Ch) { return float((Part * 1000 + I) % 30000 - 15000 + Ch * 7) / 32767.0f; }

void FillPart(TWave& W, int Part, bool Stereo, int N) {
  InitSampleRecord(W);
  W.Alloc(Stereo, N);
  for (int I = 0; I < N; ++I) {
    if (Stereo) {
      W.Stereo.Left.Data[I] = Value(Part, I, 0);
      W.Stereo.Right.Data[I] = Value(Part, I, 1);
    } else {
      W.Mono.Data[I] = Value(Part, I, 0);
    }
  }
  W.SetSampleRate(44100);
  W.Name = "Part " + std::to_string(Part);
}

std::string Sox(TTestTempDir& Dir, const std::vector<std::string>& Args) {
  const std::string Out = Dir.File("sox.txt");
  if (RunProgram(Args, Out, false) != 0) return "failed";
  std::string T = ReadText(Out);
  while (!T.empty() && (T.back() == '\n' || T.back() == '\r')) T.pop_back();
  return T;
}

}  // namespace

TEST(MultiWave, CutAndJoinKeepsEveryFrame) {
  TTestTempDir Dir;
  const int Lengths[] = {100, 57, 12, 300};
  for (bool Bits24 : {false, true}) {
    auto M = std::make_unique<TMultiWave>();
    M->Init();
    M->Count = 4;
    for (int P = 0; P < 4; ++P) FillPart(M->Parts[size_t(P)], P, true, Lengths[P]);
    const std::string F = Dir.File(Bits24 ? "joined24.wav" : "joined.wav");
    ASSERT_TRUE(Bits24 ? M->SaveToWav24(F) : M->SaveToWav(F));

    TChunkData Cue;
    uint32_t Size = 0;
    ASSERT_TRUE(ReadChunkFromFile(F, "cue ", Cue, Size));
    EXPECT_EQ(Size, 4u + 24u * 4u);
    EXPECT_EQ(Cue[4], Bits24 ? 0 : 1);  // first identifier

    auto Back = std::make_unique<TMultiWave>();
    Back->Init();
    bool Hi = false;
    ASSERT_TRUE(Back->LoadFromWav(F, false, Hi));
    EXPECT_EQ(Hi, Bits24);
    ASSERT_EQ(Back->Count, 4);
    EXPECT_EQ(Back->TotalLength(), 469);
    for (int P = 0; P < 4; ++P) {
      const TWave& W = Back->Parts[size_t(P)];
      ASSERT_EQ(W.Length(), Lengths[P]) << P;
      EXPECT_EQ(W.Name, "Part " + std::to_string(P));
      for (int I = 0; I < Lengths[P]; ++I) {
        ASSERT_NEAR(W.Stereo.Left.Data[I], Value(P, I, 0), 1e-6f) << P << " " << I;
        ASSERT_NEAR(W.Stereo.Right.Data[I], Value(P, I, 1), 1e-6f) << P << " " << I;
      }
    }
    Back->Dispose();
    M->Dispose();
  }
}

TEST(MultiWave, ShortStretchesJoinTheNextAndNoFrameIsLost) {
  // Cue positions against a 1000-frame sound.
  struct Case {
    std::vector<uint32_t> Cues;
    std::vector<std::pair<int, int>> Stretches;
  };
  const Case Cases[] = {
      {{0, 500}, {{0, 500}, {500, 1000}}},
      {{100, 105, 600}, {{0, 100}, {100, 600}, {600, 1000}}},
      {{995}, {{0, 995}, {995, 1000}}},
      {{1000, 5000}, {{0, 1000}}},
      {{}, {{0, 1000}}}};
  for (const Case& K : Cases) {
    const auto S = CutAtCuePoints(K.Cues, 1000, 10);
    ASSERT_EQ(S.size(), K.Stretches.size());
    for (size_t I = 0; I < S.size(); ++I) {
      EXPECT_EQ(S[I].Start, K.Stretches[I].first);
      EXPECT_EQ(S[I].End, K.Stretches[I].second);
    }
  }
  // More than 350 cue points: at most 351 parts, the rest in the last.
  std::vector<uint32_t> Many;
  for (uint32_t I = 1; I <= 500; ++I) Many.push_back(I * 20);
  const auto S = CutAtCuePoints(Many, 20000, 10);
  ASSERT_EQ(S.size(), 351u);
  EXPECT_EQ(S.back().Start, 7000);
  EXPECT_EQ(S.back().End, 20000);
}

TEST(MultiWave, HostileCueChunksLoadCleanly) {
  TTestTempDir Dir;
  auto WithCues = [&](uint32_t Announced, uint32_t Real, uint32_t Step) {
    TBytes W = MakeWav(1, 1, 44100, 16, TBytes(2 * 20000, 0));
    Append(W, "cue ");
    AppendLE(W, 4 + 24 * Real, 4);
    AppendLE(W, Announced, 4);
    for (uint32_t I = 0; I < Real; ++I) {
      AppendLE(W, I, 4);
      AppendLE(W, (I + 1) * Step, 4);
      Append(W, "data");
      AppendLE(W, 0, 4);
      AppendLE(W, 0, 4);
      AppendLE(W, (I + 1) * Step, 4);
    }
    const std::string F = Dir.File("h.wav");
    WriteBytes(F, W);
    return F;
  };
  struct Case {
    const char* What;
    uint32_t Announced, Real, Step;
    int Parts;
  };
  const Case Cases[] = {{"empty cue chunk", 0, 0, 0, 1},
                        {"count beyond the chunk", 0xFFFFFFFF, 2, 100, 3},
                        {"500 cue points", 500, 500, 20, 351},
                        {"cue points past the end", 3, 3, 30000, 1}};
  for (const Case& K : Cases) {
    const std::string F = WithCues(K.Announced, K.Real, K.Step);
    auto M = std::make_unique<TMultiWave>();
    bool Hi = false;
    ASSERT_TRUE(M->LoadFromWav(F, false, Hi)) << K.What;
    EXPECT_EQ(M->Count, K.Parts) << K.What;
    EXPECT_EQ(M->TotalLength(), 20000) << K.What;
    M->Dispose();

    auto S = std::make_unique<TMultiSurroundWave>();
    ASSERT_TRUE(S->LoadFromWav(F, false, Hi, -1)) << K.What;
    EXPECT_EQ(S->TotalLength(), 20000) << K.What;
    S->Dispose();

    const float G[1] = {1.0f};
    int32_t Ch = 0;
    auto X = std::make_unique<TMultiWave>();
    ASSERT_TRUE(X->LoadFromSurroundWav(F, false, G, G, 1, Ch, -1)) << K.What;
    EXPECT_EQ(X->Count, K.Parts) << K.What;
    EXPECT_EQ(X->TotalLength(), 20000) << K.What;
    X->Dispose();
  }
}

TEST(MultiWave, SurroundMixdownAndPartSelection) {
  TTestTempDir Dir;
  // 6 channels, 3000 frames, channel c holds (c + 1) / 100; cues at 1000, 2000.
  auto S = std::make_unique<TMultiSurroundWave>();
  S->Init();
  S->Count = 3;
  for (int P = 0; P < 3; ++P) {
    ASSERT_TRUE(S->Parts[size_t(P)].Alloc(6, 1000));
    for (int C = 0; C < 6; ++C) S->Parts[size_t(P)].Channels[size_t(C)].Fill(float(C + 1) / 100.0f);
    S->Parts[size_t(P)].SetSampleRate(48000);
    S->Parts[size_t(P)].Name = "S" + std::to_string(P);
  }
  const std::string F = Dir.File("six.wav");
  ASSERT_TRUE(S->SaveToWav24(F));

  const float L[6] = {1, 0, 0.7f, 0, 0.5f, 0}, R[6] = {0, 1, 0.7f, 0, 0, 0.5f};
  int32_t Ch = 0;
  auto M = std::make_unique<TMultiWave>();
  ASSERT_TRUE(M->LoadFromSurroundWav(F, false, L, R, 6, Ch, -1));
  EXPECT_EQ(Ch, 6);
  ASSERT_EQ(M->Count, 3);
  EXPECT_EQ(M->Parts[2].Length(), 1000);  // the last frame is kept
  EXPECT_NEAR(M->Parts[0].Stereo.Left.Data[10], 0.01f + 0.7f * 0.03f + 0.5f * 0.05f, 1e-5f);
  EXPECT_EQ(M->Parts[0].GetSampleRate(), 48000);
  M->Dispose();
  ASSERT_TRUE(M->LoadFromSurroundWav(F, false, L, R, 6, Ch, 1));
  ASSERT_EQ(M->Count, 1);
  EXPECT_EQ(M->Parts[0].Length(), 1000);
  M->Dispose();

  auto B = std::make_unique<TMultiSurroundWave>();
  bool Hi = false;
  ASSERT_TRUE(B->LoadFromWav(F, false, Hi, 2));
  EXPECT_EQ(B->Count, 3);
  EXPECT_EQ(B->Parts[0].Length(), 0);
  EXPECT_EQ(B->Parts[2].Length(), 1000);
  B->Dispose();
  ASSERT_TRUE(B->LoadFromWav(F, false, Hi, -1));
  ASSERT_EQ(B->Count, 3);
  EXPECT_EQ(B->Parts[1].Name, "S1");
  EXPECT_EQ(B->Parts[1].NumChannels, 6);
  B->Dispose();
  S->Dispose();
}

TEST(MultiWave, SoxReadsEveryPartFile) {
  if (!ProgramAvailable("sox")) GTEST_SKIP() << "sox not installed";
  TTestTempDir Dir;
  auto M = std::make_unique<TMultiWave>();
  M->Init();
  M->Count = 3;
  const int Lengths[] = {400, 250, 90};
  for (int P = 0; P < 3; ++P) FillPart(M->Parts[size_t(P)], P, P != 1, Lengths[P]);
  const std::string F = Dir.File("joined.wav");
  ASSERT_TRUE(M->SaveToWav(F));
  EXPECT_EQ(Sox(Dir, {"sox", "--i", "-s", F}), "740");
  auto Back = std::make_unique<TMultiWave>();
  bool Hi = false;
  ASSERT_TRUE(Back->LoadFromWav(F, false, Hi));
  ASSERT_EQ(Back->Count, 3);
  for (int P = 0; P < 3; ++P) {
    const std::string PF = Dir.File("part" + std::to_string(P) + ".wav");
    ASSERT_TRUE(Back->Parts[size_t(P)].SaveToFile(PF));
    EXPECT_EQ(Sox(Dir, {"sox", "--i", "-s", PF}), std::to_string(Lengths[P])) << P;
    EXPECT_EQ(Sox(Dir, {"sox", "--i", "-c", PF}), "2") << P;
  }
  Back->Dispose();
  M->Dispose();
}

TEST(SamplerBank, NamesKeysAndVelocityLayers) {
  TTestTempDir Dir;
  const std::string Bank = Dir.File("bank.sf2");
  auto M = std::make_unique<TMultiWave>();
  M->Init();
  M->Count = 2;
  FillPart(M->Parts[0], 0, false, 100);
  FillPart(M->Parts[1], 1, true, 100);
  M->Parts[0].Note = 60;
  M->Parts[1].Note = 62;
  M->SaveToSamplerText(Bank);
  EXPECT_TRUE(std::filesystem::exists(Dir.File("bank_C3#001.wav")));
  EXPECT_TRUE(std::filesystem::exists(Dir.File("bank_D3#002.wav")));
  const std::string T = ReadText(Dir.File("bank.txt"));
  EXPECT_EQ(T.substr(0, 43), "[Samples]\n\n    SampleName=bank_C3#001\n     ");
  EXPECT_NE(T.find("        Sample=bank_D3#002(L)\n            Z_LowKey=62\n            Z_HighKey=62\n"
                   "            Z_LowVelocity=1\n            Z_HighVelocity=64\n"),
            std::string::npos);
  EXPECT_NE(T.find("Date=Nov 02, 1999\n"), std::string::npos);
  M->Dispose();

  // Three parts: 86..127, 43..85, 1..42.
  M->Init();
  M->Count = 3;
  for (int P = 0; P < 3; ++P) {
    FillPart(M->Parts[size_t(P)], P, false, 50);
    M->Parts[size_t(P)].Note = P == 2 ? -1 : 48;
  }
  M->SaveToSamplerText(Bank);
  const std::string T3 = ReadText(Dir.File("bank.txt"));
  for (const char* Layer : {"Z_LowVelocity=86\n            Z_HighVelocity=127\n",
                            "Z_LowVelocity=43\n            Z_HighVelocity=85\n",
                            "Z_LowVelocity=1\n            Z_HighVelocity=42\n"})
    EXPECT_NE(T3.find(Layer), std::string::npos) << Layer;
  EXPECT_TRUE(std::filesystem::exists(Dir.File("bank_---#003.wav")));
  M->Dispose();

  // Multi-channel: layers per note, key ranges, part files removed.
  auto S = std::make_unique<TMultiSurroundWave>();
  S->Init();
  S->Count = 3;
  const int Notes[] = {60, 64, 60};
  for (int P = 0; P < 3; ++P) {
    ASSERT_TRUE(S->Parts[size_t(P)].Alloc(2, 40));
    S->Parts[size_t(P)].Clear();
    S->Parts[size_t(P)].SetSampleRate(44100);
    S->Parts[size_t(P)].Note = Notes[P];
  }
  const std::string SB = Dir.File("sur.sf2");
  EXPECT_TRUE(S->SaveToSamplerText(SB));
  const std::string TS = ReadText(Dir.File("sur.txt"));
  EXPECT_NE(TS.find("sur_C3#001(L)\n            Z_LowKey=60\n            Z_HighKey=61\n"
                    "            Z_LowVelocity=65\n            Z_HighVelocity=127\n"),
            std::string::npos);
  EXPECT_NE(TS.find("sur_E3#002(L)\n            Z_LowKey=64\n            Z_HighKey=65\n"
                    "            Z_LowVelocity=1\n            Z_HighVelocity=127\n"),
            std::string::npos);
  EXPECT_NE(TS.find("sur_C3#003(L)\n            Z_LowKey=60\n            Z_HighKey=61\n"
                    "            Z_LowVelocity=1\n            Z_HighVelocity=64\n"),
            std::string::npos);
  EXPECT_NE(TS.find("Date=2008\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Dir.File("sur_C3#001.wav")));
  S->Dispose();
}
