// The CGATS chart reader over arbitrary text. A load that answers True must
// leave a table whose grid fits its patches; one that answers False must
// leave the table as it was.
#include <cstdint>

#include "fuzz_support.h"
#include "matching/colour_chart.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  TColorChartTable T;
  T.Init();
  SetStartupColorChart(T);
  if (T.LoadColorChartFromText(fuzz::AsText(Data, Size), "fuzz.cie")) {
    FUZZ_CHECK(T.GridIsComplete());
    FUZZ_CHECK(size_t(T.Count) == T.Patches.size());
    // What was read can be written and read back.
    const std::string Text = T.ColorChartText("fuzz");
    TColorChartTable Back;
    Back.Init();
    Back.LoadColorChartFromText(Text, "back.cie");
  } else {
    FUZZ_CHECK(T.Count == 24 && T.Columns == 6 && T.Rows == 4);
  }
  return 0;
}
