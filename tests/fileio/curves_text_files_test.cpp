#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "curve_test_support.h"
#include "fileio/curves_capture_one.h"
#include "fileio/curves_cube1d.h"
#include "fileio/curves_json.h"
#include "fileio/curves_rawtherapee.h"
#include "fileio_test_support.h"
#include "foundation/number_format.h"

namespace kromel {
namespace {

using fileio_test::DotsOf;
using fileio_test::FileIOTest;
using fileio_test::SetDots;
using fileio_test::SpreadDots;
using fileio_test::TDotList;
using kromel::testing::ReadText;
using kromel::testing::WriteText;

class CurveTextFilesTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    for (TEnvelopeDots* C : {&Master, &Red, &Green, &Blue, &Luma}) SetDots(*C, Before);
  }
  const TDotList Before = {{0, 100}, {5000, 9000}, {9000, 20000}, {16384, 30000}};
  TEnvelopeDots Master, Red, Green, Blue, Luma;
};

TEST_F(CurveTextFilesTest, CaptureOneWritesFourDecimalPairsAndTheBracedUUID) {
  SetDots(Master, {{0, 0}, {4096, 8192}, {16384, 32767}});
  ASSERT_TRUE(SaveCaptureOneCurves(File("My.copreset.copreset"), &Master, &Red, &Green, &Blue, &Luma));
  const std::string T = ReadText(File("My.copreset.copreset"));
  EXPECT_EQ(T.substr(0, T.find("\t<E K=\"GradationCurveBlue\"")),
            "<?xml version=\"1.0\"?>\n<SL Engine=\"1200\">\n"
            "\t<E K=\"GradationCurve\" V=\"0.0000,0.0000;0.2500,0.2500;1.0000,1.0000\" />\n");
  EXPECT_NE(T.find("\t<E K=\"Name\" V=\"My\" />\n\t<E K=\"StyleSource\" V=\"Curve\" />\n"), std::string::npos);
  EXPECT_NE(T.find("\t<E K=\"GradationCurveY\" V=\"0.0000,0.0031;"), std::string::npos);
  const size_t U = T.find("\t<E K=\"UUID\" V=\"{");
  ASSERT_NE(U, std::string::npos);
  EXPECT_EQ(T.substr(U + 16 + 37), "}\" />\n</SL>\n");
  // Read back: the coloured keys do not match the master's line.
  TEnvelopeDots M, R, G, B, Y;
  ASSERT_TRUE(LoadCaptureOneCurves(File("My.copreset.copreset"), &M, &R, &G, &B, &Y));
  EXPECT_EQ(DotsOf(M), (TDotList{{0, 0}, {4096, 8192}, {16384, 32767}}));
  EXPECT_EQ(DotsOf(B), DotsOf(Y));
  EXPECT_TRUE(Silent());
}

TEST_F(CurveTextFilesTest, CaptureOneParsesPairsAndRefusesBadValues) {
  const std::string Failed = "Failed to parse Capture One curve preset";
  const std::string Error2 = "Failed to parse Capture One curve preset, error 2";
  std::string Many;
  for (int I = 0; I <= 200; ++I) Many += (I ? ";" : "") + std::to_string(I / 200.0) + ",0.5";
  struct TCase {
    const char* Name;
    std::string Value;
    TDotList Dots;  // empty: refused
    std::string Message;
  } Cases[] = {
      {"three pairs", "0,0;0.5,0.6;1,1", {{0, 0}, {8192, 19660}, {16384, 32767}}, ""},
      {"trailing ;", "0,0;0.5,0.6;1,1;", {{0, 0}, {8192, 19660}, {16384, 32767}}, ""},
      {"empty items", ";0,0;;1,1", {{0, 0}, {16384, 32767}}, ""},
      {"one number per item", "0.25;0.75", {{4096, 8192}, {12288, 24575}}, ""},
      {"out of range", "-1,-1;2,5;0.5,1e30", {{0, 0}, {8192, 32767}, {16384, 32767}}, ""},
      {"one pair", "0.5,0.5", {}, Error2},
      {"one pair and ;", "0.5,0.5;", {}, Error2},
      {"empty", "", {}, Failed},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    ClearErrors();
    SetDots(Master, Before);
    const bool Ok = ParseCaptureOneCurve("\t<E K=\"GradationCurve\" V=\"" + C.Value + "\" />", Master);
    EXPECT_EQ(Ok, !C.Dots.empty());
    EXPECT_EQ(DotsOf(Master), C.Dots.empty() ? Before : C.Dots);
    EXPECT_EQ(Errors(), C.Message.empty() ? std::vector<std::string>{} : std::vector<std::string>{C.Message});
  }
  ClearErrors();
  ASSERT_TRUE(ParseCaptureOneCurve(" V=\"" + Many + "\"", Master));
  EXPECT_EQ(Master.NumDots, EnvelopeMaxDots);
  EXPECT_EQ(Master.Dot(0).X, 0);
  EXPECT_EQ(Master.Dot(EnvelopeMaxDots - 1).X, 16384);
}

