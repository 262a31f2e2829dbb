#include "audio/wav_files.h"

#include <gtest/gtest.h>

#include <cstring>

#include "audio/surround_sample.h"
#include "audio_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TBytes Header(void (TWavHeader::*Preset)(int32_t), int32_t N) {
  TWavHeader H;
  (H.*Preset)(N);
  TBytes B(44);
  H.ToBytes(B.data());
  return B;
}

class WavFiles : public TCaptureTest {
protected:
  std::string Put(const std::string& Name, const TBytes& B) {
    const std::string F = Dir.File(Name);
    WriteBytes(F, B);
    return F;
  }
  TTestTempDir Dir;
};

}  // namespace

TEST(WavHeader, PresetBytes) {
  TBytes Expected;
  Append(Expected, "RIFF");
  AppendLE(Expected, 10 * 6 + 36, 4);
  Append(Expected, "WAVEfmt ");
  for (uint32_t V : {16u}) AppendLE(Expected, V, 4);
  AppendLE(Expected, 1, 2);
  AppendLE(Expected, 2, 2);
  AppendLE(Expected, 44100, 4);
  AppendLE(Expected, 264600, 4);
  AppendLE(Expected, 6, 2);
  AppendLE(Expected, 24, 2);
  Append(Expected, "data");
  AppendLE(Expected, 60, 4);
  EXPECT_EQ(Header(&TWavHeader::Init24Stereo44100, 10), Expected);
  TWavHeader H;
  H.Init24Channels44100(10, 5);
  EXPECT_EQ(H.Format.Channels, 6);
  EXPECT_EQ(H.Format.BlockAlign, 18);
  EXPECT_EQ(H.DataSize, 180u);
  EXPECT_EQ(H.RiffSize, 216u);
  H.Init32(3, 2, 8000);
  EXPECT_EQ(H.Format.FormatTag, 3);
  EXPECT_EQ(H.Format.AvgBytesPerSec, 96000);
}

// 24-bit samples: exact bytes written (clamped, not wrapped) and read.
TEST_F(WavFiles, TwentyFourBitBytes) {
  TSample32 S = MakeSample({1.0f, -1.0f, 0.5f, 1.5f, -3.0f}, 48000);
  const std::string F = Dir.File("m24.wav");
  ASSERT_TRUE(Save_WAV24(S, F));
  const TBytes B = ReadBytes(F);
  ASSERT_EQ(B.size(), 44u + 15u + 1u);  // odd data is padded
  const TBytes Data(B.begin() + 44, B.end() - 1);
  EXPECT_EQ(Data, (TBytes{0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x80, 0x00, 0x00, 0x40, 0xFF, 0xFF, 0x7F,
                          0x01, 0x00, 0x80}));
  EXPECT_EQ(B[24] | B[25] << 8, 48000 & 0xFFFF);
  S.Dispose();

  const std::string R = Put("r24.wav", MakeWav(1, 1, 44100, 24, {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0, 0, 0}));
  TSample32 L;
  L.Init();
  ASSERT_TRUE(Load_WAV24to32(R, L));
  ASSERT_EQ(L.Count, 3);
  EXPECT_EQ(L.Data[0], -1.0f);
  EXPECT_FLOAT_EQ(L.Data[1], 0.99999988f);
  EXPECT_EQ(L.Data[2], 0.0f);
  L.Dispose();
}

TEST_F(WavFiles, EightBitMonoAndSixteenBitStereo) {
  TSample16 W;
  W.Init();
  ASSERT_TRUE(Load_WAV16(Put("m8.wav", MakeWav(1, 1, 8000, 8, {0, 128, 255})), W, false));
  ASSERT_EQ(W.Count, 3);
  EXPECT_EQ(W.Data[0], -32640);
  EXPECT_EQ(W.Data[1], 0);
  EXPECT_EQ(W.Data[2], 32385);
  EXPECT_EQ(W.SampleRate, 8000);
  W.Dispose();

  // Stereo 16-bit loads real samples (the conversion was once a stub).
  TStereoSample32 S;
  S.Init();
  ASSERT_TRUE(Load_WAV_StereoTo32(
      Put("s16.wav", MakeWav(1, 2, 22050, 16, {0xFF, 0x7F, 0x01, 0x80, 0x00, 0x40, 0x00, 0x00})),
      S, false));
  ASSERT_EQ(S.Length(), 2);
  EXPECT_EQ(S.Left.Data[0], 1.0f);
  EXPECT_EQ(S.Right.Data[0], -1.0f);
  EXPECT_FLOAT_EQ(S.Left.Data[1], 16384.0f / 32767.0f);
  EXPECT_EQ(S.SampleRate(), 22050);
  // Stereo 16-bit save through the once-unimplemented conversion.
  S.Left.Data[1] = 2.0f;
  const std::string Out = Dir.File("rs.wav");
  ASSERT_TRUE(Save_WAV16StereoRS(S, Out));
  const TBytes B = ReadBytes(Out);
  EXPECT_EQ(TBytes(B.begin() + 44, B.end()), (TBytes{0xFF, 0x7F, 0x01, 0x80, 0xFF, 0x7F, 0, 0}));
  S.Dispose();
}

