#include "matching/tetrahedralization.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>

#include "colour/rgb_lab_xyz.h"
#include "lut/lut_lookup.h"
#include "matching/chart_matching.h"
#include "matching/tetrahedralization_dumps.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
using kromel::testing::CapturedErrors;
using kromel::testing::TErrorCapture;

namespace {

using TRGB = std::array<float, 3>;

// Pair lists owned for the test; targets carry weight 1.
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
  }
  ~TPairs() {
    Src.Dispose();
    Dst.Dispose();
  }
};

TBGRAPixel128 Colour(float R, float G, float B) {
  TBGRAPixel128 P{};
  P.Init(R, G, B, 0);
  return P;
}

std::vector<TRGB> CubeCorners(float Lo, float Hi) {
  std::vector<TRGB> C;
  for (int B = 0; B < 2; ++B)
    for (int G = 0; G < 2; ++G)
      for (int R = 0; R < 2; ++R) C.push_back({R ? Hi : Lo, G ? Hi : Lo, B ? Hi : Lo});
  return C;
}

// The 27 colours of three levels per channel, blue fastest.
std::vector<TRGB> Lattice3() {
  std::vector<TRGB> C;
  for (float R : {0.1f, 0.5f, 0.9f})
    for (float G : {0.1f, 0.5f, 0.9f})
      for (float B : {0.1f, 0.5f, 0.9f}) C.push_back({R, G, B});
  return C;
}

TRGB Affine(const TRGB& C) {
  return {0.1f + 0.7f * C[0] + 0.1f * C[1], 0.05f + 0.8f * C[1], 0.2f + 0.5f * C[2] + 0.1f * C[0]};
}

std::vector<TRGB> Map(const std::vector<TRGB>& S, TRGB (*F)(const TRGB&)) {
  std::vector<TRGB> D;
  for (const TRGB& C : S) D.push_back(F(C));
  return D;
}

bool HasError(const std::string& Text) {
  for (const std::string& E : CapturedErrors())
    if (E == Text) return true;
  return false;
}

}  // namespace

TEST(TetrahedralizationPredicates, VolumesDuplicatesAndSharedFaces) {
  TErrorCapture Capture;
  EXPECT_EQ(TetrahedronVolume(Colour(0, 0, 0), Colour(1, 0, 0), Colour(0, 1, 0), Colour(1, 1, 0)),
            0.0);
  EXPECT_NEAR(
      TetrahedronVolume(Colour(0, 0, 0), Colour(1, 0, 0), Colour(0, 1, 0), Colour(0, 0, 1)),
      1.0 / 6, 1e-12);
  EXPECT_EQ(PlaneSide(Colour(0, 0, 0), Colour(1, 0, 0), Colour(0, 1, 0), Colour(0, 0, 0.0005f)),
            0);
  EXPECT_NE(PlaneSide(Colour(0, 0, 0), Colour(1, 0, 0), Colour(0, 1, 0), Colour(0, 0, 0.5f)), 0);
  // An end 2e-8 from the plane counts as on it.
  EXPECT_FALSE(SegmentCrossesTriangle(Colour(0, 0, 0), Colour(1, 0, 0), Colour(0, 1, 0),
                                      Colour(0.2f, 0.2f, 2e-8f), Colour(0.2f, 0.2f, -1)));
  EXPECT_TRUE(SegmentCrossesTriangle(Colour(0, 0, 0), Colour(1, 0, 0), Colour(0, 1, 0),
                                     Colour(0.2f, 0.2f, 1), Colour(0.2f, 0.2f, -1)));

  // Points 0..3 coplanar (z = 0) plus 4 above and 5 below the square.
  TPairs P({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0.3f, 0.3f, 1}, {0.3f, 0.3f, -1}},
           std::vector<TRGB>(6, TRGB{0.5f, 0.5f, 0.5f}));
  TTetrahedralization T;
  T.Init();
  T.SetData(P.Src, P.Dst, P.Flags);
  AddTetraheadron(T, 0, 1, 2, 3);
  EXPECT_EQ(T.NumTetrahedra, 0);
  AddTetraheadron(T, 0, 1, 2, 5);
  AddTetraheadron(T, 4, 2, 1, 0);
  AddTetraheadron(T, 2, 0, 4, 1);  // the same four points again
  ASSERT_EQ(T.NumTetrahedra, 2);
  EXPECT_EQ(T.Tetrahedra[1].Points, (TTetrahedronPoints{0, 1, 2, 4}));
  // On the shared face z = 0: the lower slot wins.
  EXPECT_EQ(FindTetrahedronInTetrahedralization(Colour(0.2f, 0.2f, 0), T.SrcColors, T), 0);
  EXPECT_EQ(FindTetrahedronInTetrahedralization(Colour(0.2f, 0.2f, 0.1f), T.SrcColors, T), 1);
  EXPECT_EQ(FindTetrahedronInTetrahedralization(Colour(0.9f, 0.9f, 0.1f), T.SrcColors, T), -1);
  TTrianglePoints Tri;
  int32_t Opposite = 0;
  EXPECT_FALSE(GetTetrahedronFace(Tri, T.Tetrahedra[0].Points, 4, Opposite));
  EXPECT_TRUE(HasError("Error in GetTetrahedronFace, F=4"));
  T.Done();
}

