// The XML camera-profile reader over any text: an accepted file holds every
// correction of its divisions, which then apply to a colour.
#include "curve_fuzz_support.h"
#include "fileio/dng_color_profile.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string File = PutInput("in.xml", Data, Size);
  TDNGColorProfile P;
  if (!P.LoadFromXML(File)) return 0;
  FUZZ_CHECK(P.HueDivisions > 0 && P.SatDivisions > 0 && P.ValDivisions > 0);
  FUZZ_CHECK(P.Corrections.size() == size_t(int64_t(P.HueDivisions) * P.SatDivisions * P.ValDivisions));
  float H = 200, S = 0.5f, V = 0.5f;
  P.ApplyToHSV(H, S, V);
  return 0;
}
