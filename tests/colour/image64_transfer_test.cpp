#include <gtest/gtest.h>

#include <cstring>

#include "colour/image64_transfer.h"

namespace kromel {
namespace {

class Image64Transfer : public ::testing::Test {
 protected:
  void SetUp() override {
    Image.Init();
    ASSERT_TRUE(Image.Alloc(2, 2));
    Fill();
  }
  void Fill() {
    const TPixel64 Pixels[4] = {
        {0, 65535, 10, 1234}, {32768, 100, 65535, 7}, {65535, 65535, 65535, 65535}, {1, 2, 3, 0}};
    std::memcpy(Image.Pixels, Pixels, sizeof Pixels);
  }
  TImage64 Image;
};

TEST_F(Image64Transfer, LogCWithLoaderExposure) {
  Image64ConvertLinearToLogC(Image, 8.0f);
  EXPECT_EQ(Image.Pixels[0].R, 6082);
  EXPECT_EQ(Image.Pixels[0].G, 51968);
  EXPECT_EQ(Image.Pixels[0].A, 1234);  // alpha untouched
  EXPECT_EQ(Image.Pixels[1].A, 7);
  EXPECT_EQ(Image.Pixels[2].A, 65535);
  EXPECT_EQ(Image.Pixels[3].A, 0);
}

// Results beyond 16 bits are clamped instead of wrapping.
TEST_F(Image64Transfer, StrongExposureAndACESccDecodeClamp) {
  Image64ConvertLinearToLogC(Image, 100.0f);  // LogC(100) is about 1.064
  EXPECT_EQ(Image.Pixels[2].R, 65535);
  EXPECT_GT(Image.Pixels[1].R, 60000);
  Fill();
  Image64GammaToLinearByProfile(Image, ipACEScc);  // 1.0 decodes to 222.86
  EXPECT_EQ(Image.Pixels[2].R, 65535);
  EXPECT_EQ(Image.Pixels[0].R, 78);  // 2^-9.72 * 65535, from below
  Fill();
  Image64LinearToGammaByProfile(Image, ipACEScc);  // 0 encodes to -0.358
  EXPECT_EQ(Image.Pixels[0].R, 0);
}

TEST_F(Image64Transfer, SRGBAndProfiles) {
  Image64ConvertLinearToSRGB(Image);
  EXPECT_EQ(Image.Pixels[2].R, 65535);
  EXPECT_EQ(Image.Pixels[0].B, 129);  // 12.92 * 10
  EXPECT_EQ(Image.Pixels[3].R, 13);
  Fill();
  Image64LinearToGammaByProfile(Image, ipLinear);
  EXPECT_EQ(Image.Pixels[1].R, 32768);
  EXPECT_EQ(Image.Pixels[1].G, 100);
  Image64LinearToGammaByProfile(Image, ipSRGB);
  Image64GammaToLinearByProfile(Image, ipSRGB);
  EXPECT_NEAR(Image.Pixels[1].R, 32768, 1);
  EXPECT_EQ(Image.Pixels[1].A, 7);
  TImage64 Empty;
  Image64ConvertLinearToLogC(Empty, 8.0f);  // nothing to do, nothing touched
  Image64LinearToGammaByProfile(Empty, ipSRGB);
  EXPECT_EQ(Empty.Pixels, nullptr);
}

void FakeToPixel64(TCMSTransform, const void* Input, void* Output, uint32_t) {
  const auto* In = static_cast<const float*>(Input);
  const TPixel64 P{static_cast<uint16_t>(In[0]), static_cast<uint16_t>(In[1]),
                   static_cast<uint16_t>(In[2]), static_cast<uint16_t>(In[3])};
  std::memcpy(Output, &P, sizeof P);
}

TEST(LabToPixel64, AlphaIsFull16BitAndTransformWritesPixel) {
  TPixel64 P{};
  LABCMSSingletoPixel64(nullptr, 100, 0, 0, P);
  EXPECT_NEAR(P.R, 65535, 3);
  EXPECT_NEAR(P.B, 65535, 3);
  EXPECT_EQ(P.A, 65535);
  LABCMSSingletoPixel64(nullptr, 0, 0, 0, P);
  EXPECT_EQ(P.G, 0);
  EXPECT_EQ(P.A, 65535);
  CMSDoTransformProc = FakeToPixel64;
  int Handle = 0;
  LABCMSSingletoPixel64(&Handle, 40, 20, 10, P);
  CMSDoTransformProc = nullptr;
  EXPECT_EQ(P.R, 40);
  EXPECT_EQ(P.G, 20);
  EXPECT_EQ(P.B, 10);
  EXPECT_EQ(P.A, 0);
}

}  // namespace
}  // namespace kromel
