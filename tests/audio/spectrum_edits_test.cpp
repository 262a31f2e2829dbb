#include "audio/spectrum_edits.h"

#include <gtest/gtest.h>

#include "audio_test_support.h"

using namespace kromel;
using namespace kromel::testing;

TEST(SpectrumEdits, TiltsAndLogResampling) {
  TSample32 S = MakeSample({5, 1, 1, 1, 1});
  SpectrumTiltLinear(S);
  EXPECT_FLOAT_EQ(S.Data[0], 5.0f);
  EXPECT_FLOAT_EQ(S.Data[4], 0.04f);
  S.Fill(1.0f);
  SpectrumTiltSqrt(S);
  EXPECT_FLOAT_EQ(S.Data[4], 0.2f);
  // 0..500 Hz over 10 points at rate 1000: point k is k 50 Hz.
  TSample32 Src = MakeSample({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 1000);
  TSample32 Dest = MakeSample({0, 0, 0});
  ResampleSpectrumLog(Src, Dest, 100, 400);
  EXPECT_EQ(Dest.Data[0], 2.0f);
  EXPECT_EQ(Dest.Data[1], 4.0f);
  EXPECT_EQ(Dest.Data[2], 8.0f);
  // Past the source's end reads 0 instead of outside the buffer.
  ResampleSpectrumLog(Src, Dest, 100, 2000);
  EXPECT_EQ(Dest.Data[2], 0.0f);
  for (TSample32* B : {&S, &Src, &Dest}) B->Dispose();
}
