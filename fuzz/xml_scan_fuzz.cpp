// The XML path walker and the element cut-outs. Input: the path on the
// first line (".root.child" or ".root.child:attr"), the XML after it.
#include <string>

#include "foundation/text_scan.h"
#include "fuzz_support.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  const auto [Path, XML] = fuzz::SplitFirstLine(Data, Size);

  for (int32_t N = 0; N < 3; ++N) XMLGetElementValue(XML, Path, N);
  const int32_t Count = XMLGetElementCount(XML, Path);
  FUZZ_CHECK(Count >= 0);

  // Walking on from where the last match ended, as callers of lists do.
  int32_t Position = 0;
  for (int32_t Round = 0; Round < 64; ++Round) {
    int32_t Matches = 0;
    const int32_t Before = Position;
    const std::string V = XMLGetElementValueR(XML, Path, 0, Matches, Position, "");
    FUZZ_CHECK(Position >= 0 && size_t(Position) <= XML.size() + 1);
    if (V.empty() || Position <= Before) break;
  }

  // Element cut-outs by the path's last name.
  const size_t Dot = Path.find_last_of(".:");
  const std::string Tag = Dot == std::string::npos ? Path : Path.substr(Dot + 1);
  const std::string Element = XMLGetElement(XML, Tag);
  FUZZ_CHECK(Element.empty() || XML.find(Element) != std::string::npos);
  for (int32_t N = 0; N < 3; ++N) {
    const std::string E = XMLGetElementN(XML, Tag, N);
    FUZZ_CHECK(E.empty() || XML.find(E) != std::string::npos);
  }
  FUZZ_CHECK(XMLRemoveElement(XML, Tag).size() <= XML.size());
  const std::string Header = XMLGetHeader(XML);
  FUZZ_CHECK(Header.size() <= XML.size());
  XMLGetAttributeValue(XML, Tag);
  return 0;
}
