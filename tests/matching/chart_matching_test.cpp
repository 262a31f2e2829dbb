#include "matching/chart_matching.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <new>

#include "colour/rgb_lab_xyz.h"
#include "lut/lut_lookup.h"
#include "support/test_support.h"

using namespace kromel;
using kromel::testing::CapturedErrors;
using kromel::testing::TErrorCapture;

namespace {

using TRGB = std::array<float, 3>;

// A 24-patch chart as a camera might record it (8-bit sRGB).
std::vector<TRGB> ChartColours() {
  static const int Bytes[24][3] = {
      {115, 82, 68},   {194, 150, 130}, {98, 122, 157},  {87, 108, 67},   {133, 128, 177},
      {103, 189, 170}, {214, 126, 44},  {80, 91, 166},   {193, 90, 99},   {94, 60, 108},
      {157, 188, 64},  {224, 163, 46},  {56, 61, 150},   {70, 148, 73},   {175, 54, 60},
      {231, 199, 31},  {187, 86, 149},  {8, 133, 161},   {243, 243, 242}, {200, 200, 200},
      {160, 160, 160}, {122, 122, 121}, {85, 85, 85},    {52, 52, 52}};
  std::vector<TRGB> C;
  for (const auto& B : Bytes) C.push_back({B[0] / 255.0f, B[1] / 255.0f, B[2] / 255.0f});
  return C;
}

// A camera-to-reference map: a matrix whose rows sum to one and a mild
// curve, so black and white stay in place.
TRGB Camera(const TRGB& C) {
  const float M[3][3] = {{1.15f, -0.1f, -0.05f}, {-0.05f, 1.1f, -0.05f}, {0.0f, -0.15f, 1.15f}};
  TRGB T{};
  for (int I = 0; I < 3; ++I) {
    const float V = M[I][0] * C[0] + M[I][1] * C[1] + M[I][2] * C[2];
    T[size_t(I)] = std::clamp(V + 0.04f * std::sin(3.14159265f * V), 0.0f, 1.0f);
  }
  return T;
}

struct TPairs {
  TImage128 Src, Dst;
  TBooleanArray Flags;
  TPairs(const std::vector<TRGB>& S, const std::vector<TRGB>& D) {
    Src.Init();
    Dst.Init();
    Src.Alloc(int32_t(S.size()), 1);
    Dst.Alloc(int32_t(S.size()), 1);
    for (size_t I = 0; I < S.size(); ++I) {
      Src.Data[I].Init(S[I][0], S[I][1], S[I][2], 1);
      Dst.Data[I].Init(D[I][0], D[I][1], D[I][2], 1);
    }
    Flags.assign(S.size(), false);
    for (size_t I = 18; I < S.size() && I < 24; ++I) Flags[I] = true;
  }
  ~TPairs() {
    Src.Dispose();
    Dst.Dispose();
  }
};

std::vector<TRGB> MapAll(const std::vector<TRGB>& S, TRGB (*F)(const TRGB&)) {
  std::vector<TRGB> D;
  for (const TRGB& C : S) D.push_back(F(C));
  return D;
}

float DeltaE(const TRGB& A, const TRGB& B) {
  return RGBCalcDeltaE2000CMS(nullptr, A[0], A[1], A[2], B[0], B[1], B[2]);
}

TRGB Node(const T3DLut& LUT, int64_t I) { return {LUT.R[I], LUT.G[I], LUT.B[I]}; }

TRGB Apply(const T3DLut& LUT, const TRGB& C) {
  TRGB O = C;
  ProcessColorTetrahedralQuiet(LUT, O[0], O[1], O[2]);
  return O;
}

TRGB Level(const T3DLut& LUT, int64_t I) {
  const int32_t N = LUT.Size;
  const float D = float(N - 1);
  return {float(I % N) / D, float((I / N) % N) / D, float(I / (int64_t(N) * N)) / D};
}

// The convex hull of a few points by brute force: faces as planes with the
// outward normal; a point beyond any face is outside.
struct THull {
  std::vector<std::array<double, 4>> Planes;
  explicit THull(const std::vector<TRGB>& P) {
    const size_t N = P.size();
    for (size_t I = 0; I < N; ++I)
      for (size_t J = I + 1; J < N; ++J)
        for (size_t K = J + 1; K < N; ++K) {
          const double U[3] = {P[J][0] - P[I][0], P[J][1] - P[I][1], P[J][2] - P[I][2]};
          const double V[3] = {P[K][0] - P[I][0], P[K][1] - P[I][1], P[K][2] - P[I][2]};
          double Nx = U[1] * V[2] - U[2] * V[1], Ny = U[2] * V[0] - U[0] * V[2],
                 Nz = U[0] * V[1] - U[1] * V[0];
          const double L = std::sqrt(Nx * Nx + Ny * Ny + Nz * Nz);
          if (L < 1e-9) continue;
          Nx /= L, Ny /= L, Nz /= L;
          const double D = Nx * P[I][0] + Ny * P[I][1] + Nz * P[I][2];
          int Pos = 0, Neg = 0;
          for (const TRGB& Q : P) {
            const double S = Nx * Q[0] + Ny * Q[1] + Nz * Q[2] - D;
            Pos += S > 1e-7;
            Neg += S < -1e-7;
          }
          if (Pos == 0) Planes.push_back({Nx, Ny, Nz, D});
          if (Neg == 0) Planes.push_back({-Nx, -Ny, -Nz, -D});
        }
  }
  bool Outside(const TRGB& C, double Margin) const {
    for (const auto& F : Planes)
      if (F[0] * C[0] + F[1] * C[1] + F[2] * C[2] - F[3] > Margin) return true;
    return false;
  }
};

// The 3 x 3 least-squares matrix of the pairs (no offset).
std::array<std::array<double, 3>, 3> FitMatrix(const std::vector<TRGB>& S,
                                               const std::vector<TRGB>& D) {
  double A[3][3] = {}, B[3][3] = {};
  for (size_t K = 0; K < S.size(); ++K)
    for (int I = 0; I < 3; ++I)
      for (int J = 0; J < 3; ++J) {
        A[I][J] += double(S[K][size_t(I)]) * S[K][size_t(J)];
        B[I][J] += double(S[K][size_t(I)]) * D[K][size_t(J)];
      }
  // Solve A X = B (A symmetric positive definite) by Cramer's rule.
  auto Det = [](const double M[3][3]) {
    return M[0][0] * (M[1][1] * M[2][2] - M[1][2] * M[2][1]) -
           M[0][1] * (M[1][0] * M[2][2] - M[1][2] * M[2][0]) +
           M[0][2] * (M[1][0] * M[2][1] - M[1][1] * M[2][0]);
  };
  const double D0 = Det(A);
  std::array<std::array<double, 3>, 3> M{};
  for (int Out = 0; Out < 3; ++Out)
    for (int I = 0; I < 3; ++I) {
      double C[3][3];
      for (int R = 0; R < 3; ++R)
        for (int Q = 0; Q < 3; ++Q) C[R][Q] = Q == I ? B[R][Out] : A[R][Q];
      M[size_t(Out)][size_t(I)] = Det(C) / D0;
    }
  return M;
}

}  // namespace

