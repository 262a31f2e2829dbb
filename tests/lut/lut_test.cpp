#include "lut/lut.h"

#include <climits>

#include "lut/lut_edit.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

class LutObjectTest : public LutTest {};

TEST_F(LutObjectTest, IdentityOf33Levels) {
  T3DLut Lut;
  MakeIdentity(Lut, 33);
  EXPECT_EQ(Lut.Count, 35937);
  EXPECT_EQ(Lut.NLRH, 33);
  EXPECT_EQ(Lut.NLBL, 33);
  EXPECT_FALSE(Lut.NonCubic);
  EXPECT_FALSE(Lut.Valid);
  EXPECT_TRUE(Lut.DisplayReferred);
  EXPECT_TRUE(Lut.Name.empty());
  EXPECT_EQ(Lut.R[0], 0.0f);
  EXPECT_EQ(Lut.B[0], 0.0f);
  EXPECT_EQ(Lut.R[35936], 1.0f);
  EXPECT_EQ(Lut.G[35936], 1.0f);
  EXPECT_EQ(Lut.B[35936], 1.0f);
  // Node (r, g, b) = (5, 7, 9) at 5 + 33 * (7 + 33 * 9).
  const int I = 5 + 33 * (7 + 33 * 9);
  EXPECT_EQ(Lut.R[I], static_cast<float>(5.0 / 32));
  EXPECT_EQ(Lut.G[I], static_cast<float>(7.0 / 32));
  EXPECT_EQ(Lut.B[I], static_cast<float>(9.0 / 32));
  for (int i = 0; i < Lut.Count; ++i) ASSERT_EQ(Lut.A[i], 0.0f);
}

TEST_F(LutObjectTest, TwoLevelCornersRedFastest) {
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  const float Expected[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0},
                                {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(Lut.R[i], Expected[i][0]) << i;
    EXPECT_EQ(Lut.G[i], Expected[i][1]) << i;
    EXPECT_EQ(Lut.B[i], Expected[i][2]) << i;
  }
}

// Sizes outside 2..256 (and products that overflow 32 bits) are refused and
// leave an empty LUT rather than sizes without planes.
TEST_F(LutObjectTest, SetSizeRefusesBadSizesAndLeavesEmpty) {
  for (int32_t N : {0, 1, -1, 257, 1291, 2048, INT_MAX, INT_MIN}) {
    T3DLut Lut;
    MakeIdentity(Lut, 5);
    EXPECT_FALSE(Lut.SetSize(N)) << N;
    EXPECT_EQ(Lut.R, nullptr) << N;
    EXPECT_EQ(Lut.A, nullptr) << N;
    EXPECT_EQ(Lut.Size, 0) << N;
    EXPECT_EQ(Lut.Count, 0) << N;
    EXPECT_EQ(Lut.NLRH, 0) << N;
    EXPECT_TRUE(Lut.IsEmpty()) << N;
    // SetDefault afterwards must not write anywhere.
    Lut.SetDefault();
    EXPECT_EQ(Lut.R, nullptr);
  }
}

TEST_F(LutObjectTest, SetLevelsRefusesBadCounts) {
  T3DLut Lut;
  EXPECT_FALSE(Lut.SetLevels(144, 1, 16));
  EXPECT_FALSE(Lut.SetLevels(144, 10, 0));
  EXPECT_FALSE(Lut.SetLevels(-144, 10, 16));
  EXPECT_FALSE(Lut.SetLevels(144, 10, 100000));
  EXPECT_EQ(Lut.R, nullptr);
  EXPECT_EQ(Lut.Count, 0);
  ASSERT_TRUE(Lut.SetLevels(144, 10, 16));
  EXPECT_EQ(Lut.Count, 23040);
  EXPECT_EQ(Lut.Size, 0);
  EXPECT_TRUE(Lut.NonCubic);
  EXPECT_FALSE(Lut.IsEmpty());
}

TEST_F(LutObjectTest, SetDefaultOfNonCubicLut) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(5, 3, 2));
  Lut.SetDefault();
  const int I = 4 + 5 * (1 + 3 * 1);  // (r, g, b) = (4, 1, 1)
  EXPECT_EQ(Lut.R[I], 1.0f);
  EXPECT_EQ(Lut.G[I], 0.5f);
  EXPECT_EQ(Lut.B[I], 1.0f);
}

TEST_F(LutObjectTest, SetDefaultReportsZeroLevelsInOrder) {
  T3DLut Lut;
  Lut.SetDefault();
  ASSERT_EQ(Messages().size(), 3u);
  EXPECT_EQ(Messages()[0], "Error in T3DLut.SetDefault - NLBL=0");
  EXPECT_EQ(Messages()[1], "Error in T3DLut.SetDefault - NLGS=0");
  EXPECT_EQ(Messages()[2], "Error in T3DLut.SetDefault - NLRH=0");
  EXPECT_EQ(Lut.R, nullptr);
  EXPECT_TRUE(Lut.DisplayReferred);
}