TEST(TetrahedralBody, CubeCornersInterpolateExactly) {
  TErrorCapture Capture;
  const std::vector<TRGB> S = CubeCorners(0.2f, 0.8f);
  TPairs P(S, Map(S, Affine));
  TTetrahedralization T;
  T.Init();
  T.SetData(P.Src, P.Dst, P.Flags);
  ASSERT_TRUE(CalcTetrahedralization(T, true, false, false, nullptr, 0));
  const TRGB Inside[] = {{0.5f, 0.5f, 0.5f}, {0.3f, 0.7f, 0.4f}, {0.79f, 0.21f, 0.6f},
                         {0.2f, 0.2f, 0.2f}};
  for (const TRGB& C : Inside) {
    TBGRAPixel128 R{};
    TetrahedralizationCalcColor(T, R, Colour(C[0], C[1], C[2]), true, false, false);
    const TRGB E = Affine(C);
    EXPECT_NEAR(R.R, E[0], 1e-5);
    EXPECT_NEAR(R.G, E[1], 1e-5);
    EXPECT_NEAR(R.B, E[2], 1e-5);
    EXPECT_EQ(R.A, 0);
  }
  // Without extrapolation an outside colour stays black.
  TBGRAPixel128 None{};
  TetrahedralizationCalcColor(T, None, Colour(0.95f, 0.5f, 0.5f), true, false, true);
  EXPECT_EQ(None.R, 0);
  T.Done();
}

// Beside the body: a dark blue-green whose inner step for the slopes leaves
// the body, and a bright colour beyond the hull corner that becomes the
// neutral point (a vertex without a direction).
TEST(TetrahedralBody, ExtrapolationIsClamped) {
  TErrorCapture Capture;
  const std::vector<TRGB> S = CubeCorners(0.2f, 0.8f);
  TPairs P(S, Map(S, Affine));
  TTetrahedralization T;
  T.Init();
  T.SetData(P.Src, P.Dst, P.Flags);
  ASSERT_TRUE(CalcTetrahedralization(T, true, false, false, nullptr, 0));
  // Outside the body: every channel within 0..1, brighter still brighter.
  TBGRAPixel128 Lo{}, Hi{};
  TetrahedralizationCalcColor(T, Lo, Colour(0.05f, 0.4f, 0.6f), true, false, false);
  TetrahedralizationCalcColor(T, Hi, Colour(0.98f, 0.9f, 0.3f), true, false, false);
  for (const TBGRAPixel128& R : {Lo, Hi})
    for (float V : {R.R, R.G, R.B, R.A}) {
      EXPECT_GE(V, 0);
      EXPECT_LE(V, 1);
    }
  EXPECT_GT(Hi.G, Lo.G);
  EXPECT_GT(Hi.A, 0);
  for (const std::string& E : CapturedErrors()) EXPECT_EQ(E.find("Failed to find"), std::string::npos);
  T.Done();
}

