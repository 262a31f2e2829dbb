// The JSON member readers, the value readers they are built on and the
// JSON unescaper. Input: the member name or key on the first line, the text
// after it.
#include <stdexcept>
#include <string>

#include "foundation/text_scan.h"
#include "fuzz_support.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  const auto [Key, Text] = fuzz::SplitFirstLine(Data, Size);

  const std::string S = JSONGetString(Text, Key);
  const std::string V = JSONGetValue(Text, Key);
  FUZZ_CHECK(S.size() <= Text.size() && V.size() <= Text.size());
  for (const std::string& Raw : {S, V, Text}) {
    try {
      FUZZ_CHECK(fuzz::IsValidUtf8(JSONUnescape(Raw)));
    } catch (const std::invalid_argument&) {
      FUZZ_CHECK(!Raw.empty() && Raw.back() == '\\');
    }
  }

  // The value readers, each bounded by the text it reads.
  for (const std::string& R :
       {GetValueAfter(Text, Key), GetPhraseAfter(Text, Key), GetQuotedValueAfter(Text, Key),
        GetJSONStringAfter(Text, Key), GetNumberAfter(Text, Key), GetLineAfter(Text, Key),
        GetLineAfterW(Text, Key), GetValueAfterCI(Text, Key), GetAttributeValueAfter(Text, Key)})
    FUZZ_CHECK(R.size() <= Text.size());
  GetFloatAfter(Text, Key);
  GetWordN(Text, int32_t(Key.size() % 8));
  return 0;
}
