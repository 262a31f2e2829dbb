// AIFF files as sample records, records as multi-channel views, and WAV
// files as sampler instruments.
#include <gtest/gtest.h>

#include "audio/aiff_files.h"
#include "audio/surround_sample.h"
#include "audio/wave_record.h"
#include "audio_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

// A 16-bit AIFF (or sowt AIFF-C) at 22,050 Hz with the given samples.
TBytes Aiff16(uint16_t Channels, std::initializer_list<int16_t> Samples, bool Sowt = false,
              bool WithSsnd = true) {
  TBytes B;
  Append(B, "FORM");
  AppendBE(B, 0, 4);
  Append(B, Sowt ? "AIFCCOMM" : "AIFFCOMM");
  AppendBE(B, Sowt ? 22 : 18, 4);
  AppendBE(B, Channels, 2);
  AppendBE(B, Samples.size() / std::max<uint16_t>(Channels, 1), 4);
  AppendBE(B, 16, 2);
  for (uint8_t V : {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}) B.push_back(V);
  if (Sowt) Append(B, "sowt");
  if (WithSsnd) {
    Append(B, "SSND");
    AppendBE(B, 8 + 2 * Samples.size(), 4);
    AppendBE(B, 0, 8);
    for (int16_t V : Samples) Sowt ? AppendLE(B, uint16_t(V), 2) : AppendBE(B, uint16_t(V), 2);
  }
  return B;
}

class WaveLoaders : public TCaptureTest {
protected:
  TTestTempDir Dir;
};

}  // namespace