// Coplanar lattice points entered by saturation + luminance leave gaps
// between the tetrahedra inside the hull; the neighbouring tetrahedron's map
// fills them.
TEST(TetrahedralBody, GapsInsideTheHullFollowTheNeighbours) {
  TErrorCapture Capture;
  const std::vector<TRGB> S = Lattice3();
  TPairs P(S, S);
  TTetrahedralization T;
  T.Init();
  T.SetData(P.Src, P.Dst, P.Flags);
  ASSERT_TRUE(OrderPairsForTetrahedralization(T, 5));
  ASSERT_TRUE(CalcTetrahedralization(T, true, false, false, nullptr, 0));
  float Worst = 0;
  for (int B = 1; B <= 7; ++B)
    for (int G = 1; G <= 7; ++G)
      for (int R = 1; R <= 7; ++R) {
        TBGRAPixel128 Res{};
        TetrahedralizationCalcColor(T, Res, Colour(R / 8.0f, G / 8.0f, B / 8.0f), true, false,
                                    false);
        Worst = std::max({Worst, std::fabs(Res.R - R / 8.0f), std::fabs(Res.G - G / 8.0f),
                          std::fabs(Res.B - B / 8.0f)});
      }
  EXPECT_LT(Worst, 1e-4f);
  EXPECT_TRUE(CapturedErrors().empty());
  T.Done();
}

TEST(TetrahedralBody, BuildFailures) {
  TErrorCapture Capture;
  {
    TPairs P({{0.1f, 0.1f, 0.1f}, {0.5f, 0.2f, 0.1f}, {0.9f, 0.9f, 0.9f}},
             std::vector<TRGB>(3, TRGB{0.5f, 0.5f, 0.5f}));
    TTetrahedralization T;
    T.Init();
    T.SetData(P.Src, P.Dst, P.Flags);
    EXPECT_FALSE(CalcTetrahedralization(T, false, false, false, nullptr, 0));
    EXPECT_TRUE(HasError("Not enough data for tetrahedralization!"));
    T.Done();
  }
  {
    const std::vector<TRGB> S = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0.5f, 0.5f, 0}};
    TPairs P(S, S);
    TTetrahedralization T;
    T.Init();
    T.SetData(P.Src, P.Dst, P.Flags);
    EXPECT_FALSE(CalcTetrahedralization(T, false, false, false, nullptr, 0));
    EXPECT_TRUE(HasError("Error: point data is singular."));
    T.Done();
  }
}

TEST(ChartMatchingLUT, MessagesAndDistinctResults) {
  TErrorCapture Capture;
  T3DLut LUT;
  ASSERT_TRUE(LUT.SetSize(5));
  {
    TPairs P(std::vector<TRGB>(6, TRGB{0, 0, 0}), std::vector<TRGB>(6, TRGB{0.5f, 0.5f, 0.5f}));
    EXPECT_EQ(CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
                               nullptr, true),
              TProfileLUTResult::NoSourceData);
    EXPECT_TRUE(HasError("All source data is zero. Can not continue."));
  }
  {
    // Every source on the plane R = G, and so are the black and white anchors.
    const std::vector<TRGB> S = {{0.2f, 0.2f, 0.6f}, {0.5f, 0.5f, 0.1f}, {0.7f, 0.7f, 0.9f},
                                 {0.3f, 0.3f, 0.2f}};
    TPairs P(S, {{0.9f, 0.1f, 0.1f}, {0.1f, 0.9f, 0.1f}, {0.1f, 0.1f, 0.9f}, {0.9f, 0.9f, 0.1f}});
    EXPECT_EQ(CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
                               nullptr, true),
              TProfileLUTResult::BuildFailed);
    EXPECT_TRUE(HasError("Error: point data is singular."));
    EXPECT_NE(LUT.Name, "Color chart matching 3DLUT");
    EXPECT_FLOAT_EQ(LUT.R[1], 0.25f);  // still the identity
    EXPECT_EQ(P.Src.Size, 6);          // both anchors appended
  }
}

