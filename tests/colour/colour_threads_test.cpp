// The working colour models converting on several threads at once.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "colour/colour_models.h"
#include "colour/gamut_tables.h"
#include "support/test_support.h"

namespace kromel {
namespace {

struct TPair {
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
};

// Each model's pair over a 6 x 6 x 6 grid, forward then back: six floats a colour.
std::vector<float> Convert(const std::vector<TPair>& Pairs, int FirstModel) {
  std::vector<float> Out;
  for (int N = 0; N < ColorModelCount; ++N) {
    const TPair& P = Pairs[(FirstModel + N) % ColorModelCount];
    for (int I = 0; I < 216; ++I) {
      const float R = (I % 6) / 5.0f, G = (I / 6 % 6) / 5.0f, B = (I / 36) / 5.0f;
      float V[3], Back[3];
      P.Forward(R, G, B, V[0], V[1], V[2]);
      P.Inverse(V[0], V[1], V[2], Back[0], Back[1], Back[2]);
      Out.insert(Out.end(), {V[0], V[1], V[2], Back[0], Back[1], Back[2]});
    }
  }
  return Out;
}

}  // namespace

// Workers, each starting at another model, convert at once (in a fresh test
// process the gamut tables are decoded on this first use) and get the
// single-threaded values bit for bit.
TEST(ColourModelThreads, ConcurrentConversionsMatchOneThread) {
  std::vector<TPair> Pairs;
  for (int M = 0; M < ColorModelCount; ++M) {
    SetColorModel(M);
    Pairs.push_back({CurrentRGBToModel.load(), CurrentModelToRGB.load()});
  }
  SetColorModel(cmHSPe);
  constexpr int Workers = 8;
  std::vector<std::vector<float>> Results(Workers);
  testing::RunOnThreadsTogether(Workers, [&](int W) { Results[W] = Convert(Pairs, 2 * W); });
  for (int W = 0; W < Workers; ++W) {
    const std::vector<float> Expected = Convert(Pairs, 2 * W);
    ASSERT_EQ(Results[W].size(), Expected.size());
    EXPECT_EQ(std::memcmp(Results[W].data(), Expected.data(), Expected.size() * sizeof(float)), 0)
        << "thread " << W;
  }
  for (int T = 0; T < GamutTableCount; ++T) {
    const auto Id = static_cast<TGamutTable>(T);
    EXPECT_NE(GamutTable(Id), nullptr) << GamutTableName(Id);
  }
}

}  // namespace kromel
