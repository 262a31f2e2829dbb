// The one-dimensional CUBE reader over any file text. A refused file leaves
// the LUT as it was; an accepted one gives curves of the stated size, named
// after the file, which written out again as plain CUBE text (every value
// in its shortest exact form) read back to the very same values.
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "lut/lut1d.h"
#include "lut_fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

// A sign first, so that no value ("nan", "inf") reads as a keyword.
void AppendValue(std::string& S, float V) {
  char Buffer[64];
  const auto Res = std::to_chars(Buffer, Buffer + sizeof(Buffer), V);
  FUZZ_CHECK(Res.ec == std::errc());
  if (!std::signbit(V)) S += '+';
  S.append(Buffer, Res.ptr);
}

bool Same(float A, float B) {
  if (std::isnan(A) || std::isnan(B)) return std::isnan(A) && std::isnan(B);
  return std::memcmp(&A, &B, sizeof A) == 0;
}

void CheckRoundTrip(const T1DLut& Lut) {
  std::string Text = "LUT_1D_SIZE " + std::to_string(Lut.Size) + "\n";
  for (int32_t i = 0; i < Lut.Size; ++i) {
    AppendValue(Text, Lut.R[i]);
    Text += ' ';
    AppendValue(Text, Lut.G[i]);
    Text += '\t';
    AppendValue(Text, Lut.B[i]);
    Text += '\n';
  }
  const std::string File = ScratchFolder() + "out.cube";
  PutFile(File, reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
  T1DLut Back;
  FUZZ_CHECK(Back.LoadFromCube(File, true));
  FUZZ_CHECK(Back.Size == Lut.Size && Back.Name == File);
  for (int32_t i = 0; i < Lut.Size; ++i)
    FUZZ_CHECK(Same(Back.R[i], Lut.R[i]) && Same(Back.G[i], Lut.G[i]) && Same(Back.B[i], Lut.B[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  CountReports();
  const std::string File = ScratchFolder() + "in.cube";
  PutFile(File, Data, Size);
  T1DLut Lut;
  FUZZ_CHECK(Lut.SetSize(4));
  Lut.SetDefault();
  Lut.Name = "before";
  const std::string Before = Snapshot(Lut);
  if (!Lut.LoadFromCube(File, true)) {
    FUZZ_CHECK(Snapshot(Lut) == Before && Reports() >= 1);
    return 0;
  }
  FUZZ_CHECK(Reports() == 0);
  CheckShape(Lut);
  FUZZ_CHECK(Lut.R != nullptr && Lut.Name == File);
  float R = 0.5f, G = 0.0f, B = 1.0f;
  Lut.ProcessColor1DSingle(R, G, B);
  CheckRoundTrip(Lut);
  return 0;
}
