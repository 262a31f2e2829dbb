// LUT files written here, read by other real tools: ffmpeg's lut3d and
// haldclut filters and OpenColorIO's ociobakelut must apply the same LUT we
// apply. Skipped when a tool is not installed. Also the LUT picture files
// and applying a LUT to a FreeImage bitmap in place.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "fileio/lut_apply_bitmap.h"
#include "fileio/lut_image_files.h"
#include "fileio_test_support.h"
#include "lut/lut_apply.h"
#include "lut/lut_file_3dl.h"
#include "lut/lut_file_cube.h"
#include "platform/process_runner.h"

namespace kromel {
namespace {

using fileio_test::FileIOTest;
using fileio_test::ProgramAvailable;

// A smooth LUT that moves every channel and mixes them, inside 0..1.
void MakeLook(T3DLut& Lut, int32_t N) {
  ASSERT_TRUE(Lut.SetSize(N));
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const float R = r / float(N - 1), G = g / float(N - 1), B = b / float(N - 1);
        const int32_t k = r + N * (g + N * b);
        Lut.R[k] = 0.9f * std::pow(R, 0.8f) + 0.1f * G;
        Lut.G[k] = 0.7f * G + 0.3f * B * B;
        Lut.B[k] = 0.95f * std::sqrt(B) + 0.05f * R;
      }
}

// 96 x 64 pixels over the whole range, alpha opaque.
void MakePicture(TImage64& Image) {
  Image.Init();
  ASSERT_TRUE(Image.Alloc(96, 64));
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 96; ++x) {
      const uint32_t H = static_cast<uint32_t>(x * 7919 + y * 104729) * 2654435761u;
      Image.Pixels[y * 96 + x].Init(static_cast<uint16_t>(x * 65535 / 95),
                                    static_cast<uint16_t>(y * 65535 / 63),
                                    static_cast<uint16_t>(H >> 16), 65535);
    }
}

class LutTools : public FileIOTest {
 protected:
  // Runs a tool with an argument vector; false when it fails.
  bool Run(const std::string& Program, const std::vector<std::string>& Args) {
    std::string Error;
    const pid_t Pid = StartProcess(Program, Args, {}, &Error);
    return Pid > 0 && WaitForProcess(Pid) == 0;
  }
  // ffmpeg applies Filter (with the LUT picture as second input when given)
  // to the 16-bit picture In; the 16-bit result.
  bool Ffmpeg(const std::string& In, const std::string& Filter, const std::string& Out,
              const std::string& Hald = "") {
    std::vector<std::string> Args = {"-v", "error", "-nostdin", "-y", "-i", In};
    if (!Hald.empty()) {
      Args.insert(Args.end(), {"-i", Hald, "-filter_complex", "[0:v][1:v]" + Filter});
    } else {
      Args.insert(Args.end(), {"-vf", Filter});
    }
    Args.insert(Args.end(), {"-frames:v", "1", "-pix_fmt", "rgb48be", Out});
    return Run("ffmpeg", Args);
  }
  // Largest channel difference between ffmpeg's picture and ours.
  int32_t MaxDifference(const std::string& FfmpegFile, const TImage64& Ours) {
    TImage64 Theirs;
    EXPECT_TRUE(LoadImage64FromFile(Theirs, FfmpegFile, false, 1.0f));
    int32_t Worst = 65535;
    if (Theirs.Width == Ours.Width && Theirs.Height == Ours.Height) {
      Worst = 0;
      for (int32_t i = 0; i < Ours.Size; ++i) {
        const TPixel64 A = Theirs.Pixels[i], B = Ours.Pixels[i];
        Worst = std::max({Worst, std::abs(A.R - B.R), std::abs(A.G - B.G), std::abs(A.B - B.B)});
      }
    }
    return Worst;
  }
  // The nodes of a cube baked by ociobakelut from our file, red fastest.
  std::vector<float> OcioBake(const std::string& LutFile, int32_t N) {
    const std::string Out = File("baked.cube");
    if (!Run("ociobakelut", {"--lut", LutFile, "--format", "iridas_cube", "--cubesize",
                             std::to_string(N), Out}))
      return {};
    std::ifstream F(Out);
    std::vector<float> V;
    for (std::string Line; std::getline(F, Line);) {
      std::istringstream S(Line);
      float R, G, B;
      if (S >> R >> G >> B) V.insert(V.end(), {R, G, B});
    }
    return V;
  }
};