TEST_F(CurveTextFilesTest, CaptureOneMissingLineLeavesOnlyThatCurve) {
  WriteText(File("p.copreset"),
            "<SL>\n\t<E K=\"GradationCurve\" V=\"0,0;1,1\" />\n\t<E K=\"GradationCurveRed\" V=\"0,1;1,0\" />\n"
            "\t<E K=\"GradationCurveGreen\" V=\"0,0;1,0.5\" />\n\t<E K=\"GradationCurveBlue\" V=\"0,0.5;1,1\" />\n</SL>\n");
  ASSERT_TRUE(LoadCaptureOneCurves(File("p.copreset"), &Master, &Red, &Green, &Blue, &Luma));
  EXPECT_EQ(DotsOf(Master), (TDotList{{0, 0}, {16384, 32767}}));
  EXPECT_EQ(DotsOf(Red), (TDotList{{0, 32767}, {16384, 0}}));
  EXPECT_EQ(DotsOf(Luma), Before);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Failed to parse Capture One curve preset"});
  ClearErrors();
  EXPECT_FALSE(LoadCaptureOneCurves(File("missing.copreset"), &Master, &Red, &Green, &Blue, nullptr));
  EXPECT_EQ(Errors(), std::vector<std::string>{"Failed to load " + File("missing.copreset")});
}

TEST_F(CurveTextFilesTest, RawTherapeeWritesOverTheSameScaleItReads) {
  SetDots(Master, {{0, 0}, {8192, 16384}, {16384, 32767}});
  ASSERT_TRUE(SaveRTCCurve(File("c.rtc"), Master));
  EXPECT_EQ(ReadText(File("c.rtc")), "Spline\n0.00000 0.00000\n0.50000 0.50002\n1.00000 1.00000\n");
  ASSERT_TRUE(LoadRTCCurve(File("c.rtc"), Red));
  EXPECT_EQ(DotsOf(Red), DotsOf(Master));
}

TEST_F(CurveTextFilesTest, RawTherapeeLoadReplacesTheDotsWithTheFilesOwn) {
  WriteText(File("r.rtc"), "Spline\n0 0\n0.5 0.6\n1 1\n.5 .5\n1.2 0.5\n0.4995 0.1\n# 1 1\n");
  ASSERT_TRUE(LoadRTCCurve(File("r.rtc"), Master));
  // 0.4995 lies within 100 below 0.5 and replaces it.
  EXPECT_EQ(DotsOf(Master), (TDotList{{0, 0}, {8184, 3277}, {16384, 32767}}));
  for (const char* Text : {"Spline\n", "Spline\n0.5 0.5\n", "Spline\n2 2\n3 3\n"}) {
    SCOPED_TRACE(Text);
    WriteText(File("bad.rtc"), Text);
    ClearErrors();
    EXPECT_FALSE(LoadRTCCurve(File("bad.rtc"), Red));
    EXPECT_EQ(DotsOf(Red), Before);
    EXPECT_EQ(Errors().size(), 1u);
  }
}

TEST_F(CurveTextFilesTest, JSONReadsEveryValueOfEachArray) {
  WriteText(File("t.json"), "{\"BlueTRC\": [0, 1],\n \"RedTRC\": [0,\r\n 0.5, 1],\"GreenTRC\":[0,0.25,0.5,1]}");
  const std::string Trace = "MyJSONCurve.txt";
  const bool TraceBefore = access(Trace.c_str(), F_OK) == 0;
  ASSERT_TRUE(LoadJSONCurves(File("t.json"), Red, Green, Blue));
  ASSERT_EQ(Red.NumDots, 65);
  for (int32_t I = 0; I < 65; ++I) EXPECT_EQ(Red.Dot(I).X, I * 256);
  // Index (3 - 1) * i / 256: the middle value for i = 128, the last at 256.
  EXPECT_EQ(Red.Dot(32).Y, 22295);
  EXPECT_EQ(Red.Dot(64).Y, 32767);
  EXPECT_EQ(Red.Dot(31).Y, 0);
  EXPECT_EQ(Blue.Dot(64).Y, 32767);
  EXPECT_EQ(Green.Dot(64).Y, 32767);
  EXPECT_EQ(access(Trace.c_str(), F_OK) == 0, TraceBefore);  // no trace file written
  EXPECT_TRUE(Silent());
}

