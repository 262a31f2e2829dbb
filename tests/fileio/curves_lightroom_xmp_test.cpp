#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "curve_test_support.h"
#include "fileio/curves_lightroom.h"
#include "fileio/curves_xmp.h"
#include "fileio_test_support.h"

namespace kromel {
namespace {

using fileio_test::DotsOf;
using fileio_test::FileIOTest;
using fileio_test::SetDots;
using fileio_test::SpreadDots;
using fileio_test::TDotList;
using kromel::testing::ReadText;
using kromel::testing::WriteText;

bool HasLine(const std::string& Text, const std::string& Line) {
  return ("\n" + Text).find("\n" + Line + "\n") != std::string::npos;
}

int CountOf(const std::string& Text, const std::string& Part) {
  int N = 0;
  for (size_t P = Text.find(Part); P != std::string::npos; P = Text.find(Part, P + 1)) ++N;
  return N;
}

class LightroomXMPTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    SetDots(Master, {{0, 0}, {8192, 16384}, {16384, 32767}});
    SetDots(Red, {{0, 3000}, {16384, 30000}});
    SetDots(Green, {{0, 0}, {16384, 32767}});
    SetDots(Blue, {{0, 32767}, {16384, 0}});
  }
  TEnvelopeDots Master, Red, Green, Blue;
};

TEST_F(LightroomXMPTest, TemplateTextHoldsTheFixedLinesAndByteScaleValues) {
  ASSERT_TRUE(SaveLRTemplateCurves(File("Look.LRTEMPLATE"), &Master, &Red, &Green, &Blue,
                                   "\t\t\tCameraProfile = \"Mine\","));
  const std::string T = ReadText(File("Look.LRTEMPLATE"));
  for (const char* Line :
       {"s = {", "\tinternalName = \"Look\",", "\ttitle = \"Look\",", "\ttype = \"Develop\",",
        "\tvalue = {", "\t\tsettings = {", "\t\t\tCameraProfile = \"Mine\",",
        "\t\t\tParametricDarks = 0,", "\t\t\tParametricHighlightSplit = 75,",
        "\t\t\tParametricShadows = 0,", "\t\t\tProcessVersion = \"6.7\",",
        "\t\t\tToneCurveName2012 = \"Custom\",", "\t\t\tToneCurvePV2012 = {", "\t\t\tToneCurvePV2012Red = {",
        "\t\t},", "\t},", "\tversion = 0,", "}"})
    EXPECT_TRUE(HasLine(T, Line)) << Line;
  // The master: (0,0), (127,127), (255,255), one value per line.
  EXPECT_NE(T.find("\t\t\tToneCurvePV2012 = {\n\t\t\t\t0,\n\t\t\t\t0,\n\t\t\t\t127,\n\t\t\t\t127,\n"
                   "\t\t\t\t255,\n\t\t\t\t255,\n\t\t\t},\n\t\t\tToneCurvePV2012Blue = {\n"),
            std::string::npos);
  const std::regex Guid("\tid = \"[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\",\n");
  EXPECT_TRUE(std::regex_search(T, Guid));
  EXPECT_TRUE(Silent());
}

TEST_F(LightroomXMPTest, TemplateWritesReducedCopiesAndXMPEveryDot) {
  SetDots(Master, SpreadDots(40));
  ASSERT_TRUE(SaveLRTemplateCurves(File("sub/dir/m.lrtemplate"), &Master, &Red, &Green, &Blue, ""));
  ASSERT_TRUE(SaveXMPCurves(File("m.xmp"), &Master, &Red, &Green, &Blue, ""));
  EXPECT_EQ(Master.NumDots, 40);  // the caller's curve is not reduced
  TEnvelopeDots Back, None;
  ASSERT_TRUE(LoadLRTemplateCurves(File("sub/dir/m.lrtemplate"), &Back, nullptr, nullptr, nullptr));
  EXPECT_LE(Back.NumDots, 14);
  EXPECT_GE(Back.NumDots, 2);
  const std::string X = ReadText(File("m.xmp"));
  EXPECT_EQ(CountOf(X, "<rdf:li>"), 40 + 2 + 2 + 2);
}

TEST_F(LightroomXMPTest, TemplateReadsPairsOfLinesAndOnlyThePresentTables) {
  WriteText(File("t.lrtemplate"),
            "s = {\n\tvalue = {\n\t\tsettings = {\n\t\t\tToneCurvePV2012Red = {\n"
            "\t\t\t\t0,\n\t\t\t\t0,\n\n\t\t\t\t128,\n\t\t\t\t64,\n\t\t\t\t255,\n\t\t\t\t255,\n"
            "\t\t\t},\n\t\t},\n\t},\n}\n");
  const TDotList Before = DotsOf(Master);
  ASSERT_TRUE(LoadLRTemplateCurves(File("t.lrtemplate"), &Master, &Red, &Green, &Blue));
  EXPECT_EQ(DotsOf(Red), (TDotList{{0, 0}, {8224, 8224}, {16384, 32767}}));
  EXPECT_EQ(DotsOf(Master), Before);
}

