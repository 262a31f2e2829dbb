#include "fileio/curves_acv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "curve_test_support.h"
#include "fileio_test_support.h"

namespace kromel {
namespace {

using fileio_test::DotsOf;
using fileio_test::FileIOTest;
using fileio_test::ReadBytes;
using fileio_test::SetDots;
using fileio_test::SpreadDots;
using fileio_test::TDotList;
using fileio_test::WriteBytes;

class ACVCurvesTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    for (TEnvelopeDots* C : {&Master, &Red, &Green, &Blue}) SetDots(*C, Before);
  }
  bool Load(const std::vector<uint8_t>& Bytes) {
    WriteBytes(File("in.acv"), Bytes);
    return LoadACVCurves(File("in.acv"), &Master, &Red, &Green, &Blue);
  }
  bool Unchanged() const {
    return DotsOf(Master) == Before && DotsOf(Red) == Before && DotsOf(Green) == Before &&
           DotsOf(Blue) == Before;
  }

  const TDotList Before = {{0, 100}, {5000, 9000}, {16384, 30000}};
  TEnvelopeDots Master, Red, Green, Blue;
};

TEST_F(ACVCurvesTest, ReadsBigEndianPointsOnTheCurveScales) {
  // Two curves: output/input (0,0) (128,64) (255,255), then (255,0) (0,255).
  ASSERT_TRUE(Load({0, 4, 0, 2, 0, 3, 0, 0, 0, 0, 0, 128, 0, 64, 0, 255, 0, 255,  //
                    0, 2, 0, 255, 0, 0, 0, 0, 0, 255}));
  EXPECT_EQ(DotsOf(Master), (TDotList{{0, 0}, {4112, 16447}, {16384, 32767}}));
  EXPECT_EQ(DotsOf(Red), (TDotList{{0, 32767}, {16384, 0}}));
  // Past the two curves the file announces, the curves keep their dots.
  EXPECT_EQ(DotsOf(Green), Before);
  EXPECT_EQ(DotsOf(Blue), Before);
  EXPECT_TRUE(Silent());
}

TEST_F(ACVCurvesTest, NullCurvesConsumeNoCurveOfTheFile) {
  WriteBytes(File("one.acv"), {0, 4, 0, 1, 0, 2, 0, 0, 0, 0, 0, 255, 0, 255});
  ASSERT_TRUE(LoadACVCurves(File("one.acv"), nullptr, nullptr, &Green, nullptr));
  EXPECT_EQ(DotsOf(Green), (TDotList{{0, 0}, {16384, 32767}}));
}

TEST_F(ACVCurvesTest, WritesOutputAndInputBytesAndAnnouncesTheGivenCurves) {
  SetDots(Master, {{0, 0}, {8192, 16384}, {16384, 32767}});
  ASSERT_TRUE(SaveACVCurves(File("m.acv"), &Master, nullptr, nullptr, nullptr));
  EXPECT_EQ(ReadBytes(File("m.acv")),
            (std::vector<uint8_t>{0, 4, 0, 1, 0, 3, 0, 0, 0, 0, 0, 128, 0, 127, 0, 255, 0, 255}));

  SetDots(Blue, {{0, 32767}, {16384, 0}});
  ASSERT_TRUE(SaveACVCurves(File("all.acv"), &Master, &Red, &Green, &Blue));
  const std::vector<uint8_t> All = ReadBytes(File("all.acv"));
  ASSERT_GE(All.size(), 4u);
  EXPECT_EQ(All[3], 4);
  TEnvelopeDots M, R, G, B;
  ASSERT_TRUE(LoadACVCurves(File("all.acv"), &M, &R, &G, &B));
  EXPECT_EQ(DotsOf(M), (TDotList{{0, 0}, {8159, 16447}, {16384, 32767}}));
  EXPECT_EQ(DotsOf(B), (TDotList{{0, 32767}, {16384, 0}}));
  EXPECT_EQ(DotsOf(G).size(), 3u);
}

TEST_F(ACVCurvesTest, EveryInputByteSurvivesLoadAndSave) {
  for (int First = 1; First < 255; First += 17) {
    std::vector<uint8_t> Bytes = {0, 4, 0, 1, 0, 17};
    for (int I = 0; I < 17; ++I) Bytes.insert(Bytes.end(), {0, uint8_t(255 - First - I), 0, uint8_t(First + I)});
    ASSERT_TRUE(Load(Bytes));
    ASSERT_TRUE(SaveACVCurves(File("back.acv"), &Master, nullptr, nullptr, nullptr));
    EXPECT_EQ(ReadBytes(File("back.acv")), Bytes) << "from input " << First;
  }
}

