// The OpenCL processor on the installed ICD loader (POCL in the test
// setup): same result as the CPU path, quiet fallback without a platform,
// reported build failures. Tests that need a device skip without one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/debug_log.h"
#include "lut/lut_apply.h"
#include "lut/lut_opencl.h"
#include "lut/lut_renderer.h"
#include "lut_test_support.h"
#include "platform/main_thread.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using test::Hash01;

// One processor per run: building the kernel takes a while.
TCLLUTProcessor& Device() {
  static TCLLUTProcessor Processor;
  return Processor;
}

struct TImages {
  // AnyAlpha: every 16-bit alpha, not only those whose high byte is their 8-bit value.
  TImages(int32_t W, int32_t H, bool AnyAlpha = false) {
    Src.Init();
    Cpu.Init();
    Gpu.Init();
    Src.Alloc(W, H);
    Cpu.Alloc(W, H);
    Gpu.Alloc(W, H);
    for (int32_t i = 0; i < Src.Size; ++i) {
      auto Word = [&](uint32_t c) { return static_cast<uint16_t>(Hash01(4 * i + c) * 65535.0f); };
      // Opaque, transparent, and alphas whose high byte is their 8-bit value.
      uint16_t A = i % 3 == 0 ? 65535 : static_cast<uint16_t>(257 * (i % 256));
      if (AnyAlpha && i % 3 != 0) A = static_cast<uint16_t>(Hash01(4 * i + 3) * 65535.0f);
      Src.Pixels[i].Init(Word(0), Word(1), Word(2), A);
    }
    for (int32_t i = 0; i < Gpu.Size; ++i) Gpu.Pixels[i].Value = 0x12345678;
  }
  ~TImages() {
    Src.Dispose();
    Cpu.Dispose();
    Gpu.Dispose();
  }
  TImage64 Src;
  TImage32 Cpu, Gpu;
};

void RandomLut(T3DLut& Lut, int32_t N) {
  Lut.SetSize(N);
  for (int32_t k = 0; k < Lut.Count; ++k) {
    Lut.R[k] = Hash01(3 * k);
    Lut.G[k] = Hash01(3 * k + 1);
    Lut.B[k] = Hash01(3 * k + 2);
  }
}

TEST(OpenCL, DeviceMatchesCpuWithinOneCode) {
  if (!Device().Usable()) GTEST_SKIP() << "no OpenCL device";
  for (auto [N, AnyAlpha] : {std::pair{2, false}, {17, false}, {33, false}, {17, true}, {33, true}}) {
    SCOPED_TRACE(::testing::Message() << N << (AnyAlpha ? " any alpha" : ""));
    T3DLut Lut;
    RandomLut(Lut, N);
    TImages I(67, 45, AnyAlpha);
    ProcessImage64To32(Lut, I.Src, I.Cpu, true);
    ASSERT_TRUE(Device().ProcessImage64To32WithLUT(I.Src, I.Gpu, Lut));
    int Worst = 0;
    for (int32_t i = 0; i < I.Src.Size; ++i) {
      const TBGRAPixel32 C = I.Cpu.Pixels[i].BGRA, G = I.Gpu.Pixels[i].BGRA;
      for (auto [a, b] : {std::pair{C.B, G.B}, {C.G, G.G}, {C.R, G.R}})
        Worst = std::max(Worst, std::abs(int(a) - int(b)));
      ASSERT_EQ(C.A, G.A) << "alpha is written as it is, pixel " << i;
    }
    EXPECT_LE(Worst, 1);
  }
}

class OpenCLMessages : public testing::TCaptureTest {};

TEST_F(OpenCLMessages, RefusesWhatItCannotDo) {
  if (!Device().Usable()) GTEST_SKIP() << "no OpenCL device";
  T3DLut Good;
  RandomLut(Good, 5);
  T3DLut Empty;
  TImages I(4, 3);
  TImage64 None;
  EXPECT_FALSE(Device().ProcessImage64To32WithLUT(None, I.Gpu, Good));  // 8-bit sources go to the CPU
  EXPECT_FALSE(Device().ProcessImage64To32WithLUT(I.Src, I.Gpu, Empty));
  TImage32 Small;
  Small.Alloc(3, 3);
  EXPECT_FALSE(Device().ProcessImage64To32WithLUT(I.Src, Small, Good));
  EXPECT_EQ(I.Gpu.Pixels[0].Value, 0x12345678u);
  EXPECT_TRUE(Device().Usable());
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Error in TCLLUTProcessor.ProcessImage32WithLUT - sizes differ"});
}

TEST_F(OpenCLMessages, KernelBuildFailureIsReported) {
  if (!Device().HasDevice()) GTEST_SKIP() << "no OpenCL device";
  TCLLUTProcessor Broken("__kernel void apply_lut( { this is not OpenCL C }");
  EXPECT_FALSE(Broken.Usable());
  EXPECT_LT(Broken.LastError.load(), 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("OpenCL Error -11\n", 0), 0u) << Messages()[0];
  EXPECT_GT(Messages()[0].size(), std::string("OpenCL Error -11\n").size()) << "carries the build log";
}

// Run in a child process whose ICD loader finds no vendor: the processor
// stays quiet, logs one line, and the renderer renders on the CPU.
TEST_F(OpenCLMessages, NoPlatformProbe) {
  if (std::getenv("KROMEL_OPENCL_PROBE") == nullptr) GTEST_SKIP() << "run by NoPlatformFallsBackQuietly";
  SetProgramName("kromel_opencl_probe");
  SetDebugLogEnabled(true);
  {
    TCLLUTProcessor None;
    EXPECT_FALSE(None.Usable());
    EXPECT_FALSE(None.HasDevice());
  }
  EXPECT_TRUE(Silent());
  const std::string Log = testing::ReadText(DebugLogFileName());
  size_t Lines = 0;
  for (size_t p = Log.find("OpenCL"); p != std::string::npos; p = Log.find("OpenCL", p + 1)) ++Lines;
  EXPECT_EQ(Lines, 1u) << Log;
}

TEST(OpenCL, NoPlatformFallsBackQuietly) {
  testing::TTestTempDir Dir("kromel_opencl");
  testing::TScopedEnv Vendors("OCL_ICD_VENDORS", Dir.Path.string() + "/none");
  testing::TScopedEnv Probe("KROMEL_OPENCL_PROBE", "1");
  testing::TScopedEnv Temp("TMPDIR", Dir.Path.string());
  const std::string Out = Dir.File("probe.txt");
  const int Code = testing::RunProgram(
      {"/proc/self/exe", "--gtest_filter=OpenCLMessages.NoPlatformProbe"}, Out);
  EXPECT_EQ(Code, 0) << testing::ReadText(Out);
  EXPECT_NE(testing::ReadText(Out).find("[  PASSED  ] 1 test"), std::string::npos)
      << testing::ReadText(Out);
}

}  // namespace
}  // namespace kromel