TEST_F(LutTools, FfmpegAppliesOurCubeAnd3DLAsWeDo) {
  if (!ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  TImage64 Picture, Ours;
  MakePicture(Picture);
  Ours.Init();
  ASSERT_TRUE(Ours.Alloc(Picture.Width, Picture.Height));
  ASSERT_TRUE(SaveImage64ToFileNoProfile(Picture, File("in.png")));
  // ffmpeg reads CUBE files of any size, 3DL files only of 17 points
  // (dividing by 4096 where we divide by 4095: within 0.025 %).
  const struct {
    const char* Name;
    int32_t N;
  } Cases[] = {{"ours.cube", 33}, {"ours.3dl", 17}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    T3DLut Lut;
    MakeLook(Lut, C.N);
    const std::string LutFile = File(C.Name);
    ASSERT_TRUE(C.N == 33 ? Save3dLutCube(Lut, LutFile, nullptr, "Kromel", "")
                          : SaveTo3DL(Lut, LutFile, nullptr, "Kromel", "", "", true));
    ASSERT_TRUE(Ffmpeg(File("in.png"), "lut3d=file=" + LutFile + ":interp=tetrahedral",
                       File("out.png")));
    ProcessImage64(Lut, Picture, Ours, false);
    EXPECT_LE(MaxDifference(File("out.png"), Ours), 66);  // 0.1 %
  }
  // 8 bits: within one code value.
  T3DLut Lut;
  MakeLook(Lut, 33);
  ASSERT_TRUE(Save3dLutCube(Lut, File("ours.cube"), nullptr, "Kromel", ""));
  TImage32 Small, Mine;
  Small.Init();
  Mine.Init();
  ASSERT_TRUE(Small.Alloc(Picture.Width, Picture.Height));
  ASSERT_TRUE(Mine.Alloc(Picture.Width, Picture.Height));
  for (int32_t i = 0; i < Picture.Size; ++i)
    Small.Pixels[i].BGRA = {static_cast<uint8_t>(Picture.Pixels[i].B >> 8),
                            static_cast<uint8_t>(Picture.Pixels[i].G >> 8),
                            static_cast<uint8_t>(Picture.Pixels[i].R >> 8), 255};
  ASSERT_TRUE(SaveImage32ToFile(Small, File("in8.png")));
  ASSERT_TRUE(Run("ffmpeg", {"-v", "error", "-nostdin", "-y", "-i", File("in8.png"), "-vf",
                             "lut3d=file=" + File("ours.cube") + ":interp=tetrahedral",
                             "-frames:v", "1", "-pix_fmt", "rgb24", File("out8.png")}));
  ProcessImage(Lut, Small, Mine, false);
  TImage32 Theirs;
  ASSERT_TRUE(LoadImage32FromFile(Theirs, File("out8.png")));
  ASSERT_EQ(Theirs.Size, Mine.Size);
  int Worst = 0;
  for (int32_t i = 0; i < Mine.Size; ++i) {
    const TBGRAPixel32 A = Theirs.Pixels[i].BGRA, B = Mine.Pixels[i].BGRA;
    Worst = std::max({Worst, std::abs(A.R - B.R), std::abs(A.G - B.G), std::abs(A.B - B.B)});
  }
  EXPECT_LE(Worst, 1);
}

TEST_F(LutTools, FfmpegHaldClutMatches) {
  if (!ProgramAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  T3DLut Lut, Back;
  MakeLook(Lut, 16);
  ASSERT_TRUE(SaveLutToImageFile(Lut, File("hald.png"), TLutImageLayout::Hald));
  // Our own reader takes the picture back (Hald: no "GPUIMAGE" in the name).
  ASSERT_TRUE(LoadLutFromImageFile(Back, File("hald.png"), true));
  ASSERT_EQ(Back.Size, 16);
  EXPECT_EQ(Back.Name, File("hald.png"));
  for (int32_t k = 0; k < Lut.Count; ++k) ASSERT_NEAR(Back.R[k], Lut.R[k], 1e-5f);
  TImage64 Picture, Ours;
  MakePicture(Picture);
  Ours.Init();
  ASSERT_TRUE(Ours.Alloc(Picture.Width, Picture.Height));
  ASSERT_TRUE(SaveImage64ToFileNoProfile(Picture, File("in.png")));
  ASSERT_TRUE(Ffmpeg(File("in.png"), "haldclut=interp=tetrahedral", File("out.png"),
                     File("hald.png")));
  ProcessImage64(Back, Picture, Ours, false);
  EXPECT_LE(MaxDifference(File("out.png"), Ours), 66);
}

TEST_F(LutTools, OpenColorIOReadsOurCubeAnd3DL) {
  if (!ProgramAvailable("ociobakelut")) GTEST_SKIP() << "ociobakelut is not installed";
  T3DLut Lut;
  MakeLook(Lut, 33);
  ASSERT_TRUE(Save3dLutCube(Lut, File("ours.cube"), nullptr, "Kromel", "a comment"));
  ASSERT_TRUE(SaveTo3DL(Lut, File("ours.3dl"), nullptr, "Kromel", "", "", true));
  // The 3DL shaper puts node i at Trunc(1023 i / 32 + 0.99) / 1023, a hair
  // off i / 32: a little interpolation error on top of the 12-bit steps.
  const struct {
    const char* Name;
    float Tolerance;
  } Cases[] = {{"ours.cube", 2e-6f}, {"ours.3dl", 2e-3f}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::vector<float> Baked = OcioBake(File(C.Name), 33);
    ASSERT_EQ(Baked.size(), 3u * Lut.Count);
    for (int32_t k = 0; k < Lut.Count; ++k) {
      ASSERT_NEAR(Baked[3 * k], Lut.R[k], C.Tolerance) << k;
      ASSERT_NEAR(Baked[3 * k + 1], Lut.G[k], C.Tolerance) << k;
      ASSERT_NEAR(Baked[3 * k + 2], Lut.B[k], C.Tolerance) << k;
    }
  }
}

TEST_F(LutTools, PictureFilesChooseTheirLayoutByName) {
  T3DLut Lut, Back;
  MakeLook(Lut, 16);
  EXPECT_EQ(LutImageLayoutOfFile("/a/b/my_gpuImage.png"), TLutImageLayout::GPU);
  EXPECT_EQ(LutImageLayoutOfFile("/a/GPUIMAGE/x.tif"), TLutImageLayout::GPU);
  EXPECT_EQ(LutImageLayoutOfFile("/a/b/hald.tiff"), TLutImageLayout::Hald);
  // A strip saved under a GPU name reads back as one row of tiles.
  ASSERT_TRUE(SaveLutToImageFile(Lut, File("strip_GPUImage.tif"), TLutImageLayout::Strip));
  ASSERT_TRUE(LoadLutFromImageFile(Back, File("strip_GPUImage.tif"), true));
  for (int32_t k = 0; k < Lut.Count; ++k) ASSERT_NEAR(Back.B[k], Lut.B[k], 1e-5f);
  // A 33-point LUT has no square picture: refused, no file.
  T3DLut Odd;
  MakeLook(Odd, 33);
  EXPECT_FALSE(SaveLutToImageFile(Odd, File("odd.png"), TLutImageLayout::GPU));
  EXPECT_FALSE(fileio_test::FileThere(File("odd.png")));
  // A picture of the wrong size is refused and the LUT stays.
  TImage64 Wrong;
  ASSERT_TRUE(Wrong.Alloc(10, 10));
  for (int32_t i = 0; i < Wrong.Size; ++i) Wrong.Pixels[i].Init(1, 2, 3, 65535);
  ASSERT_TRUE(SaveImage64ToFileNoProfile(Wrong, File("wrong.png")));
  EXPECT_FALSE(LoadLutFromImageFile(Back, File("wrong.png"), true));
  EXPECT_EQ(Back.Size, 16);
  EXPECT_FALSE(LoadLutFromImageFile(Back, File("missing.png"), false));
}

TEST_F(LutTools, FreeImageBitmapInPlace) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(5));
  Lut.SetDefault();
  for (int32_t k = 0; k < Lut.Count; ++k) Lut.R[k] = 1.0f;
  const struct {
    FREE_IMAGE_TYPE Type;
    int Bpp;
    bool Ok;
  } Cases[] = {{FIT_BITMAP, 24, true},   {FIT_BITMAP, 32, true}, {FIT_RGBA16, 64, true},
               {FIT_BITMAP, 8, false},   {FIT_RGB16, 48, false}, {FIT_FLOAT, 32, false},
               {FIT_DOUBLE, 64, false}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Bpp);
    FIBITMAP* Bitmap = FreeImage_AllocateT(C.Type, 3, 2, C.Bpp);
    ASSERT_NE(Bitmap, nullptr);
    for (unsigned y = 0; y < 2; ++y) {
      BYTE* Line = FreeImage_GetScanLine(Bitmap, y);
      std::fill(Line, Line + FreeImage_GetLine(Bitmap), BYTE(0xFF));
      if (C.Bpp == 32 || C.Bpp == 24) Line[2] = 0;  // red of the first pixel
      if (C.Bpp == 64) Line[0] = Line[1] = 0;
    }
    ClearErrors();
    EXPECT_EQ(ProcessFreeBitmapByLUT(Bitmap, Lut), C.Ok);
    BYTE* Line = FreeImage_GetScanLine(Bitmap, 1);
    if (C.Ok) {
      EXPECT_EQ(Line[C.Bpp == 64 ? 1 : 2], 0xFF);  // red raised to full
    } else {
      ASSERT_FALSE(Errors().empty());
      EXPECT_EQ(Errors().back(),
                "ProcessFreeBitmapByLUT error: incompatible bit depth: " + std::to_string(C.Bpp));
    }
    FreeImage_Unload(Bitmap);
  }
  T3DLut One;
  FIBITMAP* Bitmap = FreeImage_Allocate(2, 2, 24);
  ClearErrors();
  EXPECT_FALSE(ProcessFreeBitmapByLUT(Bitmap, One));
  ASSERT_FALSE(Errors().empty());
  EXPECT_EQ(Errors().back(), "Error in ProcessFreeBitmapByLUT - LUT is not initialized");
  FreeImage_Unload(Bitmap);
}

}  // namespace
}  // namespace kromel
