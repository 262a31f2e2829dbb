#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "image_test_support.h"
#include "images/image32.h"
#include "platform/main_thread.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class Image32Test : public MessageCapture {};

struct AllocCase {
  int32_t W, H;
  int32_t ExpectWidth, ExpectHeight;
  bool Reported;
};

TEST_F(Image32Test, AllocRefusesEmptyAndOversizedSizes) {
  const AllocCase Cases[] = {
      {0, 5, 0, 0, false},         // no pixels, no report, all sizes 0
      {5, 0, 0, 0, false},
      {-3, -4, 0, 0, false},       // 32-bit product 12 must not allocate
      {-65536, 65536, 0, 0, false},
      {65536, 65536, 0, 0, true},  // 32-bit product wraps to 0
      {65537, 65537, 0, 0, true},  // wraps to 131073
      {46341, 46341, 0, 0, true},  // just above the 32-bit Size
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::to_string(C.W) + " x " + std::to_string(C.H));
    Sink.Clear();
    ResetMessageState();
    TImage32 I;
    EXPECT_FALSE(I.Alloc(C.W, C.H));
    EXPECT_EQ(I.Pixels, nullptr);
    EXPECT_EQ(I.Size, 0);
    EXPECT_EQ(I.Width, C.ExpectWidth);
    EXPECT_EQ(I.Height, C.ExpectHeight);
    if (C.Reported) {
      ASSERT_EQ(Messages().size(), 1u);
      EXPECT_EQ(Messages()[0].rfind("Exception in TImage32.Alloc, size=", 0), 0u);
    } else {
      EXPECT_TRUE(Messages().empty());
    }
  }
}

