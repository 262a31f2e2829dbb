#include <cmath>
#include <limits>

#include "lut/lut.h"
#include "lut/lut_lookup.h"
#include "lut_test_support.h"

namespace kromel {
namespace {

using test::Hash01;
using test::LutTest;
using test::MakeIdentity;

class LutLookupTest : public LutTest {};

// Fills every node with pseudo-random outputs.
void FillRandom(T3DLut& Lut, uint32_t Seed) {
  for (int i = 0; i < Lut.Count; ++i) {
    Lut.R[i] = Hash01(Seed + 3 * i);
    Lut.G[i] = Hash01(Seed + 3 * i + 1);
    Lut.B[i] = Hash01(Seed + 3 * i + 2);
  }
}

TEST_F(LutLookupTest, IdentityPassesColoursThrough) {
  for (int N : {2, 3, 5, 17, 33, 65}) {
    T3DLut Lut;
    MakeIdentity(Lut, N);
    for (uint32_t k = 0; k < 500; ++k) {
      float R = Hash01(k * 7), G = Hash01(k * 7 + 1), B = Hash01(k * 7 + 2);
      const float R0 = R, G0 = G, B0 = B;
      ProcessColorTetrahedralSingle(Lut, R, G, B);
      ASSERT_NEAR(R, R0, 2e-6f) << N;
      ASSERT_NEAR(G, G0, 2e-6f) << N;
      ASSERT_NEAR(B, B0, 2e-6f) << N;
    }
    float R = 1, G = 1, B = 1;
    ProcessColorTetrahedralSingle(Lut, R, G, B);
    EXPECT_EQ(R, 1.0f);
    EXPECT_EQ(G, 1.0f);
    EXPECT_EQ(B, 1.0f);
  }
  EXPECT_TRUE(Messages().empty());
}

// Brute force: the barycentric coordinates of the point in the tetrahedron
// (solved as a linear system in double) weigh the four corner nodes.
double BarycentricReference(const T3DLut& Lut, const float* Plane, double fb, double fg,
                            double fr, int ib, int ig, int ir, const int Corners[4][3]) {
  double M[3][3], Rhs[3] = {fb - Corners[0][0], fg - Corners[0][1], fr - Corners[0][2]};
  for (int a = 0; a < 3; ++a)
    for (int c = 0; c < 3; ++c) M[a][c] = Corners[c + 1][a] - Corners[0][a];
  auto Det = [](double m[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  };
  const double D = Det(M);
  double L[4];
  double Sum = 0;
  for (int c = 0; c < 3; ++c) {
    double T[3][3];
    for (int a = 0; a < 3; ++a)
      for (int k = 0; k < 3; ++k) T[a][k] = k == c ? Rhs[a] : M[a][k];
    L[c + 1] = Det(T) / D;
    Sum += L[c + 1];
  }
  L[0] = 1 - Sum;
  for (double W : L) EXPECT_GE(W, -1e-6);  // the point lies inside
  double V = 0;
  for (int k = 0; k < 4; ++k) {
    const int b = ib + Corners[k][0], g = ig + Corners[k][1], r = ir + Corners[k][2];
    V += L[k] * Plane[r + Lut.NLRH * (g + Lut.NLGS * b)];
  }
  return V;
}

// One row per tetrahedron: fractions (fb, fg, fr) inside it and its
// corners as (b, g, r) offsets.
struct TTetraCase {
  const char* Order;
  float fb, fg, fr;
  int Corners[4][3];
};

TEST_F(LutLookupTest, SixTetrahedraMatchBarycentricReference) {
  const TTetraCase Cases[] = {
      {"fb>fg>fr", 0.7f, 0.4f, 0.2f, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}}},
      {"fb>fr>=fg", 0.7f, 0.2f, 0.4f, {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {1, 1, 1}}},
      {"fr>=fb>fg", 0.4f, 0.2f, 0.7f, {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}}},
      {"fr>fg>=fb", 0.2f, 0.4f, 0.7f, {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {1, 1, 1}}},
      {"fg>=fr>fb", 0.2f, 0.7f, 0.4f, {{0, 0, 0}, {0, 1, 0}, {0, 1, 1}, {1, 1, 1}}},
      {"fg>=fb>=fr", 0.4f, 0.7f, 0.2f, {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}}},
  };
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(5, 4, 6));  // also checks the non-cubic strides
  FillRandom(Lut, 99);
  const int ib = 2, ig = 1, ir = 3;
  for (const TTetraCase& C : Cases) {
    // A colour whose cell is (ib, ig, ir) with the case's fractions.
    float R = (ir + C.fr) / 4.0f, G = (ig + C.fg) / 3.0f, B = (ib + C.fb) / 5.0f;
    const double fr = R * 4.0f - ir, fg = G * 3.0f - ig, fb = B * 5.0f - ib;
    const double ER = BarycentricReference(Lut, Lut.R, fb, fg, fr, ib, ig, ir, C.Corners);
    const double EG = BarycentricReference(Lut, Lut.G, fb, fg, fr, ib, ig, ir, C.Corners);
    const double EB = BarycentricReference(Lut, Lut.B, fb, fg, fr, ib, ig, ir, C.Corners);
    ProcessColorTetrahedralSingle(Lut, R, G, B);
    EXPECT_NEAR(R, ER, 2e-6) << C.Order;
    EXPECT_NEAR(G, EG, 2e-6) << C.Order;
    EXPECT_NEAR(B, EB, 2e-6) << C.Order;
  }
}

