// Seeds for the colour_chart fuzz target, written by our own chart writer:
// fuzz_make_chart_corpus <repo>/fuzz/corpus
#include <filesystem>

#include "matching/colour_chart.h"
#include "seed_writer.h"

using namespace kromel;

namespace {

const char* const Target = "colour_chart";

void ChartSeeds() {
  TColorChartTable T;
  T.Init();
  SetStartupColorChart(T);
  fuzz::Put(Target, "startup.cie", T.ColorChartText("start-up chart"));
  T.Transpose();
  T.Patches[3].Empty = true;
  fuzz::Put(Target, "transposed.cie", T.ColorChartText("4 x 6"));
  TColorCheckerPixelArray P(27 * 2, TColorCheckerPixel128{});
  for (size_t I = 0; I < P.size(); ++I) {
    P[I].LabL = 5 + float(I);
    P[I].LabA = float(I % 7) - 3;
  }
  T.SetPatches(P.data(), int32_t(P.size()), 27, 2);  // two-letter column names
  fuzz::Put(Target, "wide.cie", T.ColorChartText("27 columns"));
}

}  // namespace

int main(int argc, char** argv) { return fuzz::WriteSeeds(argc, argv, {ChartSeeds}); }
