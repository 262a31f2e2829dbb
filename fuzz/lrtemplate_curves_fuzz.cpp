// The Lightroom template reader over any text: a refused file changes no
// curve; an accepted one leaves whole curves in the model's ranges.
#include "curve_fuzz_support.h"
#include "fileio/curves_lightroom.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  const std::string File = ScratchFolder() + "in.lrtemplate";
  PutFile(File, Data, Size);
  TCurveSet Set;
  std::string Before[4];
  for (size_t K = 0; K < 4; ++K) Before[K] = DotsText(Set[K]);
  const bool Ok = LoadLRTemplateCurves(File, &Set[0], &Set[1], &Set[2], &Set[3]);
  for (size_t K = 0; K < 4; ++K) {
    if (!Ok) FUZZ_CHECK(DotsText(Set[K]) == Before[K]);
    else CheckCurve(Set[K]);
  }
  return 0;
}