TEST_F(WaveLoaders, AiffFilesBecomeRecordsAtTheirRate) {
  struct TCase {
    const char* Name;
    TBytes Bytes;
    bool Ok, Stereo;
    const char* Message;
  } Cases[] = {
      {"mono", Aiff16(1, {16384, -32768, 0}), true, false, ""},
      {"stereo", Aiff16(2, {16384, -32768, 0, 8192}), true, true, ""},
      {"stereo sowt", Aiff16(2, {16384, -32768, 0, 8192}, true), true, true, ""},
      {"three channels", Aiff16(3, {1, 2, 3}), false, false,
       "Aiff read error: wrong channels number!"},
      {"no SSND", Aiff16(1, {1, 2}, false, false), false, false, "Aiff read error: no SSND chunk!"},
      {"no COMM", TBytes{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F'}, false, false,
       "Aiff read error: no COMM found!"},
  };
  for (const TCase& C : Cases) {
    const std::string F = Dir.File("in.aiff");
    WriteBytes(F, C.Bytes);
    TWave W;
    InitSampleRecord(W);
    bool HighRes = true;
    ASSERT_EQ(LoadWaveFromAiff(F, W, true, HighRes), C.Ok) << C.Name;
    if (!C.Ok) {
      EXPECT_EQ(W.Length(), 0) << C.Name;
      EXPECT_EQ(W.Mono.Data, nullptr) << C.Name;
      EXPECT_EQ(W.Stereo.Left.Data, nullptr) << C.Name;
      EXPECT_EQ(Messages().back(), C.Message) << C.Name;
      continue;
    }
    EXPECT_FALSE(HighRes);
    EXPECT_EQ(W.IsStereo, C.Stereo) << C.Name;
    EXPECT_EQ(W.Name, "in.aiff");
    EXPECT_EQ(W.GetSampleRate(), 22050) << C.Name;
    const float Scale = 1.0f / 32767.0f;
    if (C.Stereo) {
      ASSERT_EQ(W.Length(), 2);
      EXPECT_FLOAT_EQ(W.Stereo.Left.Data[0], 16384 * Scale) << C.Name;
      EXPECT_FLOAT_EQ(W.Stereo.Right.Data[0], -32768 * Scale) << C.Name;
      EXPECT_FLOAT_EQ(W.Stereo.Right.Data[1], 8192 * Scale) << C.Name;
    } else {
      ASSERT_EQ(W.Length(), 3);
      EXPECT_FLOAT_EQ(W.Mono.Data[1], -32768 * Scale);
    }
    W.Dispose();
  }
  const std::string Missing = Dir.File("missing.aiff");
  TWave W;
  InitSampleRecord(W);
  bool HighRes = false;
  EXPECT_FALSE(LoadWaveFromAiff(Missing, W, true, HighRes));
  EXPECT_EQ(Messages().back(), "File not found: " + Missing);
}

TEST_F(WaveLoaders, SurroundAndRecordShareTheirSamples) {
  for (int32_t Channels : {1, 2, 3}) {
    TSurroundSample32 Sound;
    ASSERT_TRUE(Sound.Alloc(Channels, 4));
    Sound.Clear();
    Sound.SetSampleRate(48000);
    TWave W;
    Sound.ToWave(W);
    EXPECT_EQ(W.IsStereo, Channels > 1);
    EXPECT_EQ(W.Length(), 4);
    EXPECT_EQ(W.GetSampleRate(), 48000);
    (W.IsStereo ? W.Stereo.Right : W.Mono).Data[2] = 0.5f;
    EXPECT_EQ(Sound.Channels[Channels > 1 ? 1 : 0].Data[2], 0.5f) << Channels;

    TSurroundSample32 View;
    View.Name = "kept";
    View.NumChannels = 7;
    View.FromWave(W);
    EXPECT_EQ(View.NumChannels, std::min(Channels, 2));
    EXPECT_EQ(View.Name, "kept");
    EXPECT_EQ(View.Channels[0].Data, Sound.Channels[0].Data);
    EXPECT_EQ(View.Channels[2].Data, nullptr);
    Sound.Dispose();
  }
  TSurroundSample32 Empty;
  TWave W;
  Empty.ToWave(W);
  EXPECT_EQ(W.Length(), 0);
  EXPECT_TRUE(W.IsEmpty());
}

TEST_F(WaveLoaders, WavFilesBecomeInstruments) {
  struct TCase {
    const char* Name;
    TBytes Bytes;
    bool MultiOk, SingleOk;
    std::vector<int16_t> Expected;
  } Cases[] = {
      {"8-bit mono", MakeWav(1, 1, 8000, 8, {0, 128, 255}), true, true, {-32640, 0, 32385}},
      {"16-bit mono", MakeWav(1, 1, 8000, 16, {0x01, 0x00, 0xFF, 0x7F, 0x00, 0x80, 0x02, 0x00}),
       true, true, {1, 32767, -32768, 2}},
      {"16-bit stereo", MakeWav(1, 2, 8000, 16, {0x01, 0x00, 0x02, 0x00}), false, true, {1, 2}},
      {"24-bit mono", MakeWav(1, 1, 8000, 24, {1, 2, 3}), false, false, {}},
      {"not wave", TBytes(44, 'x'), false, false, {}},
      {"cut short", TBytes{'R', 'I', 'F', 'F'}, false, false, {}},
  };
  // A data size beyond the file: only the bytes present.
  TBytes Long = MakeWav(1, 1, 8000, 16, {0x05, 0x00, 0x06, 0x00});
  Long[40] = 0xFF;
  Long[41] = 0xFF;
  for (const TCase& C : Cases) {
    const std::string F = Dir.File("in.wav");
    WriteBytes(F, C.Bytes);
    MultiInstrument16 Multi;
    EXPECT_EQ(LoadWavToMultiInstrument(F, Multi), C.MultiOk) << C.Name;
    EXPECT_EQ(Multi.Items.size(), C.MultiOk ? 1u : 0u) << C.Name;
    TInstrument16 Single;
    EXPECT_EQ(LoadWavToInstrument16(F, Single), C.SingleOk) << C.Name;
    if (!C.SingleOk) continue;
    for (const TInstrument16* I : C.MultiOk ? std::vector<const TInstrument16*>{Multi.Items[0], &Single}
                                            : std::vector<const TInstrument16*>{&Single}) {
      ASSERT_EQ(I->Sample.Count, int64_t(C.Expected.size())) << C.Name;
      for (size_t K = 0; K < C.Expected.size(); ++K)
        EXPECT_EQ(I->Sample.Data[K], C.Expected[K]) << C.Name << " " << K;
      EXPECT_EQ(I->Sample.SampleRate, 8000);
      EXPECT_EQ(I->LoopKind, TLoopKind::NoLoop);
      EXPECT_EQ(I->LoopStart, int64_t(C.Expected.size()) - 2);
      EXPECT_EQ(I->LoopEnd, I->LoopStart);
    }
    Single.Sample.Dispose();
  }
  const std::string F = Dir.File("long.wav");
  WriteBytes(F, Long);
  MultiInstrument16 Multi;
  ASSERT_TRUE(LoadWavToMultiInstrument(F, Multi));
  ASSERT_EQ(Multi.Items[0]->Sample.Count, 2);
  EXPECT_EQ(Multi.Items[0]->Sample.Data[1], 6);
  EXPECT_EQ(Multi.Items[0]->LoopStart, 0);
}
