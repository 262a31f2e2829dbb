#include "matching/colour_chart.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

using namespace kromel;
using kromel::testing::CapturedErrors;
using kromel::testing::TErrorCapture;
using kromel::testing::TTestTempDir;

namespace {

// A Columns x Rows table with L = 10 + index, a = index - 5, b = -index and
// RGB from the index.
void MakeNumbered(TColorChartTable& T, int32_t Columns, int32_t Rows) {
  TColorCheckerPixelArray P(size_t(Columns * Rows), TColorCheckerPixel128{});
  for (size_t I = 0; I < P.size(); ++I) {
    P[I].LabL = 10.0f + float(I);
    P[I].LabA = float(I) - 5;
    P[I].LabB = 0.0f - float(I);
    P[I].Red = float(I) / 100;
    P[I].Green = 0.5f;
    P[I].Blue = 1;
  }
  T.Init();
  T.SetPatches(P.data(), int32_t(P.size()), Columns, Rows);
}

std::string ChartFile(const std::string& Format, const std::vector<std::string>& Data,
                      int32_t Sets) {
  std::string S = "NUMBER_OF_SETS " + std::to_string(Sets) + "\nBEGIN_DATA_FORMAT\n" + Format +
                  "\nEND_DATA_FORMAT\nBEGIN_DATA\n";
  for (const auto& L : Data) S += L + "\n";
  return S + "END_DATA\n";
}

}  // namespace

TEST(ColorChartPatchName, LettersByColumnNumbersByRow) {
  const struct {
    int32_t Column, Row;
    const char* Name;
  } Cases[] = {{0, 0, "A1"}, {25, 9, "Z10"}, {26, 0, "AA1"}, {51, 0, "AZ1"}, {52, 2, "BA3"}};
  for (const auto& C : Cases) EXPECT_EQ(ColorChartPatchName(C.Column, C.Row), C.Name);
}

TEST(ColorChartTable, StartupChart) {
  TColorChartTable T;
  T.Init();
  SetStartupColorChart(T);
  EXPECT_EQ(T.Columns, 6);
  EXPECT_EQ(T.Rows, 4);
  ASSERT_EQ(T.Count, 24);
  EXPECT_EQ(T.Patches[0].LabL, 37.987f);
  EXPECT_EQ(T.Patches[0].LabA, 13.555f);
  EXPECT_EQ(T.Patches[0].LabB, 14.059f);
  EXPECT_EQ(T.Patches[23].LabL, 20.461f);
  for (int32_t I = 0; I < 24; ++I) {
    EXPECT_EQ(T.Patches[size_t(I)].Weight, I == 23 ? 5.0f : 0.0f) << I;
    EXPECT_EQ(T.Patches[size_t(I)].Neutral, I >= 18) << I;
    EXPECT_FALSE(T.Patches[size_t(I)].Empty);
    EXPECT_FALSE(T.Patches[size_t(I)].HasPosition());
  }
  EXPECT_EQ(T.CountNeutralPatches(), 6);
}

TEST(ColorChartTable, ReshapingMovesRecordsAndPositions) {
  TColorChartTable T;
  MakeNumbered(T, 6, 4);
  T.Patches[size_t(T.PatchIndex(1, 3))].PosX = 7;
  T.Patches[size_t(T.PatchIndex(1, 3))].PosY = 2;
  const float L13 = T.Patches[size_t(T.PatchIndex(1, 3))].LabL;
  T.Transpose();
  EXPECT_EQ(T.Columns, 4);
  EXPECT_EQ(T.Rows, 6);
  const TColorCheckerPixel128& P = T.Patches[size_t(T.PatchIndex(3, 1))];
  EXPECT_EQ(P.LabL, L13);
  EXPECT_EQ(P.PosX, 2);
  EXPECT_EQ(P.PosY, 7);

  MakeNumbered(T, 3, 2);
  T.FlipHorizontal();
  EXPECT_EQ(T.Patches[0].LabL, 12);
  EXPECT_EQ(T.Patches[1].LabL, 11);
  T.FlipVertical();
  EXPECT_EQ(T.Patches[0].LabL, 15);
  EXPECT_EQ(T.Patches[5].LabL, 10);
}

