// The RawTherapee curve reader over any text: a refused file leaves the
// curve; an accepted one replaces it by whole dots in the model's ranges.
#include "curve_fuzz_support.h"
#include "fileio/curves_rawtherapee.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  const std::string File = ScratchFolder() + "in.rtc";
  PutFile(File, Data, Size);
  TCurveSet Set;
  const std::string Before = DotsText(Set[0]);
  if (LoadRTCCurve(File, Set[0])) CheckCurve(Set[0]);
  else FUZZ_CHECK(DotsText(Set[0]) == Before);
  return 0;
}
