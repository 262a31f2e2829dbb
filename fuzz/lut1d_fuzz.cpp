// The one-dimensional LUT chunk "1DLB" read from a byte stream until a read
// fails. A refused chunk leaves the LUT and the stream position as they
// were (a foreign tag empties the LUT, position kept); an accepted one gives
// curves of sound size whose Changed flag tells the truth, and writes back
// to a chunk that reads to the very same curves and bytes.
#include <cstring>

#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "lut/lut1d.h"
#include "lut/lut_chunks.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

std::string Curves(const T1DLut& L) {
  std::string S;
  AppendPlane(S, L.R, L.Size);
  AppendPlane(S, L.G, L.Size);
  AppendPlane(S, L.B, L.Size);
  return S;
}

void CheckRoundTrip(const T1DLut& Lut) {
  TMemoryStream Copy;
  FUZZ_CHECK(Lut.SaveToStream(Copy));
  Copy.SetPosition(0);
  T1DLut Back;
  bool Changed = false;
  FUZZ_CHECK(Back.LoadFromStream(Copy, Changed));
  FUZZ_CHECK(Copy.Position() == Copy.Size());
  FUZZ_CHECK(Curves(Back) == Curves(Lut) && Back.Size == Lut.Size && Back.Name == Lut.Name);
  TMemoryStream Again;
  FUZZ_CHECK(Back.SaveToStream(Again));
  FUZZ_CHECK(Again.Bytes() == Copy.Bytes());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  CountReports();
  TMemoryStream Stream(AsText(Data, Size));
  T1DLut Lut;
  int Fired = 0;
  Lut.OnChange = [&Fired](TLut*) { ++Fired; };
  FUZZ_CHECK(Lut.SetSize(5));
  Lut.SetDefault();
  Lut.Name = "before";

  for (int Round = 0; Round < 8; ++Round) {
    const int64_t Start = Stream.Position();
    const std::string Before = Snapshot(Lut);
    const std::string BeforeCurves = Curves(Lut);
    const int32_t OldSize = Lut.Size;
    bool Changed = true;
    Fired = 0;
    Reports() = 0;
    if (!Lut.LoadFromStream(Stream, Changed)) {
      FUZZ_CHECK(!Changed && Fired == 0 && Reports() >= 1);
      FUZZ_CHECK(Stream.Position() == Start);
      if (Stream.Remaining() < 4 || std::memcmp(Data + Start, Lut1DChunkTag, 4) != 0)
        FUZZ_CHECK(Lut.R == nullptr && Lut.Size == 0 && Lut.Count == 0);
      else
        FUZZ_CHECK(Snapshot(Lut) == Before);
      break;
    }
    FUZZ_CHECK(Stream.Position() > Start && Reports() == 0);
    CheckShape(Lut);
    FUZZ_CHECK(Changed == (OldSize != Lut.Size || Curves(Lut) != BeforeCurves));
    FUZZ_CHECK(Fired == (Changed ? 1 : 0));
    FUZZ_CHECK(IsValidUtf8(Lut.Name));
    float R = 0.25f, G = 1.0f, B = 0.0f;
    Lut.ProcessColor1DSingle(R, G, B);
    CheckRoundTrip(Lut);
  }
  return 0;
}
