#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/cabinet_taps.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::TCaptureTest;

struct TOwnedSample {
  TSample32 S;
  explicit TOwnedSample(int64_t N, float V = 0.0f) {
    S.Alloc(N);
    S.Fill(V);
  }
  ~TOwnedSample() { S.Dispose(); }
};

struct TOwnedRing {
  TLoopBuf32 R;
  explicit TOwnedRing(int64_t N) {
    R.Buffer.Alloc(N);
    R.Buffer.Clear();
  }
  ~TOwnedRing() { R.Buffer.Dispose(); }
};

class CabinetSim : public TCaptureTest {};

TEST_F(CabinetSim, TypeOneImpulseResponseFollowsItsTable) {
  TCabinetSimProcessor Cab;
  ASSERT_TRUE(Cab.Init());
  TOwnedSample In(200);
  In.S.Data[0] = 1;
  Cab.Process(In.S, 1);
  const std::vector<float> Head = {0.3f, 0.2f, 0, 0, 0.4f, 0, -0.1f, 0};
  for (size_t I = 0; I < Head.size(); ++I) EXPECT_FLOAT_EQ(In.S.Data[I], Head[I]) << I;
  EXPECT_FLOAT_EQ(In.S.Data[17], 0.3f);
  EXPECT_FLOAT_EQ(In.S.Data[128], 0.1f);
  EXPECT_EQ(In.S.Data[129], 0.0f);
}

TEST_F(CabinetSim, OtherTypesLeaveTheBufferAndRingAlone) {
  TCabinetSimProcessor Cab;
  ASSERT_TRUE(Cab.Init());
  TOwnedSample In(8, 0.5f);
  for (int Type : {0, 31, -1, 1000}) {
    Cab.Process(In.S, Type);
    for (int I = 0; I < 8; ++I) EXPECT_EQ(In.S.Data[I], 0.5f) << Type;
  }
  // The ring heard nothing: a later impulse through type 1 has no history.
  TOwnedSample Imp(3);
  Imp.S.Data[0] = 1;
  Cab.Process(Imp.S, 1);
  EXPECT_FLOAT_EQ(Imp.S.Data[0], 0.3f);
  EXPECT_FLOAT_EQ(Imp.S.Data[2], 0.0f);
}

TEST_F(CabinetSim, EmptyImpulseSlotGivesSilenceAndLongOnesAreRefused) {
  TCabinetSimProcessor Cab;
  ASSERT_TRUE(Cab.Init());
  TOwnedSample In(16, 0.7f);
  Cab.Process(In.S, 14);
  for (int I = 0; I < 16; ++I) EXPECT_EQ(In.S.Data[I], 0.0f);

  Cab.Impulses[1].Alloc(CabinetRingSize + 1);
  Cab.Impulses[1].Fill(0.1f);
  TOwnedSample Keep(4, 0.25f);
  Cab.Process(Keep.S, 15);
  EXPECT_EQ(Keep.S.Data[3], 0.25f);
  EXPECT_EQ(Messages().size() + Errors().size(), 1u);
  Cab.Impulses[1].Dispose();
}

TEST_F(CabinetSim, ConsecutiveBuffersJoinSeamlessly) {
  std::vector<float> Signal(1500);
  for (size_t I = 0; I < Signal.size(); ++I) Signal[I] = std::sin(0.05f * float(I)) * (I % 7 == 0 ? -1.0f : 1.0f);
  for (int Type : {1, 10, 12, 14}) {
    TCabinetSimProcessor Whole, Halves;
    ASSERT_TRUE(Whole.Init());
    ASSERT_TRUE(Halves.Init());
    for (TCabinetSimProcessor* C : {&Whole, &Halves}) {
      C->Impulses[0].Alloc(3);
      C->Impulses[0].Data[0] = 0.5f;
      C->Impulses[0].Data[1] = -0.25f;
      C->Impulses[0].Data[2] = 0.125f;
    }
    TOwnedSample A(1500), B1(700), B2(800);
    std::copy(Signal.begin(), Signal.end(), A.S.Data);
    std::copy(Signal.begin(), Signal.begin() + 700, B1.S.Data);
    std::copy(Signal.begin() + 700, Signal.end(), B2.S.Data);
    Whole.Process(A.S, Type);
    Halves.Process(B1.S, Type);
    Halves.Process(B2.S, Type);
    for (int I = 0; I < 700; ++I) ASSERT_EQ(A.S.Data[I], B1.S.Data[I]) << Type;
    for (int I = 0; I < 800; ++I) ASSERT_EQ(A.S.Data[700 + I], B2.S.Data[I]) << Type;
    Whole.Impulses[0].Dispose();
    Halves.Impulses[0].Dispose();
  }
}

