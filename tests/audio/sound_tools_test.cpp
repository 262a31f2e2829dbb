// Our files read back by sox and ffprobe, and files made by sox read by us.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

#include "audio/aiff_files.h"
#include "audio/surround_sample.h"
#include "audio/wav_files.h"
#include "audio/wave_record.h"
#include "audio_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

class SoundTools : public ::testing::Test {
protected:
  void SetUp() override {
    if (!ProgramAvailable("sox") || !ProgramAvailable("ffprobe"))
      GTEST_SKIP() << "sox or ffprobe not installed";
  }
  // Output of a tool, trimmed; empty when it failed.
  std::string Run(const std::vector<std::string>& Args) {
    const std::string Out = Dir.File("out.txt");
    if (RunProgram(Args, Out, false) != 0) return {};
    std::string T = ReadText(Out);
    while (!T.empty() && (T.back() == '\n' || T.back() == '\r')) T.pop_back();
    return T;
  }
  // sox's decoding of File as floats, frame after frame.
  std::vector<float> SoxDecode(const std::string& File) {
    const std::string Raw = Dir.File("decoded.f32");
    EXPECT_EQ(Run({"sox", File, "-t", "raw", "-e", "floating-point", "-b", "32", Raw}), "");
    const TBytes B = ReadBytes(Raw);
    std::vector<float> V(B.size() / 4);
    std::memcpy(V.data(), B.data(), V.size() * 4);
    return V;
  }
  // Rate, channels and frames as sox --i and ffprobe report them.
  void ExpectInfo(const std::string& File, int Rate, int Channels, int64_t Frames) {
    EXPECT_EQ(Run({"sox", "--i", "-r", File}), std::to_string(Rate)) << File;
    EXPECT_EQ(Run({"sox", "--i", "-c", File}), std::to_string(Channels)) << File;
    EXPECT_EQ(Run({"sox", "--i", "-s", File}), std::to_string(Frames)) << File;
    EXPECT_EQ(Run({"ffprobe", "-v", "error", "-show_entries", "stream=sample_rate,channels,duration_ts",
                   "-of", "csv=p=0", File}),
              std::to_string(Rate) + "," + std::to_string(Channels) + "," + std::to_string(Frames))
        << File;
  }
  TTestTempDir Dir;
};

float Wave(int I, int C) { return 0.9f * std::sin(0.01f * float(I) * float(C + 1)) + (I == 5 ? 0.2f : 0.0f); }

TSample32 WaveSample(int N, int C, int Rate) {
  TSample32 S;
  S.Init();
  S.Alloc(N);
  for (int I = 0; I < N; ++I) S.Data[I] = Wave(I, C);
  S.SampleRate = Rate;
  return S;
}

void ExpectSamples(const std::vector<float>& Decoded, int Channels, int Frames, float Lsb,
                   const std::string& What) {
  ASSERT_EQ(Decoded.size(), size_t(Channels) * size_t(Frames)) << What;
  for (int I = 0; I < Frames; ++I)
    for (int C = 0; C < Channels; ++C)
      ASSERT_NEAR(Decoded[size_t(I * Channels + C)], Wave(I, C), Lsb) << What << " frame " << I;
}

}  // namespace

