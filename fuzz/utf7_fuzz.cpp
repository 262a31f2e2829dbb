// UTF-7 decoding of the streamed "Strings" texts: the whole-text decoder,
// a round trip through the encoder, and both converters with small target
// buffers so that running out of room is exercised.
#include <string>
#include <vector>

#include "foundation/wide_string_utils.h"
#include "fuzz_support.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  const std::string Text = fuzz::AsText(Data, Size);

  std::string Decoded;
  bool Valid = true;
  try {
    Decoded = UTF7ToWideString(Text);
  } catch (const EUTF7Error&) {
    Valid = false;
  }
  if (Valid) {
    FUZZ_CHECK(fuzz::IsValidUtf8(Decoded));
    const std::string Encoded = WideStringToUTF7(Decoded);
    FUZZ_CHECK(UTF7ToWideString(Encoded) == Decoded);
  }

  // The converters themselves, with a target of (first byte % 16) units.
  const size_t Room = Size > 0 ? Data[0] % 16 : 0;
  {
    std::vector<char16_t> Target(Room);
    const char* Src = Text.data();
    char16_t* Tgt = Target.data();
    ConvertUTF7toUCS2(Src, Text.data() + Text.size(), Tgt, Target.data() + Target.size());
    FUZZ_CHECK(Src >= Text.data() && Src <= Text.data() + Text.size());
    FUZZ_CHECK(Tgt >= Target.data() && Tgt <= Target.data() + Target.size());
  }
  {
    const std::u16string Units = LEBytesToUtf16(Text.data(), Text.size());
    std::vector<char> Target(Room * 3);
    for (int Flags = 0; Flags < 4; ++Flags) {
      const char16_t* Src = Units.data();
      char* Tgt = Target.data();
      ConvertUCS2toUTF7(Src, Units.data() + Units.size(), Tgt, Target.data() + Target.size(),
                        (Flags & 1) != 0, (Flags & 2) != 0);
      FUZZ_CHECK(Src >= Units.data() && Src <= Units.data() + Units.size());
      FUZZ_CHECK(Tgt >= Target.data() && Tgt <= Target.data() + Target.size());
    }
  }
  return 0;
}
