#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "image_test_support.h"
#include "images/image32.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image32GeometryTest : public MessageCapture {};

struct GeometryCase {
  const char* Name;
  int32_t W, H;
  std::function<void(TImage32&)> Op;
  int32_t WantW, WantH;
  std::vector<uint32_t> Want;
};

// Numbered images: pixel values 1, 2, 3 ... in index order (blue byte only
// while below 256, so the 2x averages read as plain numbers).
TEST_F(Image32GeometryTest, ShapeOperationsOnNumberedImages) {
  const GeometryCase Cases[] = {
      {"RotateRight 3x2", 3, 2, [](TImage32& I) { I.RotateRight(); }, 2, 3, {4, 1, 5, 2, 6, 3}},
      {"RotateLeft 3x2", 3, 2, [](TImage32& I) { I.RotateLeft(); }, 2, 3, {3, 6, 2, 5, 1, 4}},
      {"FlipVertical 3x3", 3, 3, [](TImage32& I) { I.FlipVertical(); }, 3, 3,
       {7, 8, 9, 4, 5, 6, 1, 2, 3}},
      {"FlipHorizontal 3x2", 3, 2, [](TImage32& I) { I.FlipHorizontal(); }, 3, 2,
       {3, 2, 1, 6, 5, 4}},
      {"FlipHorizontal twice", 3, 2,
       [](TImage32& I) {
         I.FlipHorizontal();
         I.FlipHorizontal();
       },
       3, 2, {1, 2, 3, 4, 5, 6}},
      {"Crop to 2x2", 3, 3, [](TImage32& I) { I.Crop({1, 1}, {3, 3}); }, 2, 2, {5, 6, 8, 9}},
      {"Crop clamps corners", 3, 2, [](TImage32& I) { I.Crop({-1, 1}, {9, 9}); }, 3, 1,
       {4, 5, 6}},
      {"Crop without area", 3, 2, [](TImage32& I) { I.Crop({2, 0}, {2, 2}); }, 0, 0, {}},
      {"DownSample2x 4x4", 4, 4, [](TImage32& I) { I.DownSample2x(); }, 2, 2, {3, 5, 11, 13}},
      {"DownSample2x 5x3 drops odd edge", 5, 3, [](TImage32& I) { I.DownSample2x(); }, 2, 1,
       {4, 6}},
      {"DownSample2x 1x1 empties", 1, 1, [](TImage32& I) { I.DownSample2x(); }, 0, 0, {}},
      {"UpSample2x 1x1", 1, 1, [](TImage32& I) { I.UpSample2x(); }, 1, 1, {1}},
      {"UpSample2x 2x2", 2, 2,
       [](TImage32& I) {
         for (int32_t K = 0; K < 4; ++K) I.Pixels[K].Value = 10u * (K + 1);
         I.UpSample2x();
       },
       3, 3, {10, 15, 20, 20, 25, 30, 30, 35, 40}},
      {"Resize 2x2 to 4x2", 2, 2, [](TImage32& I) { I.Resize(4, 2); }, 4, 2,
       {1, 1, 2, 2, 3, 3, 4, 4}},
      {"Resize to nothing keeps the image", 2, 1, [](TImage32& I) { I.Resize(0, 3); }, 2, 1,
       {1, 2}},
      {"ResizeCanvas shrink centred", 4, 4,
       [](TImage32& I) { EXPECT_TRUE(I.ResizeCanvas(2, 2, 50, 50)); }, 2, 2, {6, 7, 10, 11}},
      {"ResizeCanvas shrink to bottom right", 4, 4,
       [](TImage32& I) { EXPECT_TRUE(I.ResizeCanvas(2, 2, 100, 100)); }, 2, 2,
       {11, 12, 15, 16}},
      {"ResizeCanvas grow top left", 1, 1,
       [](TImage32& I) { EXPECT_TRUE(I.ResizeCanvas(2, 1, 0, 0)); }, 2, 1,
       {1, 0x00FFFFFF}},
      {"ResizeCanvas failure keeps image", 2, 1,
       [](TImage32& I) { EXPECT_FALSE(I.ResizeCanvas(0, 1, 0, 0)); }, 2, 1, {1, 2}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TImage32 I = Numbered32(C.W, C.H);
    I.MarginLeft = 5;
    C.Op(I);
    EXPECT_EQ(I.Width, C.WantW);
    EXPECT_EQ(I.Height, C.WantH);
    EXPECT_EQ(I.Size, C.WantW * C.WantH);
    EXPECT_EQ(Values(I), C.Want);
    EXPECT_EQ(I.MarginLeft, 5);
  }
  EXPECT_TRUE(Silent());
}

TEST_F(Image32GeometryTest, UpSampleMeanRoundsTowardTheFirstPixel) {
  TImage32 I;
  ASSERT_TRUE(I.Alloc(2, 1));
  I.Pixels[0].Value = Bgra(0, 255, 0, 255);
  I.Pixels[1].Value = Bgra(255, 0, 10, 255);
  I.UpSample2x();
  ASSERT_EQ(I.Width, 3);
  EXPECT_EQ(I.Pixels[1].Value, Bgra(128, 127, 5, 255));
  EXPECT_EQ(I.Pixels[2].Value, Bgra(255, 0, 10, 255));
}

TEST_F(Image32GeometryTest, ResampleAndScale) {
  TImage32 Src = Numbered32(2, 2), Dst;
  Dst.Init();
  ASSERT_TRUE(Dst.Alloc(4, 4));
  Dst.ResampleNearestFrom(Src);
  EXPECT_EQ(Values(Dst),
            (std::vector<uint32_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));
  Dst.Dispose();

  // A fresh ResizeFrom takes the source's alpha, one into the same size keeps its own.
  Src.Pixels[0].Value = Bgra(1, 2, 3, 40);
  Dst.ResizeFrom(Src, 1, 1);
  EXPECT_EQ(Dst.Pixels[0].Value, Bgra(1, 2, 3, 40));
  Src.Pixels[0].Value = Bgra(7, 8, 9, 90);
  Dst.ResizeFrom(Src, 1, 1);
  EXPECT_EQ(Dst.Pixels[0].Value, Bgra(7, 8, 9, 40));

  TImage32 Big;
  ASSERT_TRUE(Big.Alloc(200, 100));
  Big.ScaleProportionalWidth(50);
  EXPECT_EQ(Big.Width, 50);
  EXPECT_EQ(Big.Height, 25);
  Big.ScaleProportionalHeight(50);
  EXPECT_EQ(Big.Width, 100);
  EXPECT_EQ(Big.Height, 50);
}

TEST_F(Image32GeometryTest, CopyRectClampsToTheSource) {
  TImage32 Src = Numbered32(3, 2), Dst = Numbered32(1, 1);
  Dst.CopyRect(Src, {-5, -5}, {100, 100});
  EXPECT_EQ(Dst.Width, 3);
  EXPECT_EQ(Values(Dst), Values(Src));
  Dst.CopyRect(Src, {1, 1}, {3, 2});
  EXPECT_EQ(Values(Dst), (std::vector<uint32_t>{5, 6}));
  Dst.CopyRect(Src, {4, 0}, {5, 2});
  EXPECT_EQ(Dst.Pixels, nullptr);
}

TEST_F(Image32GeometryTest, AutoCropByAlphaAndOpaqueColumns) {
  TImage32 I;
  ASSERT_TRUE(I.Alloc(8, 10));
  I.Fill(0x00000000);
  int32_t First = 0, Last = 0;
  I.GetOpaqueColumns(First, Last);
  EXPECT_EQ(First, -1);
  EXPECT_EQ(Last, -1);
  I.AutoCropByAlpha(0);  // nothing qualifies: unchanged
  EXPECT_EQ(I.Width, 8);

  I.Row(7)[4].Value = Bgra(1, 2, 3, 200);
  I.AutoCropByAlpha(100);
  ASSERT_EQ(I.Size, 1);
  EXPECT_EQ(I.Pixels[0].Value, Bgra(1, 2, 3, 200));
  I.Dispose();

  ASSERT_TRUE(I.Alloc(8, 4));
  I.Fill(0x00000000);
  I.Row(1)[2].BGRA.A = 129;
  I.Row(3)[5].BGRA.A = 255;
  I.Row(0)[6].BGRA.A = 128;  // not above 128
  I.GetOpaqueColumns(First, Last);
  EXPECT_EQ(First, 2);
  EXPECT_EQ(Last, 5);
  I.AutoCropByAlpha(128);
  EXPECT_EQ(I.Width, 4);
  EXPECT_EQ(I.Height, 3);
}

TEST_F(Image32GeometryTest, ResizeCanvasCentresOnTransparentWhite) {
  TImage32 I;
  ASSERT_TRUE(I.Alloc(100, 50));
  I.Fill(0xFF0000FF);
  ASSERT_TRUE(I.ResizeCanvas(200, 100, 50, 50));
  EXPECT_EQ(I.GetPixel(50, 25), Bgra(0, 0, 255, 255));
  EXPECT_EQ(I.GetPixel(149, 74), Bgra(0, 0, 255, 255));
  EXPECT_EQ(I.GetPixel(49, 25), Bgra(255, 255, 255, 0));
  EXPECT_EQ(I.GetPixel(150, 74), Bgra(255, 255, 255, 0));
}

// Every write stays inside the image and every read inside the source.
TEST_F(Image32GeometryTest, DrawAndStretchClipToBothImages) {
  TImage32 Src = Numbered32(2, 2), Dst;
  Dst.Init();
  ASSERT_TRUE(Dst.Alloc(3, 3));
  auto Reset = [&] { Dst.Fill(0); };

  struct DrawCase {
    int32_t X, Y;
    std::vector<uint32_t> Want;
  } Draws[] = {
      {-1, -1, {4, 0, 0, 0, 0, 0, 0, 0, 0}},
      {2, 2, {0, 0, 0, 0, 0, 0, 0, 0, 1}},
      {-5, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {1, -1, {0, 3, 4, 0, 0, 0, 0, 0, 0}},
      {2147483647, -2147483647 - 1, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& C : Draws) {
    Reset();
    Dst.DrawImage(Src, C.X, C.Y);
    EXPECT_EQ(Values(Dst), C.Want) << C.X << "," << C.Y;
  }

  Reset();
  Dst.StretchDraw({-2, -2, 4, 4}, Src);  // 6x6 rectangle, half outside
  EXPECT_EQ(Values(Dst), (std::vector<uint32_t>{1, 2, 2, 3, 4, 4, 3, 4, 4}));
  Reset();
  Dst.StretchDraw({1, 1, 7, 3}, Src);
  EXPECT_EQ(Values(Dst), (std::vector<uint32_t>{0, 0, 0, 0, 1, 1, 0, 3, 3}));
  Reset();
  Dst.StretchDraw({5, 5, 9, 9}, Src);
  Dst.StretchDraw({2, 2, 1, 1}, Src);
  EXPECT_EQ(Values(Dst), std::vector<uint32_t>(9, 0));
  Dst.Dispose();

  // Rounded positions near the far edge stay inside the source.
  ASSERT_TRUE(Dst.Alloc(5, 1));
  Dst.StretchDrawRounded(Src, 0, 0, 5, 1);
  EXPECT_EQ(Values(Dst), (std::vector<uint32_t>{1, 1, 2, 2, 2}));
  Dst.StretchDrawRounded(Src, -5, -3, 10, 4);
}

TEST_F(Image32GeometryTest, HaldIdentityLevelTwo) {
  TImage32 I;
  ASSERT_TRUE(I.MakeHaldIdentity(2));
  ASSERT_EQ(I.Width, 8);
  ASSERT_EQ(I.Height, 8);
  const uint8_t Want[5][3] = {{0, 0, 0}, {85, 0, 0}, {170, 0, 0}, {255, 0, 0}, {0, 85, 0}};
  for (int K = 0; K < 5; ++K) {
    const TBGRAPixel32 P = I.Pixels[K].BGRA;
    EXPECT_EQ(P.R, Want[K][0]) << K;
    EXPECT_EQ(P.G, Want[K][1]) << K;
    EXPECT_EQ(P.B, Want[K][2]) << K;
  }
  EXPECT_EQ(I.Pixels[63].Value, 0xFFFFFFFFu);
  for (int32_t K = 0; K < I.Size; ++K) EXPECT_EQ(I.Pixels[K].BGRA.A, 255);
  // index r + 4g + 16b holds (r, g, b) in steps of 85
  EXPECT_EQ(I.Pixels[1 + 4 * 2 + 16 * 3].Value, Bgra(255, 170, 85, 255));
  EXPECT_TRUE(Silent());

  for (int32_t Level : {1, 0, -3, 36}) {
    CapturedErrors().clear();
    TImage32 R = Numbered32(2, 1);
    EXPECT_FALSE(R.MakeHaldIdentity(Level)) << Level;
    EXPECT_EQ(Values(R), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(Errors().size(), 1u);
  }
}

TEST_F(Image32GeometryTest, HaldIdentityLevelEightIsAnIdentityForFfmpeg) {
  if (!ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  if (!ProgramAvailable("convert")) GTEST_SKIP() << "ImageMagick convert not installed";
  TempDir Dir;
  TImage32 Hald;
  ASSERT_TRUE(Hald.MakeHaldIdentity(8));
  ASSERT_EQ(Hald.Width, 512);
  ASSERT_TRUE(Hald.SaveToBMPFile(Dir.File("hald.bmp")));

  // A picture of spread colours, the corners of the cube included.
  TImage32 Pic;
  ASSERT_TRUE(Pic.Alloc(16, 16));
  uint32_t Seed = 12345;
  for (int32_t K = 0; K < Pic.Size; ++K) {
    Seed = Seed * 1103515245u + 12345u;
    Pic.Pixels[K].Value = (Seed >> 4 & 0x00FFFFFF) | 0xFF000000;
  }
  Pic.Pixels[0].Value = 0xFF000000;
  Pic.Pixels[1].Value = 0xFFFFFFFF;
  Pic.Pixels[2].Value = 0xFFFF0000;
  ASSERT_TRUE(Pic.SaveToBMPFile(Dir.File("pic.bmp")));

  const std::string Log = Dir.File("log.txt");
  ASSERT_EQ(RunProgram({"convert", Dir.File("hald.bmp"), Dir.File("hald.png")}, Log), 0)
      << ReadText(Log);
  ASSERT_EQ(RunProgram({"convert", Dir.File("pic.bmp"), Dir.File("pic.png")}, Log), 0)
      << ReadText(Log);
  ASSERT_EQ(RunProgram({"ffmpeg", "-v", "error", "-nostdin", "-y", "-i", Dir.File("pic.png"),
                        "-i", Dir.File("hald.png"), "-filter_complex", "[0:v][1:v]haldclut",
                        "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24",
                        Dir.File("out.rgb")},
                       Log),
            0)
      << ReadText(Log);
  const auto Out = ReadBytes(Dir.File("out.rgb"));
  ASSERT_EQ(Out.size(), size_t(Pic.Size) * 3);
  int Worst = 0;
  for (int32_t K = 0; K < Pic.Size; ++K) {
    const TBGRAPixel32 P = Pic.Pixels[K].BGRA;
    Worst = std::max({Worst, std::abs(Out[3 * K] - P.R), std::abs(Out[3 * K + 1] - P.G),
                      std::abs(Out[3 * K + 2] - P.B)});
  }
  EXPECT_LE(Worst, 1);
}

TEST(RotatePointTest, QuarterTurnAndRounding) {
  const TPoint P = RotatePoint({10, 0}, float(M_PI / 2));
  EXPECT_EQ(P.X, 0);
  EXPECT_EQ(P.Y, -10);
  const TPoint Q = RotatePoint({3, 4}, 0.0f);
  EXPECT_EQ(Q.X, 3);
  EXPECT_EQ(Q.Y, 4);
  const TPoint N = RotatePoint({3, 4}, NAN);
  EXPECT_EQ(N.X, 3);
}

TEST_F(Image32GeometryTest, RotateBitmapOnlyReports) {
  TRawBitmap B(2, 2, pf32bit);
  RotateBitmap(B, 1.0f, true, 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "RotateBitmap is not implemented in OSX");
}

}  // namespace
