// The preview renderer driven through a test double of the main window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/debug_log.h"
#include "images/image32_display_mode.h"
#include "lut/lut_apply.h"
#include "lut/lut_renderer.h"
#include "lut_test_support.h"
#include "platform/main_thread.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using test::Hash01;
using namespace std::chrono_literals;

// The main window as the renderer sees it: images, the guarded main LUT and
// counters of the calls made.
class TTestHost : public TRendererHost {
 public:
  TTestHost() { Out.Init(); }
  ~TTestHost() override { Out.Dispose(); }

  bool MainFormReady() const override { return Ready.load(); }
  bool CopyMainLut(T3DLut& Lut) override {
    if (OnCopy) OnCopy();
    return Main.CopyTo(Lut);
  }
  TImageVBPP& WorkingImage() override { return Work; }
  TImage32& ProcessedImage() override { return Out; }
  uint8_t DisplayMode() const override { return Mode.load(); }
  int32_t PreviewBitmapWidth() const override { return Out.Width; }
  bool CalcAnalyzer(bool) override {
    ++Analyzed;
    return true;
  }
  void SetPreviewImageChanged() override { ++Changed; }
  void ShowProcessedImage() override {
    EXPECT_TRUE(IsMainThread());
    ++Shown;
  }
  void UpdateAnalyzerWindow() override { ++AnalyzerWindow; }
  void UpdatePicker() override { ++Picker; }

  // A Width x Height working image (16 or 8 bits) of varied pixels, and a
  // processed image of the same size.
  void MakeImages(int32_t Width, int32_t Height, bool Use16Bit, uint32_t Seed = 0) {
    Work.Dispose();
    Work.Realloc(Width, Height, Use16Bit);
    for (int32_t i = 0; i < Width * Height; ++i) {
      auto W = [&](uint32_t c) { return static_cast<uint16_t>(Hash01(4 * i + c + Seed) * 65535.0f); };
      // Alphas whose high byte is their 8-bit value, so the device's float
      // mix and the workers' integer mix agree within one code.
      const uint16_t A = i % 5 == 0 ? 65535 : static_cast<uint16_t>(257 * (W(3) >> 8));
      if (Use16Bit)
        Work.Image64.Pixels[i].Init(W(0), W(1), W(2), A);
      else
        Work.Image32.Pixels[i].Value =
            (W(2) >> 8) | (W(1) & 0xFF00u) | uint32_t(W(0) >> 8) << 16 | uint32_t(A >> 8) << 24;
    }
    Out.Dispose();
    ASSERT_TRUE(Out.Alloc(Width, Height));
  }
  // The first render sets Entered and waits in its LUT copy until Release.
  void HoldFirstCopy(std::atomic<bool>& Entered, const std::atomic<bool>& Release) {
    OnCopy = [&Entered, &Release] {
      if (Entered.exchange(true)) return;
      while (!Release.load()) std::this_thread::sleep_for(1ms);
    };
  }
  void MakeLut(int32_t N, uint32_t Seed = 0) {
    Main.Write([&](T3DLut& L) {
      ASSERT_TRUE(L.SetSize(N));
      for (int32_t k = 0; k < L.Count; ++k) {
        L.R[k] = Hash01(3 * k + Seed);
        L.G[k] = Hash01(3 * k + 1 + Seed);
        L.B[k] = Hash01(3 * k + 2 + Seed);
      }
    });
  }

  TGuardedLut Main;
  TImageVBPP Work;
  TImage32 Out;
  std::atomic<bool> Ready{true};
  std::atomic<uint8_t> Mode{0};
  std::function<void()> OnCopy;
  std::atomic<int> Analyzed{0}, Changed{0}, Shown{0}, AnalyzerWindow{0}, Picker{0};
};

