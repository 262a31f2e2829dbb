// The sample chunks "SAMP" (Singles) and "SAM2" (16-bit) read from a file
// and from a byte stream until a read fails. A chunk read must write back
// to the same length (and, for "SAMP", the very bytes); the failed read
// leaves the buffer and the position as they were.
#include <stdio.h>
#include <sys/types.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "images/sample.h"

using namespace kromel;

namespace {

void CheckRewrite(TSample32& S, const uint8_t* Chunk, size_t Length) {
  const bool Is16 = std::memcmp(Chunk, "SAM2", 4) == 0;
  char* Out = nullptr;
  size_t OutSize = 0;
  std::FILE* W = open_memstream(&Out, &OutSize);
  FUZZ_CHECK(W != nullptr);
  FUZZ_CHECK(Is16 ? S.WriteToFile16(W) : S.WriteToFile(W));
  std::fclose(W);
  FUZZ_CHECK(OutSize == Length);
  FUZZ_CHECK(std::memcmp(Out, Chunk, Is16 ? 16 : Length) == 0);
  std::free(Out);
}

struct TKept {
  float* Data;
  int64_t Count;
  int32_t SampleRate;
  explicit TKept(const TSample32& S) : Data(S.Data), Count(S.Count), SampleRate(S.SampleRate) {}
  bool Same(const TSample32& S) const {
    return S.Data == Data && S.Count == Count && S.SampleRate == SampleRate;
  }
};

TSample32 Marked() {
  TSample32 S;
  S.Init();
  S.Alloc(1);
  S.Data[0] = 0.5f;
  S.SampleRate = 44100;
  return S;
}

void FromFile(const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> Copy(Data, Data + Size);
  Copy.push_back(0);  // never empty; fmemopen sees only Size bytes
  std::FILE* F = fmemopen(Copy.data(), Size, "rb");
  FUZZ_CHECK(F != nullptr);
  TSample32 S = Marked();
  for (;;) {
    const off_t Before = ftello(F);
    const TKept Old(S);
    if (!S.ReadFromFile(F)) {
      FUZZ_CHECK(ftello(F) == Before && Old.Same(S));
      break;
    }
    const off_t After = ftello(F);
    FUZZ_CHECK(After > Before && After <= off_t(Size));
    FUZZ_CHECK((S.Data != nullptr) == (S.Count > 0));
    CheckRewrite(S, Data + Before, size_t(After - Before));
  }
  S.Dispose();
  std::fclose(F);
}

void FromStream(const uint8_t* Data, size_t Size) {
  TMemoryStream Stream(fuzz::AsText(Data, Size));
  TSample32 S = Marked();
  for (;;) {
    const int64_t Before = Stream.Position();
    const TKept Old(S);
    if (!S.LoadFromStream(Stream)) {
      FUZZ_CHECK(Stream.Position() == Before && Old.Same(S));
      break;
    }
    const int64_t After = Stream.Position();
    FUZZ_CHECK(After > Before && After <= int64_t(Size));
    CheckRewrite(S, Data + Before, size_t(After - Before));
  }
  S.Dispose();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  FromFile(Data, Size);
  FromStream(Data, Size);
  return 0;
}
