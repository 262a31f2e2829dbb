// The Lightroom template reader over any text: a refused file changes no
// curve; an accepted one leaves whole curves in the model's ranges.
#include "curve_fuzz_support.h"
#include "fileio/curves_lightroom.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TCurveSet Set;
  const std::string File = PutInput("in.lrtemplate", Data, Size);
  Set.CheckLoad(LoadLRTemplateCurves(File, &Set[0], &Set[1], &Set[2], &Set[3]), 4);
  return 0;
}