TEST_F(SoundTools, EveryWavWriterIsReadBackBySoxAndFfprobe) {
  const int N = 1001;
  TSample32 Mono = WaveSample(N, 0, 48000);
  TStereoSample32 Stereo;
  Stereo.Left = WaveSample(N, 0, 22050);
  Stereo.Right = WaveSample(N, 1, 22050);

  std::string F = Dir.File("m16.wav");
  ASSERT_TRUE(Save_WAV16From32(Mono, F));
  ExpectInfo(F, 48000, 1, N);
  ExpectSamples(SoxDecode(F), 1, N, 1.5f / 32768, "mono 16");

  F = Dir.File("m24.wav");
  ASSERT_TRUE(Save_WAV24(Mono, F));
  ExpectInfo(F, 48000, 1, N);
  ExpectSamples(SoxDecode(F), 1, N, 1.5f / 8388608, "mono 24");

  F = Dir.File("s16.wav");
  ASSERT_TRUE(Save_WAV16StereoFrom32(Stereo, F));
  ExpectInfo(F, 22050, 2, N);
  ExpectSamples(SoxDecode(F), 2, N, 1.5f / 32768, "stereo 16");

  F = Dir.File("s24.wav");
  ASSERT_TRUE(Save_WAV24Stereo(Stereo, F));
  ExpectInfo(F, 22050, 2, N);
  ExpectSamples(SoxDecode(F), 2, N, 1.5f / 8388608, "stereo 24");

  TSample8 Bytes;
  Bytes.Count = N;
  std::vector<uint8_t> Held(N);
  for (int I = 0; I < N; ++I) Held[I] = uint8_t(std::nearbyint(Wave(I, 0) * 127.0f) + 128);
  Bytes.Data = Held.data();
  F = Dir.File("m8.wav");
  ASSERT_TRUE(Save_WAV8(Bytes, F, 8000));
  ExpectInfo(F, 8000, 1, N);
  ExpectSamples(SoxDecode(F), 1, N, 1.5f / 128, "mono 8");

  TSurroundSample32 Sound;
  ASSERT_TRUE(Sound.Alloc(5, N));
  for (int C = 0; C < 5; ++C)
    for (int I = 0; I < N; ++I) Sound.Channels[C].Data[I] = Wave(I, C);
  Sound.SetSampleRate(96000);
  struct TKind {
    bool (TSurroundSample32::*Save)(const std::string&);
    const char* Name;
    float Lsb;
  } Kinds[] = {{&TSurroundSample32::SaveToWav16, "c16.wav", 1.5f / 32768},
               {&TSurroundSample32::SaveToWav24, "c24.wav", 1.5f / 8388608},
               {&TSurroundSample32::SaveToWav32, "c32.wav", 1e-7f}};
  for (const TKind& K : Kinds) {
    F = Dir.File(K.Name);
    ASSERT_TRUE((Sound.*K.Save)(F));
    ExpectInfo(F, 96000, 5, N);
    ExpectSamples(SoxDecode(F), 5, N, K.Lsb, K.Name);
  }
  Sound.Dispose();
  Stereo.Dispose();
  Mono.Dispose();
}

TEST_F(SoundTools, FilesMadeBySoxLoad) {
  struct TCase {
    const char* Name;
    std::vector<std::string> Format;
    int Channels;
    float Lsb;
  } Cases[] = {
      {"u8.wav", {"-e", "unsigned-integer", "-b", "8"}, 1, 1.5f / 128},
      {"s16.wav", {"-e", "signed-integer", "-b", "16"}, 2, 1.5f / 32768},
      {"s24.wav", {"-e", "signed-integer", "-b", "24"}, 2, 1.5f / 8388608},
      {"s32.wav", {"-e", "signed-integer", "-b", "32"}, 1, 1e-7f},
      {"f32.wav", {"-e", "floating-point", "-b", "32"}, 2, 1e-7f},
      {"s24x4.wav", {"-e", "signed-integer", "-b", "24"}, 4, 1.5f / 8388608},
  };
  for (const TCase& C : Cases) {
    const std::string F = Dir.File(C.Name);
    std::vector<std::string> Args = {"sox", "-n", "-r", "32000", "-c", std::to_string(C.Channels)};
    Args.insert(Args.end(), C.Format.begin(), C.Format.end());
    Args.insert(Args.end(), {F, "synth", "0.05", "sine", "300", "sine", "700", "sine", "1100", "sine", "1500"});
    ASSERT_EQ(Run(Args), "") << C.Name;
    const std::vector<float> Ref = SoxDecode(F);
    TSurroundSample32 Sound;
    bool HighRes = false;
    ASSERT_TRUE(Sound.LoadPartFromWavFile(F, true, HighRes, 0, INT64_MAX)) << C.Name;
    ASSERT_EQ(Sound.NumChannels, C.Channels);
    ASSERT_EQ(size_t(Sound.Length()) * size_t(C.Channels), Ref.size()) << C.Name;
    EXPECT_EQ(Sound.SampleRate(), 32000);
    for (size_t I = 0; I < Ref.size(); ++I)
      ASSERT_NEAR(Sound.Channels[I % C.Channels].Data[I / C.Channels], Ref[I], C.Lsb) << C.Name << " " << I;
    if (C.Channels <= 2) {
      TStereoSample32 S;
      S.Init();
      ASSERT_TRUE(LoadWaveToSample(F, S, true)) << C.Name;
      EXPECT_EQ(S.Length(), Sound.Length());
      EXPECT_NEAR(S.Right.Data[100], Ref[100 * C.Channels + C.Channels - 1], C.Lsb) << C.Name;
      S.Dispose();
    }
    Sound.Dispose();
  }
}

