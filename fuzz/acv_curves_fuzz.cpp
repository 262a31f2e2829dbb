// The Photoshop curves reader over any file bytes: a refused file changes
// no curve; an accepted one gives whole curves, which write back and read
// again to the same dots.
#include "curve_fuzz_support.h"
#include "fileio/curves_acv.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string File = PutInput("in.acv", Data, Size);
  TCurveSet Set;
  // A null curve consumes none of the file.
  const bool Ok = LoadACVCurves(File, &Set[0], &Set[1], (Size & 1) ? nullptr : &Set[2], &Set[3]);
  Set.CheckLoad(Ok, 4);
  if (!Ok) return 0;
  for (size_t K = 0; K < 4; ++K)
    if (Set[K].NumDots > ACVMaxSavePoints) return 0;
  // Dots read from a file write back to the same bytes and read again the same.
  const std::string Out = ScratchFolder() + "out.acv";
  FUZZ_CHECK(SaveACVCurves(Out, &Set[0], &Set[1], &Set[2], &Set[3]));
  TCurveSet Back;
  FUZZ_CHECK(LoadACVCurves(Out, &Back[0], &Back[1], &Back[2], &Back[3]));
  for (size_t K = 0; K < 4; ++K)
    if (Set.Changed(K)) FUZZ_CHECK(DotsText(Back[K]) == DotsText(Set[K]));
  return 0;
}