TEST_F(CabinetSim, SmoothedBanksAndLiveRings) {
  // A bank-1 tap reads the input smoothed by (2, 1, 1) / 4 one sample late.
  TAdvConvTaps Adv{};
  Adv[0] = {0, 1.0f, 1};
  TOwnedRing Ring(AdvTapsRingSize);
  TOwnedSample Imp(4);
  Imp.S.Data[0] = 1;
  ConvolveAdvTaps(Imp.S, Ring.R, Adv);
  EXPECT_FLOAT_EQ(Imp.S.Data[0], 0.25f);
  EXPECT_FLOAT_EQ(Imp.S.Data[1], 0.5f);
  EXPECT_FLOAT_EQ(Imp.S.Data[2], 0.25f);
  EXPECT_FLOAT_EQ(Imp.S.Data[3], 0.0f);

  // Live sets never pass the current sample; type 0 leaves the buffer.
  TOwnedRing Live(LiveCabinetRingSize);
  TOwnedSample L(3000);
  L.S.Data[0] = 1;
  ProcessLiveCabinetB(L.S, Live.R, 1);
  EXPECT_EQ(L.S.Data[0], 0.0f);
  EXPECT_FLOAT_EQ(L.S.Data[1], 0.8f * 0.35f);
  EXPECT_FLOAT_EQ(L.S.Data[130], -0.682f * 0.35f);
  TOwnedSample Same(4, 0.5f);
  ProcessLiveCabinet(Same.S, Live.R, 0);
  EXPECT_EQ(Same.S.Data[3], 0.5f);
  ProcessLiveCabinet(Same.S, Live.R, 34);  // no such set: silence
  EXPECT_EQ(Same.S.Data[3], 0.0f);
}

TEST_F(CabinetSim, EveryLiveSetStaysBoundedOnFullScaleNoise) {
  uint32_t Seed = 12345;
  for (int Type = 1; Type <= 33; ++Type) {
    TOwnedRing Ring(LiveCabinetRingSize);
    TOwnedSample N(20000);
    for (int64_t I = 0; I < N.S.Count; ++I) {
      Seed = Seed * 1664525u + 1013904223u;
      N.S.Data[I] = float(Seed >> 8) / float(1 << 24) * 2 - 1;
    }
    ProcessLiveCabinet(N.S, Ring.R, Type);
    for (int64_t I = 0; I < N.S.Count; ++I) ASSERT_TRUE(std::isfinite(N.S.Data[I]) && std::fabs(N.S.Data[I]) < 16) << Type;
  }
}

TEST_F(CabinetSim, ShortRingsAreRefused) {
  TOwnedRing Small(100);
  TOwnedSample In(4, 0.5f);
  ConvolveTaps(In.S, Small.R, CabinetTaps(1));
  ConvolveLiveTaps(In.S, Small.R, TLiveTaps{});
  ProcessLiveCabinet(In.S, Small.R, 1);
  EXPECT_EQ(In.S.Data[0], 0.5f);
  EXPECT_EQ(Messages().size() + Errors().size(), 3u);
}

}  // namespace
}  // namespace kromel
