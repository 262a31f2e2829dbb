// The all-units LUT against values stored from the straightforward
// calculation: faster node walks must keep every node within 1e-6.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/engine_test_support.h"
#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "support/all_units_preset.h"

namespace kromel {
namespace {

struct TStoredNode {
  int32_t Index;
  float R, G, B;
};

// Every unit on at its defaults, the mask blending into stage 4.
void AllUnitsOn(TKromelPreset& P) { testing::SwitchEverythingOn(P); }

// The same with grids, curves and the master saturation moved.
void AllUnitsMoved(TKromelPreset& P) {
  AllUnitsOn(P);
  P.ABGrid->Highlights->Grid.Dots[4][4].X += 120;
  P.ABGrid->Highlights->Grid.Dots[4][4].Z = 30;
  P.CLGrid->AL->Grid.Dots[2][2].Y += 60;
  P.RGBCurves->Red->Curve.AddDot(8000, 11000, 100);
  P.ModelCurves->LuminanceCurveEnabled->SetValue(1);
  P.ModelCurves->Luminance->Curve.AddDot(8192, 9000, 100);
  P.Curves2D->RBEnabled->SetValue(1);
  P.Curves2D->RB->Grid.Dots[2][2].X += 40;
  P.Master->Saturation->SetValue(0.7f);
}

// Every 97th node of the 17-level LUTs.
const TStoredNode NeutralNodes[] = {
    {0, 0.0f, 0.0f, 0.0f},
    {97, 0.939445138f, 0.435544908f, 0.00157700421f},
    {194, 0.602405906f, 0.89652288f, 0.0f},
    {291, 0.185211897f, 0.0f, 0.101471715f},
    {388, 0.986387849f, 0.435544908f, 0.101471715f},
    {485, 0.768479764f, 0.89652288f, 0.102245152f},
    {582, 0.351988852f, 0.0f, 0.185211897f},
    {679, 0.999938965f, 0.435544908f, 0.185211897f},
    {776, 0.896487892f, 0.896487892f, 0.185211897f},
    {873, 0.519094884f, 0.0f, 0.268749028f},
    {970, 0.101471715f, 0.518969119f, 0.268749028f},
    {1067, 0.968922794f, 0.89652288f, 0.268749028f},
    {1164, 0.68588984f, 0.0f, 0.352192283f},
    {1261, 0.268749028f, 0.518969119f, 0.352192283f},
    {1358, 0.994832695f, 0.89652288f, 0.352192283f},
    {1455, 0.839619517f, 0.0f, 0.435544908f},
    {1552, 0.435544908f, 0.518969119f, 0.435544908f},
    {1649, 0.0f, 0.939422548f, 0.435544908f},
    {1746, 0.939445138f, 0.00157700421f, 0.518969119f},
    {1843, 0.602301896f, 0.518843293f, 0.518843293f},
    {1940, 0.185211897f, 0.939422548f, 0.518969119f},
    {2037, 0.986400485f, 0.0f, 0.602405906f},
    {2134, 0.768479764f, 0.518969119f, 0.602405906f},
    {2231, 0.352192283f, 0.939422548f, 0.602405906f},
    {2328, 0.999938965f, 0.00315400842f, 0.685801804f},
    {2425, 0.89652288f, 0.518969119f, 0.685801804f},
    {2522, 0.518969119f, 0.939422548f, 0.685801804f},
    {2619, 0.102245152f, 0.102245152f, 0.768835843f},
    {2716, 0.96890974f, 0.518969119f, 0.768408418f},
    {2813, 0.685801804f, 0.939399898f, 0.768408418f},
    {2910, 0.268749028f, 0.102245152f, 0.839619517f},
    {3007, 0.994830132f, 0.518969119f, 0.839619517f},
    {3104, 0.839619517f, 0.939422548f, 0.839619517f},
    {3201, 0.435544908f, 0.102245152f, 0.896557868f},
    {3298, 0.0f, 0.602405906f, 0.89652288f},
    {3395, 0.939422548f, 0.939422548f, 0.89652288f},
    {3492, 0.602301896f, 0.102245152f, 0.939377308f},
    {3589, 0.185211897f, 0.602405906f, 0.939422548f},
    {3686, 0.986387849f, 0.939399898f, 0.939399898f},
    {3783, 0.768408418f, 0.102245152f, 0.968896627f},
    {3880, 0.352192283f, 0.602405906f, 0.968935847f},
    {3977, 0.999938965f, 0.939422548f, 0.968922794f},
    {4074, 0.89652288f, 0.102245152f, 0.986400485f},
    {4171, 0.518969119f, 0.602405906f, 0.986387849f},
    {4268, 0.101471715f, 0.96890974f, 0.986387849f},
    {4365, 0.968922794f, 0.102245152f, 0.994830132f},
    {4462, 0.685801804f, 0.602405906f, 0.994830132f},
    {4559, 0.268749028f, 0.968922794f, 0.994830132f},
    {4656, 0.994830132f, 0.102245152f, 0.999938965f},
    {4753, 0.839619517f, 0.602405906f, 0.999938965f},
    {4850, 0.435388148f, 0.96890974f, 0.999938965f},
};

const TStoredNode MovedNodes[] = {
    {0, 0.0f, 0.0f, 0.0f},
    {97, 0.425476313f, 0.229943007f, 0.0f},
    {194, 0.267361283f, 0.647453547f, 0.00946289022f},
    {291, 0.0386401378f, 0.0f, 0.0283886716f},
    {388, 0.609264731f, 0.234421343f, 0.000788574223f},
    {485, 0.396769136f, 0.664424419f, 0.0731370449f},
    {582, 0.0895995647f, 0.0f, 0.077645801f},
    {679, 0.815183222f, 0.241200805f, 0.0f},
    {776, 0.567050219f, 0.686509073f, 0.129665524f},
    {873, 0.146164715f, 0.0f, 0.126865894f},
    {970, 0.0f, 0.250524759f, 0.110790521f},
    {1067, 0.763553083f, 0.713091135f, 0.196960181f},
    {1164, 0.201095954f, 0.0f, 0.16984728f},
    {1261, 0.0516862981f, 0.251738131f, 0.16365388f},
    {1358, 0.911106944f, 0.743300736f, 0.271417111f},
    {1455, 0.276491493f, 0.0f, 0.224848628f},
    {1552, 0.161698058f, 0.292753637f, 0.276491493f},
    {1649, 0.0f, 0.734673202f, 0.304405868f},
    {1746, 0.387034953f, 0.0f, 0.276491493f},
    {1843, 0.270722866f, 0.323443919f, 0.379044503f},
    {1940, 0.061055731f, 0.73860383f, 0.373127192f},
    {2037, 0.545271337f, 0.0f, 0.333838344f},
    {2134, 0.266371548f, 0.272385567f, 0.359649241f},
    {2231, 0.151787803f, 0.745674253f, 0.441173583f},
    {2328, 0.747644663f, 0.0f, 0.414071113f},
    {2425, 0.394119442f, 0.282916695f, 0.425476313f},
    {2522, 0.256081313f, 0.756506443f, 0.511065245f},
    {2619, 0.0f, 0.0228686519f, 0.404418856f},
    {2716, 0.566093624f, 0.297777951f, 0.477411032f},
    {2813, 0.385124803f, 0.771460593f, 0.586681962f},
    {2910, 0.0291772466f, 0.0189257804f, 0.445467472f},
    {3007, 0.767672181f, 0.321747899f, 0.558709085f},
    {3104, 0.666483819f, 0.829286993f, 0.739721835f},
    {3201, 0.0925903097f, 0.015771484f, 0.482617259f},
    {3298, 0.0f, 0.318323433f, 0.514450729f},
    {3395, 0.920451641f, 0.85391587f, 0.902617872f},
    {3492, 0.159966201f, 0.0118286135f, 0.529501677f},
    {3589, 0.0f, 0.3225407f, 0.572469592f},
    {3686, 0.967648983f, 0.840691566f, 0.873871207f},
    {3783, 0.243727118f, 0.007885742f, 0.591127217f},
    {3880, 0.0549341664f, 0.329132289f, 0.63326627f},
    {3977, 1.0f, 0.7908898f, 0.906570077f},
    {4074, 0.357259303f, 0.00473144511f, 0.667396486f},
    {4171, 0.146437481f, 0.338785976f, 0.701547503f},
    {4268, 0.0913190395f, 0.860362709f, 0.902771473f},
    {4365, 0.515974581f, 0.0f, 0.759366155f},
    {4462, 0.253395647f, 0.344902873f, 0.801003575f},
    {4559, 0.151787803f, 0.866487205f, 0.940522611f},
    {4656, 0.731848717f, 0.0f, 0.858198941f},
    {4753, 0.490127772f, 0.0942618549f, 0.945279241f},
    {4850, 0.114664137f, 0.880951941f, 0.976147354f},
};

// The largest difference from the stored nodes, relative to the value or 1.
template <size_t N>
double LargestDifference(const T3DLut& Lut, const TStoredNode (&Stored)[N]) {
  double Worst = 0;
  for (const TStoredNode& S : Stored) {
    const float Got[3] = {Lut.R[S.Index], Lut.G[S.Index], Lut.B[S.Index]};
    const float Want[3] = {S.R, S.G, S.B};
    for (int Ch = 0; Ch < 3; ++Ch) {
      const double D = std::fabs(double(Got[Ch]) - Want[Ch]) /
                       std::max(1.0, std::fabs(double(Want[Ch])));
      Worst = std::isnan(D) ? 1e30 : std::max(Worst, D);
    }
  }
  return Worst;
}

using LutReferenceTest = testing::EngineTest;

TEST_F(LutReferenceTest, FullAndIncrementalRunsKeepTheStoredNodes) {
  struct TCase {
    const char* Name;
    void (*Setup)(TKromelPreset&);
    bool Moved;
  };
  for (const TCase& C : {TCase{"defaults", AllUnitsOn, false}, TCase{"moved", AllUnitsMoved, true}}) {
    SCOPED_TRACE(C.Name);
    TKromelPreset Preset;
    C.Setup(Preset);
    TLutPipeline Pipeline(Preset);
    Pipeline.SetLutSize(17);
    ASSERT_TRUE(Pipeline.CalcLut());
    ASSERT_EQ(Pipeline.MainLut.Count, 17 * 17 * 17);
    auto Check = [&] {
      return C.Moved ? LargestDifference(Pipeline.MainLut, MovedNodes)
                     : LargestDifference(Pipeline.MainLut, NeutralNodes);
    };
    EXPECT_LE(Check(), 1e-6) << "full run";
    Pipeline.InvalidateLutStages(3);
    ASSERT_TRUE(Pipeline.CalcLut());
    EXPECT_LE(Check(), 1e-6) << "from stage 3";
  }
}

}  // namespace
}  // namespace kromel