TEST_F(WavFiles, StereoSaveWritesFramesBothChannelsHold) {
  TStereoSample32 S;
  S.Init();
  ASSERT_TRUE(S.Left.Alloc(1000));
  ASSERT_TRUE(S.Right.Alloc(900));
  S.Left.Fill(0.25f);
  S.Right.Fill(-0.25f);
  S.Left.SampleRate = 96000;
  const std::string F = Dir.File("s24.wav");
  ASSERT_TRUE(Save_WAV24Stereo(S, F));
  const TBytes B = ReadBytes(F);
  EXPECT_EQ(B.size(), 44u + 5400u);
  EXPECT_EQ(B[40] | B[41] << 8, 5400);
  TStereoSample32 L;
  L.Init();
  ASSERT_TRUE(LoadWaveToSample(F, L, true));
  EXPECT_EQ(L.Length(), 900);
  EXPECT_EQ(L.SampleRate(), 96000);
  EXPECT_NEAR(L.Right.Data[899], -0.25f, 1e-6);
  L.Dispose();
  S.Dispose();
}

// 32-bit data is integer or float by FormatTag.
TEST_F(WavFiles, ThirtyTwoBitByFormatTag) {
  const TBytes Data = {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0xC0};
  struct TCase {
    uint16_t Tag;
    float First, Second;
  } Cases[] = {{1, 0.5f, -0.5f}, {3, 2.0f, -2.0f}};
  for (const TCase& C : Cases) {
    const std::string F = Put("i32.wav", MakeWav(C.Tag, 1, 44100, 32, Data));
    TSample32 S;
    S.Init();
    ASSERT_TRUE(Load_WAV2432_Mono(F, S, false)) << C.Tag;
    ASSERT_EQ(S.Count, 2);
    EXPECT_EQ(S.Data[0], C.First) << C.Tag;
    EXPECT_EQ(S.Data[1], C.Second) << C.Tag;
    S.Dispose();
    TSurroundSample32 Sound;
    bool HighRes = false;
    ASSERT_TRUE(Sound.LoadPartFromWavFile(F, false, HighRes, 0, 100));
    EXPECT_EQ(Sound.Channels[0].Data[0], C.First);
    EXPECT_TRUE(HighRes);
    Sound.Dispose();
  }
  // Widths no reader handles are refused, not answered with empty channels.
  TStereoSample32 St;
  St.Init();
  EXPECT_FALSE(LoadWaveToSample(Put("w12.wav", MakeWav(1, 2, 44100, 12, Data)), St, true));
  EXPECT_EQ(St.Left.Data, nullptr);
  EXPECT_EQ(Messages().back().rfind("Error loading wave ", 0), 0u);
  TSurroundSample32 Sound;
  bool HighRes = false;
  EXPECT_FALSE(Sound.LoadPartFromWavFile(Dir.File("w12.wav"), true, HighRes, 0, 10));
  EXPECT_EQ(Messages().back(), "Wrong wave file format");
}

TEST_F(WavFiles, SurroundRoundTripAndParts) {
  TSurroundSample32 Sound;
  ASSERT_TRUE(Sound.Alloc(6, 40000));
  for (int C = 0; C < 6; ++C)
    for (int I = 0; I < 40000; ++I) Sound.Channels[C].Data[I] = float((I * (C + 1)) % 200 - 100) / 128.0f;
  Sound.SetSampleRate(48000);
  const std::string F = Dir.File("six.wav");
  ASSERT_TRUE(Sound.SaveToWav24(F));
  TSurroundSample32 Part;
  bool HighRes = false;
  ASSERT_TRUE(Part.LoadPartFromWavFile(F, false, HighRes, 30000, 100000));
  EXPECT_EQ(Part.NumChannels, 6);
  EXPECT_EQ(Part.Length(), 10000);
  EXPECT_NEAR(Part.Channels[5].Data[7], Sound.Channels[5].Data[30007], 1.0f / 8388607);
  EXPECT_EQ(Part.SampleRate(), 48000);
  EXPECT_FALSE(Part.LoadPartFromWavFile(F, false, HighRes, 40001, 10));
  Part.Dispose();
  EXPECT_EQ(GetWavFrameCountEstimate(F, false), int32_t((40000 * 18 + 36) / 3 / 6));

  // Built one channel at a time.
  const std::string G = Dir.File("chan.wav");
  ASSERT_TRUE(WriteChannelToWav24(Sound.Channels[0], G, 0, 2));
  ASSERT_TRUE(WriteChannelToWav24(Sound.Channels[3], G, 1, 2));
  EXPECT_FALSE(WriteChannelToWav24(Sound.Channels[3], Dir.File("none.wav"), 1, 2));
  TStereoSample32 S;
  S.Init();
  ASSERT_TRUE(Load_WAV2432_Stereo(G, S, false));
  EXPECT_NEAR(S.Left.Data[99], Sound.Channels[0].Data[99], 1.0f / 8388607);
  EXPECT_NEAR(S.Right.Data[99], Sound.Channels[3].Data[99], 1.0f / 8388607);
  S.Dispose();
  Sound.Dispose();
}

TEST(SurroundSample, ChannelNameLines) {
  TSurroundSample32 Sound;
  Sound.NumChannels = 3;
  Sound.SetChannelNamesFromList({"Channel 1-2 Overheads", "Channel 3 Snare", "Channel 39 Skip"});
  EXPECT_EQ(Sound.ChannelNames[0], "Overheads (L)");
  EXPECT_EQ(Sound.ChannelNames[1], "Overheads (R)");
  EXPECT_EQ(Sound.ChannelNames[2], "Snare");
  std::vector<std::string> Lines;
  Sound.ChannelNamesToList(Lines);
  EXPECT_EQ(Lines, (std::vector<std::string>{"Channel 1-2 Overheads", "Channel 3 Snare"}));
  EXPECT_EQ(Sound.IndexOfChannelName("SNARE"), 2);
  Sound.NumChannels = 0;
}
