// Sampling any profile bytes into a LUT, from a stream and from a file. A
// refused profile leaves the LUT as it was and reports only when asked to;
// an accepted one gives an 81-level cube of values on 0..1 named after the
// file, the same from the file as from the stream.
#include <lcms2.h>

#include <cstdint>
#include <string>

#include "colour/log_gamma.h"
#include "foundation/byte_codecs.h"
#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "lut/lut_icc.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

cmsHPROFILE WorkingProfile() {
  static cmsHPROFILE P = cmsCreate_sRGBProfile();
  FUZZ_CHECK(P != nullptr);
  return P;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const uint64_t H = CRC64OfBuffer(Data, Size);
  const TImageProfile ImageProfile = static_cast<TImageProfile>(H % (ipCustom + 1));
  const bool CaptureOne = ((H >> 8) & 1) != 0;

  T3DLut Lut;
  PrepareCube(Lut);
  const std::string Before = Snapshot(Lut);
  TMemoryStream Stream(AsText(Data, Size));
  CountReports();
  const bool Ok =
      ICCTo3DLUTFromStream(Stream, "stream.icc", Lut, WorkingProfile(), true, ImageProfile,
                           CaptureOne);
  if (!Ok) {
    FUZZ_CHECK(Snapshot(Lut) == Before);
    FUZZ_CHECK(Reports() <= 1);
    // Quietly, from a file: the same answer and no report.
    const std::string File = ScratchFolder() + "in.icc";
    PutFile(File, Data, Size);
    T3DLut Quiet;
    PrepareCube(Quiet);
    CountReports();
    FUZZ_CHECK(!ICCTo3DLUT(File, Quiet, WorkingProfile(), false, ImageProfile, CaptureOne));
    FUZZ_CHECK(Reports() == 0 && Snapshot(Quiet) == Before);
    return 0;
  }
  FUZZ_CHECK(Reports() == 0);
  CheckShape(Lut);
  FUZZ_CHECK(Lut.Size == 81 && !Lut.NonCubic && Lut.Name == "stream.icc");
  for (const float* P : {Lut.R, Lut.G, Lut.B})
    for (int32_t k = 0; k < Lut.Count; ++k) FUZZ_CHECK(P[k] >= 0.0f && P[k] <= 1.0f);
  return 0;
}
