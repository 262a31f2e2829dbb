// The prepared lookup: its eight-pixel form gives the bits of the plain one,
// and the colour and image paths give one result.
#include "lut/lut_tetrahedral.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "lut/lut_apply.h"
#include "lut/lut_lookup.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::Hash01;

// Words that hit grid nodes, ties between channels and the ends of the range
// as well as random values.
uint16_t TestWord(uint32_t i, uint32_t c, int32_t N) {
  switch (i % 5) {
    case 0: return static_cast<uint16_t>(65535 * ((i / 5 + c) % N) / (N - 1));
    case 1: return static_cast<uint16_t>(Hash01(i) * 65535.0f);  // the same on every channel
    case 2: return c == 2 ? 65535 : 0;
    default: return static_cast<uint16_t>(Hash01(4 * i + c) * 65535.0f);
  }
}

class PreparedLut : public ::testing::TestWithParam<std::tuple<int32_t, int32_t, int32_t, bool>> {
 protected:
  void SetUp() override {
    const auto [NR, NG, NB, Interleave] = GetParam();
    if (NR == NG && NG == NB)
      ASSERT_TRUE(Lut.SetSize(NR));
    else
      ASSERT_TRUE(Lut.SetLevels(NR, NG, NB));
    for (int32_t k = 0; k < Lut.Count; ++k) {
      Lut.R[k] = Hash01(3 * k) * 1.4f - 0.2f;
      Lut.G[k] = Hash01(3 * k + 1);
      Lut.B[k] = Hash01(3 * k + 2);
    }
    ASSERT_TRUE(Look.Prepare(Lut, Interleave));
  }
  void TearDown() override { SetLutSimdAllowed(true); }
  T3DLut Lut;
  TPreparedLut Look;
};

TEST_P(PreparedLut, EightPixelFormMatchesPlainLoop) {
  const int32_t N = std::get<0>(GetParam());
  const int32_t Count = 1003;  // a tail after the last group of eight
  std::vector<TPixel64> Src(Count);
  std::vector<TVPixel32> Src8(Count);
  for (int32_t i = 0; i < Count; ++i) {
    const uint16_t A = i % 3 == 0 ? 65535 : static_cast<uint16_t>(Hash01(7 * i) * 65535.0f);
    // Scattered transparent pixels, and a run of whole transparent groups.
    const bool Clear = i % 11 == 0 || (i >= 403 && i < 445);
    Src[i].Init(TestWord(i, 0, N), TestWord(i, 1, N), TestWord(i, 2, N), Clear ? 0 : A);
    Src8[i].BGRA = {static_cast<uint8_t>(Src[i].B >> 8), static_cast<uint8_t>(Src[i].G >> 8),
                    static_cast<uint8_t>(Src[i].R >> 8), static_cast<uint8_t>(Src[i].A >> 8)};
  }
  std::vector<TVPixel32> Plain(Count), Fast(Count), Plain8(Count), Fast8(Count);
  std::vector<TPixel64> Plain16(Count), Fast16(Count);
  for (auto* V : {&Plain16, &Fast16})
    for (TPixel64& P : *V) P.A = 1234;  // the 16-bit forms leave alpha
  for (bool UseAlpha : {false, true}) {
    SetLutSimdAllowed(false);
    Look.Apply64To32(Src.data(), Plain.data(), Count, UseAlpha);
    Look.Apply64(Src.data(), Plain16.data(), Count, UseAlpha);
    Look.Apply32(Src8.data(), Plain8.data(), Count);
    SetLutSimdAllowed(true);
    Look.Apply64To32(Src.data(), Fast.data(), Count, UseAlpha);
    Look.Apply64(Src.data(), Fast16.data(), Count, UseAlpha);
    Look.Apply32(Src8.data(), Fast8.data(), Count);
    for (int32_t i = 0; i < Count; ++i) {
      ASSERT_EQ(Plain[i].Value, Fast[i].Value) << "16-bit pixel " << i << " alpha " << UseAlpha;
      ASSERT_EQ(Plain8[i].Value, Fast8[i].Value) << "8-bit pixel " << i;
      ASSERT_TRUE(Plain16[i].R == Fast16[i].R && Plain16[i].G == Fast16[i].G &&
                  Plain16[i].B == Fast16[i].B && Fast16[i].A == 1234 && Plain16[i].A == 1234)
          << "16-bit output, pixel " << i;
    }
  }
  // In place gives the same as into another image.
  std::vector<TVPixel32> InPlace = Src8;
  Look.Apply32(InPlace.data(), InPlace.data(), Count);
  for (int32_t i = 0; i < Count; ++i) ASSERT_EQ(InPlace[i].Value, Fast8[i].Value) << i;
  std::vector<TPixel64> InPlace16 = Src;
  Look.Apply64(InPlace16.data(), InPlace16.data(), Count, true);
  for (int32_t i = 0; i < Count; ++i)
    ASSERT_TRUE(InPlace16[i].R == Fast16[i].R && InPlace16[i].G == Fast16[i].G &&
                InPlace16[i].B == Fast16[i].B && InPlace16[i].A == Src[i].A)
        << "16-bit in place, pixel " << i;
}