// The state a failed chunk read or FreeData leaves (level counts, no
// planes): the identity reset makes the planes first.
TEST_F(LutObjectTest, SetDefaultAfterFreeDataAllocates) {
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  Lut.FreeData();
  EXPECT_EQ(Lut.R, nullptr);
  EXPECT_EQ(Lut.NLRH, 9);
  Lut.SetDefault();
  ASSERT_NE(Lut.R, nullptr);
  EXPECT_EQ(Lut.Size, 9);
  EXPECT_EQ(Lut.B[Lut.Count - 1], 1.0f);

  T3DLut Mask;
  ASSERT_TRUE(Mask.SetLevels(144, 10, 16));
  Mask.FreeData();
  Mask.SetDefault();
  ASSERT_NE(Mask.R, nullptr);
  EXPECT_TRUE(Mask.NonCubic);
  EXPECT_EQ(Mask.Count, 23040);
}

TEST_F(LutObjectTest, EnsureSize) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  Lut.Valid = true;
  Lut.R[7] = 0.25f;
  ASSERT_TRUE(Lut.EnsureSize(5));
  EXPECT_TRUE(Lut.Valid);
  EXPECT_EQ(Lut.R[7], 0.25f);
  ASSERT_TRUE(Lut.EnsureSize(4));
  EXPECT_FALSE(Lut.Valid);
  EXPECT_EQ(Lut.Count, 64);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(Lut.R[i], 0.0f);
}

TEST_F(LutObjectTest, CopyFromCubic) {
  T3DLut Src, Dst;
  MakeIdentity(Src, 7);
  Src.R[3] = 0.75f;
  Src.A[3] = 0.5f;
  Src.MaxR = 1000;
  Src.ColorSpace = lcsLAB;
  Src.DisplayReferred = false;
  Src.Name = "source";
  Src.ColorModelPreferences.Gamma = 2.4f;
  Src.Preset = std::make_unique<TMemoryStream>("KRMP-bytes");
  Dst.Name = "kept";
  Dst.ImageProfile = "sRGB";
  int Fired = 0;
  Dst.OnChange = [&](TLut*) { ++Fired; };
  ASSERT_TRUE(Dst.CopyFrom(Src));
  EXPECT_EQ(Dst.Size, 7);
  EXPECT_EQ(Dst.R[3], 0.75f);
  EXPECT_EQ(Dst.A[3], 0.5f);
  EXPECT_EQ(Dst.MaxR, 1000);
  EXPECT_EQ(Dst.ColorSpace, lcsLAB);
  EXPECT_FALSE(Dst.DisplayReferred);
  EXPECT_EQ(Dst.ColorModelPreferences.Gamma, 2.4f);
  EXPECT_EQ(Dst.Name, "kept");
  EXPECT_EQ(Dst.ImageProfile, "sRGB");
  EXPECT_TRUE(Dst.OnChange);
  EXPECT_EQ(Fired, 0);
  // The preset is an independent copy.
  Src.Preset.reset();
  ASSERT_TRUE(Dst.Preset);
  EXPECT_EQ(Dst.Preset->Bytes(), "KRMP-bytes");
}

// A 144 x 10 x 16 mask copied by its level counts, not emptied.
TEST_F(LutObjectTest, CopyFromNonCubicCopiesByLevelCounts) {
  T3DLut Mask, Copy;
  ASSERT_TRUE(Mask.SetLevels(144, 10, 16));
  for (int i = 0; i < Mask.Count; ++i) Mask.R[i] = static_cast<float>(i);
  MakeIdentity(Copy, 17);
  ASSERT_TRUE(Copy.CopyFrom(Mask));
  EXPECT_FALSE(Copy.IsEmpty());
  EXPECT_TRUE(Copy.NonCubic);
  EXPECT_EQ(Copy.Size, 0);
  EXPECT_EQ(Copy.NLRH, 144);
  EXPECT_EQ(Copy.NLGS, 10);
  EXPECT_EQ(Copy.NLBL, 16);
  ASSERT_EQ(Copy.Count, 23040);
  EXPECT_EQ(Copy.R[23039], 23039.0f);
  // And back into a cubic LUT.
  T3DLut Cube;
  MakeIdentity(Cube, 3);
  ASSERT_TRUE(Copy.CopyFrom(Cube));
  EXPECT_FALSE(Copy.NonCubic);
  EXPECT_EQ(Copy.Size, 3);
  EXPECT_EQ(Copy.NLRH, 3);
}

TEST_F(LutObjectTest, CopyFromEmptySourceEmpties) {
  T3DLut Empty, Dst;
  MakeIdentity(Dst, 4);
  ASSERT_TRUE(Dst.CopyFrom(Empty));
  EXPECT_TRUE(Dst.IsEmpty());
  EXPECT_EQ(Dst.R, nullptr);
}

TEST_F(LutObjectTest, CopyRGBFromChecksSizes) {
  T3DLut A, B;
  MakeIdentity(A, 3);
  MakeIdentity(B, 4);
  A.CopyRGBFrom(B);
  EXPECT_TRUE(Reported("Error in T3DLut.CopyRGBFrom - Sizes mismatch"));
  EXPECT_EQ(A.Size, 3);
}

