// Damaged and hostile sound files fail cleanly: False, no data, no crash.
#include <gtest/gtest.h>

#include "audio/aiff_files.h"
#include "audio/sample_files.h"
#include "audio/surround_sample.h"
#include "audio/wav_files.h"
#include "audio_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TBytes Good() { return MakeWav(1, 2, 44100, 16, TBytes(40, 0x11)); }

TBytes Patched(TBytes B, size_t At, std::initializer_list<uint8_t> Bytes) {
  for (uint8_t V : Bytes) B[At++] = V;
  return B;
}

TBytes Aiff(uint16_t Channels, uint32_t Frames, bool WithSsnd) {
  TBytes B;
  Append(B, "FORM");
  AppendBE(B, 0, 4);
  Append(B, "AIFFCOMM");
  AppendBE(B, 18, 4);
  AppendBE(B, Channels, 2);
  AppendBE(B, Frames, 4);
  AppendBE(B, 16, 2);
  for (uint8_t V : {0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}) B.push_back(V);
  if (WithSsnd) {
    Append(B, "SSND");
    AppendBE(B, 8 + 8, 4);
    AppendBE(B, 0, 8);
    for (uint8_t V : {0x40, 0x00, 0xC0, 0x00, 0x20, 0x00, 0xE0, 0x00}) B.push_back(V);
  }
  return B;
}

class HostileFiles : public TCaptureTest {
protected:
  TTestTempDir Dir;
};

}  // namespace

TEST_F(HostileFiles, WavReadersRefuseCleanly) {
  TBytes Cut = Good();
  Cut.resize(30);
  TBytes OddFmt = Good();
  OddFmt[16] = 12;  // "fmt " without BlockAlign and BitsPerSample
  struct TCase {
    const char* Name;
    TBytes Bytes;
  } Cases[] = {
      {"empty", {}},
      {"header cut short", Cut},
      {"not riff", Patched(Good(), 0, {'R', 'I', 'F', 'X'})},
      {"zero channels", Patched(Good(), 22, {0, 0})},
      {"41 channels", Patched(Good(), 22, {41, 0})},
      {"65535 channels", Patched(Good(), 22, {0xFF, 0xFF})},
      {"zero rate", Patched(Good(), 24, {0, 0, 0, 0})},
      {"fmt size beyond file", Patched(Good(), 16, {0xFF, 0xFF, 0xFF, 0x7F})},
      {"block align wrong", Patched(Good(), 32, {3, 0})},
      {"format tag 2", Patched(Good(), 20, {2, 0})},
      {"short fmt", OddFmt},
  };
  for (const TCase& C : Cases) {
    const std::string F = Dir.File("bad.wav");
    WriteBytes(F, C.Bytes);
    TStereoSample32 S;
    S.Init();
    EXPECT_FALSE(LoadWaveToSample(F, S, true)) << C.Name;
    EXPECT_EQ(S.Left.Data, nullptr) << C.Name;
    EXPECT_EQ(S.Right.Data, nullptr) << C.Name;
    TSurroundSample32 Sound;
    bool HighRes = false;
    EXPECT_FALSE(Sound.LoadPartFromWavFile(F, false, HighRes, 0, 1000)) << C.Name;
    Sound.Dispose();
    TMemoryStream M(std::string(C.Bytes.begin(), C.Bytes.end()));
    EXPECT_FALSE(Load_WAVTo32_ToStereoFromStream(M, S)) << C.Name;
    EXPECT_EQ(S.Left.Data, nullptr) << C.Name;
  }
}

// A data size beyond the file reads the frames really there.
TEST_F(HostileFiles, DataSizeBeyondFileReadsWhatIsThere) {
  const std::string F = Dir.File("long.wav");
  WriteBytes(F, Patched(Good(), 40, {0x00, 0x00, 0x00, 0x40}));
  TStereoSample32 S;
  S.Init();
  ASSERT_TRUE(LoadWaveToSample(F, S, false));
  EXPECT_EQ(S.Length(), 10);
  S.Dispose();
}

TEST_F(HostileFiles, AiffReaders) {
  struct TCase {
    const char* Name;
    TBytes Bytes;
    bool Ok;
    const char* Message;
  } Cases[] = {
      {"three channels", Aiff(3, 1, true), false, "Aiff read error: wrong channels number!"},
      {"no SSND", Aiff(2, 2, false), false, "Aiff read error: no SSND chunk!"},
      {"no COMM", TBytes{'F', 'O', 'R', 'M', 0, 0, 0, 4, 'A', 'I', 'F', 'F'}, false,
       "Aiff read error: no COMM found!"},
      {"frames beyond data", Aiff(2, 1000000, true), true, ""},
  };
  for (const TCase& C : Cases) {
    const std::string F = Dir.File("x.aiff");
    WriteBytes(F, C.Bytes);
    TStereoSample32 S;
    bool HighRes = true;
    EXPECT_EQ(LoadStereoFromAiff(F, S, true, HighRes), C.Ok) << C.Name;
    if (C.Ok) {
      EXPECT_EQ(S.Length(), 2) << C.Name;
      EXPECT_EQ(S.SampleRate(), 22050);
      EXPECT_EQ(S.Right.Data[0], -0.5f * 32768.0f / 32767.0f);
      EXPECT_FALSE(HighRes);
    } else {
      EXPECT_EQ(S.Left.Data, nullptr) << C.Name;
      EXPECT_EQ(Messages().back(), C.Message) << C.Name;
    }
    S.Dispose();
  }
}

namespace {

TBytes FloatBytes(std::initializer_list<uint32_t> Bits) {
  TBytes B;
  for (uint32_t V : Bits) AppendLE(B, V, 4);
  return B;
}

}  // namespace

