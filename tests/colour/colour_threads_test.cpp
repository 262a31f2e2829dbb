// The working colour models converting on several threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <cmath>
#include <thread>
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
    const TColorModelRecord& Record = CurrentColorModel();
    Pairs.push_back({Record.Forward, Record.Inverse});
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

// While the main thread switches models and gamut switches, workers always
// read one model's forward, inverse and scale together.
TEST(ColourModelThreads, ConcurrentSwitchingPublishesWholeModels) {
  std::atomic<bool> Stop{false};
  std::atomic<int> Mixed{0};
  std::thread Switcher([&] {
    for (int K = 0; K < 20000; ++K) {
      SetColorModel(K % ColorModelCount);
      UseLABGamut = K % 2 == 0;
    }
    Stop = true;
  });
  testing::RunOnThreadsTogether(4, [&](int) {
    while (!Stop) {
      const TColorModelRecord& M = CurrentColorModel();
      float V1, V2, V3, R, G, B;
      M.Forward(0.8f, 0.4f, 0.2f, V1, V2, V3);
      M.Inverse(V1, V2, V3, R, G, B);
      if (std::fabs(R - 0.8f) > 0.01f || M.Scale <= 0) ++Mixed;
    }
  });
  Switcher.join();
  UseLABGamut = true;
  SetColorModel(cmHSPe);
  EXPECT_EQ(Mixed.load(), 0);
}

}  // namespace kromel
