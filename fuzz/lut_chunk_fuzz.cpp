// The 3D LUT chunks "3DLB" and "3DLA" read from a byte stream until a read
// fails, each chunk by the reader its tag names. A refused chunk leaves the
// LUT and the stream position as they were (except that the full reader
// drops the planes and the embedded preset on a foreign tag); an accepted
// one gives a LUT of sound shape whose Changed flag tells the truth, and
// writes back to a chunk that reads to the very same LUT and bytes.
#include <cstring>
#include <memory>

#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "lut/lut.h"
#include "lut/lut_chunks.h"
#include "lut/lut_lookup.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

bool AllZero(const float* P, int32_t Count) {
  for (int32_t i = 0; i < Count; ++i)
    if (std::memcmp(&P[i], "\0\0\0\0", 4) != 0) return false;
  return true;
}

void CheckRoundTrip(const T3DLut& Lut, bool Single) {
  TMemoryStream Copy;
  FUZZ_CHECK(Single ? WriteLutSingleChannelChunk(Copy, Lut) : WriteLut3DChunk(Copy, Lut, true));
  Copy.SetPosition(0);
  T3DLut Back;
  bool Changed = false;
  FUZZ_CHECK(Single ? ReadLutSingleChannelChunk(Copy, Back, Changed)
                    : ReadLut3DChunk(Copy, Back, Changed));
  FUZZ_CHECK(Copy.Position() == Copy.Size());
  FUZZ_CHECK(Header(Back) == Header(Lut));
  bool ZeroMask = Single && Lut.R != nullptr;
  for (int32_t i = 0; ZeroMask && i < Lut.Count; ++i) ZeroMask = Lut.R[i] == 0.0f;
  if (ZeroMask) {
    // An all-zero mask (-0.0 included) is stored by its kind alone.
    FUZZ_CHECK(AllZero(Back.R, Back.Count) && AllZero(Back.G, Back.Count) &&
               AllZero(Back.B, Back.Count) && AllZero(Back.A, Back.Count));
  } else {
    FUZZ_CHECK(Planes(Back, true) == Planes(Lut, true));
  }
  TMemoryStream Again;
  FUZZ_CHECK(Single ? WriteLutSingleChannelChunk(Again, Back) : WriteLut3DChunk(Again, Back, true));
  FUZZ_CHECK(Again.Bytes() == Copy.Bytes());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  CountReports();
  TMemoryStream Stream(AsText(Data, Size));
  T3DLut Lut;
  int Fired = 0;
  Lut.OnChange = [&Fired](TLut*) { ++Fired; };
  FUZZ_CHECK(Lut.SetLevels(2, 3, 2));
  Lut.SetDefault();
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.A[i] = 0.5f;
  Lut.Name = "before";
  Lut.Preset = std::make_unique<TMemoryStream>("pre");

  for (int Round = 0; Round < 8; ++Round) {
    const int64_t Start = Stream.Position();
    const bool Single =
        Stream.Remaining() >= 4 && std::memcmp(Data + Start, Lut3DSingleChannelTag, 4) == 0;
    const std::string Before = Snapshot(Lut);
    const std::string BeforePlanes = Planes(Lut, false);
    const int32_t NR = Lut.NLRH, NG = Lut.NLGS, NB = Lut.NLBL;
    std::string OldR;
    AppendPlane(OldR, Lut.R, Lut.Count);
    bool Changed = true;
    if (!Single) {
      // The single-channel reader refuses any other tag and changes nothing.
      Reports() = 0;
      FUZZ_CHECK(!ReadLutSingleChannelChunk(Stream, Lut, Changed));
      FUZZ_CHECK(!Changed && Stream.Position() == Start && Snapshot(Lut) == Before);
      FUZZ_CHECK(Reports() == 1);
    }
    Fired = 0;
    Reports() = 0;
    Changed = true;
    const bool Ok = Single ? ReadLutSingleChannelChunk(Stream, Lut, Changed)
                           : ReadLut3DChunk(Stream, Lut, Changed);
    if (!Ok) {
      FUZZ_CHECK(!Changed && Fired == 0 && Reports() >= 1);
      FUZZ_CHECK(Stream.Position() == Start);
      const bool ForeignTag =
          !Single && (Stream.Remaining() < 4 || std::memcmp(Data + Start, Lut3DChunkTag, 4) != 0);
      if (ForeignTag) {
        FUZZ_CHECK(Lut.R == nullptr && !Lut.HasPlanes() && Lut.Count == 0 && !Lut.Preset);
      } else {
        FUZZ_CHECK(Snapshot(Lut) == Before);
      }
      break;
    }
    FUZZ_CHECK(Stream.Position() > Start && Reports() == 0);
    CheckShape(Lut);
    const bool ShapeChanged = NR != Lut.NLRH || NG != Lut.NLGS || NB != Lut.NLBL;
    if (Single) {
      std::string NewR;
      AppendPlane(NewR, Lut.R, Lut.Count);
      FUZZ_CHECK(Changed == (ShapeChanged || NewR != OldR));
      FUZZ_CHECK(Fired == 0 && !Lut.Preset);
      FUZZ_CHECK(Lut.R == nullptr || (AllZero(Lut.G, Lut.Count) && AllZero(Lut.B, Lut.Count)));
    } else {
      FUZZ_CHECK(Changed == (ShapeChanged || Planes(Lut, false) != BeforePlanes));
      FUZZ_CHECK(Fired == (Changed ? 1 : 0));
    }
    FUZZ_CHECK(Lut.R == nullptr || AllZero(Lut.A, Lut.Count));
    FUZZ_CHECK(IsValidUtf8(Lut.Name));
    float R = 0.3f, G = 0.6f, B = 0.9f;
    ProcessColorTetrahedralSingle(Lut, R, G, B);
    CheckRoundTrip(Lut, Single);
  }
  return 0;
}
