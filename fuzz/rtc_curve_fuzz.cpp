// The RawTherapee curve reader over any text: a refused file leaves the
// curve; an accepted one replaces it by whole dots in the model's ranges.
#include "curve_fuzz_support.h"
#include "fileio/curves_rawtherapee.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TCurveSet Set;
  Set.CheckLoad(LoadRTCCurve(PutInput("in.rtc", Data, Size), Set[0]), 1);
  return 0;
}
