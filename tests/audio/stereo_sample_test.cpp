#include "audio/stereo_sample.h"

#include <gtest/gtest.h>

#include "audio_test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

TStereoSample32 MakeStereo(std::initializer_list<float> L, std::initializer_list<float> R) {
  TStereoSample32 S;
  S.Left = MakeSample(L);
  S.Right = MakeSample(R);
  return S;
}

}  // namespace

TEST(StereoSample, MeasuresAndWidth) {
  TStereoSample32 Hard = MakeStereo({1, 1, 1}, {0, 0, 0});
  EXPECT_FLOAT_EQ(Hard.StereoAngle(), -1.0f);
  TStereoSample32 Anti = MakeStereo({0.5f, -0.5f}, {-0.5f, 0.5f});
  EXPECT_FLOAT_EQ(Anti.StereoAngle(), 0.0f);
  EXPECT_FLOAT_EQ(Anti.SideToMidRatio(), 1.0f);
  Hard.SetWidth(0.0f);
  EXPECT_FLOAT_EQ(Hard.Left.Data[0], 0.5f);
  EXPECT_FLOAT_EQ(Hard.Right.Data[0], 0.5f);
  TStereoSample32 N = MakeStereo({0.1f, 0.2f}, {0.0f, 0.5f});
  N.Normalize();
  EXPECT_NEAR(N.Right.Data[1], 0.5f / 0.525f, 1e-6);
  Hard.Dispose();
  Anti.Dispose();
  N.Dispose();
}

TEST(StereoSample, QuietestFrameAndEnvelope) {
  TStereoSample32 S;
  S.Init();
  ASSERT_TRUE(S.Alloc(1000));
  for (int I = 0; I < 1000; ++I) S.Left.Data[I] = S.Right.Data[I] = float(I % 100) / 100.0f;
  EXPECT_EQ(S.FindQuietestFrame(2000, 3000), 998);
  EXPECT_EQ(S.FindQuietestFrame(0, 150), 100);
  TSample32 Env = MakeSample({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
  S.PeakEnvelopeTo(Env);
  EXPECT_FLOAT_EQ(Env.Data[0], 0.99f);
  EXPECT_FLOAT_EQ(Env.Data[10], 9.0f);  // never written
  Env.Dispose();
  S.Dispose();
}

// The interleave and de-interleave conversions work and clamp (once "not
// implemented" and left samples uninitialised).
TEST(StereoSample, ConversionsRoundTripAndClamp) {
  TStereoSample32 S = MakeStereo({0.5f, -1.0f, 1.5f, -7.0f}, {0.0f, 1.0f, -1.5f, 0.25f});
  TRawStereoSample16 Raw;
  Raw.Init();
  ASSERT_TRUE(Raw.Alloc(4));
  Convert32Sto16RS(S, Raw);
  const int16_t Expected[8] = {16384, 0, -32767, 32767, 32767, -32767, -32767, 8192};
  for (int I = 0; I < 8; ++I) EXPECT_EQ(Raw.Data[I], Expected[I]) << I;
  TStereoSample32 Back;
  Back.Init();
  ASSERT_TRUE(Back.Alloc(4));
  ConvertRaw16ToStereo32(Raw, Back);
  EXPECT_FLOAT_EQ(Back.Left.Data[1], -1.0f);
  EXPECT_FLOAT_EQ(Back.Right.Data[3], 8192.0f / 32767.0f);
  TStereoSample16 W;
  W.Init();
  W.Alloc(4);
  ConvertRaw16ToStereo16(Raw, W);
  EXPECT_EQ(W.Right.Data[1], 32767);
  TRawStereoSample32 F;
  F.Init();
  ASSERT_TRUE(F.Alloc(1));
  F.Data[0] = 0.125f;
  F.Data[1] = -2.0f;
  ConvertRaw32ToStereo32(F, Back);
  EXPECT_EQ(Back.Left.Data[0], 0.125f);
  EXPECT_EQ(Back.Right.Data[0], -2.0f);
  F.Dispose();
  W.Dispose();
  Back.Dispose();
  Raw.Dispose();
  S.Dispose();
}