// Serves main-thread calls until Done() or the time runs out.
bool DrainUntil(const std::function<bool()>& Done, std::chrono::milliseconds Limit = 20s) {
  const auto End = std::chrono::steady_clock::now() + Limit;
  while (!Done()) {
    if (std::chrono::steady_clock::now() > End) return false;
    DrainMainThreadCalls();
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

std::vector<uint32_t> Pixels(const TImage32& I) {
  std::vector<uint32_t> V;
  for (int32_t k = 0; k < I.Size; ++k) V.push_back(I.Pixels[k].Value);
  return V;
}

// The single-threaded result of the same LUT on the same image.
std::vector<uint32_t> Reference(TTestHost& Host) {
  T3DLut Lut;
  Host.Main.CopyTo(Lut);
  TImage32 Ref;
  Ref.Alloc(Host.Out.Width, Host.Out.Height);
  ProcessImageVBPP(Lut, Host.Work, Ref, false, true);
  std::vector<uint32_t> V = Pixels(Ref);
  return V;
}

TEST(LutRendererWorkers, BandsOfSevenRows) {
  const int32_t Starts[9] = {0, 0, 1, 2, 3, 4, 5, 6, 7};
  for (int32_t i = 0; i <= RowBandCount; ++i) EXPECT_EQ(RowBandStart(7, i), Starts[i]) << i;
}

// The eight workers give the single-threaded ProcessImageVBPP result, at 16
// and 8 bits, for a 7-row image (an empty band) and for large bands.
TEST(LutRendererWorkers, CpuRenderEqualsSingleThreaded) {
  struct TCase {
    int32_t W, H;
    bool Use16Bit;
  };
  for (const TCase& C : {TCase{37, 7, true}, TCase{300, 97, true}, TCase{53, 130, false}}) {
    SCOPED_TRACE(::testing::Message() << C.W << "x" << C.H << " 16-bit " << C.Use16Bit);
    TTestHost Host;
    Host.MakeImages(C.W, C.H, C.Use16Bit);
    Host.MakeLut(17);
    const std::vector<uint32_t> Want = Reference(Host);
    TLutRenderer Renderer(Host, false);
    Renderer.RequestRender();
    ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() == 1 && !Renderer.Busy(); }));
    EXPECT_FALSE(Renderer.LastRenderOnDevice());
    EXPECT_EQ(Pixels(Host.Out), Want);
    EXPECT_EQ(Host.Shown.load(), 1);
    EXPECT_EQ(Host.AnalyzerWindow.load(), 1);
    EXPECT_EQ(Host.Picker.load(), 1);
    EXPECT_EQ(Host.Changed.load(), 1);
  }
}

TEST(LutRendererThread, DisplayModeAppliedAfterRender) {
  TTestHost Host;
  Host.MakeImages(16, 9, true);
  Host.MakeLut(9);
  std::vector<uint32_t> Want = Reference(Host);
  TImage32 Ref;
  Ref.Alloc(16, 9);
  for (int32_t k = 0; k < Ref.Size; ++k) Ref.Pixels[k].Value = Want[k];
  ProcessImage32DisplayMode(Ref, dmLuminance);
  Want = Pixels(Ref);
  Host.Mode = dmLuminance;
  TLutRenderer Renderer(Host, false);
  Renderer.RequestRender();
  ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() == 1 && !Renderer.Busy(); }));
  EXPECT_EQ(Pixels(Host.Out), Want);
}

// Requests that arrive during a render give exactly one more render.
TEST(LutRendererThread, TwoRequestsDuringRenderGiveOneMore) {
  TTestHost Host;
  Host.MakeImages(20, 20, true);
  Host.MakeLut(5);
  std::atomic<bool> Entered{false}, Release{false};
  Host.HoldFirstCopy(Entered, Release);
  TLutRenderer Renderer(Host, false);
  Renderer.RequestRender();
  ASSERT_TRUE(DrainUntil([&] { return Entered.load(); }));
  Renderer.RequestRender();
  Renderer.RequestRender();
  Release = true;
  ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() == 2 && !Renderer.Busy(); }));
  DrainUntil([] { return false; }, 100ms);
  EXPECT_EQ(Renderer.RenderCount(), 2);
  EXPECT_EQ(Host.Shown.load(), 2);
}

