#include "lut/lut_smooth.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "lut/lut.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::Hash01;
using test::LutTest;
using test::MakeIdentity;
using test::Node;

class LutSmoothTest : public LutTest {};

void ExpectIdentity(const T3DLut& Lut, float Tolerance, const std::string& What) {
  T3DLut Id;
  MakeIdentity(Id, Lut.Size);
  for (int32_t i = 0; i < Lut.Count; ++i) {
    ASSERT_NEAR(Lut.R[i], Id.R[i], Tolerance) << What << " node " << i;
    ASSERT_NEAR(Lut.G[i], Id.G[i], Tolerance) << What << " node " << i;
    ASSERT_NEAR(Lut.B[i], Id.B[i], Tolerance) << What << " node " << i;
  }
}

// An identity with a deterministic disturbance of up to +-Noise per value.
void MakeNoisyIdentity(T3DLut& Lut, int32_t N, float Noise) {
  MakeIdentity(Lut, N);
  for (int32_t i = 0; i < Lut.Count; ++i) {
    Lut.R[i] += (Hash01(3 * i) - 0.5f) * 2 * Noise;
    Lut.G[i] += (Hash01(3 * i + 1) - 0.5f) * 2 * Noise;
    Lut.B[i] += (Hash01(3 * i + 2) - 0.5f) * 2 * Noise;
  }
}

TEST_F(LutSmoothTest, IdentityStaysIdentity) {
  for (float Amount : {0.0f, 0.5f, 1.0f, 3.0f}) {
    T3DLut Lut;
    MakeIdentity(Lut, 9);
    Smooth(Lut, Amount);
    ExpectIdentity(Lut, 1e-5f, "Smooth " + std::to_string(Amount));
  }
  // The methods built on Smooth, at the dialog's amounts for 1 and 4 runs.
  for (int32_t Method = 0; Method <= 4; ++Method)
    for (int32_t n : {1, 4}) {
      T3DLut Lut;
      MakeIdentity(Lut, 9);
      ASSERT_TRUE(ApplySmoothingMethod(Lut, Method, SmoothingMethodAmount(Method, n)));
      ExpectIdentity(Lut, 1e-5f, SmoothingMethodCaptions[Method]);
    }
  EXPECT_TRUE(Messages().empty());
}

// A lone 1 in a plane of 0: the neighbours take the kernel's weights over
// the divisor, by the kind of neighbour.
TEST_F(LutSmoothTest, KernelWeightsOfALoneNode) {
  struct TCase {
    float Amount, Centre, Face, Edge, Corner;
  };
  const TCase Cases[] = {
      {1, 0, 1.0f / 30, 2.0f / 30, 0},
      {0, 10.0f / 40, 1.0f / 40, 2.0f / 40, 0},
      {0.5f, 5.0f / 35, 1.0f / 35, 2.0f / 35, 0},
      {3, -10.0f / 20, 1.0f / 20, 2.0f / 20, 0},  // centre weight stops at -10
  };
  for (const TCase& C : Cases) {
    T3DLut Lut;
    ASSERT_TRUE(Lut.SetSize(7));
    Lut.G[Node(Lut, 3, 3, 3)] = 1;
    SmoothChannel(Lut, Lut.G, C.Amount);
    for (int db = -1; db <= 1; ++db)
      for (int dg = -1; dg <= 1; ++dg)
        for (int dr = -1; dr <= 1; ++dr) {
          const int Kind = (db != 0) + (dg != 0) + (dr != 0);
          const float Want =
              Kind == 0 ? C.Centre : Kind == 1 ? C.Face : Kind == 2 ? C.Edge : C.Corner;
          EXPECT_FLOAT_EQ(Lut.G[Node(Lut, 3 + db, 3 + dg, 3 + dr)], Want)
              << "amount " << C.Amount << " offset " << db << dg << dr;
        }
    EXPECT_EQ(Lut.G[Node(Lut, 3, 3, 5)], 0.0f);  // two steps away
    EXPECT_EQ(Lut.R[Node(Lut, 3, 3, 4)], 0.0f);  // other planes untouched
  }
}

