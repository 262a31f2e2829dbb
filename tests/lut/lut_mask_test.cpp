#include "lut/lut_mask.h"

#include <cmath>
#include <functional>
#include <string>

#include "images/image32.h"
#include "images/image64.h"
#include "lut/lut.h"
#include "lut/lut_edit.h"
#include "lut/lut_smooth.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::Hash01;
using test::LutTest;
using test::MakeIdentity;
using test::Node;

class LutMaskTest : public LutTest {};

void FillColour(T3DLut& Lut, float R, float G, float B) {
  for (int32_t i = 0; i < Lut.Count; ++i) {
    Lut.R[i] = R;
    Lut.G[i] = G;
    Lut.B[i] = B;
  }
}

TEST_F(LutMaskTest, GreySourcesOfSingleColours) {
  using TSource = std::function<void(T3DLut&)>;
  struct TCase {
    const char* Name;
    TSource Source;
    float R, G, B, Grey;
  };
  const TSource Saturation = [](T3DLut& L) { SaturationToGray(L); };
  const TSource RedDominance = [](T3DLut& L) { RedDominanceToGray(L); };
  const TSource RGBDistance = [](T3DLut& L) { RGBDistanceToGray(L, 0.2f, 0.4f, 0.6f); };
  const TSource CMYKK = [](T3DLut& L) { CMYKChannelToGray(L, 3); };
  const TSource CMYKC = [](T3DLut& L) { CMYKChannelToGray(L, 0); };
  const TSource CrossAxis = [](T3DLut& L) { ChromaCrossAxisToGray(L, 0.8f, 0.3f, 0.2f); };
  const TCase Cases[] = {
      {"saturation black", Saturation, 0, 0, 0, 0},
      {"saturation white", Saturation, 1, 1, 1, 0},
      {"saturation red", Saturation, 1, 0, 0, 1},
      {"saturation light", Saturation, 1, 0.8f, 0.8f, 0.2f / (1 - 0.75f * 0.8f)},
      {"red dominance grey", RedDominance, 0.4f, 0.4f, 0.4f, 0.5f},
      {"red dominance black", RedDominance, 0, 0, 0, 0.5f},
      {"red dominance red", RedDominance, 1, 0, 0, 1},
      {"red dominance green", RedDominance, 0, 1, 0, 0},
      {"rgb distance itself", RGBDistance, 0.2f, 0.4f, 0.6f, 0},
      {"rgb distance far", RGBDistance, 1, 1, 1, (std::sqrt(0.64f + 0.36f + 0.16f)) / 1.732f},
      {"cmyk K white", CMYKK, 1, 1, 1, 0},
      {"cmyk K black", CMYKK, 0, 0, 0, 1},
      {"cmyk C black", CMYKC, 0, 0, 0, 0},
      {"cmyk C red", CMYKC, 1, 0, 0, 0},
      {"cmyk C cyan", CMYKC, 0, 1, 1, 1},
      {"cross axis grey", CrossAxis, 0.5f, 0.5f, 0.5f, 0.5f},
      {"cross axis reference", CrossAxis, 0.8f, 0.3f, 0.2f, 0.5f},
      {"brightness white", [](T3DLut& L) { BrightnessToGray(L); }, 1, 1, 1, 1},
      {"minimum", [](T3DLut& L) { MinimumToGray(L); }, 0.7f, 0.2f, 0.5f, 0.2f},
      {"channel blue", [](T3DLut& L) { ChannelToGray(L, 2); }, 0.7f, 0.2f, 0.5f, 0.5f},
      {"lab distance itself", [](T3DLut& L) { LabDistanceToGray(L, 0.3f, 0.6f, 0.1f); }, 0.3f, 0.6f,
       0.1f, 0},
      {"lab chroma grey", [](T3DLut& L) { LabChromaDistanceToGray(L, 0.5f, 0.5f, 0.5f); }, 0.9f,
       0.9f, 0.9f, 0},
      {"hspe distance itself", [](T3DLut& L) { HSPeDistanceToGray(L, 0.9f, 0.1f, 0.4f); }, 0.9f,
       0.1f, 0.4f, 0},
      {"orange of grey", [](T3DLut& L) { OrangeToGray(L); }, 0.5f, 0.5f, 0.5f, 0},
      {"orange peak", [](T3DLut& L) { OrangeToGray(L); }, 1, 0.5f, 0, 1 / 1.1f},
  };
  for (const TCase& C : Cases) {
    T3DLut Lut;
    ASSERT_TRUE(Lut.SetSize(2));
    FillColour(Lut, C.R, C.G, C.B);
    C.Source(Lut);
    for (int32_t i = 0; i < Lut.Count; ++i) {
      ASSERT_NEAR(Lut.R[i], C.Grey, 2e-5f) << C.Name;
      ASSERT_EQ(Lut.G[i], Lut.R[i]) << C.Name;
      ASSERT_EQ(Lut.B[i], Lut.R[i]) << C.Name;
    }
  }
}

