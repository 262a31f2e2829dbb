// One LUT applied by several worker threads at once, as the renderer does.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/messages.h"
#include "images/image128.h"
#include "images/image32.h"
#include "images/image_header.h"
#include "images/image_vbpp.h"
#include "lut/lut_apply.h"
#include "lut_test_support.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using test::Hash01;
using test::LutTest;
using test::MakeIdentity;

// Runs Work(Band) for the eight row bands, each on its own thread, all
// released at once.
void OnBandThreads(const std::function<void(int32_t Band)>& Work) {
  testing::RunOnThreadsTogether(RowBandCount, Work);
}

uint16_t Word(uint32_t Seed) { return static_cast<uint16_t>(Hash01(Seed) * 65535.0f); }

class LutApplyThreads : public LutTest {
 protected:
  void SetUp() override {
    LutTest::SetUp();
    MakeIdentity(Lut, 9);
    for (int32_t k = 0; k < Lut.Count; ++k) {
      Lut.R[k] = Hash01(3 * k) * 1.2f - 0.1f;
      Lut.G[k] = Hash01(3 * k + 1);
      Lut.B[k] = Hash01(3 * k + 2);
    }
  }
  T3DLut Lut;
};

// The eight bands of one image processed on eight threads at once give the
// single-threaded result bit for bit, in the 16-to-8-bit, 8-bit and 16-bit
// forms. 40 x 640 gives bands above the size where each thread interleaves
// its own copy of the nodes; 40 x 24 reads the planes directly.
TEST_F(LutApplyThreads, RowBandsOnWorkerThreadsMatchOneThread) {
  for (int32_t Height : {640, 24}) {
    SCOPED_TRACE(Height);
    const int32_t Width = 40;
    TImageVBPP Src16, Src8;
    Src16.Realloc(Width, Height, true);
    Src8.Realloc(Width, Height, false);
    ASSERT_EQ(Src16.GetSize(), Width * Height);
    ASSERT_EQ(Src8.GetSize(), Width * Height);
    for (int32_t i = 0; i < Width * Height; ++i) {
      const uint16_t A = i % 7 == 0 ? 0 : Word(4 * i + 3);
      Src16.Image64.Pixels[i].Init(Word(4 * i), Word(4 * i + 1), Word(4 * i + 2), A);
      Src8.Image32.Pixels[i].Value = (Word(4 * i) >> 8) | (Word(4 * i + 1) & 0xFF00u) |
                                     static_cast<uint32_t>(Word(4 * i + 2) >> 8) << 16 |
                                     static_cast<uint32_t>(A >> 8) << 24;
    }
    TImage32 Ref32, Dst32, Ref8, Dst8;
    TImage64 Ref64, Dst64;
    for (TImage32* I : {&Ref32, &Dst32, &Ref8, &Dst8}) {
      I->Init();
      ASSERT_TRUE(I->Alloc(Width, Height));
    }
    for (TImage64* I : {&Ref64, &Dst64}) {
      I->Init();
      ASSERT_TRUE(I->Alloc(Width, Height));
    }
    ProcessImageVBPP(Lut, Src16, Ref32, false, true);
    ProcessImage(Lut, Src8.Image32, Ref8, false);
    ProcessImage64(Lut, Src16.Image64, Ref64, true);

    OnBandThreads([&](int32_t Band) {
      const int32_t First = RowBandStart(Height, Band), Rows = RowBandRows(Height, Band);
      const TImageVBPPBand In16 = RowBand(Src16, First, Rows), In8 = RowBand(Src8, First, Rows);
      TImageView32 Out32 = RowBand<TVPixel32>(Dst32, First, Rows);
      TImageView32 Out8 = RowBand<TVPixel32>(Dst8, First, Rows);
      TImageView64 Out64 = RowBand<TPixel64>(Dst64, First, Rows);
      ProcessImageVBPP(Lut, In16, Out32, false, true);
      ProcessImage(Lut, In8.Image32, Out8, false);
      ProcessImage64(Lut, In16.Image64, Out64, true);
    });

    EXPECT_TRUE(Messages().empty());
    int Differ = 0;
    for (int32_t i = 0; i < Width * Height; ++i) {
      Differ += Dst32.Pixels[i].Value != Ref32.Pixels[i].Value;
      Differ += Dst8.Pixels[i].Value != Ref8.Pixels[i].Value;
      const TPixel64 D = Dst64.Pixels[i], R = Ref64.Pixels[i];
      Differ += D.R != R.R || D.G != R.G || D.B != R.B;
    }
    EXPECT_EQ(Differ, 0);
  }
}

