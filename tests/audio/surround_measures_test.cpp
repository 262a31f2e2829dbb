#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "audio/surround_sample.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::TCaptureTest;

class SurroundMeasures : public TCaptureTest {
protected:
  void TearDown() override {
    A.Dispose();
    B.Dispose();
    TCaptureTest::TearDown();
  }
  // Channels of N frames, silent.
  void Make(TSurroundSample32& S, int32_t Channels, int32_t N) {
    ASSERT_TRUE(S.Alloc(Channels, N));
    S.Clear();
    S.SetSampleRate(48000);
  }
  TSurroundSample32 A, B;
};

TEST_F(SurroundMeasures, SilenceEdgesClippingAndInvalidValues) {
  Make(A, 3, 100);
  EXPECT_EQ(A.NonSilentLength(), 0);
  A.Channels[0].Data[10] = 0.5f;
  A.Channels[2].Data[90] = -0.995f;
  EXPECT_EQ(A.NonSilentLength(), 80);
  EXPECT_EQ(A.LastNonZeroIndex(), 90);
  EXPECT_EQ(A.ClipCount(), 1);
  EXPECT_FLOAT_EQ(A.SumAbs(), 1.495f);
  EXPECT_FALSE(A.HasInvalidValues());
  A.Channels[1].Data[5] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(A.HasInvalidValues());
  A.Channels[1].Data[5] = 0;

  A.Normalize();
  EXPECT_NEAR(A.Peak(), 1.0f, 1e-6f);
  EXPECT_EQ(A.StereoAngle(), -1.0f);  // three channels
  EXPECT_EQ(A.SideToMidRatio(), 0.0f);
}

TEST_F(SurroundMeasures, CopiesKeepSamplesAndRefuseOtherChannelCounts) {
  Make(A, 2, 10);
  A.Name = "Pad";
  for (int I = 0; I < 10; ++I) A.Channels[1].Data[I] = 0.1f * float(I);
  B.Assign(A);
  EXPECT_EQ(B.NumChannels, 2);
  EXPECT_EQ(B.Name, "Pad");
  EXPECT_TRUE(B.SamplesEqual(A));
  EXPECT_NE(B.Channels[1].Data, A.Channels[1].Data);

  B.CopyRange(A, 3, 7);
  EXPECT_EQ(B.Length(), 4);
  EXPECT_FLOAT_EQ(B.Channels[1].Data[0], 0.3f);

  TSurroundSample32 Four;
  Make(Four, 4, 10);
  Four.Channels[0].Data[0] = 0.25f;
  Four.CopyFrom(A);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"TSurroundSample32.CopyFrom - Channel count mismatch"}));
  EXPECT_EQ(Four.Channels[0].Data[0], 0.25f);
  Four.Dispose();

  TSurroundSample32 Empty;
  B.Assign(Empty);
  EXPECT_EQ(B.NumChannels, 0);
}

TEST_F(SurroundMeasures, MonoMixesAndOverwrites) {
  Make(A, 2, 4);
  for (int I = 0; I < 4; ++I) {
    A.Channels[0].Data[I] = 0.2f;
    A.Channels[1].Data[I] = 0.6f;
  }
  TSample32 Sum;
  Sum.Init();
  A.MixToMono(Sum);
  ASSERT_EQ(Sum.Count, 4);
  EXPECT_FLOAT_EQ(Sum.Data[3], 0.8f);  // a sum, not a mean
  EXPECT_EQ(Sum.SampleRate, 48000);
  Sum.Dispose();

  Make(B, 1, 2);
  B.Channels[0].Data[0] = -0.5f;
  B.Channels[0].Data[1] = -0.25f;
  A.OverwriteAt(B, 1);
  EXPECT_EQ(A.Channels[0].Data[1], -0.5f);
  EXPECT_EQ(A.Channels[1].Data[2], -0.25f);  // mono source fills both
  EXPECT_EQ(A.Channels[1].Data[0], 0.6f);

  A.StereoToMono();
  EXPECT_EQ(A.NumChannels, 1);
  EXPECT_FLOAT_EQ(A.Channels[0].Data[0], 0.4f);
  EXPECT_FLOAT_EQ(A.Channels[0].Data[1], -0.5f);

  A.DeleteRange(0, 2);
  EXPECT_EQ(A.Length(), 2);
}

}  // namespace
}  // namespace kromel