TEST(ColorChartTable, SetPatchesInterpolatesPositionsAlongRows) {
  TColorCheckerPixelArray P(8, TColorCheckerPixel128{});
  for (auto& X : P) {
    X.LabL = 50;
    X.LabA = 1;
    X.LabB = 1;
  }
  P[0].PosX = 10;
  P[0].PosY = 20;
  P[3].PosX = 40;
  P[3].PosY = 20;
  TColorChartTable T;
  T.Init();
  T.SetPatches(P.data(), 8, 4, 2);
  EXPECT_FLOAT_EQ(T.Patches[1].PosX, 20);
  EXPECT_FLOAT_EQ(T.Patches[2].PosX, 30);
  EXPECT_FLOAT_EQ(T.Patches[2].PosY, 20);
}

TEST(ColorChartTable, SetCountAndGridOperationsStayInsideTheArray) {
  TColorChartTable T;
  MakeNumbered(T, 6, 4);
  T.SetCount(10);  // Rows = 1: the grid still fits
  EXPECT_EQ(T.Rows, 1);
  T.Columns = 6;
  T.Rows = 4;  // an inconsistent grid is left alone
  T.Transpose();
  T.FlipHorizontal();
  EXPECT_EQ(T.Columns, 6);
  TImage128 Dest;
  Dest.Alloc(24, 1);
  T.GetBlackCompensation(Dest);  // no compensation images: nothing read
}

TEST(ColorChartFile, WriterText) {
  TColorChartTable T;
  MakeNumbered(T, 2, 2);
  T.Patches[1].Empty = true;
  T.Patches[2].LabL = 0.0004f;
  T.Patches[3].Red = 0.125f;
  const std::string Expected =
      "NUMBER_OF_SETS\t4\n"
      "LGOROWLENGTH\t2\n"
      "INFO\t\"my chart\"\n"
      "INSTRUMENTATION\t\"Kromel\"\n"
      "BEGIN_DATA_FORMAT\n"
      "SampleID\tSAMPLE_NAME\tRGB_R\tRGB_G\tRGB_B\tLAB_L\tLAB_A\tLAB_B\n"
      "END_DATA_FORMAT\n"
      "BEGIN_DATA\n"
      "1\tA1\t0.00\t0.50\t1.00\t10.000\t-5.00\t0.00\n"
      "2\tA2\t0.02\t0.50\t1.00\t0.001\t-3.00\t-2.00\n"
      "3\tB1\t0.01\t0.50\t1.00\t0.000\t-4.00\t-1.00\n"
      "4\tB2\t0.12\t0.50\t1.00\t13.000\t-2.00\t-3.00\n"
      "END_DATA\n";
  EXPECT_EQ(T.ColorChartText("my chart"), Expected);
  TTestTempDir Dir;
  ASSERT_TRUE(T.SaveColorChart(Dir.File("c.cie"), "my chart"));
  EXPECT_EQ(kromel::testing::ReadText(Dir.File("c.cie")), Expected);
}

TEST(ColorChartFile, WriterWritesTheGridOnlyWithAMatchingSetCount) {
  // SetPatches keeps more records than the grid holds; the writer used to
  // repeat patches to reach Count lines.
  TColorCheckerPixelArray P(7, TColorCheckerPixel128{});
  for (size_t I = 0; I < P.size(); ++I) P[I].LabL = 20 + float(I);
  TColorChartTable T;
  T.Init();
  T.SetPatches(P.data(), 7, 3, 2);
  ASSERT_EQ(T.Count, 7);
  const std::string Text = T.ColorChartText("");
  EXPECT_EQ(Text.rfind("NUMBER_OF_SETS\t6\n", 0), 0u);
  EXPECT_EQ(Text.find("\n7\t"), std::string::npos);
  TColorChartTable Back;
  Back.Init();
  ASSERT_TRUE(Back.LoadColorChartFromText(Text, "x"));
  EXPECT_EQ(Back.Count, 6);
}

TEST(ColorChartFile, RoundTripTransposes) {
  TColorChartTable T;
  MakeNumbered(T, 6, 4);
  TTestTempDir Dir;
  ASSERT_TRUE(T.SaveColorChart(Dir.File("c.txt"), "info"));
  TColorChartTable Back;
  Back.Init();
  ASSERT_TRUE(Back.LoadColorChart(Dir.File("c.txt")));
  EXPECT_EQ(Back.Columns, 4);
  EXPECT_EQ(Back.Rows, 6);
  for (int32_t R = 0; R < 4; ++R)
    for (int32_t C = 0; C < 6; ++C) {
      const TColorCheckerPixel128& Saved = T.Patches[size_t(T.PatchIndex(R, C))];
      const TColorCheckerPixel128& Loaded = Back.Patches[size_t(Back.PatchIndex(C, R))];
      EXPECT_NEAR(Loaded.LabL, Saved.LabL, 0.0005);
      EXPECT_NEAR(Loaded.LabA, Saved.LabA, 0.005);
      EXPECT_EQ(Loaded.Name(), ColorChartPatchName(C, R));
    }
}

