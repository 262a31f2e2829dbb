// A few curves against OpenColorIO's built-in transforms, baked by
// ociobakelut from a small config written here. Skipped when the tool is
// not installed.
#include <gtest/gtest.h>

#include <memory>

#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "colour/log_gamma.h"
#include "platform/process_runner.h"

namespace kromel {
namespace {

const char* const Config = R"(ocio_profile_version: 2
roles:
  default: lin
  scene_linear: lin
file_rules:
  - !<Rule> {name: Default, colorspace: default}
displays:
  d:
    - !<View> {name: v, colorspace: lin}
colorspaces:
  - !<ColorSpace>
    name: lin
  - !<ColorSpace>
    name: pq
    from_scene_reference: !<GroupTransform>
      children:
        - !<MatrixTransform> {matrix: [100, 0, 0, 0, 0, 100, 0, 0, 0, 0, 100, 0, 0, 0, 0, 1]}
        - !<BuiltinTransform> {style: "CURVE - LINEAR_to_ST-2084"}
  - !<ColorSpace>
    name: acescct
    to_scene_reference: !<BuiltinTransform> {style: "CURVE - ACEScct-LOG_to_LINEAR"}
)";

constexpr int CubeSize = 51;  // inputs i/50: 0.18 is node 9

class OCIOCompare : public ::testing::Test {
 protected:
  void SetUp() override {
    Temp = std::make_unique<kromel::testing::TTestTempDir>("kromel_ocio_compare");
    Dir = Temp->Path;
    std::ofstream(Dir / "config.ocio") << Config;
  }
  void TearDown() override { Temp.reset(); }

  // The red output of the nodes (i, 0, 0) of the baked cube, red fastest.
  std::vector<double> BakeRedAxis(const std::string& From, const std::string& To) {
    const auto Out = Dir / (From + "_" + To + ".cube");
    std::string Error;
    const pid_t Pid = StartProcess(
        "ociobakelut",
        {"--iconfig", (Dir / "config.ocio").string(), "--inputspace", From, "--outputspace", To,
         "--format", "iridas_cube", "--cubesize", std::to_string(CubeSize), Out.string()},
        {}, &Error);
    if (Pid < 0 || WaitForProcess(Pid) != 0) return {};
    std::ifstream F(Out);
    std::vector<double> Red;
    for (std::string Line; std::getline(F, Line) && static_cast<int>(Red.size()) < CubeSize;) {
      std::istringstream S(Line);
      double R, G, B;
      if (S >> R >> G >> B) Red.push_back(R);
    }
    return Red;
  }

  std::unique_ptr<kromel::testing::TTestTempDir> Temp;
  std::filesystem::path Dir;
};

TEST_F(OCIOCompare, PQAndACEScct) {
  const std::vector<double> PQ = BakeRedAxis("lin", "pq");
  if (PQ.size() != CubeSize) GTEST_SKIP() << "ociobakelut not available";
  const std::vector<double> Cct = BakeRedAxis("lin", "acescct");
  const std::vector<double> CctDecode = BakeRedAxis("acescct", "lin");
  ASSERT_EQ(Cct.size(), static_cast<std::size_t>(CubeSize));
  ASSERT_EQ(CctDecode.size(), static_cast<std::size_t>(CubeSize));
  for (int I : {1, 5, 9, 25, 40, 50}) {
    const float X = static_cast<float>(I / 50.0);
    SCOPED_TRACE(X);
    // Our PQ uses its constants rounded to four decimals, and 1.0 as the peak.
    EXPECT_NEAR(LinearToGammaPQ(X), PQ[I], 2e-4);
    EXPECT_NEAR(LinearToACEScct(X), Cct[I], 1e-5);
    EXPECT_NEAR(ACEScctToLinear(X), CctDecode[I], 1e-5 * std::max(1.0, CctDecode[I]));
  }
  EXPECT_NEAR(PQ[9], 0.8159, 1e-4);
  EXPECT_NEAR(Cct[9], 0.4136, 1e-4);
}

}  // namespace
}  // namespace kromel