// The reference's own colour lies along its chroma axis at (|c| + 100) / 200.
TEST_F(LutMaskTest, ChromaAxisOfTheReference) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(2));
  FillColour(Lut, 0.8f, 0.3f, 0.2f);
  ChromaAxisToGray(Lut, 0.8f, 0.3f, 0.2f);
  EXPECT_GT(Lut.R[0], 0.5f);
  FillColour(Lut, 0.5f, 0.5f, 0.5f);
  ChromaAxisToGray(Lut, 0.8f, 0.3f, 0.2f);
  EXPECT_NEAR(Lut.R[0], 0.5f, 1e-5f);
}

TEST_F(LutMaskTest, BadChannelsAndEmptyLutsChangeNothing) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(2));
  FillColour(Lut, 0.7f, 0.2f, 0.5f);
  ChannelToGray(Lut, 3);
  ChannelToGray(Lut, -1);
  CMYKChannelToGray(Lut, 4);
  EXPECT_EQ(Lut.R[0], 0.7f);
  EXPECT_EQ(Lut.G[0], 0.2f);
  T3DLut Empty;
  SaturationToGray(Empty);
  RGBDistanceToGray(Empty, 0, 0, 0);
  ConvertToHSP2p(Empty);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutMaskTest, ThreeChannelSources) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(2));
  FillColour(Lut, 1, 1, 1);
  ConvertToHueChromaLightness(Lut);
  EXPECT_NEAR(Lut.B[0], 1.0f, 1e-4f);  // L 100
  EXPECT_NEAR(Lut.G[0], 0.0f, 1e-3f);  // no chroma
  FillColour(Lut, 1, 1, 1);
  ConvertToHSP2p(Lut);
  EXPECT_NEAR(Lut.B[0], 1.0f, 1e-4f);
  EXPECT_NEAR(Lut.G[0], 0.0f, 1e-4f);
}

TEST_F(LutMaskTest, ExtractDifference) {
  T3DLut Key, A, B;
  ASSERT_TRUE(Key.SetSize(3));
  ASSERT_TRUE(A.SetSize(3));
  ASSERT_TRUE(B.SetSize(3));
  FillColour(A, 0.5f, 0.5f, 0.5f);
  FillColour(B, 0.6f, 0.5f, 0.5f);
  ExtractDifference(Key, &A, &B);
  EXPECT_NEAR(Key.R[4], std::sqrt(0.01f / 3) / (0.5f + 0.0001f), 1e-6f);
  EXPECT_EQ(Key.G[4], Key.R[4]);
  ExtractDifferenceSXY(Key, &A, &A);
  EXPECT_EQ(Key.R[4], 0.0f);
  EXPECT_TRUE(Messages().empty());

  ExtractDifference(Key, nullptr, &B);  // absent: nothing
  EXPECT_TRUE(Messages().empty());
  T3DLut Other;
  ASSERT_TRUE(Other.SetSize(4));
  Key.R[4] = 0.25f;
  ExtractDifference(Key, &A, &Other);
  ExtractDifferenceSXY(Key, &Other, &B);
  EXPECT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Reported("T3DLut.ExtractDifference error - lut sizes differ"));
  EXPECT_EQ(Key.R[4], 0.25f);
}

// A mask LUT whose red output is V everywhere.
void MakeConstantMask(T3DLut& Mask, float V) {
  ASSERT_TRUE(Mask.SetSize(2));
  FillColour(Mask, V, V, V);
}