// Dither draws each worker's own random numbers: through an identity LUT a
// byte c comes out as c or c + 1, never anything else, with all bands in
// place on one image.
TEST_F(LutApplyThreads, DitherInPlaceOnWorkerThreads) {
  T3DLut Identity;
  MakeIdentity(Identity, 17);
  const int32_t Width = 64, Height = 256;
  TImage32 Image;
  ASSERT_TRUE(Image.Alloc(Width, Height));
  for (int32_t i = 0; i < Width * Height; ++i)
    Image.Pixels[i].Value = static_cast<uint32_t>(i & 255) * 0x010101u | 0xFF000000u;
  OnBandThreads([&](int32_t Band) {
    TImageView32 View =
        RowBand<TVPixel32>(Image, RowBandStart(Height, Band), RowBandRows(Height, Band));
    ProcessImage(Identity, View, View, true);
  });
  int Wrong = 0, Raised = 0;
  for (int32_t i = 0; i < Width * Height; ++i) {
    const TBGRAPixel32 P = Image.Pixels[i].BGRA;
    const int C = i & 255;
    for (int V : {int(P.R), int(P.G), int(P.B)}) {
      Wrong += V != C && V != C + 1;
      Raised += V == C + 1;
    }
    Wrong += P.A != 255;
  }
  EXPECT_EQ(Wrong, 0);
  EXPECT_GT(Raised, 0);
}

// A LUT that is not in profile RGB cautions from each worker through the
// thread-safe message routine: shown on the main thread, never through the
// dialog, and the images are still processed.
TEST_F(LutApplyThreads, CautionFromWorkerThreadsReachesTheMainThread) {
  static std::atomic<int> Dialogs{0};
  Dialogs = 0;
  SetCautionDialogProc([](const std::string&, const std::string&) {
    ++Dialogs;
    return true;
  });
  ResetCautionFlag();
  ResetMessageState();
  THeadlessMessageSink Sink;
  Sink.EchoToStderr = false;
  SetMessageSink(&Sink);
  T3DLut Lab;
  MakeIdentity(Lab, 5);
  Lab.ColorSpace = lcsLAB;
  constexpr int Workers = 4;
  std::vector<TImage128> Src(Workers), Dst(Workers);
  for (int W = 0; W < Workers; ++W) {
    Src[W].Init();
    Dst[W].Init();
    ASSERT_TRUE(Src[W].Alloc(8, 8));
    ASSERT_TRUE(Dst[W].Alloc(8, 8));
    for (int32_t i = 0; i < 64; ++i) Src[W].Data[i] = {0.25f, 0.5f, 0.75f, 1.0f};
  }
  std::atomic<int> Finished{0};
  std::vector<std::thread> Threads;
  for (int W = 0; W < Workers; ++W)
    Threads.emplace_back([&, W] {
      ProcessImage128(Lab, Src[W], Dst[W], 1.0f);
      ++Finished;
    });
  while (Finished.load() < Workers) {
    DrainMainThreadCalls();
    std::this_thread::yield();
  }
  for (auto& T : Threads) T.join();
  SetMessageSink(nullptr);
  SetCautionDialogProc(nullptr);

  EXPECT_EQ(Dialogs.load(), 0);
  EXPECT_FALSE(CautionSuppressed());
  const auto Shown = Sink.Messages();
  ASSERT_EQ(Shown.size(), std::size_t(Workers));
  std::size_t Cautions = 0;
  for (std::size_t At = 0; (At = Shown.back().find("ProcessImage128 caution", At)) != std::string::npos;
       ++At)
    ++Cautions;
  EXPECT_EQ(Cautions, std::size_t(Workers));
  ResetMessageState();
  for (int W = 0; W < Workers; ++W) {
    EXPECT_NEAR(Dst[W].Data[63].G, 0.5f, 1e-6f);
    Src[W].Dispose();
    Dst[W].Dispose();
  }
}

}  // namespace
}  // namespace kromel
