#include "engine/model_saturation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "colour/colour_models.h"
#include "engine/engine_test_support.h"
#include "lut/lut_lookup.h"

namespace kromel {
namespace {

using testing::EngineTest;
using testing::MakeIdentity;

// The largest channel difference between neighbouring nodes, in steps of
// the identity's node spacing.
float NeighbourJump(const T3DLut& Lut) {
  const int32_t N = Lut.Size;
  float Max = 0;
  for (int32_t b = 0; b < N; ++b)
    for (int32_t g = 0; g < N; ++g)
      for (int32_t r = 0; r < N; ++r) {
        const int32_t k = r + N * (g + N * b);
        const int32_t Step[3] = {1, N, N * N};
        const int32_t At[3] = {r, g, b};
        for (int32_t a = 0; a < 3; ++a) {
          if (At[a] + 1 >= N) continue;
          const int32_t j = k + Step[a];
          Max = std::max({Max, std::fabs(Lut.R[k] - Lut.R[j]), std::fabs(Lut.G[k] - Lut.G[j]),
                          std::fabs(Lut.B[k] - Lut.B[j])});
        }
      }
  return Max * static_cast<float>(N - 1);
}

class ModelSaturationTest : public EngineTest {
 protected:
  TModelSaturationAdjustments Unit{nullptr};

  // An identity of N levels through the unit at chroma factor s in Model,
  // back in gamma RGB.
  void Saturate(T3DLut& Lut, int32_t N, int32_t Model, float s) {
    MakeIdentity(Lut, N);
    TColorModelPreferences Settings;
    SetWorkingModel(Settings, Model);
    Unit.Saturation->SetValue(s / 2);
    Unit.Process(&Lut, &Lut, Settings);
    ProcessColorModelConversion(Lut, &Lut, lcsProfileRGB, &Settings);
  }
};

// No saturation from 0.5 to 2 tears the LUT in any model: neighbouring
// nodes stay within a few times the identity's spacing (it was up to 56
// times at 65 levels, at the yellow and cyan highlights).
TEST_F(ModelSaturationTest, EverySaturationIsASmoothMap) {
  struct TCase {
    float s;
    int32_t N;  // the strong ones coarser: they search the gamut more
    float MaxJump;
  };
  const TCase Cases[] = {{0.5f, 33, 1.5f}, {1.1f, 65, 3}, {1.5f, 33, 5}, {2, 33, 7}};
  for (const TCase& C : Cases)
    for (int32_t Model = 0; Model < ColorModelCount; ++Model) {
      T3DLut Lut;
      Saturate(Lut, C.N, Model, C.s);
      // The HSP models, whose lightness is the luminance's, stay closest.
      const bool HSP = Model >= cmHSPn && Model <= cmHSPItten;
      EXPECT_LE(NeighbourJump(Lut), HSP ? std::min(3.0f, C.MaxJump) : C.MaxJump)
          << ColorModelDisplayName(Model) << " at " << C.s;
    }
  EXPECT_TRUE(Silent()) << ::testing::PrintToString(Messages());
}

// +10 % in HSPe near the yellow highlights: the two nodes that tore apart
// (blue 0.086 and 0.619) stay together, and a pale yellow keeps most of its
// blue instead of dropping to 0.50.
TEST_F(ModelSaturationTest, YellowHighlightsKeepTogether) {
  T3DLut Lut;
  Saturate(Lut, 64, cmHSPe, 1.1f);
  const auto Blue = [&](int32_t r, int32_t g, int32_t b) { return Lut.B[r + 64 * (g + 64 * b)]; };
  EXPECT_LT(std::fabs(Blue(62, 62, 39) - Blue(63, 62, 39)), 0.05f);
  float R = 0.98f, G = 0.98f, B = 0.70f;
  ProcessColorTetrahedralSingle(Lut, R, G, B);
  EXPECT_GT(B, 0.64f);
  EXPECT_LT(B, 0.70f);
}

}  // namespace
}  // namespace kromel