TEST_F(SoundTools, AiffFilesMadeBySoxLoadAtTheirRate) {
  const std::string Aiff = Dir.File("s.aiff"), Aifc = Dir.File("s.aifc"), Fl = Dir.File("f.aifc");
  ASSERT_EQ(Run({"sox", "-n", "-r", "48000", "-c", "2", "-b", "16", Aiff, "synth", "0.02", "sine", "300", "sine", "500"}), "");
  ASSERT_EQ(Run({"sox", Aiff, Aifc}), "");
  ASSERT_EQ(Run({"sox", Aiff, "-e", "floating-point", "-b", "32", Fl}), "");
  const std::vector<float> Ref = SoxDecode(Aiff);
  // "twos" and "sowt" variants of the sox AIFF-C file ("NONE").
  TBytes Twos = ReadBytes(Aifc);
  TBytes Sowt = Twos;
  auto At = [](const TBytes& B, const char* Id) {
    return size_t(std::search(B.begin(), B.end(), Id, Id + 4) - B.begin());
  };
  const size_t Type = At(Twos, "NONE");
  ASSERT_LT(Type, Twos.size());
  std::memcpy(&Twos[Type], "twos", 4);
  std::memcpy(&Sowt[Type], "sowt", 4);
  const size_t Data = At(Sowt, "SSND") + 16;
  for (size_t I = Data; I + 1 < Sowt.size(); I += 2) std::swap(Sowt[I], Sowt[I + 1]);
  WriteBytes(Dir.File("twos.aifc"), Twos);
  WriteBytes(Dir.File("sowt.aifc"), Sowt);
  for (const std::string& F : {Aiff, Aifc, Dir.File("twos.aifc"), Dir.File("sowt.aifc"), Fl}) {
    TStereoSample32 S;
    bool HighRes = true;
    ASSERT_TRUE(LoadStereoFromAiff(F, S, true, HighRes)) << F;
    EXPECT_EQ(S.SampleRate(), 48000) << F;
    ASSERT_EQ(size_t(S.Length()) * 2, Ref.size()) << F;
    for (size_t I = 0; I < Ref.size(); ++I)
      ASSERT_NEAR((I % 2 ? S.Right : S.Left).Data[I / 2], Ref[I], 1.5f / 32768) << F << " " << I;
    S.Dispose();
    TSurroundSample32 Sound;
    ASSERT_TRUE(Sound.LoadFromAiffFile(F, true, HighRes)) << F;
    EXPECT_EQ(Sound.SampleRate(), 48000);
    EXPECT_EQ(Sound.NumChannels, 2);
    Sound.Dispose();
    TWave W;
    InitSampleRecord(W);
    ASSERT_TRUE(LoadWaveFromAiff(F, W, true, HighRes)) << F;
    EXPECT_TRUE(W.IsStereo);
    EXPECT_EQ(W.GetSampleRate(), 48000) << F;
    ASSERT_EQ(size_t(W.Length()) * 2, Ref.size()) << F;
    EXPECT_NEAR(W.Stereo.Right.Data[100], Ref[201], 1.5f / 32768) << F;
    W.Dispose();
  }
}
