// The "SAMP" image chunk at both depths: round trips, and hostile headers
// that must fail without reading, leaving image and file position alone.
#include <gtest/gtest.h>

#include <cstring>

#include "image_test_support.h"
#include "images/image32.h"
#include "images/image64.h"

using namespace kromel;
using namespace kromel::test;

namespace {

template <class TImage>
class ImageChunkTest : public MessageCapture {
protected:
  static constexpr int32_t N = sizeof(typename TImage::TPixel);

  void SetUp() override {
    MessageCapture::SetUp();
    F = std::tmpfile();
    ASSERT_NE(F, nullptr);
  }
  void TearDown() override {
    if (F != nullptr) std::fclose(F);
    MessageCapture::TearDown();
  }

  // An image whose pixel bytes follow a pattern that depends on Seed.
  static TImage Patterned(int32_t W, int32_t H, int Seed) {
    TImage I;
    I.Init();
    I.Alloc(W, H);
    auto* B = reinterpret_cast<uint8_t*>(I.Pixels);
    for (int64_t J = 0; J < int64_t(I.Size) * N; ++J) B[J] = uint8_t(J * 7 + Seed);
    return I;
  }
  static bool SamePixels(const TImage& A, const TImage& B) {
    return A.Width == B.Width && A.Height == B.Height && A.Size == B.Size &&
           std::memcmp(A.Pixels, B.Pixels, size_t(A.Size) * N) == 0;
  }
  void Put(const std::vector<uint8_t>& Bytes) {
    ASSERT_EQ(std::fwrite(Bytes.data(), 1, Bytes.size(), F), Bytes.size());
  }
  static std::vector<uint8_t> Header(const char* Tag, int32_t W, int32_t H) {
    std::vector<uint8_t> B(Tag, Tag + 4);
    for (int32_t V : {W, H})
      for (int S = 0; S < 32; S += 8) B.push_back(uint8_t(uint32_t(V) >> S));
    return B;
  }