TEST(ChartMatchingLUT, IdentityPairsGiveNearIdentity) {
  TErrorCapture Capture;
  const std::vector<TRGB> S = Lattice3();
  TPairs P(S, S);
  T3DLut LUT;
  ASSERT_TRUE(LUT.SetSize(9));
  std::vector<int32_t> Reported;
  ASSERT_EQ(CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
                             [&](int32_t X) { Reported.push_back(X); }, false),
            TProfileLUTResult::Done);
  EXPECT_EQ(LUT.Name, "Color chart matching 3DLUT");
  ASSERT_FALSE(Reported.empty());
  float Worst = 0, WorstOutside = 0;
  for (int32_t I = 0; I < LUT.Count; ++I) {
    const int32_t R = I % 9, G = (I / 9) % 9, B = I / 81;
    const float E = std::max({std::fabs(LUT.R[I] - R / 8.0f), std::fabs(LUT.G[I] - G / 8.0f),
                              std::fabs(LUT.B[I] - B / 8.0f)});
    const bool Inside = R >= 1 && R <= 7 && G >= 1 && G <= 7 && B >= 1 && B <= 7;
    (Inside ? Worst : WorstOutside) = std::max(Inside ? Worst : WorstOutside, E);
  }
  // Nodes inside the body of the pairs are the identity; outside it the
  // extrapolation only keeps them within range.
  EXPECT_LT(Worst, 1e-4f);
  EXPECT_LE(WorstOutside, 1.0f);
  std::printf("identity pairs: worst %.5f inside the body, %.3f outside\n", Worst, WorstOutside);
}

TEST(ChartMatchingLUT, SyntheticChartMatchesBackThroughAMatrix) {
  TErrorCapture Capture;
  // A chart's camera colours: a 5-level grid and a grey ramp; targets are a
  // known matrix of them.
  auto Matrix = [](const TRGB& C) -> TRGB {
    auto Cl = [](float V) { return std::clamp(V, 0.0f, 1.0f); };
    return {Cl(0.85f * C[0] + 0.15f * C[1]), Cl(0.05f * C[0] + 0.9f * C[1] + 0.05f * C[2]),
            Cl(0.1f * C[1] + 0.9f * C[2])};
  };
  std::vector<TRGB> S, D;
  for (int R = 0; R < 5; ++R)
    for (int G = 0; G < 5; ++G)
      for (int B = 0; B < 5; ++B) S.push_back({0.02f + 0.24f * R, 0.02f + 0.24f * G, 0.02f + 0.24f * B});
  for (const TRGB& C : S) D.push_back(Matrix(C));
  TPairs P(S, D);
  for (size_t I = 0; I < S.size(); ++I) P.Flags[I] = S[I][0] == S[I][1] && S[I][1] == S[I][2];
  T3DLut LUT;
  ASSERT_TRUE(LUT.SetSize(17));
  ASSERT_EQ(CreateProfileLUT(LUT, P.Src, P.Dst, P.Flags, false, true, 0, 0, false, false, 0,
                             nullptr, false),
            TProfileLUTResult::Done);
  double Sum = 0, Worst = 0;
  int32_t N = 0;
  for (float R = 0.07f; R < 0.95f; R += 0.11f)
    for (float G = 0.05f; G < 0.95f; G += 0.13f)
      for (float B = 0.09f; B < 0.95f; B += 0.12f) {
        float Ro = R, Go = G, Bo = B;
        ProcessColorTetrahedralQuiet(LUT, Ro, Go, Bo);
        const TRGB E = Matrix({R, G, B});
        const double DE = RGBCalcDeltaE2000CMS(nullptr, Ro, Go, Bo, E[0], E[1], E[2]);
        Sum += DE;
        Worst = std::max(Worst, DE);
        ++N;
      }
  const double Mean = Sum / N;
  std::printf("chart match mean dE2000 %.3f, worst %.3f over %d colours\n", Mean, Worst, N);
  EXPECT_LT(Mean, 0.5);
}