TEST_F(LutLookupTest, EqualFractionsBlendDiagonalCorners) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetSize(3));
  FillRandom(Lut, 5);
  float R = 0.25f, G = 0.25f, B = 0.25f;  // f = 0.5 on every axis of cell 0
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  EXPECT_FLOAT_EQ(R, 0.5f * Lut.R[0] + 0.5f * Lut.R[1 + 3 * (1 + 3 * 1)]);
}

TEST_F(LutLookupTest, InputsClampedAndWrittenBackOutputsNot) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  for (int i = 0; i < Lut.Count; ++i) Lut.R[i] *= 2;  // nodes above 1
  float R = 1.5f, G = -0.5f, B = 2.0f;
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  EXPECT_EQ(R, 2.0f);
  EXPECT_EQ(G, 0.0f);
  EXPECT_EQ(B, 1.0f);
  R = 1, G = 0, B = 0;
  ProcessColorCubicSingle(Lut, R, G, B);
  EXPECT_FLOAT_EQ(R, 2.0f);
  // The one-plane form clamps its result.
  EXPECT_EQ(TetrahedralInterpolation(Lut, Lut.R, 0, 0, 4), 1.0f);
}

TEST_F(LutLookupTest, NaNInputIsReportedAndReadAsZero) {
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  float R = NaN, G = 0.5f, B = 0.25f;
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  EXPECT_TRUE(Reported("Exception in T3DLut.ProcessColorTetrahedralSingle"));
  EXPECT_EQ(R, 0.0f);
  EXPECT_FLOAT_EQ(G, 0.5f);
  EXPECT_FLOAT_EQ(B, 0.25f);
  R = 0.5f, G = NaN, B = NaN;
  ProcessColorCubicSingle(Lut, R, G, B);
  EXPECT_FLOAT_EQ(R, 0.5f);
  EXPECT_EQ(G, 0.0f);
  EXPECT_EQ(TetrahedralInterpolation(Lut, Lut.R, NaN, 1, 1), 0.0f);
  EXPECT_EQ(GetValueTrilinear(Lut, Lut.R, 1, NaN, 1), 0.0f);
}

// Level counts below 2 would index node -1: the lookup leaves the colour.
TEST_F(LutLookupTest, LevelCountsBelowTwoLeaveTheColour) {
  T3DLut Lut;
  MakeIdentity(Lut, 2);
  Lut.NLRH = 1;
  float R = 0.3f, G = 0.6f, B = 0.9f;
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  EXPECT_EQ(R, 0.3f);
  EXPECT_EQ(G, 0.6f);
  EXPECT_EQ(B, 0.9f);
  T3DLut Empty;
  ProcessColorTetrahedralSingle(Empty, R, G, B);
  ProcessColorCubicSingle(Empty, R, G, B);
  EXPECT_EQ(R, 0.3f);
  EXPECT_EQ(TetrahedralInterpolation(Empty, Empty.R, 0, 0, 0), 0.0f);
}

TEST_F(LutLookupTest, NonCubicLookupByLevelCountsWithoutHueWrap) {
  T3DLut Lut;
  ASSERT_TRUE(Lut.SetLevels(12, 3, 5));
  Lut.SetDefault();
  float R = 0.37f, G = 0.81f, B = 0.12f;
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  EXPECT_NEAR(R, 0.37f, 2e-6f);
  EXPECT_NEAR(G, 0.81f, 2e-6f);
  EXPECT_NEAR(B, 0.12f, 2e-6f);
  // R = 1 reads the last hue level, not level 0.
  Lut.R[11] = 0.9f;
  R = 1, G = 0, B = 0;
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  EXPECT_EQ(R, 0.9f);
}

