// The buffer every image type owns its pixels through: one Alloc contract,
// moves that hand the pixels over, and views that never own them.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>

#include "image_test_support.h"
#include "images/image128.h"
#include "images/image32.h"
#include "images/image64.h"
#include "images/image96.h"
#include "images/image_vbpp.h"

using namespace kromel;

namespace {

template <class TImage>
class ImageBufferTest : public kromel::test::MessageCapture {};
using TImages = ::testing::Types<TImage32, TImage64, TImage96, TImage128>;
TYPED_TEST_SUITE(ImageBufferTest, TImages);

template <class TImage>
auto* PixelsOf(TImage& I) {
  return I.PixelPointer();
}

template <class TImage>
void ExpectEmpty(TImage& I) {
  EXPECT_EQ(PixelsOf(I), nullptr);
  EXPECT_EQ(I.Width, 0);
  EXPECT_EQ(I.Height, 0);
  EXPECT_EQ(I.Size, 0);
}

static_assert(!std::is_copy_constructible_v<TImage32> && !std::is_copy_assignable_v<TImage64> &&
              !std::is_copy_constructible_v<TImage96> && !std::is_copy_assignable_v<TImage128>);
static_assert(std::is_nothrow_move_constructible_v<TImage32> &&
              std::is_nothrow_move_assignable_v<TImage128>);
static_assert(std::is_copy_constructible_v<TImageView32> && std::is_copy_assignable_v<TImageView64>);

TYPED_TEST(ImageBufferTest, OneAllocContract) {
  TypeParam I;
  ASSERT_TRUE(I.Alloc(3, 2));
  PixelsOf(I)[5] = {};
  auto* Held = PixelsOf(I);
  EXPECT_TRUE(I.Alloc(3, 2));  // the same size keeps the pixels
  EXPECT_EQ(PixelsOf(I), Held);
  EXPECT_TRUE(I.Alloc(2, 3));  // the same count, another shape: fresh pixels
  EXPECT_EQ(I.Width, 2);
  EXPECT_EQ(I.Size, 6);
  // A side of 0 or below: an empty image, False, no report.
  const std::pair<int32_t, int32_t> Empty[] = {{0, 5}, {5, 0}, {-3, -4}, {-65536, 65536}};
  for (const auto& [W, H] : Empty) {
    ASSERT_TRUE(I.Alloc(4, 4));
    EXPECT_FALSE(I.Alloc(W, H)) << W << " x " << H;
    ExpectEmpty(I);
  }
  EXPECT_TRUE(this->Silent());
  // Counts past the 32-bit Size: reported, empty, False (65536^2 wraps to 0).
  const std::pair<int32_t, int32_t> Huge[] = {{65536, 65536}, {46341, 46341}, {INT32_MAX, 2}};
  for (const auto& [W, H] : Huge) {
    ASSERT_TRUE(I.Alloc(1, 1));
    this->Sink.Clear();
    ResetMessageState();
    EXPECT_FALSE(I.Alloc(W, H)) << W << " x " << H;
    ExpectEmpty(I);
    const std::string Want = std::string("Exception in ") +
                             ImageTypeName<typename TypeParam::TPixel> + ".Alloc, size=" +
                             std::to_string(int64_t(W) * H) + " width=" + std::to_string(W);
    ASSERT_EQ(this->Messages().size(), 1u);
    EXPECT_EQ(this->Messages()[0].rfind(Want, 0), 0u) << this->Messages()[0];
  }
}

TYPED_TEST(ImageBufferTest, MovesHandThePixelsOver) {
  TypeParam A;
  ASSERT_TRUE(A.Alloc(4, 3));
  auto* Held = PixelsOf(A);
  TypeParam B(std::move(A));
  EXPECT_EQ(PixelsOf(B), Held);
  EXPECT_EQ(B.Width, 4);
  EXPECT_EQ(B.Size, 12);
  ExpectEmpty(A);
  // Assignment frees what the target held (the leak checker sees it).
  TypeParam C;
  ASSERT_TRUE(C.Alloc(2, 2));
  C = std::move(B);
  EXPECT_EQ(PixelsOf(C), Held);
  ExpectEmpty(B);
  C = std::move(C);  // onto itself: kept
  EXPECT_EQ(PixelsOf(C), Held);
  C.Dispose();
  ExpectEmpty(C);
  C.Dispose();  // twice is harmless
  EXPECT_TRUE(this->Silent());
}

TEST(ImageViews, BandsShareTheOwnersPixelsAndFreeNothing) {
  TImage64 Owner;
  ASSERT_TRUE(Owner.Alloc(2, 5));
  for (int32_t K = 0; K < Owner.Size; ++K) Owner.Pixels[K].Init(uint16_t(K), 0, 0, 0);
  {
    TImageView64 Whole = Owner;
    TImageView64 Band = RowBand<TPixel64>(Whole, 3, 9);  // cut to the last two rows
    const TImageView64 Copy = Band;
    EXPECT_EQ(Copy.Height, 2);
    EXPECT_EQ(Copy.Pixels, Owner.Pixels + 6);
    Copy.Row(1)[1].R = 99;
  }
  // The views are gone; the owner's pixels are intact and written through.
  EXPECT_EQ(Owner.Pixels[9].R, 99);
  EXPECT_EQ(Owner.Pixels[8].R, 8);
  // A raw row of foreign memory.
  TPixel64 Row[3] = {};
  const TImageView64 Line(Row, 3, 1);
  EXPECT_EQ(Line.Size, 3);
  EXPECT_EQ(TImageView64(Row, 0, 1).Size, 0);
}

}  // namespace
