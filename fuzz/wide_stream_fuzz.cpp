// The stream form of a wide string (a count of UTF-16 units, then the
// units) read over and over from a memory stream until it runs dry.
#include <string>

#include "foundation/byte_stream.h"
#include "foundation/text_tokens.h"
#include "fuzz_support.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  TMemoryStream Stream(fuzz::AsText(Data, Size));
  for (;;) {
    const int64_t Before = Stream.Position();
    std::string S = "unchanged";
    try {
      ReadWideStringFromStream(S, Stream);
    } catch (const EStreamError&) {
      // Fewer than 4 bytes left: nothing read, nothing changed.
      FUZZ_CHECK(Stream.Remaining() < 4 && Stream.Position() == Before && S == "unchanged");
      break;
    }
    const int64_t Read = Stream.Position() - Before;
    FUZZ_CHECK(fuzz::IsValidUtf8(S));
    if (Read == 4) {
      FUZZ_CHECK(S.empty());
    } else {
      // Each unit stays one unit: pairs stay pairs, lone halves become U+FFFD.
      FUZZ_CHECK(Read > 4 && int64_t(Utf8ToUtf16(S).size()) * 2 == Read - 4);
    }
  }
  return 0;
}