TEST_F(Image32Test, AllocOnHeldPixelsReusesSameSizeAndReleasesOtherSize) {
  TImage32 I = Numbered32(3, 2);
  TVPixel32* Before = I.Pixels;
  EXPECT_TRUE(I.Alloc(3, 2));
  EXPECT_EQ(I.Pixels, Before);
  EXPECT_EQ(Values(I), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(Silent());  // reuse is the contract, not worth a note

  // Another size: the old block is released (the leak checker would see it).
  EXPECT_TRUE(I.Alloc(4, 4));
  EXPECT_EQ(I.Size, 16);
  // A zero size leaves an empty image and False.
  EXPECT_FALSE(I.Alloc(0, 4));
  EXPECT_EQ(I.Pixels, nullptr);
  EXPECT_EQ(I.Size, 0);
}

// Records on which thread each message box was shown.
class ThreadRecordingSink : public TMessageSink {
public:
  void ShowMessage(const std::string& Text) override {
    Texts.push_back(Text);
    OnMain.push_back(IsMainThread());
  }
  std::vector<std::string> Texts;
  std::vector<bool> OnMain;
};

TEST_F(Image32Test, AllocOnAWorkerThreadShowsItsReportOnTheMainThread) {
  ThreadRecordingSink Recorder;
  SetMessageSink(&Recorder);
  TImage32 I = Numbered32(2, 2);
  std::atomic<bool> Done{false};
  bool Result = true;
  std::thread Worker([&] {
    Result = I.Alloc(65536, 65536);
    Done = true;
  });
  while (!Done) {
    DrainMainThreadCalls();
    std::this_thread::yield();
  }
  Worker.join();
  SetMessageSink(&Sink);
  EXPECT_FALSE(Result);
  EXPECT_EQ(I.Pixels, nullptr);
  ASSERT_FALSE(Recorder.Texts.empty());
  for (bool Main : Recorder.OnMain) EXPECT_TRUE(Main);
  EXPECT_NE(Recorder.Texts.back().find("Exception in TImage32.Alloc, size=4294967296"),
            std::string::npos);
}

TEST_F(Image32Test, SetSizeKeepsSameSizeAndDisposesForEmptySize) {
  TImage32 I = Numbered32(3, 2);
  TVPixel32* Before = I.Pixels;
  I.SetSize(3, 2);
  EXPECT_EQ(I.Pixels, Before);
  EXPECT_EQ(I.Pixels[5].Value, 6u);
  EXPECT_TRUE(Silent());
  I.SetSize(0, 5);
  EXPECT_EQ(I.Pixels, nullptr);
  EXPECT_EQ(I.Size, 0);
  EXPECT_TRUE(Silent());
}

TEST_F(Image32Test, InitDisposeClearKeepTheirFields) {
  TImage32 I;
  I.MarginLeft = 7;
  I.Dispose();  // empty: nothing at all
  EXPECT_EQ(I.MarginLeft, 7);
  ASSERT_TRUE(I.Alloc(2, 2));
  I.MarginTop = 3;
  I.Fill(0xFFFFFFFF);
  I.Clear();
  EXPECT_EQ(Values(I), (std::vector<uint32_t>{0, 0, 0, 0}));
  EXPECT_EQ(I.MarginLeft, 0);
  EXPECT_EQ(I.MarginTop, 0);
  I.MarginRight = 4;
  I.Dispose();
  EXPECT_EQ(I.Width, 0);
  EXPECT_EQ(I.Height, 0);
  EXPECT_EQ(I.MarginRight, 4);
}

TEST_F(Image32Test, FillSwapsRedAndBlueAndTakesTopByteAsAlpha) {
  struct {
    TColor Color;
    uint8_t Bytes[4];
  } Cases[] = {
      {0x00FFFFFF, {255, 255, 255, 0}},
      {0xFF0000FF, {0, 0, 255, 255}},
      {0x80332211, {0x33, 0x22, 0x11, 0x80}},
  };
  for (const auto& C : Cases) {
    TImage32 I;
    ASSERT_TRUE(I.Alloc(2, 1));
    I.Fill(C.Color);
    EXPECT_EQ(std::memcmp(&I.Pixels[1], C.Bytes, 4), 0) << std::hex << C.Color;
  }
}

TEST_F(Image32Test, ColorValueConversions) {
  EXPECT_EQ(BGRAToColor(0xAA112233), 0x00332211u);
  EXPECT_EQ(ColorToBGRA(0xAA112233), 0x00332211u);
  EXPECT_EQ(RGBAToBGRA32(0xAA112233), 0xAA332211u);
  EXPECT_EQ(BGRAToRGBA32(0xAA332211), 0xAA112233u);
}

TEST_F(Image32Test, CopyNeedsEqualPixelCountsAndKeepsShape) {
  TImage32 A = Numbered32(4, 6), B = Numbered32(6, 4), C = Numbered32(5, 5);
  B.Fill(0);
  B.Copy(A);
  EXPECT_EQ(Values(B), Values(A));
  EXPECT_EQ(B.Width, 6);
  EXPECT_EQ(B.Height, 4);
  EXPECT_TRUE(Silent());
  C.Copy(A);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "TImage32.Copy - Size mismatch");
  EXPECT_EQ(C.Pixels[0].Value, 1u);
}

TEST_F(Image32Test, GetPixelClampsCoordinates) {
  TImage32 I = Numbered32(10, 10);
  EXPECT_EQ(I.GetPixel(-3, 1000), 91u);  // column 0 of row 9
  EXPECT_EQ(I.GetPixel(1000, -1), 10u);
  EXPECT_EQ(I.GetPixel(4, 2), 25u);
  I.Dispose();
  EXPECT_EQ(I.GetPixel(0, 0), 0u);
}

TEST(ImageUnit, ColorReadoutNames) {
  ASSERT_EQ(ColorReadoutNames.size(), 15u);
  EXPECT_STREQ(ColorReadoutNames[0], "RGB 0..255");
  EXPECT_STREQ(ColorReadoutNames[6], "LAB");
  EXPECT_STREQ(ColorReadoutNames[14], "CMYK");
}

