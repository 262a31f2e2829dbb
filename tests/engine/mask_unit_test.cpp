#include "engine/mask_unit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_test_support.h"
#include "engine/mask_preview.h"
#include "lut/lut_mask.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;
using testing::MaxDifference;

class MaskUnitTest : public EngineTest {
 protected:
  TMaskAdjustments Unit{nullptr};
  T3DLut SourceLut, KeyLut, MaskLut;
  T3DLut* Source = &SourceLut;
  T3DLut* Key = &KeyLut;
  T3DLut* Mask = &MaskLut;

  void SetUp() override {
    EngineTest::SetUp();
    MakeIdentity(SourceLut, 9);
  }
  void Run(T3DLut* Src = nullptr, T3DLut* Dst = nullptr) {
    Unit.ProcessMask(Source, Key, Mask, Src, Dst, Prefs);
  }
  // The expected mask: the source measured by Fn, through curve 1.
  template <class F>
  void ExpectMaskIs(F Measure, bool Inverted = false) {
    T3DLut Want;
    Want.CopyFrom(SourceLut);
    Measure(Want);
    ProcessLUTMaskApplyCurve(Want, Want, &Unit.Curve1->Curve);
    if (Inverted) Invert(Want);
    EXPECT_LT(MaxDifference(MaskLut, Want), 1e-6f);
  }
};

TEST_F(MaskUnitTest, DefaultsGiveBrightnessThroughTheMaximumCurve) {
  Run();
  EXPECT_TRUE(KeyLut.Valid);
  EXPECT_TRUE(MaskLut.Valid);
  T3DLut Brightness;
  Brightness.CopyFrom(SourceLut);
  BrightnessToGray(Brightness);
  EXPECT_LT(MaxDifference(KeyLut, Brightness), 1e-6f);
  ExpectMaskIs([](T3DLut& L) { BrightnessToGray(L); });
  EXPECT_GT(MaskLut.R[0], 0.99f);  // the maximum curve passes everything
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MaskUnitTest, ValidKeyKeepsTheOldMeasureUntilInvalidated) {
  Unit.Curve1->Curve.SetDefault(cdtDiagonal);
  Run();
  Unit.MaskType->SetValue(mtRed);
  Run();
  ExpectMaskIs([](T3DLut& L) { BrightnessToGray(L); });
  KeyLut.Valid = false;
  Run();
  ExpectMaskIs([](T3DLut& L) { ChannelToGray(L, 0); });
  Unit.Invert->SetValue(1);
  Run();
  ExpectMaskIs([](T3DLut& L) { ChannelToGray(L, 0); }, true);
}

TEST_F(MaskUnitTest, HSPWithoutCurve2IsTheProductOfCurves1And3) {
  Unit.MaskType->SetValue(mtHSP);
  Unit.Curve1->Curve.SetDefault(cdtDiagonal);
  Unit.Curve2->Curve.SetDefault(cdtHorizontalZero);  // would zero the mask
  Unit.Curve3->Curve.SetDefault(cdtDiagonal);
  Unit.Curve2Enable->SetValue(0);
  Run();
  T3DLut Coords;
  Coords.CopyFrom(SourceLut);
  ConvertToHSP2p(Coords);
  T3DLut Want;
  Want.CopyFrom(Coords);
  ProcessLUTMaskCurves(Coords, Want, &Unit.Curve1->Curve, nullptr, &Unit.Curve3->Curve);
  EXPECT_LT(MaxDifference(MaskLut, Want), 1e-6f);
  float Largest = 0;
  for (int32_t k = 0; k < MaskLut.Count; ++k) Largest = std::max(Largest, MaskLut.R[k]);
  EXPECT_GT(Largest, 0.1f);
}

// Mended: the difference measures used to read the missing stages.
TEST_F(MaskUnitTest, DifferenceWithoutStagesWaitsForThem) {
  MakeIdentity(MaskLut, 9);
  MaskLut.R[5] = 0.25f;
  for (int32_t Type : {mtDifference, mtColorDifference}) {
    Unit.MaskType->SetValue(Type);
    KeyLut.Valid = false;
    Run();
    EXPECT_FALSE(KeyLut.Valid);
    EXPECT_FLOAT_EQ(MaskLut.R[5], 0.25f);
  }
  T3DLut Other;
  MakeIdentity(Other, 9);
  for (int32_t k = 0; k < Other.Count; ++k) Other.R[k] = std::min(1.0f, Other.R[k] + 0.2f);
  Unit.MaskType->SetValue(mtDifference);
  Unit.Curve1->Curve.SetDefault(cdtDiagonal);
  Run(&SourceLut, &Other);
  EXPECT_TRUE(KeyLut.Valid);
  ExpectMaskIs([&](T3DLut& L) { ExtractDifference(L, &SourceLut, &Other); });
  EXPECT_TRUE(Messages().empty());
}

