#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/channel_mixer_preset.h"
#include "engine/channel_mixer_unit.h"
#include "engine/log_decoder.h"
#include "engine/lut_procedures.h"
#include "engine/volume_unit.h"
#include "engine_test_support.h"
#include "support/temp_dir.h"

namespace kromel::testing {
namespace {

using MixerVolume = EngineTest;

TEST_F(MixerVolume, MixerDefaultsGiveTheIdentityMatrixAndKeepTheGrid) {
  TChannelMixerAdjustments Mixer(nullptr);
  TChannelMixerParams M;
  Mixer.GetMatrix(M);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(M.Matrix[i], i % 4 == 0 ? 1 : 0, 1e-3) << i;

  for (int32_t AutoGamma : {1, 0}) {
    T3DLut Lut, Start;
    DecodedStage(Lut);
    Start.CopyFrom(Lut);
    Mixer.AutoGamma->SetValue(AutoGamma);
    Mixer.Process(&Lut, &Lut, Prefs);
    EXPECT_EQ(Lut.ColorSpace, AutoGamma ? lcsLinearRGB : lcsProfileRGB);
    if (AutoGamma) EXPECT_LT(MaxDifference(Lut, Start), 1e-4f);
    // The integer dot positions leave off-diagonal terms of about 1e-5; in
    // gamma mode x^(1/2.397) lifts them to about 0.01 next to black.
    EXPECT_LT(ErrorFromIdentity(Lut), AutoGamma ? 1e-3f : 1.5e-2f) << "AutoGamma " << AutoGamma;
  }
  EXPECT_TRUE(Silent());
}

TEST_F(MixerVolume, MixerSaturationLimitAndDarkenLighten) {
  TChannelMixerAdjustments Mixer(nullptr);
  // Red output takes the whole input sum: (1, 0, 0) mixes to (1, 0, 0) only
  // for a pure red node; a grey node mixes to (3g, g, g).
  T3DLut Lut;
  DecodedStage(Lut);
  const int32_t Red = GridSize - 1;  // node (1, 0, 0)
  Mixer.SaturationLimit->SetValue(0.5f);
  Mixer.Process(&Lut, &Lut, Prefs);
  EXPECT_NEAR(Lut.R[Red], 2.0f / 3, 2e-3f);
  EXPECT_NEAR(Lut.G[Red], 1.0f / 6, 2e-3f);
  EXPECT_NEAR(Lut.B[Red], 1.0f / 6, 2e-3f);

  // Moving the red dot to the green vertex makes the red output copy green:
  // with Darken 0 a channel the mix lowers keeps its value, with Lighten 0 a
  // channel it raises does too.
  TChannelMixerAdjustments Swap(nullptr);
  Swap.ChannelMixerGrid->Grid.Dots[0][0].X = -866;
  Swap.ChannelMixerGrid->Grid.Dots[0][0].Y = -500;
  for (auto [Dark, Light] : {std::pair{0.0f, 0.5f}, std::pair{0.5f, 0.0f}}) {
    T3DLut L;
    DecodedStage(L);
    Swap.Darken->SetValue(Dark);
    Swap.Lighten->SetValue(Light);
    Swap.Process(&L, &L, Prefs);
    const int32_t GreenNode = GridSize * (GridSize - 1);  // (0, 1, 0)
    EXPECT_NEAR(L.R[Red], Dark == 0 ? 1.0f : 0.0f, 2e-3f);
    EXPECT_NEAR(L.R[GreenNode], Light == 0 ? 0.0f : 1.0f, 2e-3f);
  }
  EXPECT_TRUE(Silent());
}

TEST_F(MixerVolume, MixerBrightnessAsOffsetsOnlyWithoutLogInput) {
  TChannelMixerAdjustments Mixer(nullptr);
  Mixer.LumaMode->SetValue(2);
  Mixer.ChannelMixerGrid->Grid.Dots[0][0].Z = 50;  // red row: offset 0.5, coefficients x 0.5
  for (bool LogInput : {false, true}) {
    T3DLut Lut;
    DecodedStage(Lut);
    Mixer.LogInput = LogInput;
    Mixer.Process(&Lut, &Lut, Prefs);
    const int32_t Red = GridSize - 1;
    EXPECT_NEAR(Lut.R[0], LogInput ? 0.0f : 0.5f, 1e-4f) << LogInput;
    EXPECT_NEAR(Lut.R[Red], 1.0f, 1e-4f) << LogInput;  // 0.5 + 0.5 * 1
    EXPECT_NEAR(Lut.G[0], 0.0f, 1e-4f);
  }
  EXPECT_TRUE(Silent());
}

TEST_F(MixerVolume, ChaRecordIsBigEndianPercentHeldToSixteenBits) {
  TChannelMixerParams M;
  ChannelMixerSetDefault(M);
  M.Matrix[1] = 0.125;   // 12.5 rounds to the even 12
  M.Matrix[2] = -0.5;    // -50
  M.Matrix[6] = 400;     // beyond 327.67: held at 32767
  M.Matrix[7] = -400;    // held at -32768
  M.OffsetB = 0.25f;     // blue output's constant
  const TChaRecord R = ChannelMixerToChaRecord(M);
  const TChaRecord Expected = {0, 1, 0, 0, 0, 100, 0, 12, 0xFF, 0xCE, 0, 0, 0, 0,
                               0, 0, 0, 100, 0, 0, 0, 0, 0, 0,
                               0x7F, 0xFF, 0x80, 0x00, 0, 100, 0, 25, 0, 0,
                               0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(R, Expected);
  TChannelMixerParams Back;
  ChaRecordToChannelMixer(R, Back);
  EXPECT_DOUBLE_EQ(Back.Matrix[1], 0.12);
  EXPECT_DOUBLE_EQ(Back.Matrix[2], -0.5);
  EXPECT_DOUBLE_EQ(Back.Matrix[6], 327.67);
  EXPECT_DOUBLE_EQ(Back.Matrix[7], -327.68);
  EXPECT_FLOAT_EQ(Back.OffsetB, 0.25f);
}

TEST_F(MixerVolume, ChaFilesOfOtherSizesAreRefused) {
  const TTestTempDir Dir("kromel_cha");
  TChannelMixerAdjustments Mixer(nullptr);
  const std::string Good = Dir.File("good.cha");
  ASSERT_TRUE(SaveChannelMixerPreset(&Mixer.ChannelMixerGrid->Grid, Good, false));
  std::vector<uint8_t> Bytes = ReadBytes(Good);
  ASSERT_EQ(Bytes.size(), 44u);
  EXPECT_EQ(Bytes[5], 100);  // red output's red coefficient 1.0

  const TDotPoint Before = Mixer.ChannelMixerGrid->Grid.Dots[0][0];
  for (size_t Size : {size_t(43), size_t(45)}) {
    const std::string Name = Dir.File("bad" + std::to_string(Size) + ".cha");
    std::vector<uint8_t> Bad = Bytes;
    Bad.resize(Size, 0);
    Bad[5] = 0;  // a different matrix, never applied
    WriteBytes(Name, Bad);
    EXPECT_FALSE(LoadChannelMixerPreset(&Mixer.ChannelMixerGrid->Grid, Name, false));
    const std::string Expected = "Incorrect file size: " + Name;
    ASSERT_GE(Messages().back().size(), Expected.size());
    EXPECT_EQ(Messages().back().substr(Messages().back().size() - Expected.size()), Expected);
  }
  EXPECT_FALSE(LoadChannelMixerPreset(&Mixer.ChannelMixerGrid->Grid, Dir.File("none.cha"), false));
  EXPECT_NE(Messages().back().find("File not found: "), std::string::npos);
  EXPECT_EQ(Mixer.ChannelMixerGrid->Grid.Dots[0][0].X, Before.X);
  EXPECT_EQ(Mixer.ChannelMixerGrid->Grid.Dots[0][0].Y, Before.Y);

  // A saved file read back gives the grid's matrix again.
  TChannelMixerAdjustments Other(nullptr);
  Other.ChannelMixerGrid->Grid.Dots[1][0].X = -500;
  Other.ChannelMixerGrid->Grid.Dots[1][0].Y = 0;
  ASSERT_TRUE(SaveChannelMixerPreset(&Other.ChannelMixerGrid->Grid, Good, false));
  ASSERT_TRUE(LoadChannelMixerPreset(&Mixer.ChannelMixerGrid->Grid, Good, false));
  TChannelMixerParams A, B;
  Other.GetMatrix(A);
  Mixer.GetMatrix(B);
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(A.Matrix[i], B.Matrix[i], 0.01) << i;
}

TEST_F(MixerVolume, VolumeDefaultsAndLumaModesKeepTheIdentity) {
  for (int32_t Luma : {2, 1}) {
    TVolumeAdjustments Volume(nullptr);
    Volume.LumaMode->SetValue(Luma);
    T3DLut Lut;
    DecodedStage(Lut);
    Volume.Process(&Lut, &Lut, Prefs);
    EXPECT_EQ(Lut.ColorSpace, lcsProfileRGB);
    // The centre weights are 1/3 to float precision; next to black the
    // re-encoding x^(1/2.397) lifts that to about 0.002.
    EXPECT_LT(ErrorFromIdentity(Lut), 3e-3f) << "LumaMode " << Luma;
  }
  EXPECT_TRUE(Silent());
}

TEST_F(MixerVolume, VolumeModesAndPreview) {
  TVolumeAdjustments Volume(nullptr);
  Volume.Mode->SetValue(4);
  T3DLut Lut, Start;
  MakeIdentity(Lut);
  MakeIdentity(Start);
  Volume.Process(&Lut, &Lut, Prefs);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Invalid Volume mode: 4"});
  EXPECT_EQ(MaxDifference(Lut, Start), 0.0f);  // stopped at the first node with a mean

  Volume.Mode->SetValue(1);
  Volume.WeightPreview = true;
  T3DLut Preview;
  MakeIdentity(Preview, 3);
  Volume.Process(&Preview, &Preview, Prefs);
  const int32_t Mid = 1 + 3 * (1 + 3 * 1);  // (0.5, 0.5, 0.5)
  EXPECT_NEAR(Preview.R[Mid], 0.5f, 1e-6f);
  EXPECT_NEAR(Preview.B[Mid], 0.5f, 1e-6f);
  EXPECT_EQ(Preview.R[0], 0.0f);  // black stays black
}

TEST_F(MixerVolume, VolumeDarkeningBeyondTheLimitIsHalved) {
  // A dot on the blue vertex with a strong negative brightness darkens blue.
  TVolumeAdjustments Volume(nullptr);
  Volume.VolumeGrid->Grid.Dots[0][0].X = 866;
  Volume.VolumeGrid->Grid.Dots[0][0].Y = -500;
  Volume.VolumeGrid->Grid.Dots[0][0].Z = -300;
  Volume.LumaMode->SetValue(1);
  T3DLut Free, Limited;
  MakeIdentity(Free, 5);
  MakeIdentity(Limited, 5);
  Volume.Process(&Free, &Free, Prefs);
  Volume.Limit->SetValue(0.05f);
  Volume.Process(&Limited, &Limited, Prefs);
  const int32_t Blue = 5 * 5 * 2;  // (0, 0, 0.5)
  EXPECT_LT(Free.B[Blue], 0.4f);
  EXPECT_GT(Limited.B[Blue], Free.B[Blue]);
  EXPECT_TRUE(Silent());
}

}  // namespace
}  // namespace kromel::testing