TEST_F(LutSmoothTest, KernelIgnoresForeignPlanesAndNaNAmounts) {
  T3DLut Lut;
  MakeNoisyIdentity(Lut, 5, 0.1f);
  T3DLut Before;
  ASSERT_TRUE(Before.CopyFrom(Lut));
  std::vector<float> Foreign(Lut.Count, 1.0f);
  SmoothChannel(Lut, Foreign.data(), 1);
  SmoothChannel(Lut, nullptr, 1);
  Smooth(Lut, std::numeric_limits<float>::quiet_NaN());
  SmoothNeutralToSaturated(Lut, std::numeric_limits<float>::quiet_NaN());
  SmoothHueLumSXY(Lut, std::numeric_limits<float>::quiet_NaN());
  for (int32_t i = 0; i < Lut.Count; ++i) {
    ASSERT_EQ(Lut.R[i], Before.R[i]);
    ASSERT_EQ(Lut.G[i], Before.G[i]);
    ASSERT_EQ(Lut.B[i], Before.B[i]);
    ASSERT_EQ(Foreign[i], 1.0f);
  }
  T3DLut Empty;  // no planes: nothing, no crash
  Smooth(Empty, 1);
  SmoothNoise(Empty, 1);
  SmoothHueLumHSL(Empty, 1);
  SmoothMasked(Empty);
}

TEST_F(LutSmoothTest, KernelWorksOnNonCubicLuts) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(6, 4, 5));
  Lut.SetDefault();
  Smooth(Lut, 1);  // a linear plane stays, red wrapping aside
  for (int32_t b = 0; b < 5; ++b)
    for (int32_t g = 0; g < 4; ++g)
      for (int32_t r = 0; r < 5; ++r)  // the last red level reads across the wrap
        ASSERT_NEAR(Lut.B[Node(Lut, b, g, r)], b / 4.0f, 1e-6f);
}

TEST_F(LutSmoothTest, ScaleDifferencesFollowsThePiecewiseFraction) {
  T3DLut Self, Other;
  ASSERT_TRUE(Self.SetSize(2));
  ASSERT_TRUE(Other.SetSize(2));
  // Distances 0, 0.25, 0.5, 0.75 and 1 along red (largest 1).
  const float Dist[] = {0, 0.25f, 0.5f, 0.75f, 1, 0, 0, 0};
  for (int i = 0; i < 8; ++i) Other.R[i] = Dist[i];
  const float a = 0.2f, b = 0.6f, c = 1.0f;
  ScaleDifferences(Self, Other, a, b, c);
  const float WantM[] = {a, (a + b) / 2, b, (b + c) / 2, c};
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(Self.R[i], Dist[i] * WantM[i], 1e-6f) << i;
  EXPECT_TRUE(Messages().empty());

  // Equal LUTs, an empty other and another size change nothing.
  T3DLut Same;
  ASSERT_TRUE(Same.CopyFrom(Self));
  ScaleDifferences(Self, Same, 1, 1, 1);
  T3DLut Empty;
  ScaleDifferences(Self, Empty, 1, 1, 1);
  EXPECT_TRUE(Messages().empty());
  T3DLut Bigger;
  MakeIdentity(Bigger, 3);
  ScaleDifferences(Self, Bigger, 1, 1, 1);
  EXPECT_TRUE(Reported("Error in T3DLut.ScaleDifferences"));
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(Self.R[i], Dist[i] * WantM[i], 1e-6f);
}

