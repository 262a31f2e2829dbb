#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <fstream>

#include "image_test_support.h"
#include "images/image96.h"
#include "images/text_raster.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class TextRasterTest : public MessageCapture {};

TEST_F(TextRasterTest, CaptionRendersWithinItsMeasuredBox) {
  const std::string Caption = "Kromel: Hue 120° Ågj";
  for (const int32_t Size : {7, 12, 20})
    for (const uint32_t Style : {0u, uint32_t(fsBold), uint32_t(fsItalic | fsUnderline)}) {
      SCOPED_TRACE(std::to_string(Size) + " style " + std::to_string(Style));
      int32_t W = 0, H = 0;
      MeasureTextLine(Caption, "Arial", Size, Style, W, H);
      ASSERT_GT(W, Size * 5);
      ASSERT_GE(H, Size);
      TImage96 I;
      I.Alloc(W + 40, H + 40);
      I.Fill(Px(0, 0, 0, 0, 1));
      const int32_t X = 20, Y = 20 + H / 2;
      I.DrawText(X, Y, Caption, Size, Style, Px(100, 200, 300, 0, 9), 0);
      int32_t Covered = 0, Full = 0;
      for (int32_t R = 0; R < I.Height; ++R)
        for (int32_t C = 0; C < I.Width; ++C) {
          const TPixel96& P = I.Row(R)[C];
          if (P.A == 0) continue;
          ++Covered;
          Full += P.A == 65535;
          EXPECT_GE(C, X);
          EXPECT_LT(C, X + W);
          EXPECT_GE(R, Y - H / 2);
          EXPECT_LT(R, Y - H / 2 + H);
          EXPECT_EQ(P.R, 100);
          EXPECT_EQ(P.Extra, 9u);
        }
      EXPECT_GT(Covered, W * H / 20);
      EXPECT_GT(Full, 0);
    }
  // Centred alignment puts the box's middle on X; a serif face is its own.
  int32_t WSans = 0, WSerif = 0, H = 0;
  MeasureTextLine("Caption", "Arial", 14, 0, WSans, H);
  MeasureTextLine("Caption", "Times New Roman", 14, 0, WSerif, H);
  EXPECT_NE(WSans, WSerif);
  TTextCoverage C;
  EXPECT_FALSE(RenderTextLine("", "Arial", 12, 0, C));
  EXPECT_FALSE(RenderTextLine("A", "Arial", 0, 0, C));
  EXPECT_FALSE(RenderTextLine("A", "Arial", 100000, 0, C));
  EXPECT_TRUE(Silent());
}

TEST_F(TextRasterTest, CaptionPictureForALook) {
  int32_t W = 0, H = 0;
  const std::string Caption = "Kromel caption: Exposure +0.50 EV";
  MeasureTextLine(Caption, "default", 16, 0, W, H);
  TImage96 I;
  I.Alloc(W + 20, H + 20);
  I.Fill(Px(60000, 60000, 60000, 65535));
  I.DrawBevel(10 - 1, 10 - 1, 10 + W, 10 + H, Px(65535, 0, 0, 65535));  // the measured box
  TImage96 Text;
  Text.Alloc(I.Width, I.Height);
  Text.Fill(Px(0, 0, 0, 0));
  Text.DrawText(I.Width / 2, 10 + H / 2, Caption, 16, 0, Px(0, 0, 20000, 0), 2);
  I.DrawImageBlended(0, 0, Text);
  TImage32 Out;
  I.CopyToImage32(Out);
  const char* Dir = std::getenv("KROMEL_CAPTION_PNG_DIR");
  if (Dir != nullptr) {
    const std::string Bmp = std::string(Dir) + "/caption.bmp";
    ASSERT_TRUE(Out.SaveToBMPFile(Bmp));
    if (ProgramAvailable("convert"))
      RunProgram({"convert", Bmp, std::string(Dir) + "/caption.png"}, "/dev/null");
  }
  // Ink lands only inside the box, centred on the image.
  int32_t Left = I.Width, Right = -1;
  for (int32_t R = 0; R < I.Height; ++R)
    for (int32_t C = 0; C < I.Width; ++C)
      if (Text.Row(R)[C].A) {
        EXPECT_TRUE(R >= 10 && R < 10 + H && C >= 10 && C < 10 + W) << C << "," << R;
        Left = std::min(Left, C);
        Right = std::max(Right, C);
      }
  EXPECT_NEAR((Left + Right) / 2.0, I.Width / 2.0, 3);
}

// Captions drawn from several threads at once come out the same.
TEST_F(TextRasterTest, ConcurrentCaptionsMatch) {
  TTextCoverage Want;
  ASSERT_TRUE(RenderTextLine("Waveform 50%", "Arial", 11, fsBold, Want));
  std::vector<std::thread> Workers;
  std::atomic<int32_t> Same{0};
  for (int T = 0; T < 4; ++T)
    Workers.emplace_back([&] {
      for (int K = 0; K < 20; ++K) {
        TTextCoverage Got;
        if (RenderTextLine("Waveform 50%", "Arial", 11, fsBold, Got) && Got.Alpha == Want.Alpha)
          ++Same;
      }
    });
  for (std::thread& W : Workers) W.join();
  EXPECT_EQ(Same.load(), 80);
}

// In a child run without any font: nothing drawn, one report, no crash.
TEST_F(TextRasterTest, MissingFontDrawsNothingAndReportsOnce) {
  if (std::getenv("KROMEL_TEST_NO_FONTS") != nullptr) {
    TImage96 I;
    I.Alloc(40, 20);
    I.Fill(Px(0, 0, 0, 0));
    I.DrawText(2, 10, "Hello", 12, 0, Px(1, 1, 1, 1), 0);
    I.DrawText(2, 10, "Again", 12, fsBold, Px(1, 1, 1, 1), 0);
    for (int32_t K = 0; K < I.Size; ++K) ASSERT_EQ(I.Pixels[K].A, 0);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0].rfind("Font not found: Liberation Sans", 0), 0u);
    return;
  }
  if (!ProgramAvailable("env")) GTEST_SKIP() << "env not available";
  TempDir Dir;
  const std::string Conf = (Dir.Path / "fonts.conf").string();
  std::ofstream(Conf) << "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" << Dir.Path.string()
                      << "</cachedir></fontconfig>\n";
  const std::string Log = (Dir.Path / "child.txt").string();
  const int Rc = RunProgram({"env", "KROMEL_TEST_NO_FONTS=1", "FONTCONFIG_FILE=" + Conf,
                             std::filesystem::read_symlink("/proc/self/exe").string(),
                             "--gtest_filter=TextRasterTest.MissingFontDrawsNothingAndReportsOnce"},
                            Log);
  EXPECT_EQ(Rc, 0) << ReadText(Log);
}

}  // namespace