TEST_F(CurveTextFilesTest, JSONArraysOfFewerThanTwoValuesChangeNothing) {
  for (const char* Array : {"0.5", "", "  \n"}) {
    SCOPED_TRACE(Array);
    ClearErrors();
    EXPECT_FALSE(JSONParseCurve(Array, Master));
    EXPECT_EQ(DotsOf(Master), Before);
    EXPECT_EQ(Errors().size(), 1u);
  }
  // Values outside 0..1 are limited before the encoding.
  ASSERT_TRUE(JSONParseCurve("-3, nan, 7", Master));
  EXPECT_EQ(Master.Dot(0).Y, 0);
  EXPECT_EQ(Master.Dot(64).Y, 32767);
  ClearErrors();
  EXPECT_FALSE(LoadJSONCurves(File("missing.json"), Red, Green, Blue));
  EXPECT_EQ(Errors(), std::vector<std::string>{"Failed to read JSON Curves from " + File("missing.json")});
}

TEST_F(CurveTextFilesTest, CubeOfTheMasterCurveDecodesEachEntry) {
  SetDots(Master, {{0, 0}, {16384, 32767}});
  const std::string T = CurveCube1DText(Master, ipSRGB);
  EXPECT_EQ(T.substr(0, 62), "LUT_1D_SIZE 256\nDOMAIN_MIN 0.0 0.0 0.0\nDOMAIN_MAX 1.0 1.0 1.0\n");
  std::vector<std::string> Lines;
  for (size_t P = 0, E; (E = T.find('\n', P)) != std::string::npos; P = E + 1) Lines.push_back(T.substr(P, E - P));
  ASSERT_EQ(Lines.size(), 259u);
  const std::string V = FloatToStrD5(GammaToLinearByProfile(ipSRGB, Master.GetValueS(128.0f / 255.0f * 16384.0f) / 32767.0f));
  EXPECT_EQ(Lines[3 + 128], V + " " + V + " " + V);
  EXPECT_EQ(Lines[3 + 128], "0.21586 0.21586 0.21586");
  EXPECT_EQ(Lines[3 + 255], "1.00000 1.00000 1.00000");
}

TEST_F(CurveTextFilesTest, FfmpegAppliesTheCubeAsTheCurve) {
  if (!fileio_test::ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  SetDots(Master, {{0, 2000}, {6000, 24000}, {16384, 30000}});
  ASSERT_TRUE(SaveCurveAs1DCube(File("curve.cube"), Master, ipRec709));
  // One grey ramp row of all 256 levels, raw RGB.
  std::vector<uint8_t> Ramp;
  for (int I = 0; I < 256; ++I) Ramp.insert(Ramp.end(), {uint8_t(I), uint8_t(I), uint8_t(I)});
  fileio_test::WriteBytes(File("in.rgb"), Ramp);
  ASSERT_EQ(fileio_test::RunProgram({"ffmpeg", "-v", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24",
                                     "-s", "256x1", "-i", File("in.rgb"), "-vf",
                                     "lut1d=file=" + File("curve.cube"), "-f", "rawvideo", "-pix_fmt",
                                     "rgb24", File("out.rgb")},
                                    File("ffmpeg.log")),
            0)
      << ReadText(File("ffmpeg.log"));
  const std::vector<uint8_t> Out = fileio_test::ReadBytes(File("out.rgb"));
  ASSERT_EQ(Out.size(), Ramp.size());
  int Changed = 0;
  for (int I = 0; I < 256; ++I) {
    const float Y = Master.GetValueS(float(I) / 255.0f * 16384.0f) / 32767.0f;
    const float Want = GammaToLinearByProfile(ipRec709, Y) * 255.0f;
    for (int C = 0; C < 3; ++C) EXPECT_NEAR(Out[size_t(3 * I + C)], Want, 1.0f) << "level " << I;
    if (std::abs(Out[size_t(3 * I)] - I) > 8) ++Changed;
  }
  EXPECT_GT(Changed, 100);  // the curve is far from the identity
}

}  // namespace
}  // namespace kromel