TEST(ChartMatchingLUT, SortOrderPicksTheStrategyRow) {
  const std::vector<TRGB> D = {{0.9f, 0.1f, 0.1f}, {0.5f, 0.5f, 0.5f}, {0.2f, 0.6f, 0.2f},
                               {0.1f, 0.1f, 0.8f}, {0.95f, 0.9f, 0.3f}, {0.3f, 0.3f, 0.3f}};
  std::vector<TRGB> S;
  for (size_t I = 0; I < D.size(); ++I) S.push_back({0.1f * float(I + 1), 0.5f, 0.5f});
  using TSort = bool (*)(TImage128&, TImage128&);
  const std::pair<int32_t, TSort> Rows[] = {
      {1, [](TImage128& A, TImage128& B) { return SortImage128PairsBySaturation(A, B); }},
      {2, [](TImage128& A, TImage128& B) { return SortImage128PairsByLuminance(A, B); }},
      {3, [](TImage128& A, TImage128& B) { return SortImage128PairsByMinimum(A, B); }},
      {4, [](TImage128& A, TImage128& B) { return SortImage128PairsByMaximum(A, B, 0); }},
      {5, [](TImage128& A, TImage128& B) { return SortImage128PairsBySatLum(A, B, 1); }},
      {6, [](TImage128& A, TImage128& B) { return SortImage128PairsByMaximum(A, B, 0.3f); }},
      {7, [](TImage128& A, TImage128& B) { return SortImage128PairsBySatLum(A, B, 0.3f); }},
  };
  std::vector<std::vector<float>> Seen;
  for (const auto& [Order, Sort] : Rows) {
    TPairs P(S, D), Expected(S, D);
    P.Flags[0] = P.Flags[1] = P.Flags[5] = true;
    TTetrahedralization T;
    T.Init();
    T.SetData(P.Src, P.Dst, P.Flags);
    ASSERT_EQ(T.NeutralFlags, P.Flags);
    ASSERT_TRUE(OrderPairsForTetrahedralization(T, Order));
    ASSERT_TRUE(Sort(Expected.Src, Expected.Dst));
    std::vector<float> Reds;
    for (int32_t I = 0; I < T.PairCount(); ++I) {
      EXPECT_EQ(T.Src(I).R, Expected.Src.Data[I].R) << "order " << Order;
      // The neutral flags travel with their pairs (sources 0.1, 0.2, 0.6).
      const float Red = T.Src(I).R;
      EXPECT_EQ(T.NeutralFlags[size_t(I)], Red == 0.1f || Red == 0.2f || Red == 0.6f);
      Reds.push_back(T.Src(I).R);
    }
    Seen.push_back(Reds);
    T.Done();
  }
  // Rows 1, 2 and 3 give three different orders of these pairs.
  EXPECT_NE(Seen[0], Seen[1]);
  EXPECT_NE(Seen[1], Seen[2]);
  // Sort order 5: the grey (key 0.5) before (0.2, 0.6, 0.2) (key 0.4 + 0.4 / 0.95).
  EXPECT_LT(std::find(Seen[4].begin(), Seen[4].end(), 0.2f), std::find(Seen[4].begin(), Seen[4].end(), 0.3f));
}

// Neutral patches of nearly equal brightness merge; coloured patches that
// only share the brightness stay apart.
TEST(ChartMatchingLUT, MergeClosePairsKeepsColouredPatches) {
  TPairs P({{0.5f, 0.1f, 0.1f}, {0.1f, 0.5f, 0.1f}, {0.1f, 0.1f, 0.5f}, {0.40f, 0.41f, 0.40f},
            {0.42f, 0.42f, 0.41f}, {0.8f, 0.8f, 0.8f}},
           {{0.5f, 0.1f, 0.1f}, {0.1f, 0.5f, 0.1f}, {0.1f, 0.1f, 0.5f}, {0.4f, 0.4f, 0.4f},
            {0.42f, 0.42f, 0.42f}, {0.8f, 0.8f, 0.8f}});
  P.Flags.assign(6, true);
  TTetrahedralization T;
  T.Init();
  T.SetData(P.Src, P.Dst, P.Flags);
  T.MergeClosePairs(true, 0.1f);
  const float Valid[] = {1, 1, 1, 1, 0, 1};
  for (int32_t I = 0; I < 6; ++I) EXPECT_EQ(T.Src(I).A, Valid[I]) << I;
  EXPECT_FLOAT_EQ(T.Src(3).R, 0.41f);
  EXPECT_FLOAT_EQ(T.Dst(3).B, 0.41f);
  EXPECT_EQ(T.Src(0).R, 0.5f);
  T.Done();
}

