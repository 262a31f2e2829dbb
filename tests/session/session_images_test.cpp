#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "fileio/tiff_fixtures.h"
#include "lut/lut_file_3dl.h"
#include "lut/lut_file_cube.h"
#include "session/session_images.h"
#include "session_test_support.h"

namespace kromel {
namespace {

using session_test::MaxLutDifference;
using session_test::SessionTest;

TEST(SessionFileActions, ExtensionSelectsTheLoader) {
  const std::pair<const char*, TFileAction> Cases[] = {
      {"/a/b.xmp", TFileAction::Ignore},          {"/a/DEBUG", TFileAction::Ignore},
      {"/a/debug.txt", TFileAction::Ignore},      {"/a/b.3dl", TFileAction::LutWithPreset},
      {"/a/b.Cube", TFileAction::LutWithPreset},  {"/a/b.cms", TFileAction::LutWithPreset},
      {"/a/b.icc", TFileAction::ExternalLut},     {"/a/b.ICM", TFileAction::ExternalLut},
      {"/a/b.dcp", TFileAction::ExternalLut},     {"/a/b.xml", TFileAction::ExternalLut},
      {"/a/b.cie", TFileAction::ColorChart},      {"/a/b.txt", TFileAction::ColorChart},
      {"/a/b.lub", TFileAction::BatchPreset},     {"/a/b.cha", TFileAction::ChannelMixerPreset},
      {"/a/b.aco", TFileAction::Swatches},        {"/a/b.lux", TFileAction::PresetXML},
      {"/a/b.luc", TFileAction::PresetBinary},    {"/a/b.lrtemplate", TFileAction::LightroomCurves},
      {"/a/b.rtc", TFileAction::RawTherapeeCurve}, {"/a/b.json", TFileAction::JsonCurves},
      {"/a/b.acv", TFileAction::PhotoshopCurves}, {"/a/b.copreset", TFileAction::CaptureOneCurves},
      {"/a/b.jpg", TFileAction::Picture},         {"/a.cube/b", TFileAction::Picture},
      {"/a/b.dng", TFileAction::Picture},
  };
  for (const auto& [Name, Action] : Cases) EXPECT_EQ(FileActionFor(Name), Action) << Name;
}

TEST(SessionFileActions, LogCSidecarName) {
  EXPECT_EQ(LogCSidecarName("/p/photo.dng"), "/p/photo_LogC.tif");
  EXPECT_EQ(LogCSidecarName("/p/photo.tiff  "), "/p/photo_LogC.tif");
  EXPECT_EQ(LogCSidecarName("/p//q/photo.exr"), "/p/q/photo_LogC.tif");
}

// A photograph-like picture: smooth light and colour with fine texture.
TImage32 MakePhotoLike(int32_t W, int32_t H) {
  TImage32 Img;
  Img.Alloc(W, H);
  uint32_t Seed = 12345;
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      const double N = ((Seed >> 24) & 15) - 7.5;
      const double U = static_cast<double>(X) / W, V = static_cast<double>(Y) / H;
      auto Ch = [&](double Base) {
        return static_cast<uint8_t>(std::clamp(Base * 255 + N, 0.0, 255.0));
      };
      TBGRAPixel32& P = Img.Pixels[static_cast<int64_t>(Y) * W + X].BGRA;
      P.R = Ch(0.15 + 0.8 * U * (0.6 + 0.4 * std::sin(V * 7)));
      P.G = Ch(0.1 + 0.7 * V * (0.5 + 0.5 * std::cos(U * 5)));
      P.B = Ch(0.05 + 0.6 * (1 - U) * (1 - V) + 0.2 * std::sin(U * V * 20));
      P.A = 255;
    }
  return Img;
}

class SessionImagesTest : public SessionTest {
 protected:
  std::string WritePicture(const std::string& Name, int32_t W, int32_t H) {
    TImage32 Img = MakePhotoLike(W, H);
    const std::string Path = File(Name);
    EXPECT_TRUE(SaveImage32ToFile(Img, Path));
    return Path;
  }
};

TEST_F(SessionImagesTest, FailedLoadsKeepThePreviousImageAndName) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  const std::string Good = WritePicture("good.png", 40, 30);
  ASSERT_TRUE(S.LoadPicture(Good, false, true, true));
  EXPECT_EQ(S.ImageFileName, Good);
  EXPECT_EQ(S.Image.Width, 40);
  EXPECT_EQ(S.SourceImage().GetWidth(), 40);
  const std::string Corrupt = File("corrupt.png");
  kromel::testing::WriteText(Corrupt, std::string(600, 'x'));
  const std::string Thin = WritePicture("thin.png", 1, 100);
  for (const std::string& Bad : {File("missing.png"), Corrupt, Thin}) {
    SCOPED_TRACE(Bad);
    ClearMessages();
    EXPECT_FALSE(S.LoadPicture(Bad, false, true, true));
    EXPECT_EQ(S.ImageFileName, Good);
    EXPECT_EQ(S.Image.Width, 40);
    EXPECT_EQ(S.Image.Height, 30);
    EXPECT_EQ(S.RecentImages.Names.GetCount(), 1);
    EXPECT_FALSE(Messages().empty());
  }
  ClearMessages();
  S.LoadPicture(Thin, false, true, true);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "No image loaded from " + Thin +
                               ". Please check that your image is in RGB color space. CMYK and "
                               "LAB modes are not supported");
  ClearMessages();
  S.LoadPicture(File("missing.png"), false, true, true);
  EXPECT_EQ(Messages()[0], "File " + File("missing.png") + " not found");
}