TEST_F(LightroomXMPTest, TemplateArraysOutsideTheModelAreLimited) {
  std::string Big = "ToneCurvePV2012 = {\n";
  for (int I = 0; I < 300; ++I) Big += std::to_string(I) + ",\n" + std::to_string(I) + ",\n";
  Big += "},\nToneCurvePV2012Green = {\n-5,\n-7,\n400,\n99999,\n7,\n},\n";
  WriteText(File("big.lrtemplate"), Big);
  ASSERT_TRUE(LoadLRTemplateCurves(File("big.lrtemplate"), &Master, &Red, &Green, &Blue));
  // 256 distinct X (255 and above all land on 16384, the last one kept),
  // thinned to the model's 131.
  ASSERT_EQ(Master.NumDots, EnvelopeMaxDots);
  EXPECT_EQ(Master.Dot(0).X, 0);
  EXPECT_EQ(Master.Dot(EnvelopeMaxDots - 1).X, 16384);
  EXPECT_EQ(Master.Dot(EnvelopeMaxDots - 1).Y, 32767);
  for (int32_t I = 1; I < EnvelopeMaxDots; ++I) EXPECT_LT(Master.Dot(I - 1).X, Master.Dot(I).X);
  // Values limited to the ranges; the lone 7 before "}" adds no dot.
  EXPECT_EQ(DotsOf(Green), (TDotList{{0, 0}, {16384, 32767}}));
  EXPECT_TRUE(Silent());
}

TEST_F(LightroomXMPTest, TemplateWithTooFewPointsChangesNothing) {
  const TDotList Before = DotsOf(Red);
  WriteText(File("few.lrtemplate"),
            "ToneCurvePV2012 = {\n0,\n0,\n255,\n255,\n},\nToneCurvePV2012Red = {\n10,\n10,\n},\n");
  EXPECT_FALSE(LoadLRTemplateCurves(File("few.lrtemplate"), &Master, &Red, &Green, &Blue));
  EXPECT_EQ(DotsOf(Red), Before);
  EXPECT_EQ(DotsOf(Master), (TDotList{{0, 0}, {8192, 16384}, {16384, 32767}}));
  EXPECT_EQ(Errors().size(), 1u);
  ClearErrors();
  EXPECT_FALSE(LoadLRTemplateCurves(File("missing.lrtemplate"), &Master, &Red, &Green, &Blue));
  EXPECT_TRUE(Silent());
}

TEST_F(LightroomXMPTest, XMPTextHoldsTheFixedAttributesNamesAndPointLists) {
  ASSERT_TRUE(SaveXMPCurves(File("Warm.xmp"), &Master, &Red, &Green, &Blue, ""));
  const std::string X = ReadText(File("Warm.xmp"));
  EXPECT_EQ(X.substr(0, X.find('\n')),
            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"Adobe XMP Core 5.6-c140 79.160451, "
            "2017/05/06-01:08:21        \">");
  for (const char* Line :
       {"   crs:PresetType=\"Normal\"", "   crs:Cluster=\"\"", "   crs:SupportsAmount=\"False\"",
        "   crs:Version=\"10.3\"", "   crs:ProcessVersion=\"6.7\"", "   crs:ParametricShadowSplit=\"25\"",
        "   crs:ToneCurveName2012=\"Custom\"", "   crs:HasSettings=\"True\">",
        "     <rdf:li xml:lang=\"x-default\">Warm</rdf:li>", "     <rdf:li xml:lang=\"x-default\">Kromel</rdf:li>",
        "     <rdf:li xml:lang=\"x-default\"/>", "   <crs:ToneCurvePV2012>", "    <rdf:Seq>",
        "     <rdf:li>0, 0</rdf:li>", "     <rdf:li>127, 127</rdf:li>", "     <rdf:li>255, 255</rdf:li>",
        "     <rdf:li>0, 23</rdf:li>", "   <crs:Look", "    crs:Name=\"\"/>", "  </rdf:Description>",
        " </rdf:RDF>", "</x:xmpmeta>"})
    EXPECT_TRUE(HasLine(X, Line)) << Line;
  EXPECT_EQ(CountOf(X, "x-default\">Warm<"), 2);  // Name and SortName
  EXPECT_TRUE(std::regex_search(X, std::regex("\n   crs:UUID=\"[0-9A-F]{32}\"\n")));
  EXPECT_NE(X.find("<crs:ToneCurvePV2012Green>\n    <rdf:Seq>\n\n"), std::string::npos);
  EXPECT_NE(X.find("<crs:ToneCurvePV2012Blue>\n    <rdf:Seq>\n\n"), std::string::npos);
  EXPECT_EQ(X.substr(X.size() - 14), "</x:xmpmeta>\n\n");
}

TEST_F(LightroomXMPTest, ExiftoolReadsTheXMPCurves) {
  if (!fileio_test::ProgramAvailable("exiftool")) GTEST_SKIP() << "exiftool not installed";
  ASSERT_TRUE(SaveXMPCurves(File("A&B.xmp"), &Master, &Red, &Green, &Blue, ""));
  const std::string Out = File("exif.txt");
  ASSERT_EQ(fileio_test::RunProgram({"exiftool", "-s", "-s", "-ToneCurvePV2012", "-ToneCurvePV2012Blue",
                                     "-Name", "-Group", File("A&B.xmp")},
                                    Out),
            0);
  const std::string T = ReadText(Out);
  EXPECT_NE(T.find("ToneCurvePV2012: 0, 0, 127, 127, 255, 255"), std::string::npos) << T;
  EXPECT_NE(T.find("ToneCurvePV2012Blue: 0, 255, 255, 0"), std::string::npos) << T;
  EXPECT_NE(T.find("Name: A&B"), std::string::npos) << T;
  EXPECT_NE(T.find("Group: Kromel"), std::string::npos) << T;
}

}  // namespace
}  // namespace kromel