TEST_F(LutMaskTest, BlendByMaskAtMaskZeroAndOne) {
  T3DLut Wet;
  MakeIdentity(Wet, 5);
  for (int32_t i = 0; i < Wet.Count; ++i) {
    Wet.R[i] = 0.2f + 0.6f * Hash01(i);
    Wet.G[i] = 1 - Wet.G[i];
  }
  T3DLut Dry;
  MakeIdentity(Dry, 3);
  for (int32_t i = 0; i < Dry.Count; ++i) Dry.B[i] = 0.5f;  // dry blue 0.5
  T3DLut Id;
  MakeIdentity(Id, 5);
  for (int32_t Method : {MaskMethodFade, MaskMethodLimit, MaskMethodFit})
    for (float M : {0.0f, 1.0f})
      for (bool WithDry : {false, true}) {
        T3DLut Mask, Out;
        MakeConstantMask(Mask, M);
        ASSERT_TRUE(Out.SetSize(5));
        BlendByMask(Out, Wet, Mask, WithDry ? &Dry : nullptr, Method);
        for (int32_t i = 0; i < Out.Count; ++i) {
          const float DryB = WithDry ? 0.5f : Id.B[i];
          const float WantR = M == 1 ? Wet.R[i] : Id.R[i];
          const float WantB = M == 1 ? Wet.B[i] : DryB;
          ASSERT_NEAR(Out.R[i], WantR, 1e-6f) << Method << " " << M << " " << WithDry;
          ASSERT_NEAR(Out.B[i], WantB, 1e-6f) << Method << " " << M << " " << WithDry;
        }
      }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutMaskTest, BlendByMaskLimitAndFitInBetween) {
  // One node's wet colour is 0.5 above its dry colour on every channel
  // (RMS change 0.5), the other 0.1 (RMS 0.1).
  T3DLut Wet, Mask, Out;
  MakeIdentity(Wet, 2);
  for (float* P : {Wet.R, Wet.G, Wet.B}) {
    P[0] = 0.5f;
    P[7] = 0.9f;
  }
  MakeConstantMask(Mask, 0.5f);
  ASSERT_TRUE(Out.CopyFrom(Wet));
  BlendByMask(Out, Wet, Mask, nullptr, MaskMethodLimit);
  EXPECT_NEAR(Out.R[0], 0.25f, 1e-6f);  // cut to l^2 = 0.25
  EXPECT_NEAR(Out.G[7], 0.9f, 1e-6f);   // a change of 0.1 from white stays
  // Fit with m = 0.25: a change of 0.1 (< 2m) becomes 0.1^2 / (4m) = 0.01.
  T3DLut Wet2;
  MakeIdentity(Wet2, 2);
  for (float* P : {Wet2.R, Wet2.G, Wet2.B}) P[0] = 0.1f;
  BlendByMask(Out, Wet2, Mask, nullptr, MaskMethodFit);
  EXPECT_NEAR(Out.R[0], 0.01f, 1e-6f);
  // A change of 0.5 (>= 2m) becomes 0.5 - m = 0.25.
  BlendByMask(Out, Wet, Mask, nullptr, MaskMethodFit);
  EXPECT_NEAR(Out.B[0], 0.25f, 1e-6f);
  // Mask 0.04 (m = 0.9216 > 0.9): the share taken back is pushed towards
  // 1, from 0.86437 to 0.89366.
  MakeConstantMask(Mask, 0.04f);
  BlendByMask(Out, Wet, Mask, nullptr, MaskMethodFit);
  EXPECT_NEAR(Out.B[0], 0.053168f, 2e-6f);
}

TEST_F(LutMaskTest, BlendByMaskGuards) {
  T3DLut Wet, Mask;
  MakeIdentity(Wet, 3);
  for (int32_t i = 0; i < Wet.Count; ++i) Wet.R[i] = 0.3f;
  MakeConstantMask(Mask, 1);
  T3DLut Self;
  ASSERT_TRUE(Self.CopyFrom(Wet));
  BlendByMask(Self, Self, Mask, nullptr, 3);  // unknown method: nothing
  EXPECT_EQ(Self.R[0], 0.3f);
  Self.R[0] = 1.7f;
  BlendByMask(Self, Self, Mask, nullptr, MaskMethodFade);  // wet is self; clamped
  EXPECT_EQ(Self.R[0], 1.0f);
  EXPECT_TRUE(Messages().empty());

  T3DLut Small, Empty;
  MakeIdentity(Small, 2);
  Self.R[1] = 0.75f;
  BlendByMask(Self, Small, Mask, nullptr, MaskMethodFade);
  BlendByMask(Self, Wet, Empty, nullptr, MaskMethodFade);
  BlendByMask(Self, Wet, Mask, &Empty, MaskMethodFade);
  EXPECT_EQ(Messages().size(), 3u);
  EXPECT_EQ(Self.R[1], 0.75f);
}