// Random 16-bit pictures (every word and alpha possible) through the image
// form with the lookup prepared once: the AVX2 rows give the plain loop's
// bits, with and without alpha, into another image and in place.
TEST_P(PreparedLut, Random16BitPictureFastEqualsPlain) {
  const int32_t W = 203, H = 61;
  TImage64 Src, Plain, Fast;
  for (TImage64* I : {&Src, &Plain, &Fast}) {
    I->Init();
    ASSERT_TRUE(I->Alloc(W, H));
  }
  for (int32_t i = 0; i < Src.Size; ++i) {
    auto Word = [&](uint32_t c) { return static_cast<uint16_t>(std::min(test::Hash01(5 * i + c) * 65536.0f, 65535.0f)); };
    Src.Pixels[i].Init(Word(0), Word(1), Word(2), Word(3));
  }
  for (bool UseAlpha : {false, true}) {
    for (TImage64* I : {&Plain, &Fast})
      for (int32_t i = 0; i < I->Size; ++i) I->Pixels[i].Init(1, 2, 3, 4);
    SetLutSimdAllowed(false);
    ProcessImage64(Look, Src, Plain, UseAlpha);
    SetLutSimdAllowed(true);
    ProcessImage64(Look, Src, Fast, UseAlpha);
    for (int32_t i = 0; i < Src.Size; ++i)
      ASSERT_TRUE(Plain.Pixels[i] == Fast.Pixels[i]) << "pixel " << i << " alpha " << UseAlpha;
    TImage64 Copy;
    ASSERT_TRUE(Copy.Alloc(W, H));
    std::copy_n(Src.Pixels, Src.Size, Copy.Pixels);
    ProcessImage64(Look, Copy, Copy, UseAlpha);
    for (int32_t i = 0; i < Src.Size; ++i) {
      TPixel64 Want = Plain.Pixels[i];
      Want.A = Src.Pixels[i].A;
      ASSERT_TRUE(Copy.Pixels[i] == Want) << "in place, pixel " << i;
    }
  }
}

// The colour form and the image loop run one kernel: an opaque pixel's
// byte is the colour lookup's value rounded.
TEST_P(PreparedLut, ImageLoopAgreesWithColourLookup) {
  const int32_t N = std::get<0>(GetParam());
  const int32_t Count = 64;
  std::vector<TPixel64> Src(Count);
  std::vector<TVPixel32> Dst(Count);
  for (int32_t i = 0; i < Count; ++i)
    Src[i].Init(TestWord(i, 0, N), TestWord(i, 1, N), TestWord(i, 2, N), 65535);
  Look.Apply64To32(Src.data(), Dst.data(), Count, true);
  for (int32_t i = 0; i < Count; ++i) {
    float R = Src[i].R / 65535.0f, G = Src[i].G / 65535.0f, B = Src[i].B / 65535.0f;
    ProcessColorTetrahedralSingle(Lut, R, G, B);
    EXPECT_EQ(Dst[i].BGRA.R, RoundClamp(R * 255.0f, 255.0f)) << i;
    EXPECT_EQ(Dst[i].BGRA.G, RoundClamp(G * 255.0f, 255.0f)) << i;
    EXPECT_EQ(Dst[i].BGRA.B, RoundClamp(B * 255.0f, 255.0f)) << i;
    EXPECT_EQ(Dst[i].BGRA.A, 255) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Grids, PreparedLut,
                         ::testing::Values(std::make_tuple(2, 2, 2, false),
                                           std::make_tuple(17, 17, 17, true),
                                           std::make_tuple(33, 33, 33, false),
                                           std::make_tuple(33, 33, 33, true),
                                           std::make_tuple(5, 9, 3, true)));

TEST(PreparedLutEmpty, UnusableLutIsNotReady) {
  T3DLut Empty;
  TPreparedLut Look;
  EXPECT_FALSE(Look.Prepare(Empty, true));
  float R = 0.25f, G = 0.5f, B = 2;
  Look.Lookup(R, G, B);
  EXPECT_EQ(R, 0.25f);
  EXPECT_EQ(B, 2.0f);
}

}  // namespace
}  // namespace kromel
