#include "session/session_actions.h"

#include <cstdio>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "analysis/master_curve.h"
#include "lut/lut_file_cube.h"
#include "platform/message_sink.h"
#include "session/terminal_progress.h"
#include "session_test_support.h"

namespace kromel::session_test {
namespace {

using TColourFn = std::function<void(float, float, float, float&, float&, float&)>;

// A plain CUBE file as other programs write it: size line, red fastest.
void WriteCube(const std::string& FileName, int32_t N, const TColourFn& Fn) {
  std::FILE* F = std::fopen(FileName.c_str(), "w");
  ASSERT_NE(F, nullptr);
  std::fprintf(F, "TITLE \"test\"\nLUT_3D_SIZE %d\n", N);
  for (int32_t B = 0; B < N; ++B)
    for (int32_t G = 0; G < N; ++G)
      for (int32_t R = 0; R < N; ++R) {
        float OR = 0, OG = 0, OB = 0;
        Fn(R / float(N - 1), G / float(N - 1), B / float(N - 1), OR, OG, OB);
        std::fprintf(F, "%.6f %.6f %.6f\n", OR, OG, OB);
      }
  std::fclose(F);
}

void Curves(float R, float G, float B, float& OR, float& OG, float& OB) {
  OR = std::sqrt(R);
  OG = G * G;
  OB = 0.5f * (B + B * B);
}

class SessionActions : public SessionWithPresets {
 protected:
  std::unique_ptr<T3DLUTWithStatistics> Compiled() { return S.CompileLut(17, false); }
  const T3DLut& External() { return *S.Preset->ExternalLUT->ExternalLUT; }
  bool ExternalOn() { return S.Preset->ExternalLUT->ExtLUTSwitch->Value > 0; }
};

TEST_F(SessionActions, LoadedExternalLutGradesAndItsNameFollowsThePreset) {
  const std::string Cube = File("look.cube");
  WriteCube(Cube, 17, Curves);
  ASSERT_TRUE(LoadExternalLut(P, Cube));
  EXPECT_TRUE(ExternalOn());
  EXPECT_EQ(P.ExtLutFileName, Cube);
  EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Load External LUT from " + Cube);
  T3DLut Expected;
  ASSERT_TRUE(LoadFromCube(&Expected, Cube, false));
  auto Lut = Compiled();
  ASSERT_TRUE(Lut);
  EXPECT_LT(MaxLutDifference(*Lut, Expected), 5e-3f);

  // Undo to the default preset clears the name; redo brings it back.
  ASSERT_TRUE(P.UndoStep());
  EXPECT_EQ(P.ExtLutFileName, "");
  EXPECT_FALSE(ExternalOn());
  ASSERT_TRUE(P.RedoStep());
  EXPECT_EQ(P.ExtLutFileName, Cube);
  P.ResetToDefaultPreset(false);
  EXPECT_EQ(P.ExtLutFileName, "");
}

TEST_F(SessionActions, UnreadableExternalLutKeepsTheLoadedOne) {
  const std::string Good = File("good.cube");
  WriteCube(Good, 9, Curves);
  ASSERT_TRUE(LoadExternalLut(P, Good));
  auto Before = Compiled();
  for (const char* Text : {"LUT_3D_SIZE 9\n0.1 0.2\n", "not a lut at all", ""}) {
    SCOPED_TRACE(Text);
    const std::string Bad = File("bad.cube");
    std::FILE* F = std::fopen(Bad.c_str(), "w");
    ASSERT_NE(F, nullptr);
    std::fputs(Text, F);
    std::fclose(F);
    EXPECT_FALSE(LoadExternalLut(P, Bad));
    EXPECT_EQ(External().Name, Good);
    EXPECT_EQ(MaxLutDifference(*Compiled(), *Before), 0.0f);
  }
}

TEST_F(SessionActions, PositionIsCheckedAndRecorded) {
  for (int32_t Index : {-1, 6, 100}) EXPECT_FALSE(SetExternalLutPosition(P, Index)) << Index;
  EXPECT_EQ(S.Preset->ExternalLUTPosition->Value, 0);
  ASSERT_TRUE(SetExternalLutPosition(P, 3));
  EXPECT_EQ(S.Preset->ExternalLUTPosition->Value, 3);
  EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Switch External LUT Mode");
}

// The curves move out of the external LUT into the RGB curves: the grading
// stays, the external LUT is left close to the identity, refused positions
// and an empty LUT change nothing.
TEST_F(SessionActions, CurvesExtractedFromTheExternalLutKeepTheGrading) {
  EXPECT_FALSE(ExtractCurvesFromExternalLut(P));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("because it's empty"), std::string::npos);
  const std::string Cube = File("curves.cube");
  WriteCube(Cube, 17, Curves);
  ASSERT_TRUE(LoadExternalLut(P, Cube));
  auto Before = Compiled();
  for (int32_t Refused : {1, 4, 5}) {
    ASSERT_TRUE(SetExternalLutPosition(P, Refused));
    EXPECT_FALSE(ExtractCurvesFromExternalLut(P)) << Refused;
  }
  EXPECT_EQ(External().Name, Cube);
  for (int32_t Position : {0, 3}) {
    SCOPED_TRACE(Position);
    ASSERT_TRUE(LoadExternalLut(P, Cube));
    ASSERT_TRUE(SetExternalLutPosition(P, Position));
    ASSERT_TRUE(ExtractCurvesFromExternalLut(P));
    EXPECT_LT(MaxIdentityError(External()), 0.05f);  // sqrt is steep at 0
    EXPECT_LT(MaxLutDifference(*Compiled(), *Before), 0.03f);
    EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Extract RGB curves from Ext. LUT");
    // Extracting again marks the name once.
    ASSERT_TRUE(ExtractCurvesFromExternalLut(P));
    EXPECT_EQ(External().Name, Cube + "*");
    P.ResetToDefaultPreset(false);
  }
}

TEST_F(SessionActions, MasterCurveFoldsIntoRGBAndBack) {
  // Master before (0) and after (1) the channels: folding keeps the grading.
  for (int32_t Order : {0, 1}) {
    SCOPED_TRACE(Order);
    P.ResetToDefaultPreset(false);
    S.EditPreset([&](TKromelPreset& Doc) {
      TEnvelopeDots& M = Doc.RGBCurves->Master->Curve;
      M.ResetDiagonal(3);
      M.Dot(1).Y = 22000;  // a lifted mid tone
      M.CalcSpline();
      // A red curve too, so the order of master and channels matters.
      TEnvelopeDots& R = Doc.RGBCurves->Red->Curve;
      R.ResetDiagonal(3);
      R.Dot(1).Y = 9000;
      R.CalcSpline();
      Doc.RGBCurves->MasterBefore->SetValue(Order);
      Doc.RGBCurves->MasterEnabled->SetValue(1);
      Doc.RGBCurves->RGBEnabled->SetValue(1);
      Doc.CurvesEnabled->SetValue(1);
      return true;
    });
    S.InvalidateLutStages(0);
    auto Graded = Compiled();
    ASSERT_GT(MaxIdentityError(*Graded), 0.05f);
    MasterCurveToRGB(P);  // master into the channels
    EXPECT_TRUE(CurveIsIdentity(S.Preset->RGBCurves->Master->Curve));
    EXPECT_LT(MaxLutDifference(*Compiled(), *Graded), 0.01f);
    MasterCurveToRGB(P);  // and derived from them again
    EXPECT_FALSE(CurveIsIdentity(S.Preset->RGBCurves->Master->Curve));
    EXPECT_LT(MaxLutDifference(*Compiled(), *Graded), 0.01f);
    EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Extract Master curve from RGB curves");
  }
}

TEST_F(SessionActions, ProcessingTheImageBakesTheLutAndResetsThePreset) {
  EXPECT_FALSE(P.ProcessImageWithLutAndReset());
  auto Default = Compiled();
  ASSERT_TRUE(S.Image.Alloc(16, 8));
  for (int64_t I = 0; I < 16 * 8; ++I)
    S.Image.Pixels[I] = {uint16_t(I * 500), uint16_t(30000), uint16_t(65535 - I * 400), 65535};
  MakeNonTrivial(S);
  TImage64 Expected;
  ASSERT_TRUE(S.ProcessFullImage(Expected));
  ASSERT_TRUE(P.ProcessImageWithLutAndReset());
  for (int64_t I = 0; I < 16 * 8; ++I) {
    EXPECT_EQ(S.Image.Pixels[I].R, Expected.Pixels[I].R) << I;
    EXPECT_EQ(S.Image.Pixels[I].B, Expected.Pixels[I].B) << I;
  }
  EXPECT_EQ(MaxLutDifference(*Compiled(), *Default), 0.0f);
  EXPECT_EQ(P.CurrentUndoList().GetUndoCaption(), "Start new preset");
}

// Progress goes to the stream only for work longer than the delay.
TEST(TerminalProgressThread, ShowsOnlyLongWork) {
  struct TCase {
    bool Enabled;
    int32_t WorkMs;
    bool Failed;
    const char* Expected;  // null: nothing at all
  };
  const TCase Cases[] = {{true, 150, false, "Long work ... done\n"},
                         {true, 150, true, "Long work ... failed\n"},
                         {true, 0, false, nullptr},
                         {false, 150, false, nullptr}};
  for (const TCase& C : Cases) {
    std::FILE* Out = std::tmpfile();
    ASSERT_NE(Out, nullptr);
    {
      TTerminalProgress Progress("Long work", Out, C.Enabled, std::chrono::milliseconds(40),
                                 std::chrono::milliseconds(20));
      std::this_thread::sleep_for(std::chrono::milliseconds(C.WorkMs));
      if (C.Failed) Progress.SetFailed();
    }
    std::string Text(4096, '\0');
    std::rewind(Out);
    Text.resize(std::fread(Text.data(), 1, Text.size(), Out));
    std::fclose(Out);
    if (C.Expected == nullptr) {
      EXPECT_EQ(Text, "") << C.Enabled << " " << C.WorkMs;
    } else {
      EXPECT_EQ(Text.rfind("\rLong work ... 0 s", 0), 0u) << Text;
      EXPECT_NE(Text.find(C.Expected), std::string::npos) << Text;
    }
  }
}

// A message printed while the progress line is open starts on a line of
// its own, and the progress line is ended by a line feed.
TEST(TerminalProgressTest, MessagesNeverGlueToTheProgressLine) {
  const kromel::testing::TTestTempDir Dir("kromel_progress");
  const std::string File = Dir.File("stderr.txt");
  std::fflush(stderr);
  const int Saved = ::dup(2);
  const int Fd = ::open(File.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(Fd, 2);
  ::close(Fd);
  {
    TTerminalProgress Progress("Long work", stderr, true, std::chrono::milliseconds(5),
                               std::chrono::milliseconds(10));
    // Until the progress line shows.
    for (int I = 0; I < 400 && kromel::testing::ReadText(File).empty(); ++I)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    WriteStderrLine("A message");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  std::fflush(stderr);
  ::dup2(Saved, 2);
  ::close(Saved);
  const std::string Text = kromel::testing::ReadText(File);
  const size_t At = Text.find("A message\n");
  ASSERT_NE(At, std::string::npos) << Text;
  ASSERT_GT(At, 0u);
  EXPECT_EQ(Text[At - 1], '\n') << Text;
  EXPECT_EQ(Text.substr(Text.size() - 1), "\n") << Text;
  EXPECT_NE(Text.find("Long work ... done"), std::string::npos) << Text;
}

}  // namespace
}  // namespace kromel::session_test
