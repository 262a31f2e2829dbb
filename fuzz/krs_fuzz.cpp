// The "KRBl" stream file (.krs) read from a byte stream and, the same bytes,
// from a file. Both readers agree; a refused stream leaves the LUT and the
// stream position as they were; an accepted one gives a LUT of sound shape
// whose values are the file's codes, and writes back (in the same depth) to
// a file with the very same node bytes that reads to the same LUT.
#include <cstring>
#include <string>

#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "lut/lut.h"
#include "lut/lut_chunks.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

void Prepare(T3DLut& Lut) {
  FUZZ_CHECK(Lut.SetLevels(3, 2, 2));
  Lut.SetDefault();
  Lut.Name = "before";
}

int32_t I32At(const uint8_t* P) {
  return static_cast<int32_t>(uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 |
                              uint32_t(P[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  CountReports();
  // Read behind a few bytes of something else, as a stream at a position.
  const std::string Lead = "abc";
  TMemoryStream Stream(Lead + AsText(Data, Size));
  Stream.SetPosition(int64_t(Lead.size()));
  T3DLut Lut;
  Prepare(Lut);
  const std::string Before = Snapshot(Lut);
  const bool Ok = ReadKrsStream(Stream, Lut);
  // Only a newer version is reported.
  const bool Newer = !Ok && Size >= 8 && std::memcmp(Data, KrsMagic, 4) == 0 && I32At(Data + 4) >= 2;
  FUZZ_CHECK(Reports() == (Newer ? 1 : 0));

  // The file reader gives the same answer and the same LUT.
  const std::string File = ScratchFolder() + "in.krs";
  PutFile(File, Data, Size);
  T3DLut FromFile;
  Prepare(FromFile);
  FUZZ_CHECK(ReadKrsFile(File, FromFile) == Ok);
  FUZZ_CHECK(Reports() == (Newer ? 2 : 0));
  FUZZ_CHECK(Snapshot(FromFile) == Snapshot(Lut));

  if (!Ok) {
    FUZZ_CHECK(Stream.Position() == int64_t(Lead.size()));
    FUZZ_CHECK(Snapshot(Lut) == Before);
    return 0;
  }
  CheckShape(Lut);
  FUZZ_CHECK(Lut.R != nullptr);
  FUZZ_CHECK(Size >= size_t(KrsHeaderBytes));
  const bool Sixteen = (I32At(Data + 8) & 1) != 0;
  const int Width = Sixteen ? 2 : 1;
  const int64_t NodeBytes = int64_t(Lut.Count) * 3 * Width;
  FUZZ_CHECK(Stream.Position() == int64_t(Lead.size()) + KrsHeaderBytes + NodeBytes);
  FUZZ_CHECK(Lut.NLRH == I32At(Data + 12) && Lut.NLGS == I32At(Data + 16) &&
             Lut.NLBL == I32At(Data + 20));
  FUZZ_CHECK(IsValidUtf8(Lut.Name));
  for (const float* P : {Lut.R, Lut.G, Lut.B})
    for (int32_t i = 0; i < Lut.Count; ++i) FUZZ_CHECK(P[i] >= 0.0f && P[i] <= 1.0f);
  FUZZ_CHECK(Lut.A[0] == 0.0f && Lut.A[Lut.Count - 1] == 0.0f);

  const std::string Out = ScratchFolder() + "out.krs";
  FUZZ_CHECK(WriteKrsFile(Out, Lut, Lut.Name, !Sixteen));
  const std::string Written = GetFile(Out);
  FUZZ_CHECK(int64_t(Written.size()) == KrsHeaderBytes + NodeBytes);
  FUZZ_CHECK(std::memcmp(Written.data() + KrsHeaderBytes, Data + KrsHeaderBytes,
                         static_cast<std::size_t>(NodeBytes)) == 0);
  T3DLut Back;
  FUZZ_CHECK(ReadKrsFile(Out, Back));
  FUZZ_CHECK(Planes(Back, true) == Planes(Lut, true));
  FUZZ_CHECK(Back.NLRH == Lut.NLRH && Back.NLGS == Lut.NLGS && Back.NLBL == Lut.NLBL &&
             Back.Size == Lut.Size);
  if (Lut.Name.size() <= std::size_t(KrsMaxNameBytes))
    FUZZ_CHECK(Back.Name == Lut.Name);
  else
    FUZZ_CHECK(Back.Name.size() <= std::size_t(KrsMaxNameBytes) &&
               Lut.Name.compare(0, Back.Name.size(), Back.Name) == 0);
  return 0;
}