TEST_F(SessionImagesTest, RawSidecarWrittenOnceNeverOverwritten) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  const std::string Dng = File("photo.dng");
  kromel::testing::WriteBytes(Dng, fileio_test::MakeTestDng(fileio_test::TDngFixture{}));
  ASSERT_TRUE(S.LoadPicture(Dng, false, true, true));
  const std::string Tif = File("photo_LogC.tif");
  EXPECT_EQ(S.ImageFileName, Tif);
  EXPECT_EQ(S.OriginalImageFileName, Dng);
  ASSERT_TRUE(std::filesystem::exists(Tif));
  // Mark the file: a second load must leave it as it is, and warn.
  kromel::testing::WriteText(Tif, "kept");
  ClearMessages();
  ASSERT_TRUE(S.LoadPicture(Dng, false, true, true));
  EXPECT_EQ(kromel::testing::ReadText(Tif), "kept");
  ASSERT_EQ(Messages().size(), 1u) << ::testing::PrintToString(Messages());
  EXPECT_EQ(Messages()[0].rfind("Warning: " + Tif + " already exists.", 0), 0u);
  ClearMessages();
  ASSERT_TRUE(S.LoadPicture(Dng, false, false, true));
  EXPECT_TRUE(Messages().empty());
}

// The node values of a Cinespace file (the lines after "N N N").
bool ReadCinespace(const std::string& FileName, T3DLut& Lut) {
  std::ifstream In(FileName);
  std::string Line;
  int32_t N = 0;
  while (std::getline(In, Line)) {
    std::istringstream L(Line);
    int32_t A = 0, B = 0, C = 0;
    std::string Rest;
    if ((L >> A >> B >> C) && !(L >> Rest) && A == B && B == C && A >= 2) {
      N = A;
      break;
    }
  }
  if (N == 0 || !Lut.SetSize(N)) return false;
  const int64_t Count = static_cast<int64_t>(N) * N * N;
  for (int64_t I = 0; I < Count; ++I)
    if (!(In >> Lut.R[I] >> Lut.G[I] >> Lut.B[I])) return false;
  return true;
}

TEST_F(SessionImagesTest, ExportedLutsReadBackEqualToTheCompiledLut) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  session_test::MakeNonTrivial(S);
  auto Compiled = S.CompileLut(S.GetExportLutSize(), false);
  ASSERT_TRUE(Compiled);
  ASSERT_EQ(Compiled->Size, 64);
  struct TCase {
    const char* Name;
    float Tolerance;
  };
  for (const TCase& C : {TCase{"x.cube", 1e-6f}, TCase{"x.3dl", 0.5f / 4095 + 1e-6f},
                         TCase{"x.csp", 1e-6f}}) {
    SCOPED_TRACE(C.Name);
    const std::string Path = File(C.Name);
    ASSERT_TRUE(S.SaveLut(Path));
    T3DLut Back;
    TPresetLines Preset;
    const std::string Ext = C.Name + 1;
    const bool Read = Ext == ".cube"  ? LoadFromCube(&Back, Path, true, &Preset)
                      : Ext == ".3dl" ? LoadFrom3DL(&Back, Path, true, &Preset)
                                      : ReadCinespace(Path, Back);
    ASSERT_TRUE(Read);
    EXPECT_LT(MaxLutDifference(Back, *Compiled), C.Tolerance);
    if (Ext != ".csp") EXPECT_TRUE(Preset && !Preset->empty());  // the preset travels along
  }
}