TEST(RowBands, StartsAndCounts) {
  const int32_t Starts10[8] = {0, 1, 2, 3, 5, 6, 7, 8};
  const int32_t Rows10[8] = {1, 1, 1, 2, 1, 1, 1, 2};
  for (int32_t K = 0; K < 8; ++K) {
    EXPECT_EQ(RowBandStart(10, K), Starts10[K]);
    EXPECT_EQ(RowBandRows(10, K), Rows10[K]);
  }
  EXPECT_EQ(RowBandRows(7, 0), 0);
  // Every row in exactly one band, for heights around the band count and huge ones.
  for (int32_t H : {0, 1, 7, 8, 9, 10, 17, 1080, 2147483647}) {
    int64_t Next = 0;
    for (int32_t K = 0; K < 8; ++K) {
      EXPECT_EQ(RowBandStart(H, K), Next) << H;
      EXPECT_GE(RowBandRows(H, K), 0);
      Next += RowBandRows(H, K);
    }
    EXPECT_EQ(Next, H);
  }
}

TEST(RowBands, ViewsShareTheRowsOfTheSource) {
  TImage32 Src = Numbered32(3, 10);
  std::vector<int> Seen(30, 0);
  for (int32_t K = 0; K < 8; ++K) {
    const TImageView32 View = RowBand<TVPixel32>(Src, RowBandStart(10, K), RowBandRows(10, K));
    EXPECT_EQ(View.Width, 3);
    EXPECT_EQ(View.Size, 3 * View.Height);
    for (int32_t I = 0; I < View.Size; ++I) ++Seen[View.Pixels[I].Value - 1];
  }
  EXPECT_EQ(Seen, std::vector<int>(30, 1));
  // Rows beyond the source are cut off.
  TImageView32 View = RowBand<TVPixel32>(Src, 8, 5);
  EXPECT_EQ(View.Height, 2);
  EXPECT_EQ(View.Pixels[0].Value, 25u);
  View = RowBand<TVPixel32>(Src, -4, 2);
  EXPECT_EQ(View.Pixels, Src.Pixels);
  // A view of an empty image has no pixels.
  TImage32 Empty;
  EXPECT_EQ(RowBand<TVPixel32>(Empty, 0, 3).Pixels, nullptr);
}

TEST_F(Image32Test, CopyToBitmapRowLayouts) {
  TImage32 I;
  ASSERT_TRUE(I.Alloc(2, 1));
  I.Pixels[0].Value = Bgra(1, 2, 3, 4);
  I.Pixels[1].Value = Bgra(5, 6, 7, 0);

  TRawBitmap B32(1, 1, pf32bit);
  I.CopyTo(B32);
  ASSERT_EQ(B32.Width(), 2);
  const uint8_t Want32[8] = {255, 3, 2, 1, 255, 7, 6, 5};  // alpha forced opaque
  EXPECT_EQ(std::memcmp(B32.ScanLine(0), Want32, 8), 0);

  TRawBitmap B24(2, 1, pf24bit);
  I.CopyTo(B24);
  const uint8_t Want24[6] = {1, 2, 3, 5, 6, 7};
  EXPECT_EQ(std::memcmp(B24.ScanLine(0), Want24, 6), 0);

  TRawBitmap B8(2, 1, pf8bit);
  I.CopyTo(B8);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "TImage32.CopyTo - wrong PixelFormat");
}