TEST_F(ACVCurvesTest, SaveRefusesEveryBadCurveBeforeCreatingTheFile) {
  struct TCase {
    int Curve;  // 0 master, 1 red, 2 green, 3 blue
    int32_t Dots;
    std::string Message;
  } Cases[] = {
      {0, 20, "Can not save Curves to ACV: Master curve contains 20 points, while ACV format allows "
              "not more than 19. Please remove some points and try again"},
      {1, 20, "Can not save Curves to ACV: Red curve contains 20 points, while ACV format allows "
              "not more than 19. Please remove some points and try again"},
      {3, 1, "SaveACVCurves failed - wrong number of points"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Message);
    TEnvelopeDots* Curves[4] = {&Master, &Red, &Green, &Blue};
    SetDots(Master, SpreadDots(5));
    if (C.Dots == 1) SetDots(*Curves[C.Curve], {{0, 0}});
    else SetDots(*Curves[C.Curve], SpreadDots(C.Dots));
    WriteBytes(File("old.acv"), {1, 2, 3});
    ClearErrors();
    EXPECT_FALSE(SaveACVCurves(File("old.acv"), &Master, &Red, &Green, &Blue));
    EXPECT_EQ(Errors(), std::vector<std::string>{C.Message});
    EXPECT_EQ(ReadBytes(File("old.acv")), (std::vector<uint8_t>{1, 2, 3}));
    SetDots(*Curves[C.Curve], Before);
  }
}

TEST_F(ACVCurvesTest, HostileFilesFailAndChangeNoCurve) {
  const std::string Empty = "LoadACVCurves failed - file " + File("in.acv") + " seems to be empty";
  const std::string Header = "LoadACVCurves failed - file " + File("in.acv") + " can't be loaded";
  const std::string Curve = "LoadACVCurves failed - curve from file " + File("in.acv") + " can't be loaded";
  struct TCase {
    const char* Name;
    std::vector<uint8_t> Bytes;
    std::string Message;
  } Cases[] = {
      {"empty", {}, Empty},
      {"three bytes", {0, 4, 0}, Empty},
      {"version 1", {0, 1, 0, 1, 0, 2, 0, 0, 0, 0, 0, 255, 0, 255}, Header},
      {"count 16", {0, 4, 0, 16, 0, 2, 0, 0, 0, 0, 0, 255, 0, 255}, Header},
      {"51 points", {0, 4, 0, 1, 0, 51, 0, 0, 0, 0, 0, 255, 0, 255}, Curve},
      {"1 point", {0, 4, 0, 1, 0, 1, 0, 0, 0, 0}, Curve},
      {"truncated points", {0, 4, 0, 1, 0, 3, 0, 0, 0, 0, 0, 255, 0, 255}, Curve},
      {"second curve missing", {0, 4, 0, 2, 0, 2, 0, 0, 0, 0, 0, 255, 0, 255}, Curve},
      {"second curve bad", {0, 4, 0, 2, 0, 2, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0}, Curve},
      {"points on one input", {0, 4, 0, 1, 0, 2, 0, 1, 0, 255, 0, 2, 0, 255}, Curve},
      {"second curve on one input",
       {0, 4, 0, 2, 0, 2, 0, 0, 0, 0, 0, 255, 0, 255, 0, 3, 0, 0, 0, 7, 0, 9, 0, 7, 0, 255, 0, 7},
       Curve},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    ClearErrors();
    EXPECT_FALSE(Load(C.Bytes));
    EXPECT_EQ(Errors(), std::vector<std::string>{C.Message});
    EXPECT_TRUE(Unchanged());
  }
  ClearErrors();
  EXPECT_FALSE(LoadACVCurves(File("missing.acv"), &Master, nullptr, nullptr, nullptr));
  EXPECT_EQ(Errors().size(), 1u);
}

TEST_F(ACVCurvesTest, WordsAboveTheByteScaleStayOnTheCurve) {
  ASSERT_TRUE(Load({0, 4, 0, 1, 0, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0x12, 0x34}));
  EXPECT_EQ(DotsOf(Master), (TDotList{{0, 0}, {16384, 32767}}));
}

TEST_F(ACVCurvesTest, PointsOutOfOrderGiveAnAscendingCurve) {
  // Master: inputs 255, 128, 255, 0: sorted, the last point on 255 kept.
  // A curve with all its points on one input is refused (see the hostile
  // files).
  ASSERT_TRUE(Load({0, 4, 0, 1, 0, 4, 0, 10, 0, 255, 0, 128, 0, 128, 0, 255, 0, 255, 0, 0, 0, 0}));
  EXPECT_EQ(DotsOf(Master), (TDotList{{0, 0}, {8224, 16447}, {16384, 32767}}));
  EXPECT_EQ(DotsOf(Red), Before);
  for (int32_t X = 0; X <= EnvelopeMaxX; X += 512) EXPECT_LE(Master.GetValueS(float(X)), 32767.0f);
}

}  // namespace
}  // namespace kromel