TEST_F(LutSmoothTest, SmoothTensionsMovesOnlyTheLargestMoves) {
  // A linear LUT does not move.
  T3DLut Linear;
  MakeIdentity(Linear, 7);
  for (int32_t i = 0; i < Linear.Count; ++i) Linear.R[i] = 0.5f * Linear.R[i] + 0.2f;
  T3DLut Before;
  ASSERT_TRUE(Before.CopyFrom(Linear));
  SmoothTensions(Linear, 0);
  for (int32_t i = 0; i < Linear.Count; ++i) ASSERT_NEAR(Linear.R[i], Before.R[i], 1e-6f);

  // One kink: the kinked node takes its full smoothed value; its face
  // neighbours, moved by a thirtieth as much, keep theirs.
  T3DLut Kink;
  MakeIdentity(Kink, 7);
  const int64_t K = Node(Kink, 3, 3, 3);
  Kink.G[K] += 0.3f;
  T3DLut Smoothed;
  ASSERT_TRUE(Smoothed.CopyFrom(Kink));
  Smooth(Smoothed, 1);
  T3DLut Original;
  ASSERT_TRUE(Original.CopyFrom(Kink));
  SmoothTensions(Kink, 1);
  EXPECT_FLOAT_EQ(Kink.G[K], Smoothed.G[K]);
  const int64_t F = Node(Kink, 3, 3, 4);
  EXPECT_NE(Smoothed.G[F], Original.G[F]);
  EXPECT_EQ(Kink.G[F], Original.G[F]);
}

TEST_F(LutSmoothTest, CurvatureNormaliseRampAndMaximum) {
  T3DLut Lut;
  MakeIdentity(Lut, 7);
  CurvatureToAlpha(Lut);
  for (int32_t i = 0; i < Lut.Count; ++i) ASSERT_NEAR(Lut.A[i], 0.0f, 1e-6f);
  const int64_t K = Node(Lut, 3, 3, 3);
  Lut.R[K] += 0.5f;
  CurvatureToAlpha(Lut);
  EXPECT_FLOAT_EQ(Lut.A[K], 3.0f);                  // |−2·0.5| on three axes
  EXPECT_FLOAT_EQ(Lut.A[Node(Lut, 3, 3, 4)], 0.5f);  // one axis sees the bump
  EXPECT_NEAR(Lut.A[Node(Lut, 3, 4, 4)], 0.0f, 1e-6f);
  NormalizePlane(Lut, Lut.A);
  EXPECT_FLOAT_EQ(Lut.A[K], 1.0f);
  EXPECT_FLOAT_EQ(Lut.A[Node(Lut, 3, 3, 4)], 0.5f / 3);
  MaximumA(Lut);
  EXPECT_FLOAT_EQ(Lut.A[K], 1.0f);
  EXPECT_FLOAT_EQ(Lut.A[Node(Lut, 2, 2, 2)], 0.5f);  // corner: (1 + 0) / 2
  EXPECT_EQ(Lut.A[Node(Lut, 0, 0, 0)], 0.0f);        // border untouched

  // Size 2: no interior, all weights 0 and MaximumA does nothing.
  T3DLut Small;
  MakeIdentity(Small, 2);
  for (int i = 0; i < 8; ++i) Small.A[i] = 0.25f * (i % 4);
  CurvatureToAlpha(Small);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Small.A[i], 0.0f);
  Small.A[3] = 1;
  MaximumA(Small);
  MinimumA(Small);
  EXPECT_EQ(Small.A[3], 1.0f);
  EXPECT_EQ(Small.A[2], 0.0f);
}

TEST_F(LutSmoothTest, NormalizePlaneKeepsTinyPlanes) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(2));
  for (float Top : {1e-10f, 0.0f, -0.5f}) {
    for (int i = 0; i < 8; ++i) Lut.A[i] = Top * (i + 1) / 8;
    NormalizePlane(Lut, Lut.A);
    EXPECT_EQ(Lut.A[7], Top);
  }
  for (int i = 0; i < 8; ++i) Lut.G[i] = 0.25f * i;
  NormalizePlane(Lut, Lut.G);
  EXPECT_FLOAT_EQ(Lut.G[7], 1.0f);
  EXPECT_FLOAT_EQ(Lut.G[1], 1.0f / 7);
}