TEST_F(LutMaskTest, ProcessMaskAlpha) {
  TImage32 Qualifier, Source, Dest;
  Qualifier.Init();
  Source.Init();
  Dest.Init();
  ASSERT_TRUE(Qualifier.Alloc(2, 2));
  ASSERT_TRUE(Source.Alloc(2, 2));
  ASSERT_TRUE(Dest.Alloc(2, 2));
  for (int i = 0; i < 4; ++i) {
    Qualifier.Pixels[i].Value = 0xFF336699u;
    Source.Pixels[i].Value = 0xFF102030u;
  }
  Qualifier.Pixels[3].BGRA.A = 0;
  Source.Pixels[1].BGRA.A = 100;
  Source.MarginLeft = 7;
  T3DLut Mask;
  MakeConstantMask(Mask, 0.5f);
  ProcessMaskAlpha(Mask, Qualifier, Source, Dest);
  EXPECT_EQ(Dest.Pixels[0].Value, 0x80102030u);  // 127.5 rounds to 128
  EXPECT_EQ(Dest.Pixels[1].BGRA.A, 50);
  EXPECT_EQ(Dest.Pixels[3].Value, 0u);
  EXPECT_EQ(Dest.MarginLeft, 7);
  ProcessMaskAlphaInverted(Mask, Qualifier, Source, Dest);
  EXPECT_EQ(Dest.Pixels[0].BGRA.A, 128);

  // A mask above 1 saturates the byte; 16-bit qualifiers.
  TImage64 Q64;
  ASSERT_TRUE(Q64.Alloc(2, 2));
  for (int i = 0; i < 4; ++i) Q64.Pixels[i].Init(1000, 2000, 3000, 65535);
  Q64.Pixels[2].A = 0;
  MakeConstantMask(Mask, 3);
  ProcessMaskAlpha64(Mask, Q64, Source, Dest);
  EXPECT_EQ(Dest.Pixels[0].BGRA.A, 255);
  EXPECT_EQ(Dest.Pixels[2].Value, 0u);
  ProcessMaskAlphaInverted64(Mask, Q64, Source, Dest);
  EXPECT_EQ(Dest.Pixels[0].BGRA.A, 0);  // 1 - 3 < 0
  EXPECT_EQ(Dest.Pixels[0].BGRA.R, 0x10);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutMaskTest, ProcessMaskAlphaRefusals) {
  TImage32 Small, Source, Dest;
  Small.Init();
  Source.Init();
  Dest.Init();
  ASSERT_TRUE(Small.Alloc(1, 2));
  ASSERT_TRUE(Source.Alloc(2, 2));
  ASSERT_TRUE(Dest.Alloc(3, 2));  // larger than Source: refused
  for (int i = 0; i < 4; ++i) Source.Pixels[i].Value = 0xFFFFFFFFu;
  for (int i = 0; i < 6; ++i) Dest.Pixels[i].Value = 0x12345678u;
  TImage64 Q64;
  ASSERT_TRUE(Q64.Alloc(1, 2));
  T3DLut Mask, Empty;
  MakeConstantMask(Mask, 1);
  ProcessMaskAlpha(Mask, Small, Source, Dest);
  ProcessMaskAlphaInverted(Mask, Small, Source, Dest);
  ProcessMaskAlpha64(Mask, Q64, Source, Dest);
  ProcessMaskAlphaInverted64(Mask, Q64, Source, Dest);
  EXPECT_TRUE(Reported("T3DLut.ProcessMaskAlphaInverted error: Sizes differ"));
  EXPECT_TRUE(Reported("T3DLut.ProcessMaskAlpha64 error: Sizes differ, 1x2 and 2x2"));
  EXPECT_TRUE(Reported("T3DLut.ProcessMaskAlphaInverted64 error: Sizes differ"));
  EXPECT_EQ(Messages().size(), 4u);
  TImage32 Qualifier;
  ASSERT_TRUE(Qualifier.Alloc(2, 2));
  for (int i = 0; i < 4; ++i) Qualifier.Pixels[i].Value = 0xFFFFFFFFu;
  ProcessMaskAlphaInverted(Empty, Qualifier, Source, Dest);
  EXPECT_TRUE(Reported(
      "T3DLUT.ProcessMaskAlphaInverted: LUT not initialized! Processing canceled!"));
  ProcessMaskAlpha(Mask, Qualifier, Source, Dest);  // destination too large
  EXPECT_EQ(Messages().size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Dest.Pixels[i].Value, 0x12345678u);
}

