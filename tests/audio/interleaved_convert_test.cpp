// Packed frames to and from float channels: the byte layouts, the float
// range rule, clamping and short destinations.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio/interleaved_convert.h"
#include "filter_test_support.h"
#include "support/test_support.h"

using namespace kromel;
using namespace kromel::testing;

namespace {

class InterleavedConvert : public TCaptureTest {};

TEST_F(InterleavedConvert, PackedToFloat) {
  const uint8_t Mono[] = {0x40, 0x00, 0x80, 0x01};
  TOwnedSample M(2);
  ConvertInterleavedToSample32(Mono, 2, 2, M.S, true);
  EXPECT_FLOAT_EQ(M[0], 16384.0f / 32767);
  EXPECT_FLOAT_EQ(M[1], -32767.0f / 32767);

  const uint8_t S24[] = {0x7F, 0xFF, 0xFF, 0x80, 0x00, 0x00};
  TStereoSample32 St;
  St.Init();
  ASSERT_TRUE(St.Alloc(1));
  ConvertInterleavedToStereo32(S24, 1, 3, St, true);
  EXPECT_EQ(St.Left.Data[0], 1.0f);
  EXPECT_EQ(St.Right.Data[0], float(-8388608.0 / 8388607.0));
  const uint8_t S8[] = {0x40, 0xC0};
  ConvertInterleavedToStereo32(S8, 1, 1, St, false);
  EXPECT_EQ(St.Left.Data[0], 0.5f);
  EXPECT_EQ(St.Right.Data[0], -0.5f);
  St.Dispose();

  const float Floats[] = {150.0f, -0.5f, -1e6f, NAN};
  TSurroundSample32 Sur;
  ASSERT_TRUE(Sur.Alloc(2, 2));
  ConvertInterleavedToSurround32(Floats, 2, 2, 4, Sur, false);
  EXPECT_EQ(Sur.Channels[0].Data[0], 1000.0f);
  EXPECT_EQ(Sur.Channels[1].Data[0], -0.5f);
  EXPECT_EQ(Sur.Channels[0].Data[1], -1000.0f);
  EXPECT_EQ(Sur.Channels[1].Data[1], 1000.0f);
  // Too many frames for the channels: reported, nothing written.
  ConvertInterleavedToSurround32(Floats, 1, 4, 4, Sur, false);
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Sur.Channels[0].Data[1], -1000.0f);
  Sur.Dispose();
}

TEST_F(InterleavedConvert, FloatToPackedClampsAndPads) {
  TSurroundSample32 Sur;
  ASSERT_TRUE(Sur.Alloc(2, 12));
  Sur.Channels[0].Fill(1.5f);  // beyond full scale: clamped, never wrapped
  Sur.Channels[1].Fill(-2.0f);
  Sur.Channels[0].Count = 10;
  std::vector<uint8_t> Out(12 * 2 * 2, 0xAA);
  ConvertSurround32ToInterleaved(Out.data(), 2, 12, 2, Sur);
  EXPECT_EQ(Out[0], 0xFF);
  EXPECT_EQ(Out[1], 0x7F);
  EXPECT_EQ(Out[2], 0x01);
  EXPECT_EQ(Out[3], 0x80);
  for (int F = 10; F < 12; ++F) {
    EXPECT_EQ(Out[size_t(F) * 4], 0);
    EXPECT_EQ(Out[size_t(F) * 4 + 1], 0);
  }
  std::vector<uint8_t> Out24(12 * 2 * 3);
  ConvertSurround32ToInterleaved(Out24.data(), 2, 12, 3, Sur);
  EXPECT_EQ((std::vector<uint8_t>(Out24.begin(), Out24.begin() + 6)),
            (std::vector<uint8_t>{0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x80}));
  std::vector<uint8_t> Same(4, 0xAA);
  ConvertSurround32ToInterleaved(Same.data(), 2, 1, 1, Sur);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"ConvertSurround32ToInterleaved 8 bit! Not implemented!"}));
  EXPECT_EQ(Same[0], 0xAA);
  Sur.Channels[1].Dispose();
  ConvertSurround32ToInterleaved(Same.data(), 2, 1, 2, Sur);
  EXPECT_EQ(Messages().back(), "Error: ConvertSurround32ToInterleaved - Channel 1 is nil");
  Sur.Dispose();

  TStereoSample32 St;
  St.Init();
  ASSERT_TRUE(St.Alloc(2));
  St.Left.Fill(0.5f);
  St.Right.Fill(-3.0f);
  std::vector<uint8_t> S16(8);
  ConvertStereo32ToInterleaved(S16.data(), 6, 2, 2, St);
  EXPECT_EQ(S16, (std::vector<uint8_t>{0x00, 0x40, 0x01, 0x80, 0x00, 0x40, 0x01, 0x80}));
  std::vector<uint8_t> S24(2 * 3 * 3, 0xAA);
  ConvertStereo32ToInterleaved(S24.data(), 3, 2, 3, St);
  EXPECT_EQ((std::vector<uint8_t>(S24.begin(), S24.begin() + 9)),
            (std::vector<uint8_t>{0x00, 0x00, 0x40, 0x01, 0x00, 0x80, 0xAA, 0xAA, 0xAA}));
  std::vector<uint8_t> Short(3 * 3, 0xAA);
  ConvertStereo32ToInterleaved(Short.data(), 3, 3, 3, St);  // 3 frames asked, 2 held
  EXPECT_EQ(Short[0], 0xAA);
  St.Dispose();
}

}  // namespace