TEST_F(SessionImagesTest, FfmpegWithTheExportedCubeMatchesTheSavedImage) {
  if (!kromel::testing::ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  const std::string Photo = WritePicture("photo.png", 160, 120);
  ASSERT_TRUE(S.LoadPicture(Photo, false, true, true));
  session_test::MakeNonTrivial(S);
  const std::string Cube = File("look.cube");
  ASSERT_TRUE(S.SaveLut(Cube));
  TImage64 Ours;
  ASSERT_TRUE(S.ProcessFullImage(Ours));
  const std::string Theirs = File("theirs.png");
  // At 16 bits, so ffmpeg's truncation to whole codes stays below 1/257.
  ASSERT_EQ(kromel::testing::RunProgram({"ffmpeg", "-v", "error", "-y", "-i", Photo, "-vf",
                                         "format=rgb48le,lut3d=file=" + Cube, "-pix_fmt",
                                         "rgb48be", Theirs},
                                        "/dev/null", false),
            0);
  TImage64 Back;
  ASSERT_TRUE(LoadImage64FromFile(Back, Theirs, false, 1.0f));
  ASSERT_EQ(Back.Width, Ours.Width);
  ASSERT_EQ(Back.Height, Ours.Height);
  int32_t MaxDiff = 0;
  for (int64_t I = 0; I < Ours.Size; ++I) {
    const TPixel64& P = Ours.Pixels[I];
    const TPixel64& Q = Back.Pixels[I];
    auto To8 = [](uint16_t V) { return (V + 128) / 257; };
    MaxDiff = std::max({MaxDiff, std::abs(To8(P.R) - To8(Q.R)), std::abs(To8(P.G) - To8(Q.G)),
                        std::abs(To8(P.B) - To8(Q.B))});
  }
  EXPECT_LE(MaxDiff, 1);
  for (int64_t I = 0, Shown = 0; I < Ours.Size && Shown < 5; ++I) {
    const TPixel64 &P = Ours.Pixels[I], &Q = Back.Pixels[I], &In = S.Image.Pixels[I];
    if (std::abs(P.R - Q.R) > 257 || std::abs(P.G - Q.G) > 257 || std::abs(P.B - Q.B) > 257) {
      ++Shown;
      ADD_FAILURE() << In.R << " " << In.G << " " << In.B << " -> " << P.R << " " << P.G << " "
                    << P.B << " vs " << Q.R << " " << Q.G << " " << Q.B;
    }
  }
}

TEST_F(SessionImagesTest, SplitAtOddWidthAndFillTransparentWithWhite) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  ASSERT_TRUE(S.LoadPicture(WritePicture("p.png", 101, 20), false, true, true));
  TImage64 Before;
  Before.Copy(S.Image);
  S.SplitImage(true);
  EXPECT_EQ(S.Image.Width, 50);
  EXPECT_EQ(S.ReferenceImage.Width, 51);
  for (int32_t Y = 0; Y < 20; ++Y) {
    const TPixel64 &A = S.ReferenceImage.Row(Y)[0], &B = Before.Row(Y)[50];
    EXPECT_TRUE(A.R == B.R && A.G == B.G && A.B == B.B);
  }
  // Alpha around the threshold: only pixels below 32768 turn white.
  const uint16_t Alphas[] = {0, 1, 32767, 32768, 40000, 65535};
  for (int64_t I = 0; I < S.Image.Size; ++I) {
    S.Image.Pixels[I] = {100, 200, 300, Alphas[I % 6]};
  }
  S.FillTransparentWithWhite();
  for (int64_t I = 0; I < S.Image.Size; ++I) {
    const TPixel64& P = S.Image.Pixels[I];
    EXPECT_EQ(P.A, Alphas[I % 6]);
    const bool White = Alphas[I % 6] < 32768;
    EXPECT_EQ(P.R, White ? 65535 : 100);
    EXPECT_EQ(P.G, White ? 65535 : 200);
    EXPECT_EQ(P.B, White ? 65535 : 300);
  }
}

}  // namespace
}  // namespace kromel