TEST_F(LutMaskTest, MaximumAndMinimumRSpread) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(7));
  int Changes = 0;
  Lut.OnChange = [&Changes](TLut*) { ++Changes; };
  const int64_t K = Node(Lut, 3, 3, 3);
  Lut.R[K] = 1;
  MaximumR(Lut);
  EXPECT_EQ(Changes, 1);
  int Half = 0;
  for (int32_t i = 0; i < Lut.Count; ++i) Half += Lut.R[i] == 0.5f;
  EXPECT_EQ(Half, 26);
  EXPECT_EQ(Lut.R[K], 1.0f);
  EXPECT_EQ(Lut.R[Node(Lut, 2, 2, 2)], 0.5f);
  EXPECT_EQ(Lut.G[Node(Lut, 2, 2, 2)], 0.0f);

  // The inverse: the hole's neighbours fall to 0 (no halving).
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.R[i] = 1;
  Lut.R[K] = 0;
  MinimumR(Lut);
  int Zero = 0;
  for (int32_t i = 0; i < Lut.Count; ++i) Zero += Lut.R[i] == 0;
  EXPECT_EQ(Zero, 27);
  EXPECT_EQ(Changes, 2);

  // Green index 0 never changes.
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.R[i] = 0;
  Lut.R[Node(Lut, 3, 1, 3)] = 1;
  MaximumR(Lut);
  EXPECT_EQ(Lut.R[Node(Lut, 3, 0, 3)], 0.0f);
  EXPECT_EQ(Lut.R[Node(Lut, 3, 2, 3)], 0.5f);
  // A cubic mask does not wrap along red.
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.R[i] = 0;
  Lut.R[Node(Lut, 3, 3, 6)] = 1;
  MaximumR(Lut);
  EXPECT_EQ(Lut.R[Node(Lut, 3, 3, 0)], 0.0f);
}

TEST_F(LutMaskTest, MaximumRWrapsTheHueAxis) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(12, 5, 5));
  Lut.R[Node(Lut, 2, 2, 11)] = 1;
  MaximumR(Lut);
  EXPECT_EQ(Lut.R[Node(Lut, 2, 2, 0)], 0.5f);
  EXPECT_EQ(Lut.R[Node(Lut, 3, 1, 0)], 0.5f);
  EXPECT_EQ(Lut.R[Node(Lut, 2, 2, 1)], 0.0f);
  EXPECT_EQ(Lut.R[Node(Lut, 2, 2, 10)], 0.5f);
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.R[i] = 1;
  Lut.R[Node(Lut, 2, 2, 0)] = 0;
  MinimumR(Lut);
  EXPECT_EQ(Lut.R[Node(Lut, 2, 2, 11)], 0.0f);
  EXPECT_EQ(Lut.R[Node(Lut, 2, 2, 2)], 1.0f);
  T3DLut Empty;
  MaximumR(Empty);
  MinimumR(Empty);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LutMaskTest, SmoothMaskChannel) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(7));
  FillColour(Lut, 1, 1, 1);
  SmoothMaskChannel(Lut, Lut.R, 0.5f);
  for (int32_t i = 0; i < Lut.Count; ++i) ASSERT_EQ(Lut.R[i], 1.0f);
  FillColour(Lut, 0, 0, 0);
  const int64_t K = Node(Lut, 3, 3, 3);
  Lut.R[K] = 1;
  SmoothMaskChannel(Lut, Lut.R, 0.5f);
  EXPECT_FLOAT_EQ(Lut.R[K], 5.0f / 35);
  int Neighbours = 0;
  for (int db = -1; db <= 1; ++db)
    for (int dg = -1; dg <= 1; ++dg)
      for (int dr = -1; dr <= 1; ++dr)
        if (db != 0 || dg != 0 || dr != 0) {
          EXPECT_FLOAT_EQ(Lut.R[Node(Lut, 3 + db, 3 + dg, 3 + dr)], 1.0f / 35);
          ++Neighbours;
        }
  EXPECT_EQ(Neighbours, 26);
  EXPECT_EQ(Lut.R[Node(Lut, 3, 3, 5)], 0.0f);
  EXPECT_EQ(Lut.G[K], 0.0f);
}

TEST_F(LutMaskTest, FillInvertMultiplyAdd) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(4, 3, 2));
  int Changes = 0;
  Lut.OnChange = [&Changes](TLut*) { ++Changes; };
  FillWhite(Lut);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(Lut.B[Lut.Count - 1], 1.0f);
  Lut.R[0] = 0.25f;
  Invert(Lut);
  EXPECT_EQ(Lut.R[0], 0.75f);
  EXPECT_EQ(Lut.G[Lut.Count - 1], 0.0f);
  MultiplyAdd(Lut, 2, -0.1f);
  Clamp(Lut);
  EXPECT_FLOAT_EQ(Lut.R[0], 1.0f);
  EXPECT_EQ(Lut.G[1], 0.0f);
  EXPECT_EQ(Changes, 1);
  T3DLut Empty;
  FillWhite(Empty);
  Invert(Empty);
  MultiplyAdd(Empty, 2, 1);
}

}  // namespace
}  // namespace kromel