TEST_F(LutSmoothTest, RampAndTrapezoid) {
  struct TCase {
    float In, Ramp, Trapezoid;
  };
  const TCase Cases[] = {
      {-1, 0, 0},     {0.1f, 0, 0},   {0.3f, 0, 0.5f}, {0.4f, 0.25f, 1},
      {0.5f, 0.5f, 1}, {0.7f, 1, 0.5f}, {0.9f, 1, 0},   {2, 1, 0},
  };
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(2));
  for (const TCase& C : Cases) {
    Lut.A[0] = C.In;
    RampAlpha(Lut, 0.3f, 0.7f);
    EXPECT_NEAR(Lut.A[0], C.Ramp, 1e-6f) << C.In;
    Lut.A[0] = C.In;
    TrapezoidAlpha(Lut, 0.2f, 0.4f, 0.6f, 0.8f);
    EXPECT_NEAR(Lut.A[0], C.Trapezoid, 1e-6f) << C.In;
  }
  // Equal ramp bounds: a step, never NaN.
  Lut.A[0] = 0.5f;
  Lut.A[1] = 0.2f;
  Lut.A[2] = 0.3f;
  RampAlpha(Lut, 0.3f, 0.3f);
  EXPECT_EQ(Lut.A[0], 1.0f);
  EXPECT_EQ(Lut.A[1], 0.0f);
  EXPECT_EQ(Lut.A[2], 0.0f);
}

TEST_F(LutSmoothTest, MaximumAndMinimumOfALoneNode) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(7));
  const int64_t K = Node(Lut, 3, 3, 3);
  Lut.A[K] = 1;
  MaximumA(Lut);
  EXPECT_EQ(Lut.A[K], 1.0f);
  EXPECT_EQ(Lut.A[Node(Lut, 2, 4, 2)], 0.5f);
  EXPECT_EQ(Lut.A[Node(Lut, 3, 3, 5)], 0.0f);
  SetAlphaOne(Lut);
  Lut.A[K] = 0;
  MinimumA(Lut);
  EXPECT_EQ(Lut.A[K], 0.0f);
  EXPECT_EQ(Lut.A[Node(Lut, 4, 4, 4)], 0.5f);
  EXPECT_EQ(Lut.A[Node(Lut, 3, 3, 1)], 1.0f);
}

TEST_F(LutSmoothTest, ProtectionWeights) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(2));
  const float Colours[8][3] = {{0, 0, 0},       {0.5f, 0.5f, 0.5f},    {1, 1, 1},
                               {1, 0, 0},       {0.2f, 0.1f, 0},       {0, 0, 1},
                               {0.52f, 0.52f, 0.52f}, {0.3f, 0.2f, 0.1f}};
  for (int i = 0; i < 8; ++i) {
    Lut.R[i] = Colours[i][0];
    Lut.G[i] = Colours[i][1];
    Lut.B[i] = Colours[i][2];
  }
  SetAlphaProtectNeutrals(Lut);
  EXPECT_NEAR(Lut.A[1], 0.0000225f * 0.5f, 2e-6f);  // grey: almost 0
  EXPECT_NEAR(Lut.A[2], 0.0000225f, 2e-6f);
  EXPECT_NEAR(Lut.A[3], 2.25f * 0.14713f + 1.6f * 0.615f, 1e-6f);
  AddAlpha(Lut, -0.08f);
  ScaleAlpha(Lut, 5);
  ClampAlpha(Lut);
  EXPECT_EQ(Lut.A[1], 0.0f);
  EXPECT_EQ(Lut.A[3], 1.0f);

  SetAlphaOne(Lut);
  Lut.A[6] = 0.4f;
  SetAlphaProtectBlacks(Lut);
  EXPECT_EQ(Lut.A[0], 0.0f);  // black
  EXPECT_EQ(Lut.A[2], 1.0f);  // y >= 0.5 keeps A
  EXPECT_EQ(Lut.A[6], 0.4f);  // y = 0.52
  const float Y = (3 * 0.2f + 5 * 0.1f) / 9;
  EXPECT_NEAR(Lut.A[4], 0.5f - 0.5f * std::cos(2 * 3.14159265f * Y), 1e-6f);

  LumaToAlpha(Lut);
  EXPECT_NEAR(Lut.A[3], 0.3f, 1e-7f);
  EXPECT_NEAR(Lut.A[5], 0.2f, 1e-7f);
  InvertAlpha(Lut);
  EXPECT_NEAR(Lut.A[3], 0.7f, 1e-7f);
  AlphaToRGB(Lut);
  EXPECT_EQ(Lut.R[3], Lut.A[3]);
  EXPECT_EQ(Lut.B[3], Lut.A[3]);
}

