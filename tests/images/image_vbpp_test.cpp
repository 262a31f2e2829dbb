#include <gtest/gtest.h>

#include <memory>

#include "image_test_support.h"
#include "images/image_vbpp.h"

using namespace kromel;
using namespace kromel::test;

namespace {

class ImageVBPPTest : public MessageCapture {};

TEST_F(ImageVBPPTest, NewObjectIsEmpty) {
  TImageVBPP V;
  EXPECT_EQ(V.GetWidth(), 0);
  EXPECT_EQ(V.GetHeight(), 0);
  EXPECT_EQ(V.GetSize(), 0);
  EXPECT_TRUE(V.IsEmpty());
  TImageVBPP::Dispose(nullptr);  // nothing happens
  EXPECT_TRUE(Silent());
}

TEST_F(ImageVBPPTest, SizeFollowsTheSixteenBitImageFirst) {
  TImageVBPP V;
  V.Realloc(4, 3, false);
  EXPECT_EQ(V.GetWidth(), 4);
  EXPECT_EQ(V.GetSize(), 12);
  EXPECT_FALSE(V.IsEmpty());
  EXPECT_TRUE(Silent());
  V.Realloc(5, 2, true);  // both depths now: reported, both kept
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "TImageVBPP.Realloc collision");
  EXPECT_EQ(V.GetWidth(), 5);
  EXPECT_EQ(V.GetHeight(), 2);
  EXPECT_EQ(V.GetSize(), 10);
  EXPECT_NE(V.Image32.Pixels, nullptr);
}

TEST_F(ImageVBPPTest, CopyFromImage64NeedsTheSixteenBitImage) {
  TImage64 Src;
  ASSERT_TRUE(Src.Alloc(2, 2));
  Src.Fill({1, 2, 3, 4});
  TImageVBPP V;
  V.CopyFromImage64(Src);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "TImageVBPP.CopyFromImage64 - todo");
  EXPECT_TRUE(V.IsEmpty());

  V.Realloc(2, 2, true);
  V.CopyFromImage64(Src);
  EXPECT_EQ(V.Image64.Pixels[3].B, 3);
  TImage32 Out;
  V.CopyToImage32(Out);  // narrows and sizes the target
  EXPECT_EQ(Out.Size, 4);
}

TEST_F(ImageVBPPTest, ConvertTo64WidensAndKeepsAnExistingSixteenBitPicture) {
  TImageVBPP V;
  V.Realloc(2, 1, false);
  V.Image32.Pixels[0].Value = Bgra(255, 0, 1, 255);
  V.Image32.Pixels[1].Value = Bgra(0, 0, 0, 0);
  V.ConvertTo64();
  EXPECT_EQ(V.Image32.Pixels, nullptr);
  ASSERT_EQ(V.Image64.Size, 2);
  EXPECT_EQ(V.Image64.Pixels[0].B, 65535);
  EXPECT_EQ(V.Image64.Pixels[0].R, 257);
  EXPECT_EQ(V.GetWidth(), 2);

  // Holding only the 16-bit picture: nothing changes.
  TPixel64* Held = V.Image64.Pixels;
  V.ConvertTo64();
  EXPECT_EQ(V.Image64.Pixels, Held);
  EXPECT_EQ(V.Image64.Pixels[0].B, 65535);
  EXPECT_EQ(V.GetSize(), 2);
  EXPECT_TRUE(Silent());
}

TEST_F(ImageVBPPTest, ForwardsToTheEightBitImageWhenAlone) {
  TImageVBPP V;
  V.Realloc(2, 1, false);
  V.Image32.Pixels[0].Value = Bgra(1, 2, 3, 4);
  V.Image32.Pixels[1].Value = Bgra(5, 6, 7, 8);
  TImage32 Out;
  ASSERT_TRUE(Out.Alloc(1, 2));
  V.CopyToImage32(Out);  // a copy into the target's own shape
  EXPECT_EQ(Out.Pixels[1].Value, Bgra(5, 6, 7, 8));
  TRawBitmap B(1, 1, pf24bit);
  V.CopyTo(B);
  EXPECT_EQ(B.Width(), 2);
  EXPECT_EQ(B.ScanLine(0)[3], 5);
  V.Dispose();
  EXPECT_TRUE(V.IsEmpty());
  EXPECT_TRUE(Silent());
}

// Eight worker bands over a 16-bit source: disjoint bands covering every
// row, a nil 8-bit pointer, and no release of the shared pixels.
TEST_F(ImageVBPPTest, BandViewsForTheWorkers) {
  TImageVBPP Src;
  Src.Realloc(3, 10, true);
  for (int32_t K = 0; K < Src.Image64.Size; ++K) Src.Image64.Pixels[K].Init(uint16_t(K), 0, 0, 0);
  std::vector<int> Seen(30, 0);
  const int32_t H = Src.GetHeight();
  for (int32_t Band = 0; Band < RowBandCount; ++Band) {
    auto View = std::make_unique<TImageVBPPBand>(
        RowBand(Src, RowBandStart(H, Band), RowBandRows(H, Band)));
    EXPECT_EQ(View->Image32.Pixels, nullptr);
    EXPECT_EQ(View->GetWidth(), 3);
    EXPECT_EQ(View->GetHeight(), RowBandRows(H, Band));
    EXPECT_EQ(View->GetSize(), 3 * RowBandRows(H, Band));
    EXPECT_EQ(View->Image64.Pixels[0].R, 3 * RowBandStart(H, Band));
    for (int32_t K = 0; K < View->GetSize(); ++K) ++Seen[View->Image64.Pixels[K].R];
    // Re-pointing and destroying a band leaves the source's pixels alone.
    *View = RowBand(Src, 0, 1);
  }
  EXPECT_EQ(Seen, std::vector<int>(30, 1));
  EXPECT_EQ(Src.Image64.Pixels[29].R, 29);
  // A band of a band stays inside it.
  const TImageVBPPBand Inner = RowBand(RowBand(Src, 2, 3), 1, 5);
  EXPECT_EQ(Inner.GetHeight(), 2);
  EXPECT_EQ(Inner.Image64.Pixels, Src.Image64.Pixels + 9);
  EXPECT_TRUE(Silent());
}

TEST_F(ImageVBPPTest, BandViewOfAnEightBitSource) {
  TImageVBPP Src;
  Src.Realloc(2, 7, false);
  TImageVBPPBand View = RowBand(Src, RowBandStart(7, 0), RowBandRows(7, 0));
  EXPECT_EQ(View.GetSize(), 0);
  EXPECT_TRUE(View.IsEmpty());
  View = RowBand(Src, RowBandStart(7, 7), RowBandRows(7, 7));
  EXPECT_EQ(View.Image32.Pixels, Src.Image32.Pixels + 12);
  EXPECT_EQ(View.GetHeight(), 1);
  EXPECT_EQ(View.Image64.Pixels, nullptr);
}

}  // namespace