// Pairs whose targets equal their sources give the identity at every node
// and at every patch, smoothing included.
TEST(ChartMatchingAccuracy, IdentityPairsGiveTheIdentityEverywhere) {
  TErrorCapture Capture;
  const std::vector<TRGB> S = ChartColours();
  for (const bool Smooth : {false, true}) {
    TPairs P(S, S);
    T3DLut LUT;
    ASSERT_TRUE(LUT.SetSize(17));
    ASSERT_EQ(CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
                               nullptr, Smooth),
              TProfileLUTResult::Done);
    float Worst = 0;
    int32_t Off = 0;
    for (int64_t I = 0; I < LUT.Count; ++I) {
      const TRGB E = Level(LUT, I), V = Node(LUT, I);
      const float D = std::max({std::fabs(V[0] - E[0]), std::fabs(V[1] - E[1]),
                                std::fabs(V[2] - E[2])});
      Worst = std::max(Worst, D);
      Off += D > 0.02f;
    }
    float WorstPatch = 0;
    for (const TRGB& C : S) WorstPatch = std::max(WorstPatch, DeltaE(Apply(LUT, C), C));
    std::printf("identity pairs (smooth %d): worst node %.6f, %.1f %% of nodes off by > 0.02, "
                "worst patch dE2000 %.5f\n",
                int(Smooth), Worst, 100.0 * Off / double(LUT.Count), WorstPatch);
    EXPECT_LT(Worst, 1e-4f) << "smooth " << Smooth;
    EXPECT_LT(WorstPatch, 0.01f) << "smooth " << Smooth;
  }
}