TEST_F(LutSmoothTest, SmoothMaskedBlendsThroughTheWeights) {
  T3DLut Lut, Smoothed;
  MakeNoisyIdentity(Lut, 5, 0.1f);
  ASSERT_TRUE(Smoothed.CopyFrom(Lut));
  Smooth(Smoothed, 1);
  T3DLut Before;
  ASSERT_TRUE(Before.CopyFrom(Lut));
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.A[i] = static_cast<float>(i % 3) / 2;
  SmoothMasked(Lut);
  for (int32_t i = 0; i < Lut.Count; ++i) {
    const float W = static_cast<float>(i % 3) / 2;
    ASSERT_NEAR(Lut.G[i], W * Smoothed.G[i] + (1 - W) * Before.G[i], 1e-6f) << i;
    if (W == 0) {
      ASSERT_EQ(Lut.G[i], Before.G[i]);
    }
  }
}

TEST_F(LutSmoothTest, SmoothLuminanceKeepsChannelRatios) {
  T3DLut Lut, Before;
  MakeNoisyIdentity(Lut, 5, 0.05f);
  for (int32_t i = 0; i < Lut.Count; ++i) {  // keep every channel inside 0.1..0.6
    Lut.R[i] = 0.1f + 0.5f * std::fabs(Lut.R[i]) / 1.05f;
    Lut.G[i] = 0.1f + 0.5f * std::fabs(Lut.G[i]) / 1.05f;
    Lut.B[i] = 0.1f + 0.5f * std::fabs(Lut.B[i]) / 1.05f;
  }
  ASSERT_TRUE(Before.CopyFrom(Lut));
  T3DLut Luma;
  ASSERT_TRUE(Luma.CopyFrom(Lut));
  LumaToAlpha(Luma);
  SmoothChannel(Luma, Luma.A, 1);
  SmoothLuminance(Lut, 1);
  for (int32_t i = 0; i < Lut.Count; ++i) {
    ASSERT_NEAR(0.3f * Lut.R[i] + 0.5f * Lut.G[i] + 0.2f * Lut.B[i], Luma.A[i], 1e-5f);
    ASSERT_NEAR(Lut.R[i] / Lut.G[i], Before.R[i] / Before.G[i], 1e-4f);
  }
}

