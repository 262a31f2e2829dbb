// The JSON tone-curve reader over any text: each curve either keeps its
// dots (and the load is refused) or holds the 65 dots of a read array.
#include "curve_fuzz_support.h"
#include "fileio/curves_json.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TCurveSet Set;
  const bool Ok = LoadJSONCurves(PutInput("in.json", Data, Size), Set[0], Set[1], Set[2]);
  for (size_t K = 0; K < 3; ++K) {
    if (!Set.Changed(K)) {
      FUZZ_CHECK(!Ok);
      continue;
    }
    CheckCurve(Set[K]);
    FUZZ_CHECK(Set[K].NumDots == 65);
  }
  return 0;
}