TEST_F(MaskUnitTest, PickedRanges) {
  Unit.AddPickedColor(0, 0.5f, 0.03f, 0.5f);  // set
  EXPECT_NEAR(Unit.SatMin, -0.02f, 1e-6f);
  EXPECT_EQ(Unit.HueMin, 0);
  EXPECT_EQ(Unit.HueMax, 1);

  Unit.SatMin = 0.2f, Unit.SatMax = 0.6f;
  Unit.AddPickedColor(PickRemove, 0.5f, 0.45f, 0.5f);  // upper end nearer
  EXPECT_NEAR(Unit.SatMax, 0.4f, 1e-6f);
  Unit.AddPickedColor(PickRemove, 0.5f, 0.3f, 0.5f);  // ends equally near
  EXPECT_NEAR(Unit.SatMax, 0.25f, 1e-6f);
  Unit.AddPickedColor(PickRemove, 0.5f, 0.22f, 0.5f);  // lower end nearer
  EXPECT_EQ(Unit.SatMin, 2);
  EXPECT_EQ(Unit.SatMax, -1);

  Unit.HueMin = 0.9f, Unit.HueMax = 0.1f;
  Unit.AddPickedColor(PickRemove, 0.05f, 0.5f, 0.5f);
  EXPECT_FLOAT_EQ(Unit.HueMax, 0.05f);
  EXPECT_FLOAT_EQ(Unit.HueMin, 0.9f);

  Unit.HueMin = 0.4f, Unit.HueMax = 0.5f, Unit.SatMin = 0.3f, Unit.SatMax = 0.4f;
  Unit.LumMin = 0.4f, Unit.LumMax = 0.5f;
  Unit.AddPickedColor(PickAdd, 0.55f, 0.5f, 0.7f);
  EXPECT_FLOAT_EQ(Unit.HueMax, 0.55f);
  EXPECT_FLOAT_EQ(Unit.SatMax, 0.55f);
  EXPECT_FLOAT_EQ(Unit.LumMax, 0.7f);
  // The curves are bands over the ranges.
  EXPECT_GT(Unit.Curve1->Curve.GetValueS(16384 * 0.45f), 30000);
  EXPECT_LT(Unit.Curve1->Curve.GetValueS(16384 * 0.1f), 100);
}

TEST_F(MaskUnitTest, IsolateMarksTheMaskParametersAndLut) {
  Unit.SetMaskIsolate(true);
  EXPECT_TRUE(Unit.MaskType->Isolate && Unit.Invert->Isolate && Unit.ReferenceColor->Isolate);
  EXPECT_TRUE(Unit.Curve1->Curve.Isolate && Unit.Curve3->Isolate);
  EXPECT_TRUE(Unit.MaskLUTIsolate);
  EXPECT_FALSE(Unit.Enabled->Isolate);
  EXPECT_FALSE(Unit.Isolate);
  EXPECT_EQ(Unit.MaskLUT->NLRH, 144);
  EXPECT_EQ(Unit.MaskLUT->NLGS, 10);
  EXPECT_EQ(Unit.MaskLUT->NLBL, 16);
}

TEST(MaskScale, GreyScaleIsDimmedAndOnePixelIsSafe) {
  TRawBitmap Bitmap(256, 4, pf32bit);
  GenerateMaskScale(Bitmap, 6, 0);
  const uint8_t* Row = Bitmap.ScanLine(2);
  EXPECT_EQ(Row[1], 191);  // A, R, G, B bytes
  EXPECT_EQ(Row[3], 191);
  EXPECT_EQ(Row[255 * 4 + 1], 64);
  // Mended: one pixel wide or high divided by zero.
  for (auto [W, H] : {std::pair{1, 5}, std::pair{5, 1}, std::pair{1, 1}}) {
    TRawBitmap Small(W, H, pf32bit);
    GenerateMaskScale(Small, 10, 0x123456);
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x)
        for (int c = 1; c < 4; ++c) {
          const uint8_t V = Small.ScanLine(y)[4 * x + c];
          EXPECT_TRUE(V >= 64 && V <= 191);
        }
  }
}

TEST(HSLMaskPreview, DrawsTheMaskOverTheRampAndSurvivesTinyInputs) {
  TImage32 Image;
  ASSERT_TRUE(Image.Alloc(200, 150));
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(144, 10, 16));
  Draw3DLUTHSLMask(Image, Lut, 0, 1);
  EXPECT_EQ(Image.Pixels[0].Value, 0xFF000000u);
  EXPECT_EQ(Image.Pixels[149 * 200].Value, 0xFF404040u);
  FillWhite(Lut);
  Draw3DLUTHSLMask(Image, Lut, -1, 1);
  int32_t Coloured = 0;
  for (int32_t i = 0; i < Image.Size; ++i) {
    const TBGRAPixel32 P = Image.Pixels[i].BGRA;
    Coloured += (P.R != P.G || P.G != P.B);
  }
  EXPECT_GT(Coloured, 500);
  // Mended: size-1 levels and a one-row image divided by zero.
  T3DLut Flat;
  ASSERT_TRUE(Flat.SetLevels(144, 2, 2));
  FillWhite(Flat);
  Draw3DLUTHSLMask(Image, Flat, 0, 1);
  TImage32 Row;
  ASSERT_TRUE(Row.Alloc(1, 1));
  Draw3DLUTHSLMask(Row, Lut, 0, 0);
  T3DLut Empty;
  Draw3DLUTHSLMask(Image, Empty, 0, 3);
}

}  // namespace
}  // namespace kromel