  std::FILE* F = nullptr;
};

using ImageTypes = ::testing::Types<TImage32, TImage64>;
TYPED_TEST_SUITE(ImageChunkTest, ImageTypes);

TYPED_TEST(ImageChunkTest, RoundTripsTwoChunksInARow) {
  TypeParam A = this->Patterned(3, 2, 1), B = this->Patterned(1, 4, 50);
  ASSERT_TRUE(A.WriteToFile(this->F));
  ASSERT_TRUE(B.WriteToFile(this->F));
  EXPECT_EQ(std::ftell(this->F), 2 * 12 + (6 + 4) * this->N);
  std::rewind(this->F);

  TypeParam R = this->Patterned(5, 5, 9);
  R.MarginLeft = 11;
  ASSERT_TRUE(R.ReadFromFile(this->F));
  EXPECT_TRUE(this->SamePixels(R, A));
  EXPECT_EQ(R.MarginLeft, 11);  // margins are not part of the chunk
  ASSERT_TRUE(R.ReadFromFile(this->F));
  EXPECT_TRUE(this->SamePixels(R, B));
  EXPECT_FALSE(R.ReadFromFile(this->F));  // end of file: no tag
  EXPECT_TRUE(this->Silent());
  A.Dispose();
  B.Dispose();
  R.Dispose();
}

TYPED_TEST(ImageChunkTest, EmptyImageIsStoredAsZeroByZero) {
  TypeParam E;
  E.Init();
  E.Alloc(0, 5);  // leaves Width 0, Height 5 without pixels
  ASSERT_TRUE(E.WriteToFile(this->F));
  EXPECT_EQ(E.Width, 0);
  EXPECT_EQ(E.Height, 0);
  EXPECT_EQ(std::ftell(this->F), 12);
  std::rewind(this->F);
  uint8_t Bytes[13];
  ASSERT_EQ(std::fread(Bytes, 1, 13, this->F), 12u);
  const uint8_t Want[12] = {'S', 'A', 'M', 'P', 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(Bytes, Want, 12), 0);

  std::rewind(this->F);
  TypeParam R = this->Patterned(2, 2, 3);
  ASSERT_TRUE(R.ReadFromFile(this->F));
  EXPECT_EQ(R.Pixels, nullptr);
  EXPECT_EQ(R.Width, 0);
  EXPECT_EQ(R.Height, 0);
  EXPECT_EQ(R.Size, 0);
  EXPECT_TRUE(this->Silent());
}

TYPED_TEST(ImageChunkTest, HostileHeadersFailCleanly) {
  const int32_t N = this->N;
  auto Bytes = [](size_t Count) { return std::vector<uint8_t>(Count, 0xAB); };
  auto With = [](std::vector<uint8_t> A, const std::vector<uint8_t>& B) {
    A.insert(A.end(), B.begin(), B.end());
    return A;
  };
  struct Case {
    const char* Name;
    std::vector<uint8_t> Data;
    bool Reported;
  };
  const Case Cases[] = {
      {"wrong tag", With(this->Header("SAMQ", 2, 2), Bytes(4 * N)), false},
      {"tag cut short", {'S', 'A'}, false},
      {"header cut short", {'S', 'A', 'M', 'P', 2, 0, 0}, true},
      {"negative width", With(this->Header("SAMP", -2, 2), Bytes(64 * N)), true},
      {"both negative", With(this->Header("SAMP", -2, -2), Bytes(64 * N)), true},
      {"zero width", With(this->Header("SAMP", 0, 5), Bytes(64 * N)), true},
      {"zero height", With(this->Header("SAMP", 5, 0), Bytes(64 * N)), true},
      {"product wraps to 0", With(this->Header("SAMP", 65536, 65536), Bytes(64 * N)), true},
      {"product wraps small", With(this->Header("SAMP", 65537, 65537), Bytes(64 * N)), true},
      {"product above 32 bits", this->Header("SAMP", 46341, 46341), true},
      {"huge, no data", this->Header("SAMP", 30000, 30000), true},
      {"pixels cut short", With(this->Header("SAMP", 2, 2), Bytes(4 * N - 1)), true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    CapturedErrors().clear();
    ASSERT_EQ(ftruncate(fileno(this->F), 0), 0);
    std::rewind(this->F);
    this->Put({'x', 'y', 'z', 'w', 'v'});
    this->Put(C.Data);
    ASSERT_EQ(std::fseek(this->F, 5, SEEK_SET), 0);

    TypeParam I = this->Patterned(2, 3, 17);
    TypeParam Before = this->Patterned(2, 3, 17);
    const auto* Held = I.Pixels;
    EXPECT_FALSE(I.ReadFromFile(this->F));
    EXPECT_EQ(std::ftell(this->F), 5);
    EXPECT_EQ(I.Pixels, Held);
    EXPECT_TRUE(this->SamePixels(I, Before));
    EXPECT_EQ(this->Errors().size(), C.Reported ? 1u : 0u);
    if (C.Reported && !this->Errors().empty()) {
      EXPECT_EQ(this->Errors()[0].rfind("Exception in TImage", 0), 0u) << this->Errors()[0];
    }
    EXPECT_TRUE(this->Messages().empty());
    // The file is still usable after the failure.
    uint8_t First = 0;
    EXPECT_EQ(std::fread(&First, 1, 1, this->F), C.Data.empty() ? 0u : 1u);
    I.Dispose();
    Before.Dispose();
  }
}

TEST(ImageChunk, SixteenBitWordsAreLittleEndian) {
  std::FILE* F = std::tmpfile();
  ASSERT_NE(F, nullptr);
  TImage64 I;
  ASSERT_TRUE(I.Alloc(1, 1));
  I.Pixels[0].Init(0x0102, 0x0304, 0x0506, 0xFFFE);
  ASSERT_TRUE(I.WriteToFile(F));
  std::rewind(F);
  uint8_t B[20];
  ASSERT_EQ(std::fread(B, 1, sizeof(B), F), 20u);
  const uint8_t Want[20] = {'S', 'A', 'M', 'P', 1, 0, 0, 0, 1, 0, 0, 0,
                            0x02, 0x01, 0x04, 0x03, 0x06, 0x05, 0xFE, 0xFF};
  EXPECT_EQ(std::memcmp(B, Want, 20), 0);
  std::fclose(F);
}

}  // namespace