// A stop during a render waits for it, skips its refresh and holds new
// requests until the stop is cleared.
TEST(LutRendererThread, StopWaitsSkipsRefreshAndHoldsRequests) {
  TTestHost Host;
  Host.MakeImages(20, 20, true);
  Host.MakeLut(5);
  std::atomic<bool> Entered{false}, Release{false};
  Host.HoldFirstCopy(Entered, Release);
  TLutRenderer Renderer(Host, false);
  Renderer.RequestRender();
  ASSERT_TRUE(DrainUntil([&] { return Entered.load(); }));
  std::thread Releaser([&] {
    std::this_thread::sleep_for(30ms);
    Release = true;
  });
  Renderer.StopAndWait();
  EXPECT_FALSE(Renderer.Busy());
  EXPECT_TRUE(Release.load());
  Releaser.join();
  EXPECT_EQ(Host.Shown.load(), 0);
  Renderer.RequestRender();
  DrainUntil([] { return false; }, 50ms);
  EXPECT_EQ(Renderer.RenderCount(), 0);
  Renderer.ClearStop();
  ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() == 1 && !Renderer.Busy(); }));
  EXPECT_EQ(Host.Shown.load(), 1);
}

TEST(LutRendererThread, NotReadyRendersNothingAndDestroyBeforeRenderEnds) {
  TTestHost Host;
  Host.MakeImages(8, 8, true);
  Host.MakeLut(3);
  const std::vector<uint32_t> Before = Pixels(Host.Out);
  Host.Ready = false;
  {
    TLutRenderer Renderer(Host, false);
    Renderer.RequestRender();
    DrainUntil([] { return false; }, 50ms);
    EXPECT_EQ(Renderer.RenderCount(), 0);
    EXPECT_FALSE(Renderer.Busy());
  }
  EXPECT_EQ(Pixels(Host.Out), Before);
  { TLutRenderer Never(Host, false); }  // never started: workers end without a band
}

// Mended: an empty main LUT, or one that cannot be prepared, painted the
// preview black and counted as a render. The preview stays as it was, nothing
// is shown, and the debug log gets one line.
TEST(LutRendererThread, UnusableLutLeavesThePreviewAsItWas) {
  testing::TTestTempDir Temp{"kromel_renderer_log"};
  testing::TScopedEnv Tmp{"TMPDIR", Temp.Path.string()};
  SetProgramName("RendererLog");
  SetDebugLogEnabled(true);
  const struct {
    const char* Name;
    std::function<void(T3DLut&)> Make;
  } Cases[] = {
      {"never calculated", [](T3DLut&) {}},
      {"freed", [](T3DLut& L) { L.FreeData(); }},
      {"one level", [](T3DLut& L) { L.NLRH = 1; }},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TTestHost Host;
    Host.MakeImages(12, 7, true);
    for (int32_t k = 0; k < Host.Out.Size; ++k) Host.Out.Pixels[k].Value = 0xFF123456u + k;
    const std::vector<uint32_t> Before = Pixels(Host.Out);
    if (std::string(C.Name) != "never calculated") Host.MakeLut(5);
    Host.Main.Write(C.Make);
    std::atomic<int> Copies{0};
    Host.OnCopy = [&] { ++Copies; };
    std::error_code Ignored;
    std::filesystem::remove(DebugLogFileName(), Ignored);
    {
      TLutRenderer Renderer(Host, true);
      Renderer.RequestRender();
      ASSERT_TRUE(DrainUntil([&] { return Copies.load() == 1 && !Renderer.Busy(); }));
      DrainUntil([] { return false; }, 20ms);
      EXPECT_EQ(Renderer.RenderCount(), 0);
    }
    EXPECT_EQ(Pixels(Host.Out), Before);
    EXPECT_EQ(Host.Shown.load(), 0);
    EXPECT_EQ(Host.Analyzed.load(), 0);
    int32_t Lines = 0;
    std::ifstream Log(DebugLogFileName());
    for (std::string L; std::getline(Log, L);)
      if (L.find("no usable main LUT") != std::string::npos) ++Lines;
    EXPECT_EQ(Lines, 1);
  }
  SetDebugLogEnabled(false);
  SetProgramName("");
}