TEST(ColorChartFile, ArgyllColorCheckerReference) {
  const std::string File = "/usr/share/color/argyll/ref/ColorChecker.cie";
  if (!std::filesystem::exists(File)) GTEST_SKIP() << "argyll reference files not installed";
  TColorChartTable T;
  T.Init();
  ASSERT_TRUE(T.LoadColorChart(File));
  EXPECT_EQ(T.Columns, 6);
  EXPECT_EQ(T.Rows, 4);
  ASSERT_EQ(T.Count, 24);
  // Published values: A01 (dark skin), A06 (bluish green), D01 (white), D06 (black).
  const struct {
    int32_t Index;
    float L, A, B;
  } Cases[] = {{0, 37.99f, 13.56f, 14.06f},
               {5, 70.72f, -33.40f, -0.20f},
               {18, 96.54f, -0.43f, 1.19f},
               {23, 20.46f, -0.08f, -0.97f}};
  for (const auto& C : Cases) {
    const TColorCheckerPixel128& P = T.Patches[size_t(C.Index)];
    EXPECT_FLOAT_EQ(P.LabL, C.L) << C.Index;
    EXPECT_FLOAT_EQ(P.LabA, C.A) << C.Index;
    EXPECT_FLOAT_EQ(P.LabB, C.B) << C.Index;
  }
  // No "GS" names: the |a| + |b| < 1 rule marks D02 and D04 only.
  for (int32_t I = 0; I < 24; ++I) EXPECT_EQ(T.Patches[size_t(I)].Neutral, I == 19 || I == 21) << I;
}

TEST(ColorChartFile, ArgyllReadsOurFile) {
  if (!kromel::testing::ProgramAvailable("colverify")) GTEST_SKIP() << "colverify not installed";
  TColorChartTable T;
  T.Init();
  SetStartupColorChart(T);
  TTestTempDir Dir;
  ASSERT_TRUE(T.SaveColorChart(Dir.File("ours.cie"), "start-up"));
  // Argyll's CGATS reader wants a file signature as the first line; ours has
  // none, so the same data with "CTI3" in front is offered as well.
  kromel::testing::WriteText(Dir.File("signed.cie"),
                             "CTI3\n" + kromel::testing::ReadText(Dir.File("ours.cie")));
  const int Plain = kromel::testing::RunProgram(
      {"colverify", Dir.File("ours.cie"), Dir.File("ours.cie")}, Dir.File("plain.log"));
  const int Signed = kromel::testing::RunProgram(
      {"colverify", Dir.File("signed.cie"), Dir.File("signed.cie")}, Dir.File("signed.log"));
  EXPECT_NE(Plain, 0) << kromel::testing::ReadText(Dir.File("plain.log"));
  EXPECT_EQ(Signed, 0) << kromel::testing::ReadText(Dir.File("signed.log"));
}

