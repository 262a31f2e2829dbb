// The camera-profile (DCP/TIFF tag) reader over any file bytes: an accepted
// file holds only full tables, applies them and writes back.
#include "curve_fuzz_support.h"
#include "fileio/dng_camera_profile.h"

using namespace kromel;
using namespace kromel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string File = PutInput("in.dcp", Data, Size);
  TDNGCameraProfile P;
  if (!P.LoadFromFile(File)) return 0;
  for (const TDNGHSVTable* T : {P.HueSatMap1.get(), P.HueSatMap2.get(), P.LookTable.get()}) {
    if (T == nullptr) continue;
    FUZZ_CHECK(T->IsFull());
    FUZZ_CHECK(T->GetCount() * 12 <= int64_t(Size) + T->GetCount() * 12 / T->SatDivisions);
    float R = 0.3f, G = 0.5f, B = 0.7f;
    T->ApplyToRGB(R, G, B, 1);
  }
  if (P.ToneCurve) {
    FUZZ_CHECK(int64_t(P.ToneCurve->GetCount()) * 8 <= int64_t(Size));
    P.ToneCurve->Evaluate(0.5f);
    P.ToneCurve->EvaluateInverse(0.5f);
  }
  FUZZ_CHECK(!P.SaveToBytes().empty());
  return 0;
}
