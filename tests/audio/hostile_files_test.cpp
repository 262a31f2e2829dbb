// Damaged and hostile sound files fail cleanly: False, no data, no crash.
#include <gtest/gtest.h>

#include "audio/aiff_files.h"
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
