// The Capture One preset reader over any text: each curve either keeps its
// dots or is whole and in the model's ranges (the fifth allows negative
// values).
#include "curve_fuzz_support.h"
#include "fileio/curves_capture_one.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TCurveSet Set;
  FUZZ_CHECK(LoadCaptureOneCurves(PutInput("in.copreset", Data, Size), &Set[0], &Set[1], &Set[2],
                                  &Set[3], &Set[4]));
  for (size_t K = 0; K < 5; ++K)
    if (Set.Changed(K)) CheckCurve(Set[K]);
  return 0;
}