// The device renders a 16-bit image (within one code of the CPU); an 8-bit
// image, which the device does not take, renders on the workers instead of
// leaving the previous preview.
TEST(LutRendererThread, OpenCLFirstThenWorkersFor8Bit) {
  TTestHost Host;
  Host.MakeImages(40, 30, true);
  Host.MakeLut(17);
  TLutRenderer Renderer(Host, true);
  if (Renderer.CLProcessor() == nullptr || !Renderer.CLProcessor()->Usable())
    GTEST_SKIP() << "no OpenCL device";
  Renderer.UseOpenCLOnCPU = true;
  std::vector<uint32_t> Want = Reference(Host);
  Renderer.RequestRender();
  ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() == 1 && !Renderer.Busy(); }));
  EXPECT_TRUE(Renderer.LastRenderOnDevice());
  for (int32_t i = 0; i < Host.Out.Size; ++i)
    for (int Shift : {0, 8, 16, 24})
      ASSERT_LE(std::abs(int((Host.Out.Pixels[i].Value >> Shift) & 255) - int((Want[i] >> Shift) & 255)), 1)
          << i;
  Renderer.StopAndWait();
  Host.MakeImages(40, 30, false);
  Renderer.ClearStop();
  Want = Reference(Host);
  Renderer.RequestRender();
  ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() == 2 && !Renderer.Busy(); }));
  EXPECT_FALSE(Renderer.LastRenderOnDevice());
  EXPECT_EQ(Pixels(Host.Out), Want);
}

// A device that is the processor itself (POCL) loses to the workers: the
// renderer keeps to them unless told otherwise, with the workers' exact result.
TEST(LutRendererThread, CPUDeviceLeftToTheWorkers) {
  TTestHost Host;
  Host.MakeImages(40, 30, true);
  Host.MakeLut(17);
  TLutRenderer Renderer(Host, true);
  if (Renderer.CLProcessor() == nullptr || !Renderer.CLProcessor()->Usable())
    GTEST_SKIP() << "no OpenCL device";
  if (!Renderer.CLProcessor()->DeviceIsCPU()) GTEST_SKIP() << "the device is not the processor";
  const std::vector<uint32_t> Want = Reference(Host);
  Renderer.RequestRender();
  ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() == 1 && !Renderer.Busy(); }));
  EXPECT_FALSE(Renderer.LastRenderOnDevice());
  EXPECT_EQ(Pixels(Host.Out), Want);
}

// Renders, stops, image replacements, LUT writes from a calculator thread
// and destruction mid-render: no hang, no use of freed images (run under the
// sanitizers).
TEST(LutRendererConcurrent, RenderStopResizeStress) {
  TTestHost Host;
  Host.MakeImages(64, 48, true);
  Host.MakeLut(9);
  std::atomic<bool> Quit{false};
  std::thread Calculator([&] {
    for (uint32_t s = 1; !Quit.load(); ++s) {
      Host.MakeLut(s % 2 ? 9 : 5, s);
      std::this_thread::sleep_for(200us);
    }
  });
  {
    TLutRenderer Renderer(Host, false);
    for (int Round = 0; Round < 60; ++Round) {
      Renderer.RequestRender();
      DrainUntil([] { return false; }, std::chrono::milliseconds(Round % 3));
      Renderer.StopAndWait();
      ASSERT_FALSE(Renderer.Busy());
      const bool Use16 = Round % 4 != 3;
      Host.MakeImages(32 + Round % 50, 7 + Round % 40, Use16, Round);
      Renderer.ClearStop();
    }
    Renderer.RequestRender();
    ASSERT_TRUE(DrainUntil([&] { return Renderer.RenderCount() > 0 && !Renderer.Busy(); }));
    Renderer.RequestRender();
  }  // destroyed with a render possibly running
  Quit = true;
  Calculator.join();
}

}  // namespace
}  // namespace kromel