// A camera-like map: the patches come back onto their targets (up to the
// interpolation between 33 levels), and outside the patches' hull the LUT
// does at least as well as the plain least-squares matrix.
TEST(ChartMatchingAccuracy, PatchesHitTheirTargetsAndExtrapolationBeatsTheMatrix) {
  TErrorCapture Capture;
  const std::vector<TRGB> S = ChartColours(), D = MapAll(S, Camera);
  TPairs P(S, D);
  T3DLut LUT;
  ASSERT_TRUE(LUT.SetSize(33));
  ASSERT_EQ(CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
                             nullptr, false),
            TProfileLUTResult::Done);
  float WorstPatch = 0;
  for (size_t I = 0; I < S.size(); ++I) WorstPatch = std::max(WorstPatch, DeltaE(Apply(LUT, S[I]), D[I]));

  std::vector<TRGB> HullPoints = S;
  HullPoints.push_back({0, 0, 0});
  HullPoints.push_back({1, 1, 1});
  const THull Hull(HullPoints);
  const auto M = FitMatrix(S, D);
  double SumLUT = 0, SumMatrix = 0;
  int32_t Count = 0;
  for (int64_t I = 0; I < LUT.Count; ++I) {
    const TRGB C = Level(LUT, I);
    if (!Hull.Outside(C, 0.01)) continue;
    const TRGB Truth = Camera(C);
    TRGB Fit{};
    for (size_t K = 0; K < 3; ++K)
      Fit[K] = std::clamp(float(M[K][0] * C[0] + M[K][1] * C[1] + M[K][2] * C[2]), 0.0f, 1.0f);
    SumLUT += DeltaE(Node(LUT, I), Truth);
    SumMatrix += DeltaE(Fit, Truth);
    ++Count;
  }
  ASSERT_GT(Count, 1000);
  const double MeanLUT = SumLUT / Count, MeanMatrix = SumMatrix / Count;
  std::printf("camera pairs: worst patch dE2000 %.4f at 33 levels; outside the hull (%d nodes) "
              "mean dE2000 %.3f, least-squares matrix %.3f\n",
              WorstPatch, Count, MeanLUT, MeanMatrix);
  EXPECT_LT(WorstPatch, 0.5f);
  EXPECT_LE(MeanLUT, MeanMatrix);
}

// Running out of memory (here: raised from the progress report) during the
// build or the filling is a failed match that leaves the identity.
TEST(ChartMatchingFailures, MemoryExhaustedIsAFailure) {
  const std::vector<TRGB> S = ChartColours(), D = MapAll(S, Camera);
  for (const int32_t FailAt : {0, 3, 10}) {  // build start, build, filling
    TErrorCapture Capture;
    TPairs P(S, D);
    T3DLut LUT;
    ASSERT_TRUE(LUT.SetSize(9));
    int32_t Calls = 0;
    const TProfileLUTResult Result = CreateProfileLUT(
        LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
        [&](int32_t) {
          if (Calls++ == FailAt) throw std::bad_alloc();
        },
        true);
    EXPECT_EQ(Result, TProfileLUTResult::BuildFailed) << "failing at call " << FailAt;
    EXPECT_NE(LUT.Name, "Color chart matching 3DLUT");
    float Worst = 0;
    for (int64_t I = 0; I < LUT.Count; ++I) {
      const TRGB E = Level(LUT, I), V = Node(LUT, I);
      Worst = std::max({Worst, std::fabs(V[0] - E[0]), std::fabs(V[1] - E[1]),
                        std::fabs(V[2] - E[2])});
    }
    EXPECT_EQ(Worst, 0) << "the LUT is the identity after failing at call " << FailAt;
    EXPECT_FALSE(CapturedErrors().empty());
  }
}