TEST_F(LutObjectTest, CopyMaskedFrom) {
  T3DLut Self, Src;
  MakeIdentity(Self, 3);
  MakeIdentity(Src, 3);
  for (int i = 0; i < Src.Count; ++i) Src.R[i] = Src.G[i] = Src.B[i] = 0.5f;
  // Weight 1 keeps this LUT, 0 takes the source, 0.25 blends.
  for (int i = 0; i < Self.Count; ++i) Self.A[i] = 1;
  Self.A[1] = 0;
  Self.A[2] = 0.25f;
  const float R2 = Self.R[2];
  Self.CopyMaskedFrom(Src);
  EXPECT_EQ(Self.R[0], 0.0f);
  EXPECT_EQ(Self.R[1], 0.5f);
  EXPECT_FLOAT_EQ(Self.R[2], 0.75f * 0.5f + R2 * 0.25f);
  EXPECT_EQ(Self.R[Self.Count - 1], 1.0f);

  T3DLut Other;
  MakeIdentity(Other, 4);
  const float Before = Self.R[5];
  Self.CopyMaskedFrom(Other);
  EXPECT_TRUE(Reported("Error in T3DLut.CopyMaskedFrom: LUT Sizes differ"));
  EXPECT_EQ(Self.R[5], Before);
}

TEST_F(LutObjectTest, IsEmpty) {
  EXPECT_TRUE(T3DLut::IsEmpty(nullptr));
  T3DLut Lut;
  EXPECT_TRUE(Lut.IsEmpty());
  ASSERT_TRUE(Lut.SetSize(2));
  EXPECT_FALSE(Lut.IsEmpty());
  EXPECT_FALSE(T3DLut::IsEmpty(&Lut));
  Lut.FreeData();
  EXPECT_TRUE(Lut.IsEmpty());
}

TEST_F(LutObjectTest, ZeroDataAndSetNil) {
  T3DLut Lut;
  int Fired = 0;
  Lut.OnChange = [&](TLut* Sender) {
    EXPECT_EQ(Sender, &Lut);
    ++Fired;
  };
  Lut.ZeroData();
  EXPECT_EQ(Fired, 0);
  MakeIdentity(Lut, 2);
  Lut.A[7] = 0.5f;
  Lut.ZeroData();
  EXPECT_EQ(Fired, 1);
  EXPECT_EQ(Lut.R[7], 0.0f);
  EXPECT_EQ(Lut.A[7], 0.5f);

  TLut::SetNil(nullptr);
  EXPECT_TRUE(Reported("TLUT.SetNil Error! T3DLut not created!"));
  // Planes owned elsewhere: SetNil forgets them without releasing.
  float* Planes[4] = {Lut.R, Lut.G, Lut.B, Lut.A};
  Lut.SetNil();
  EXPECT_EQ(Lut.R, nullptr);
  EXPECT_EQ(Lut.Count, 0);
  for (float* P : Planes) delete[] P;
}

TEST_F(LutObjectTest, NodeHelpers) {
  T3DLut Lut;
  MakeIdentity(Lut, 3);
  SetNodeCapped(Lut, 2, 1, 0, 1.5f, 0.25f, -0.5f);
  const int I = 0 + 3 * (1 + 3 * 2);
  EXPECT_EQ(Lut.R[I], 1.0f);
  EXPECT_EQ(Lut.G[I], 0.25f);
  EXPECT_EQ(Lut.B[I], -0.5f);
  SetNodeCapped(Lut, 3, 0, 0, 0, 0, 0);  // outside: ignored
  TRGBAPixel128 P;
  GetGreyPixel(Lut, 1, P);
  EXPECT_EQ(P.R, 0.5f);
  EXPECT_EQ(P.G, 0.5f);
  EXPECT_EQ(P.B, 0.5f);
  EXPECT_EQ(P.A, 0.0f);
}

TEST_F(LutObjectTest, Downsampling) {
  T3DLut Half;
  MakeIdentity(Half, 33);
  DownsampleHalf(Half);
  EXPECT_EQ(Half.Size, 16);
  EXPECT_EQ(Half.NLBL, 16);
  EXPECT_EQ(Half.Count, 4096);
  // New node (r, g, b) is old node (2r, 2g, 2b).
  const int I = 15 + 16 * (3 + 16 * 7);
  EXPECT_EQ(Half.R[I], static_cast<float>(30.0 / 32));
  EXPECT_EQ(Half.G[I], static_cast<float>(6.0 / 32));
  EXPECT_EQ(Half.B[I], static_cast<float>(14.0 / 32));

  T3DLut Third;
  MakeIdentity(Third, 17);
  DownsampleThird(Third);
  EXPECT_EQ(Third.Size, 6);
  EXPECT_EQ(Third.R[5], 15.0f / 16);

  // Too small to halve: unchanged.
  T3DLut Small;
  MakeIdentity(Small, 3);
  DownsampleHalf(Small);
  EXPECT_EQ(Small.Size, 3);
}

}  // namespace
}  // namespace kromel