TEST_F(Image32Test, CopyFromBitmapRowLayouts) {
  TImage32 I;

  TRawBitmap B32(2, 1, pf32bit);
  const uint8_t Row32[8] = {10, 3, 2, 1, 0, 7, 6, 5};  // A,R,G,B
  std::memcpy(B32.ScanLine(0), Row32, 8);
  I.CopyFrom(B32);
  ASSERT_EQ(I.Size, 2);
  EXPECT_EQ(I.Pixels[0].Value, Bgra(1, 2, 3, 10));  // bitmap alpha kept
  EXPECT_EQ(I.Pixels[1].Value, Bgra(5, 6, 7, 0));

  // 24-bit rows packed without padding: the one-pixel row must be read
  // without touching the byte after it (the address checker watches).
  TRawBitmap B24;
  B24.SetPixelFormat(pf24bit);
  B24.SetRowAlignment(1);
  B24.SetSize(1, 3);
  for (int32_t Y = 0; Y < 3; ++Y) {
    uint8_t* L = B24.ScanLine(Y);
    L[0] = uint8_t(Y);
    L[1] = 20;
    L[2] = 30;
  }
  I.CopyFrom(B24);
  ASSERT_EQ(I.Width, 1);
  ASSERT_EQ(I.Height, 3);
  EXPECT_EQ(I.Pixels[2].Value, Bgra(2, 20, 30, 255));

  TRawBitmap B8(2, 1, pf8bit);
  B8.ScanLine(0)[0] = 9;
  B8.ScanLine(0)[1] = 200;
  I.CopyFrom(B8);
  EXPECT_EQ(I.Pixels[0].Value, Bgra(9, 9, 9, 255));
  EXPECT_EQ(I.Pixels[1].Value, Bgra(200, 200, 200, 255));

  TRawBitmap Device(1, 1, pfDevice);
  I.CopyFrom(Device);
  EXPECT_EQ(Device.PixelFormat(), pf32bit);

  TRawBitmap B16(1, 1, pf16bit);
  I.CopyFrom(B16);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "TImage32.CopyFrom - Unsupported bit depth");
}

TEST_F(Image32Test, BmpFileIsBottomUp32BitAndReadableByAnotherProgram) {
  TempDir Dir;
  TImage32 I;
  ASSERT_TRUE(I.Alloc(3, 2));
  for (int32_t K = 0; K < 6; ++K) I.Pixels[K].Value = Bgra(uint8_t(10 * K), 1, 2, 255);
  const std::string Name = Dir.File("out.bmp");
  {
    std::ofstream Old(Name);
    Old << "an older file";
  }
  ASSERT_TRUE(I.SaveToBMPFile(Name));
  const auto B = ReadBytes(Name);
  ASSERT_EQ(B.size(), 54u + 4 * 3 * 2);
  EXPECT_EQ(B[0], 'B');
  EXPECT_EQ(B[1], 'M');
  auto U32 = [&](size_t O) { return uint32_t(B[O] | B[O + 1] << 8 | B[O + 2] << 16 | B[O + 3] << 24); };
  EXPECT_EQ(U32(2), 78u);   // file size
  EXPECT_EQ(U32(10), 54u);  // pixel offset
  EXPECT_EQ(U32(14), 40u);
  EXPECT_EQ(U32(18), 3u);
  EXPECT_EQ(U32(22), 2u);
  EXPECT_EQ(B[28], 32);
  EXPECT_EQ(U32(30), 0u);  // uncompressed
  // First stored row is the image's bottom row.
  EXPECT_EQ(B[54], 30);
  EXPECT_EQ(B[54 + 12], 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind

  if (!ProgramAvailable("identify")) GTEST_SKIP() << "ImageMagick identify not installed";
  const std::string Out = Dir.File("identify.txt");
  // Format, size, and the blue of the bottom-left and top-right pixels.
  ASSERT_EQ(RunProgram({"identify", "-format",
                        "%m %w %h %[fx:int(255*p{0,1}.b+0.5)] %[fx:int(255*p{2,0}.b+0.5)]", Name},
                       Out),
            0)
      << ReadText(Out);
  const std::string Said = ReadText(Out);
  EXPECT_EQ(Said.rfind("BMP", 0), 0u) << Said;  // "BMP" or "BMP3"
  EXPECT_NE(Said.find(" 3 2 30 20"), std::string::npos) << Said;
}

TEST_F(Image32Test, BmpOfEmptyImageFailsAndLeavesOldFile) {
  TempDir Dir;
  const std::string Name = Dir.File("keep.bmp");
  {
    std::ofstream Old(Name);
    Old << "old";
  }
  TImage32 I;
  EXPECT_FALSE(I.SaveToBMPFile(Name));
  EXPECT_EQ(ReadText(Name), "old");
  EXPECT_EQ(Errors().size(), 1u);
  EXPECT_FALSE(I.SaveToBMPFile(Dir.File("missing/dir/x.bmp")));
}

}  // namespace
