// The UU/Base64 line codec of the "#64BLOB" lines: every mode on the whole
// input and on each of its lines, the line list into a stream, and the
// round trips of the encoders through the decoders.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/byte_codecs.h"
#include "foundation/byte_stream.h"
#include "fuzz_support.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  const std::string Text = fuzz::AsText(Data, Size);

  std::vector<std::string> Lines;
  std::istringstream In(Text);
  for (std::string Line; std::getline(In, Line);) Lines.push_back(Line);
  for (int32_t Mode = -1; Mode <= 3; ++Mode) {
    const std::string Whole = DecodeTextLine(Mode, Text);
    if (Mode < 0 || Mode > 2) FUZZ_CHECK(Whole.empty());
    if (Mode == 0) FUZZ_CHECK(Whole.size() <= 45);
    if (Mode > 0) FUZZ_CHECK(Whole.size() <= Text.size() * 3 / 4);
    for (const std::string& Line : Lines) DecodeTextLine(Mode, Line);
  }
  std::unique_ptr<TMemoryStream> Decoded = DecodeLinesToStream(&Lines);
  FUZZ_CHECK(Decoded != nullptr && Decoded->Position() == Decoded->Size());

  // The input as data: Base64 lines and back, and UU lines of up to 45
  // bytes (the longest a UU length character may declare).
  TMemoryStream Source(Text);
  const std::vector<std::string> Encoded = EncodeStreamToLines(Source);
  std::unique_ptr<TMemoryStream> Back = DecodeLinesToStream(&Encoded);
  FUZZ_CHECK(Back != nullptr && Back->Bytes() == Text);
  for (size_t I = 0; I < Text.size(); I += 45) {
    const std::string Part = Text.substr(I, 45);
    const std::string Line = EncodeBufferText(0, Part.data(), int32_t(Part.size()));
    FUZZ_CHECK(DecodeTextLine(0, Line) == Part);
  }
  return 0;
}
