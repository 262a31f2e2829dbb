// UTF-7 (RFC 2152) for the streamed "Strings" property, byte-order marks on
// streams, UTF-16 byte swapping and a code-unit substring search.
#pragma once
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>

namespace kromel {

class EUTF7Error : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// UTF-8 text to its UTF-7 form, with the optional direct characters written
// directly and no closing "-" unless the next character needs it.
std::string WideStringToUTF7(const std::string& Text);
// UTF-7 form back to UTF-8 text; throws EUTF7Error "Invalid UTF7" for a
// malformed form.
std::string UTF7ToWideString(const std::string& Text);

// Results of the two converters.
constexpr int UTF7Done = 0;
constexpr int UTF7Invalid = 1;
constexpr int UTF7TargetFull = 2;

// Encodes [Source, SourceEnd) into [Target, TargetEnd). Optional: characters
// of RFC 2152 Set O go directly. Verbose: every run ends with "-". Both
// starts are left after the last unit read and the last byte written.
int ConvertUCS2toUTF7(const char16_t*& Source, const char16_t* SourceEnd, char*& Target,
                      char* TargetEnd, bool Optional, bool Verbose);
// Decodes; UTF7Invalid does not stop the decoding, UTF7TargetFull does.
int ConvertUTF7toUCS2(const char*& Source, const char* SourceEnd, char16_t*& Target,
                      char16_t* TargetEnd);

enum TStreamBOM : int32_t { bomNone = 0, bomUTF16LE = 1, bomUTF16BE = 2, bomUTF8 = 3 };
// Reads a byte-order mark at the current position and leaves the position
// after it; without a mark the position is unchanged.
TStreamBOM DetectStreamBOM(std::istream& Stream);

// Swaps the bytes of every code unit up to the first zero unit.
void SwapWideCharBytes(std::u16string& Text);

// 1-based code-unit position of SubStr in S; 0 when SubStr is empty or absent.
int32_t WidePos(const std::u16string& SubStr, const std::u16string& S);

}  // namespace kromel