TEST(ChartMatchingLUT, DefaultOrderDropsInvalidPairsAndCutsTheFlags) {
  TPairs P({{0.8f, 0.8f, 0.8f}, {0.3f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f}, {0.6f, 0.3f, 0.1f},
            {0.1f, 0.1f, 0.1f}},
           {{0.8f, 0.8f, 0.8f}, {0.3f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f}, {0.6f, 0.3f, 0.1f},
            {0.1f, 0.1f, 0.1f}});
  P.Flags = {true, false, true, false, true};
  P.Dst.Data[4].A = 0;  // excluded, yet flagged
  ASSERT_TRUE(SortImage128PairsForTetrahedralization(P.Src, P.Dst, P.Flags));
  ASSERT_EQ(P.Src.Size, 4);
  EXPECT_EQ(P.Flags.size(), 4u);
  const float Reds[] = {0.2f, 0.3f, 0.8f, 0.6f};
  const bool Neutral[] = {true, false, true, false};
  for (int I = 0; I < 4; ++I) {
    EXPECT_EQ(P.Src.Data[I].R, Reds[I]) << I;
    EXPECT_EQ(P.Flags[size_t(I)], Neutral[I]) << I;
  }
}

TEST(TetrahedralizationDump, OneTetrahedronAsOBJReadByPython) {
  TPairs P({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, std::vector<TRGB>(4, TRGB{0, 0, 0}));
  TTetrahedralization T;
  T.Init();
  T.SetData(P.Src, P.Dst, P.Flags);
  AddTetraheadron(T, 0, 1, 2, 3);
  kromel::testing::TTestTempDir Dir;
  const std::string File = Dir.File("mesh.obj");
  ASSERT_TRUE(DumpTetrahedralizationOBJ(T.SrcColors, T, File));
  const std::string Text = TetrahedralizationOBJText(T.SrcColors, T);
  EXPECT_NE(Text.find("# List of faces\r\nf 1 2 3\r\nf 1 3 4\r\nf 1 2 4\r\nf 2 3 4\r\n"),
            std::string::npos);
  EXPECT_EQ(Text.rfind("# List of vertices\r\nv 0.000 0.000 0.000\r\nv 1.000 0.000 0.000", 0), 0u);
  T.Done();

  if (kromel::testing::RunProgram({"python3", "-c", "pass"}, Dir.File("probe.txt")) != 0)
    GTEST_SKIP() << "python3 not available";
  // Reads the mesh the way a mesh loader does and checks every face closes
  // a tetrahedron of volume 1/6 with each edge shared by two faces.
  const std::string Script = Dir.File("read_obj.py");
  std::ofstream(Script) << R"(import sys, itertools
vs, fs = [], []
for line in open(sys.argv[1]):
    w = line.split()
    if not w or w[0].startswith('#'): continue
    if w[0] == 'v': vs.append(tuple(float(x) for x in w[1:4]))
    elif w[0] == 'f': fs.append(tuple(int(x) - 1 for x in w[1:4]))
    else: sys.exit('bad line ' + line)
assert len(vs) == 4 and len(fs) == 4, (len(vs), len(fs))
edges = {}
for f in fs:
    for a, b in itertools.combinations(sorted(f), 2): edges[(a, b)] = edges.get((a, b), 0) + 1
assert len(edges) == 6 and all(n == 2 for n in edges.values()), edges
a, b, c, d = vs
u = [b[i] - a[i] for i in range(3)]; v = [c[i] - a[i] for i in range(3)]; w = [d[i] - a[i] for i in range(3)]
vol = abs(u[0]*(v[1]*w[2]-v[2]*w[1]) - u[1]*(v[0]*w[2]-v[2]*w[0]) + u[2]*(v[0]*w[1]-v[1]*w[0])) / 6
print('faces', len(fs), 'volume %.4f' % vol)
)";
  const std::string Out = Dir.File("out.txt");
  ASSERT_EQ(kromel::testing::RunProgram({"python3", Script, File}, Out), 0)
      << kromel::testing::ReadText(Out);
  EXPECT_EQ(kromel::testing::ReadText(Out), "faces 4 volume 0.1667\n");
}