TEST_F(LutSmoothTest, NoiseAndMidtonesLeaveTheirWeights) {
  T3DLut Lut;
  MakeIdentity(Lut, 7);
  const int64_t K = Node(Lut, 3, 3, 3);
  Lut.R[K] += 0.4f;  // one noisy node
  T3DLut Smoothed;
  ASSERT_TRUE(Smoothed.CopyFrom(Lut));
  Smooth(Smoothed, 1);
  SmoothNoise(Lut, 1);
  EXPECT_EQ(Lut.A[K], 0.0f);  // inverted weight: fully smoothed
  EXPECT_FLOAT_EQ(Lut.R[K], Smoothed.R[K]);
  const int64_t Far = Node(Lut, 5, 5, 1);
  EXPECT_EQ(Lut.A[Far], 1.0f);  // a smooth region keeps its value
  EXPECT_FLOAT_EQ(Lut.R[Far], 1.0f / 6);

  T3DLut Mid;
  MakeNoisyIdentity(Mid, 5, 0.02f);
  SmoothMidtones(Mid, 1);
  // White and black outputs are far from the midtones: weight 1.
  EXPECT_EQ(Mid.A[0], 1.0f);
  EXPECT_EQ(Mid.A[Mid.Count - 1], 1.0f);
  EXPECT_EQ(Mid.A[Node(Mid, 2, 2, 2)], 0.0f);  // luma 0.5
}

TEST_F(LutSmoothTest, NeutralToSaturatedCapsAndClamps) {
  T3DLut A0, B0, Before;
  MakeNoisyIdentity(A0, 5, 0.2f);
  ASSERT_TRUE(B0.CopyFrom(A0));
  ASSERT_TRUE(Before.CopyFrom(A0));
  SmoothNeutralToSaturated(A0, 0.9f);
  SmoothNeutralToSaturated(B0, 0.3f);
  bool Moved = false;
  for (int32_t i = 0; i < A0.Count; ++i) {
    ASSERT_EQ(A0.R[i], B0.R[i]);
    ASSERT_EQ(A0.B[i], B0.B[i]);
    for (float V : {A0.R[i], A0.G[i], A0.B[i]}) ASSERT_TRUE(V >= 0 && V <= 1) << V;
  }
  for (int32_t i = 0; i < A0.Count; ++i) Moved = Moved || A0.G[i] != Before.G[i];
  EXPECT_TRUE(Moved);
  T3DLut Id;
  MakeIdentity(Id, 5);
  // Neutral nodes of an identity lie on the line through grey: unchanged.
  SmoothNeutralToSaturated(Id, 0.3f);
  for (int32_t k = 0; k < 5; ++k) EXPECT_NEAR(Id.G[Node(Id, k, k, k)], k / 4.0f, 1e-6f);
}

TEST_F(LutSmoothTest, HueLumMethodsKeepAConstantLut) {
  for (bool HSL : {false, true})
    for (float Amount : {0.3f, 1.0f, 5.0f}) {
      T3DLut Lut;
      ASSERT_TRUE(Lut.SetSize(5));
      for (int32_t i = 0; i < Lut.Count; ++i) {
        Lut.R[i] = 0.6f;
        Lut.G[i] = 0.4f;
        Lut.B[i] = 0.3f;
        Lut.A[i] = 0.25f;
      }
      if (HSL)
        SmoothHueLumHSL(Lut, Amount);
      else
        SmoothHueLumSXY(Lut, Amount);
      for (int32_t i = 0; i < Lut.Count; ++i) {
        ASSERT_NEAR(Lut.R[i], 0.6f, 1e-4f) << HSL << " " << Amount;
        ASSERT_NEAR(Lut.G[i], 0.4f, 1e-4f);
        ASSERT_NEAR(Lut.B[i], 0.3f, 1e-4f);
        ASSERT_EQ(Lut.A[i], 0.25f);
      }
    }
  // Along the lightness axis an identity's grey ramp stays a grey ramp.
  T3DLut Id;
  MakeIdentity(Id, 5);
  SmoothHueLumSXY(Id, 1);
  for (int32_t k = 0; k < 5; ++k) {
    const int64_t I = Node(Id, k, k, k);
    EXPECT_NEAR(Id.R[I], Id.G[I], 1e-4f);
    EXPECT_NEAR(Id.B[I], Id.G[I], 1e-4f);
  }
  EXPECT_NEAR(Id.G[0], 0.0f, 1e-5f);  // black is not blended
}