TEST_F(LutLookupTest, OnePlaneTetrahedralTrilinearAndAlpha) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  // Identity planes are linear in the node index: every form reproduces it.
  EXPECT_FLOAT_EQ(TetrahedralInterpolation(Lut, Lut.B, 1.5f, 2.25f, 3.75f), 1.5f / 4);
  EXPECT_FLOAT_EQ(TetrahedralInterpolation(Lut, Lut.R, 1.5f, 2.25f, 3.75f), 3.75f / 4);
  EXPECT_FLOAT_EQ(GetValueTrilinear(Lut, Lut.G, 1.5f, 2.25f, 3.75f), 2.25f / 4);
  // Beyond the grid the edge nodes are read.
  EXPECT_FLOAT_EQ(GetValueTrilinear(Lut, Lut.R, 0, 0, 6.5f), 1.0f);
  for (int i = 0; i < Lut.Count; ++i) Lut.A[i] = Lut.G[i];
  EXPECT_FLOAT_EQ(GetAlphaTrilinear(Lut, 0.1f, 0.6f, 0.3f), 0.6f);
}

TEST_F(LutLookupTest, CatmullRom) {
  EXPECT_FLOAT_EQ(CatmullRomInterpolate(0.5f, 0, 0, 1, 1), 0.5f);
  EXPECT_FLOAT_EQ(CatmullRomInterpolate(0.5f, 0, 1, 1, 0), 1.125f);
  EXPECT_EQ(CatmullRomInterpolate(0, 3, 5, 7, 11), 5.0f);
  EXPECT_EQ(CatmullRomInterpolate(1, 3, 5, 7, 11), 7.0f);
}

TEST_F(LutLookupTest, TricubicReproducesLinearInterior) {
  T3DLut Lut;
  MakeIdentity(Lut, 9);
  // Cells away from the border see four linear nodes on every axis.
  float R = 0.40f, G = 0.55f, B = 0.30f;
  ProcessColorCubicSingle(Lut, R, G, B);
  EXPECT_NEAR(R, 0.40f, 1e-6f);
  EXPECT_NEAR(G, 0.55f, 1e-6f);
  EXPECT_NEAR(B, 0.30f, 1e-6f);
  EXPECT_EQ(GetLutNodeClamped(Lut.R, 9, -3, 20, 12), 1.0f);
}

TEST_F(LutLookupTest, ExtrapolatedReads) {
  T3DLut Lut;
  MakeIdentity(Lut, 5);
  // One step beyond either end, whatever the distance; axes add.
  EXPECT_FLOAT_EQ(GetValExtrapolated(Lut, Lut.R, 2, 2, -1), -0.25f);
  EXPECT_FLOAT_EQ(GetValExtrapolated(Lut, Lut.R, 2, 2, -7), -0.25f);
  EXPECT_FLOAT_EQ(GetValExtrapolated(Lut, Lut.R, 2, 2, 5), 1.25f);
  EXPECT_FLOAT_EQ(GetValExtrapolated(Lut, Lut.B, -1, 2, 2), -0.25f);
  EXPECT_FLOAT_EQ(GetValExtrapolated(Lut, Lut.G, 0, 9, 0), 1.25f);
  EXPECT_FLOAT_EQ(GetValExtrapolated(Lut, Lut.R, 2, 2, 3), 0.75f);

  // Non-cubic: the hue axis wraps above, extrapolates below.
  T3DLut Hue;
  ASSERT_TRUE(Hue.SetLevels(6, 3, 3));
  for (int i = 0; i < Hue.Count; ++i) Hue.R[i] = static_cast<float>(i % 6) + 10 * (i / 6);
  const int Row = 6 * (1 + 3 * 2);  // g = 1, b = 2
  EXPECT_EQ(GetValExtrapolated(Hue, Hue.R, 2, 1, 6), Hue.R[Row + 0]);
  EXPECT_EQ(GetValExtrapolated(Hue, Hue.R, 2, 1, 8), Hue.R[Row + 2]);
  EXPECT_EQ(GetValExtrapolated(Hue, Hue.R, 2, 1, -1), 2 * Hue.R[Row] - Hue.R[Row + 1]);
  EXPECT_EQ(GetValExtrapolated(Hue, Hue.R, 2, 1, 2000000000), Hue.R[Row + 2000000000 % 6]);
}

TEST_F(LutLookupTest, ClampedReadsAndPlaneWrites) {
  T3DLut Lut;
  MakeIdentity(Lut, 4);
  EXPECT_EQ(GetValueClamped(Lut, Lut.B, 9, 0, 0), 1.0f);
  EXPECT_EQ(GetValueClamped(Lut, Lut.B, -9, 0, 0), 0.0f);
  SetPlaneValue(Lut, Lut.G, 1, 2, 3, 0.125f);
  EXPECT_EQ(Lut.G[3 + 4 * (2 + 4 * 1)], 0.125f);
  SetPlaneValue(Lut, Lut.G, 4, 0, 0, 9.0f);  // outside: ignored
  for (int i = 0; i < Lut.Count; ++i) ASSERT_NE(Lut.G[i], 9.0f);
}

}  // namespace
}  // namespace kromel