// Float samples outside any sound (NaN, infinities, 1e30) read by the range
// rule of the multi-channel converter: NaN and above 100 as 1000, below -100
// as -1000; ordinary values stay as they are. Every float reader agrees.
TEST_F(HostileFiles, FloatSamplesOutOfRangeAreLimited) {
  const TBytes Data = FloatBytes({0x7FC00000u /* NaN */, 0x7F800000u /* +inf */,
                                  0xFF800000u /* -inf */, 0x7149F2CAu /* 1e30 */,
                                  0xF149F2CAu /* -1e30 */, 0x3F000000u /* 0.5 */,
                                  0x42C80000u /* 100 */, 0xC2CA0000u /* -101 */});
  const float Expected[] = {1000, 1000, -1000, 1000, -1000, 0.5f, 100, -1000};
  const auto Check = [&](const TSample32& S, const char* Reader) {
    ASSERT_EQ(S.Count, 8) << Reader;
    for (int I = 0; I < 8; ++I) EXPECT_EQ(S.Data[I], Expected[I]) << Reader << ' ' << I;
  };
  const std::string Mono = Dir.File("mono.wav");
  WriteBytes(Mono, MakeWav(3, 1, 44100, 32, Data));
  TSample32 S;
  S.Init();
  ASSERT_TRUE(Load_WAV2432_Mono(Mono, S, false));
  Check(S, "Load_WAV2432_Mono");
  S.Dispose();
  bool HighRes = false;
  ASSERT_TRUE(LoadMonoSampleFromFile(S, Mono, false, HighRes));
  Check(S, "LoadMonoSampleFromFile");
  S.Dispose();
  TStereoSample32 Stereo;
  Stereo.Init();
  ASSERT_TRUE(LoadWaveToSample(Mono, Stereo, false));
  Check(Stereo.Left, "LoadWaveToSample");
  Check(Stereo.Right, "LoadWaveToSample");
  Stereo.Dispose();
  TSurroundSample32 Sound;
  ASSERT_TRUE(Sound.LoadPartFromWavFile(Mono, false, HighRes, 0, 1000));
  Check(Sound.Channels[0], "LoadPartFromWavFile");
  Sound.Dispose();

  TBytes Pairs;  // each value on both channels
  for (size_t I = 0; I < Data.size(); I += 4)
    for (int C = 0; C < 2; ++C) Pairs.insert(Pairs.end(), Data.begin() + I, Data.begin() + I + 4);
  const std::string Two = Dir.File("stereo.wav");
  WriteBytes(Two, MakeWav(3, 2, 44100, 32, Pairs));
  ASSERT_TRUE(Load_WAV2432_Stereo(Two, Stereo, false));
  Check(Stereo.Left, "Load_WAV2432_Stereo");
  Check(Stereo.Right, "Load_WAV2432_Stereo");
  Stereo.Dispose();
  EXPECT_TRUE(Silent());
}

// A data chunk too short for one frame: the reader answers False and keeps
// nothing, and says "no sample data" only when errors are to be shown.
TEST_F(HostileFiles, DataWithoutAWholeFrame) {
  struct TCase {
    uint16_t Tag, Channels, Bits;
    size_t Bytes;
  } Cases[] = {{1, 1, 16, 1}, {1, 2, 16, 3}, {1, 1, 24, 2}, {1, 2, 24, 5}, {1, 1, 32, 3},
               {3, 1, 32, 3}, {3, 2, 32, 7}, {1, 6, 24, 17}, {1, 2, 8, 1}};
  for (const TCase& C : Cases) {
    const std::string Name = std::to_string(C.Tag) + "/" + std::to_string(C.Channels) + "/" +
                             std::to_string(C.Bits) + "/" + std::to_string(C.Bytes);
    const std::string F = Dir.File("short.wav");
    WriteBytes(F, MakeWav(C.Tag, C.Channels, 44100, C.Bits, TBytes(C.Bytes, 0x11)));
    for (bool Show : {false, true}) {
      ClearErrors();
      Sink.Clear();
      TStereoSample32 Stereo;
      Stereo.Init();
      EXPECT_FALSE(LoadWaveToSample(F, Stereo, Show)) << Name;
      EXPECT_EQ(Stereo.Left.Data, nullptr) << Name;
      TSample32 Mono;
      Mono.Init();
      bool HighRes = false;
      EXPECT_FALSE(LoadMonoSampleFromFile(Mono, F, Show, HighRes)) << Name;
      EXPECT_EQ(Mono.Data, nullptr) << Name;
      TSurroundSample32 Sound;
      EXPECT_FALSE(Sound.LoadPartFromWavFile(F, Show, HighRes, 0, 1000)) << Name;
      Sound.Dispose();
      TSurroundSample32 Whole;
      EXPECT_FALSE(LoadSurroundSampleFromFile(Whole, F, Show, HighRes)) << Name;
      Whole.Dispose();
      if (!Show) {
        EXPECT_TRUE(Silent()) << Name << ": " << (Errors().empty() ? "" : Errors()[0]);
        continue;
      }
      const std::vector<std::string> Said = Messages();
      EXPECT_TRUE(Errors().empty()) << Name << ": " << (Errors().empty() ? "" : Errors()[0]);
      EXPECT_FALSE(Said.empty()) << Name;
      // The readers that show their own reason give this one.
      for (const std::string& M : Said)
        if (M.find("Error loading wave") == std::string::npos)
          EXPECT_NE(M.find("no sample data"), std::string::npos) << Name << ": " << M;
    }
  }
}