TEST(ColorChartFile, LayoutsOfTheReader) {
  {
    // A1..A6, B1..D6 by name: row 0 holds A1..A6.
    std::vector<std::string> Lines;
    int N = 0;
    for (char L : std::string("ABCD"))
      for (int I = 1; I <= 6; ++I) {
        ++N;
        Lines.push_back(std::to_string(N) + " " + L + std::to_string(I) + " " +
                        std::to_string(20 + N) + " 1 2");
      }
    TColorChartTable T;
    T.Init();
    ASSERT_TRUE(T.LoadColorChartFromText(
        ChartFile("SAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B", Lines, 24), "f"));
    EXPECT_EQ(T.Columns, 6);
    EXPECT_EQ(T.Rows, 4);
    EXPECT_EQ(T.Patches[5].Name(), "A6");
    EXPECT_EQ(T.Patches[6].Name(), "B1");
    EXPECT_EQ(T.Patches[23].LabL, 44);
  }
  {
    // IT8 style: A01..L22 and GS0..GS23, names in the first word, Base 0.
    std::vector<std::string> Lines;
    for (char L = 'A'; L <= 'L'; ++L)
      for (int I = 1; I <= 22; ++I)
        Lines.push_back(std::string(1, L) + (I < 10 ? "0" : "") + std::to_string(I) + " 50 10 10");
    for (int I = 0; I < 24; ++I) Lines.push_back("GS" + std::to_string(I) + " " +
                                                 std::to_string(90 - 3 * I) + " 0 0");
    TColorChartTable T;
    T.Init();
    ASSERT_TRUE(T.LoadColorChartFromText(
        ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", Lines, int32_t(Lines.size())), "f"));
    EXPECT_EQ(T.Columns, 24);
    EXPECT_EQ(T.Rows, 13);
    EXPECT_TRUE(T.Patches[0].Empty);
    EXPECT_EQ(T.Patches[1].Name(), "A01");
    EXPECT_TRUE(T.Patches[23].Empty);
    EXPECT_EQ(T.Patches[size_t(T.PatchIndex(11, 22))].Name(), "L22");
    EXPECT_EQ(T.Patches[size_t(T.PatchIndex(12, 0))].Name(), "GS0");
    EXPECT_TRUE(T.Patches[size_t(T.PatchIndex(12, 5))].Neutral);
    EXPECT_FALSE(T.Patches[1].Neutral);
  }
  {
    // No names and no row length: 4 per row before the exchange.
    std::vector<std::string> Lines;
    for (int I = 1; I <= 8; ++I) Lines.push_back(std::to_string(I) + " " + std::to_string(I * 10) + " 3 4");
    TColorChartTable T;
    T.Init();
    ASSERT_TRUE(T.LoadColorChartFromText(ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", Lines, 8), "f"));
    EXPECT_EQ(T.Rows, 4);
    EXPECT_EQ(T.Columns, 2);
  }
}

TEST(ColorChartFile, ParseErrorsLeaveTheTableAsItWas) {
  std::vector<std::string> Six;
  for (int I = 1; I <= 6; ++I) Six.push_back(std::to_string(I) + " 50 1 1");
  const struct {
    std::string Text;
    const char* Message;
  } Cases[] = {
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 1 1", "2 50 1 1"}, 2),
       "Parsing error #0 - Number of sets <3"},
      // Fewer unnamed sets than one row of LGOROWLENGTH: no row to divide by.
      {"LGOROWLENGTH 10\n" + ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", Six, 6),
       "Parsing error #0 - Number of sets <3"},
      {"NUMBER_OF_SETS 6\nBEGIN_DATA\n", "Parsing error #1"},
      {ChartFile("LAB_L LAB_A LAB_B SAMPLE_ID", Six, 6),
       "Parsing error #2 - Can not find LAB_L column"},
      {ChartFile("SAMPLE_ID LAB_L LAB_B", Six, 6), "Parsing error #2 - Can not find LAB_A column"},
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", Six, 8), "Parsing error #3"},
      {ChartFile("SAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B",
                 {"1 A1 50 1 1", "2 A 50 1 1", "3 A3 50 1 1"}, 3),
       "Parsing error #3 - Using patch names as indexes failed"},
      {ChartFile("SAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B",
                 {"1 A1 50 1 1", "2 A2 50 1 1", "3 A999 50 1 1"}, 3),
       "Parsing error #4 - Patch named A999 (998) is outside number of sets (3)"},
      {"LGOROWLENGTH 2\n" + ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 1 1", "2 50 1 1", "3 50 1 1", "4 50 1 1",
                                                 "5 50 1 1"}, 5),
       "Parsing error #5 - Patch named () N4 is outside number of sets (5)"},
      // Non-finite and absurd Lab values, named by their file line.
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 1 1", "2 -1e30 1 1", "3 50 1 1", "4 50 1 1"}, 4),
       "Parsing error #6 - Lab value out of range in line 7: 2 -1e30 1 1"},
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 1e39 1 1", "2 50 1 1", "3 50 1 1", "4 50 1 1"}, 4),
       "Parsing error #6 - Lab value out of range in line 6: 1 1e39 1 1"},
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 1 1", "2 50 1 1", "3 50 1e39 1", "4 50 1 1"}, 4),
       "Parsing error #6 - Lab value out of range in line 8: 3 50 1e39 1"},
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 1 1", "2 50 1 -250", "3 50 1 1", "4 50 1 1"}, 4),
       "Parsing error #6 - Lab value out of range in line 7: 2 50 1 -250"},
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 1 1", "2 150 1 1", "3 50 1 1", "4 50 1 1"}, 4),
       "Parsing error #6 - Lab value out of range in line 7: 2 150 1 1"},
      {ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 1 1", "2 50 1e400 1", "3 50 1 1", "4 50 1 1"}, 4),
       "Parsing error #6 - Lab value out of range in line 7: 2 50 1e400 1"},
  };
  for (const auto& C : Cases) {
    TColorChartTable T;
    T.Init();
    SetStartupColorChart(T);
    TErrorCapture Errors;
    EXPECT_FALSE(T.LoadColorChartFromText(C.Text, "chart.cie")) << C.Message;
    ASSERT_EQ(CapturedErrors().size(), 1u) << C.Message;
    EXPECT_EQ(CapturedErrors()[0], std::string("Failed to load Color Chart from chart.cie\n") +
                                       C.Message);
    EXPECT_EQ(T.Count, 24) << C.Message;
    EXPECT_EQ(T.Columns, 6);
    EXPECT_EQ(T.Patches[0].LabL, 37.987f);
  }
}