TEST_F(LutSmoothTest, DialogAmounts) {
  struct TCase {
    int32_t Method, Iterations;
    float Amount;
  };
  const TCase Cases[] = {{0, 1, 0},    {0, 4, 0.3f},  {4, 11, 1},   {5, 1, 0.3f}, {5, 20, 0.3f},
                         {6, 1, 0.3f}, {6, 8, 0.7f},  {7, 2, 0.3f}, {8, 4, 0},    {-1, 4, 0}};
  for (const TCase& C : Cases)
    EXPECT_FLOAT_EQ(SmoothingMethodAmount(C.Method, C.Iterations), C.Amount)
        << C.Method << " " << C.Iterations;
  EXPECT_STREQ(SmoothingMethodCaptions[5], "Neutral to Saturated");
  T3DLut Lut;
  MakeIdentity(Lut, 3);
  EXPECT_FALSE(ApplySmoothingMethod(Lut, 8, 1));
}

// One protected run: every node is its smoothed value blended back into the
// original through the neutral weight; grey outputs keep their values.
TEST_F(LutSmoothTest, ProtectedRunRespectsTheWeights) {
  T3DLut Original;
  MakeNoisyIdentity(Original, 7, 0.03f);
  for (int32_t k = 0; k < 7; ++k) {  // exact greys on the diagonal
    const int64_t I = Node(Original, k, k, k);
    Original.R[I] = Original.G[I] = Original.B[I] = k / 6.0f;
  }
  T3DLut Smoothed;
  ASSERT_TRUE(Smoothed.CopyFrom(Original));
  Smooth(Smoothed, 0);
  T3DLut Work;
  ASSERT_TRUE(RunProtectedSmoothing(Work, Original, 0, 1, true, false));
  int Kept = 0, Full = 0;
  for (int32_t i = 0; i < Work.Count; ++i) {
    const float W = Work.A[i];
    ASSERT_TRUE(W >= 0 && W <= 1);
    ASSERT_NEAR(Work.G[i], (1 - W) * Original.G[i] + W * Smoothed.G[i], 1e-6f) << i;
    Kept += W == 0;
    Full += W == 1;
  }
  EXPECT_GT(Kept, 0);
  EXPECT_GT(Full, 0);
  for (int32_t k = 0; k < 7; ++k) {
    const int64_t I = Node(Work, k, k, k);
    EXPECT_EQ(Work.A[I], 0.0f);
    EXPECT_EQ(Work.R[I], Original.R[I]);
  }
  // Without protection every node is smoothed, n times.
  ASSERT_TRUE(RunProtectedSmoothing(Work, Original, 0, 2, false, false));
  T3DLut Twice;
  ASSERT_TRUE(Twice.CopyFrom(Original));
  Smooth(Twice, 0.1f);
  Smooth(Twice, 0.1f);
  for (int32_t i = 0; i < Work.Count; ++i) {
    ASSERT_EQ(Work.A[i], 1.0f);
    ASSERT_NEAR(Work.B[i], Twice.B[i], 1e-6f);
  }
  // Black protection alone: black keeps its value, white is smoothed.
  T3DLut Id;
  MakeIdentity(Id, 7);
  Id.R[Node(Id, 6, 6, 6)] = 0.9f;
  ASSERT_TRUE(RunProtectedSmoothing(Work, Id, 0, 1, false, true));
  EXPECT_EQ(Work.A[0], 0.0f);
  EXPECT_EQ(Work.R[0], 0.0f);
  EXPECT_EQ(Work.A[Id.Count - 1], 1.0f);
  EXPECT_NE(Work.R[Id.Count - 1], 0.9f);
  T3DLut Empty;
  EXPECT_FALSE(RunProtectedSmoothing(Work, Empty, 0, 1, true, true));
  EXPECT_FALSE(RunProtectedSmoothing(Work, Original, 9, 1, true, true));
}

}  // namespace
}  // namespace kromel