// One source with two targets builds, warns once and maps to the mean;
// two greys close in brightness keep their own targets.
TEST(ChartMatchingFailures, ConflictingPairsBuildWithAWarning) {
  TErrorCapture Capture;
  std::vector<TRGB> S = ChartColours(), D = MapAll(S, Camera);
  const TRGB Shared = S[6];
  S.push_back({Shared[0] + 0.001f, Shared[1], Shared[2]});
  D.push_back({0.2f, 0.9f, 0.3f});
  // Two greys on nodes of a 65-level LUT, 0.03 apart.
  S.push_back({26 / 64.0f, 26 / 64.0f, 26 / 64.0f});
  D.push_back({0.37f, 0.39f, 0.38f});
  S.push_back({28 / 64.0f, 28 / 64.0f, 28 / 64.0f});
  D.push_back({0.47f, 0.45f, 0.46f});
  TPairs P(S, D);
  P.Flags[S.size() - 1] = P.Flags[S.size() - 2] = true;
  T3DLut LUT;
  ASSERT_TRUE(LUT.SetSize(65));
  ASSERT_EQ(CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
                             nullptr, false),
            TProfileLUTResult::Done);
  int32_t Warnings = 0;
  for (const std::string& E : CapturedErrors())
    Warnings += E.find("share a source colour") != std::string::npos &&
                E.find("Patches 6 and 24") != std::string::npos;
  EXPECT_EQ(Warnings, 1);
  // The pair lists hold the merged pair, which the LUT follows.
  const TRGB Mean = {(D[6][0] + 0.2f) / 2, (D[6][1] + 0.9f) / 2, (D[6][2] + 0.3f) / 2};
  EXPECT_EQ(P.Src.Data[24].A, 0);
  EXPECT_NEAR(P.Src.Data[6].R, Shared[0] + 0.0005f, 1e-6f);
  const TRGB Merged = {P.Dst.Data[6].R, P.Dst.Data[6].G, P.Dst.Data[6].B};
  const TRGB Got = Apply(LUT, {Shared[0] + 0.0005f, Shared[1], Shared[2]});
  for (size_t K = 0; K < 3; ++K) {
    EXPECT_NEAR(Merged[K], Mean[K], 1e-6f);
    EXPECT_NEAR(Got[K], Mean[K], 0.03f);
  }
  for (size_t I = S.size() - 2; I < S.size(); ++I) {
    const TRGB G = Apply(LUT, S[I]);
    for (size_t K = 0; K < 3; ++K) EXPECT_NEAR(G[K], D[I][K], 1e-5f) << "grey " << I;
  }
}

// The image compensation needs white above black in every channel of the
// patch; a tiny green or blue span leaves the pixel as it is.
TEST(ChartCompensationImage, EveryChannelSpanIsChecked) {
  TErrorCapture Capture;
  struct TCase {
    TRGB Black, White;
    bool Changes;
  };
  const TCase Cases[] = {
      {{0.1f, 0.1f, 0.1f}, {0.9f, 0.9f, 0.9f}, true},
      {{0.1f, 0.5f, 0.1f}, {0.9f, 0.500001f, 0.9f}, false},
      {{0.1f, 0.1f, 0.5f}, {0.9f, 0.9f, 0.49f}, false},
      {{0.5f, 0.1f, 0.1f}, {0.5f, 0.9f, 0.9f}, false},
  };
  for (const TCase& C : Cases) {
    TColorChartTable Chart;
    Chart.Init();
    Chart.Alloc(1);
    Chart.Columns = Chart.Rows = 1;
    ASSERT_TRUE(Chart.BlackCompensation.Alloc(1, 1));
    ASSERT_TRUE(Chart.WhiteCompensation.Alloc(1, 1));
    Chart.BlackCompensation.Data[0].Init(C.Black[0], C.Black[1], C.Black[2], 0);
    Chart.WhiteCompensation.Data[0].Init(C.White[0], C.White[1], C.White[2], 0);
    for (int K = 0; K < 3; ++K) {
      Chart.BlackAverage[K] = 0.05f;
      Chart.WhiteAverage[K] = 0.95f;
    }
    Chart.CompensationValid = true;
    T2DEnvelopeDots Grid;
    Grid.SetSize(1, 1);
    TImage64 Image;
    ASSERT_TRUE(Image.Alloc(2, 2));
    for (int32_t I = 0; I < 4; ++I) {
      Image.Pixels[I].R = Image.Pixels[I].G = Image.Pixels[I].B = 30000;
      Image.Pixels[I].A = 65535;
    }
    TImage128 Spare;
    ColorChartApplyCompensationToImage(Image, Spare, Chart, Grid);
    const TPixel64 Px = Image.Pixels[3];
    if (C.Changes) {
      EXPECT_NE(Px.R, 30000);
      EXPECT_EQ(Px.R, Px.G);
      EXPECT_EQ(Px.G, Px.B);
    } else {
      EXPECT_EQ(Px.R, 30000);
      EXPECT_EQ(Px.G, 30000);
      EXPECT_EQ(Px.B, 30000);
    }
    Chart.Dispose();
  }
}