TEST(ColorChartFile, MissingFile) {
  TColorChartTable T;
  T.Init();
  SetStartupColorChart(T);
  TErrorCapture Errors;
  EXPECT_FALSE(T.LoadColorChart("/nonexistent/chart.cie"));
  ASSERT_EQ(CapturedErrors().size(), 1u);
  EXPECT_EQ(CapturedErrors()[0],
            "Failed to load Color Chart from /nonexistent/chart.cie\nFile not found.");
  EXPECT_EQ(T.Count, 24);
}

TEST(ColorChartFile, HostileFilesFailCleanly) {
  std::vector<std::string> Letters;
  // Many letter groups of many names: the named grid would be enormous.
  for (int G = 0; G < 600; ++G)
    for (int I = 1; I <= 2; ++I)
      Letters.push_back(std::to_string(G) + " " + ColorChartPatchName(G % 600, 0).substr(0, 1) +
                        (G % 2 ? "B" : "") + "1 50 1 1");
  std::vector<std::string> ManyA;
  for (int I = 0; I < 1200; ++I) ManyA.push_back("A" + std::to_string(I + 1) + " 50 1 1");
  const std::string Cases[] = {
      "",
      std::string("\0\0\0", 3),
      "NUMBER_OF_SETS 2147483647\nBEGIN_DATA_FORMAT\nSAMPLE_ID LAB_L LAB_A LAB_B\nBEGIN_DATA\n1 2 3 4\n",
      "NUMBER_OF_SETS -5\n",
      "NUMBER_OF_SETS 3\nLGOROWLENGTH \"-7\nBEGIN_DATA_FORMAT\nX LAB_L LAB_A LAB_B\nBEGIN_DATA\nA\nA\nA\nEND",
      ChartFile("SAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B", Letters, int32_t(Letters.size())),
      ChartFile("SAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B",
                {"1 A2147483647 1 1 1", "2 B1 1 1 1", "3 C1 1 1 1"}, 3),
      ChartFile("SAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B",
                {"1 A-2147483647 1 1 1", "2 B1 1 1 1", "3 C1 1 1 1"}, 3),
      ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", ManyA, 1200),
      ChartFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 1e999 nan 3", "2", "3 \xff\xfe 1"}, 3),
  };
  for (const std::string& Text : Cases) {
    TColorChartTable T;
    T.Init();
    TErrorCapture Errors;
    if (T.LoadColorChartFromText(Text, "h")) {
      EXPECT_GE(T.Count, T.Columns * T.Rows);
      EXPECT_EQ(size_t(T.Count), T.Patches.size());
    } else {
      EXPECT_EQ(T.Count, 0);
      EXPECT_FALSE(CapturedErrors().empty());
    }
  }
}

TEST(ColorChartFile, ReferenceArrayDump) {
  TColorChartTable T;
  MakeNumbered(T, 2, 1);
  TTestTempDir Dir;
  ASSERT_TRUE(T.SaveColorChartAsArray(Dir.File("a.txt")));
  EXPECT_EQ(kromel::testing::ReadText(Dir.File("a.txt")),
            "         (L : 10.00; A: -5.00; B: 0.00),\n"
            "         (L : 11.00; A: -4.00; B: -1.00),");
}
