// Trims, replacements, item tokenisers, key lookup in lines, byte search and
// the stream form of a wide string. Text is UTF-8; every separator and
// tested character is ASCII, so the routines work on bytes. The W forms keep
// their names for callers; in memory their text is UTF-8 as well. Short forms
// work in place on texts of at most 255 bytes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"

namespace kromel {

// Text cut at each line feed, a carriage return before it dropped; a text
// ending in a line feed gives a last empty line.
std::vector<std::string> SplitTextLines(const std::string& Text);

class TWideStringList;

// Trims ("in place" forms change S).
void TrimLeadingBlanks(std::string& S);            // spaces and tabs at the start
std::string TrimBlanks(const std::string& S);      // spaces and tabs at both ends
void TrimLeadingSpacesShort(std::string& S);       // spaces at the start
void TrimTrailingSpaces(std::string& S);           // spaces at the end
void TrimTrailingSpacesW(std::string& S);
void TrimTrailingSpacesShort(std::string& S);
void TrimTrailingNulls(std::string& S);            // code 0 at the end
void TrimTrailingSpacesAndUnderscores(std::string& S);
void TrimTrailingSpacesAndDots(std::string& S);
void TrimTrailingSpacesUnderscoresAndDots(std::string& S);
void TrimTrailingLineBreaks(std::string& S);       // CR and LF at the end

// Replacing and searching. Positions are 1-based, 0 = not found.
void ReplaceSpacesByUnderscores(std::string& S);
std::string SpacesToUnderscores(const std::string& S);
std::string EscapeSingleQuotes(const std::string& S);
// Replaces the first Pattern in S; false (S unchanged) when there is none.
bool ReplaceFirst(std::string& S, const std::string& Pattern, const std::string& Replacement);
int32_t PosW(const std::string& Pattern, const std::string& S);
// Left to right over the unreplaced rest; an empty OldPattern changes nothing.
std::string StringReplaceW(const std::string& S, const std::string& OldPattern,
                           const std::string& NewPattern, bool ReplaceAll);
// Longest start of S equal (ASCII case ignored) to the start of T, but at
// least the first character of a non-empty S; never splits a UTF-8 sequence.
std::string CommonPrefix(const std::string& S, const std::string& T);
// 0-based offset of Pattern in Data, -1 when absent; an empty pattern gives 0.
int64_t FindBytes(const void* Data, int64_t DataLength, const void* Pattern, int64_t PatternLength);
int32_t CountCharOccurrences(const std::string& S, char C);
int32_t CountLines(const std::string& S);  // 1 + number of LFs

// Item tokenisers. Count = 1 + separators. Item N (0-based; negative = 0):
// the "column/item of kind A" readers give the last item past the end, the
// GetTabItem/GetBarItem/GetDashItem readers give an empty text there.
int32_t CountTabColumns(const std::string& S);
int32_t CountTabItems(const std::string& S);
int32_t CountCommaItems(const std::string& S);
int32_t CountSemicolonItems(const std::string& S);
int32_t CountDotItems(const std::string& S);
int32_t CountBarItems(const std::string& S);
int32_t CountDashItems(const std::string& S);
// Words: tabs become spaces and runs of spaces one space, which separates.
int32_t CountWords(const std::string& S);
std::string GetTabColumn(const std::string& S, int32_t N);
std::string GetTabColumnW(const std::string& S, int32_t N);
std::string GetCommaItem(const std::string& S, int32_t N);
std::string GetSemicolonItem(const std::string& S, int32_t N);
std::string GetSemicolonItemW(const std::string& S, int32_t N);
std::string GetDotItem(const std::string& S, int32_t N);
std::string GetDotItemW(const std::string& S, int32_t N);
std::string GetWord(const std::string& S, int32_t N);
std::string GetTabItem(const std::string& S, int32_t N);
std::string GetBarItem(const std::string& S, int32_t N);
std::string GetDashItem(const std::string& S, int32_t N);

// The non-empty items of a '|'-list, in order.
std::vector<std::string> SplitBarList(const std::string& S);
std::unique_ptr<TWideStringList> SplitBarListW(const std::string& S);
// Index of the first matching item, -1 when none or either text is empty.
int32_t IndexOfSemicolonItem(const std::string& S, const std::string& Item);
int32_t IndexOfDotItem(const std::string& S, const std::string& Item);
int32_t IndexOfWord(const std::string& S, const std::string& Word);
// First ';'-item beginning with Text, ASCII case ignored.
int32_t IndexOfSemicolonItemPrefix(const std::string& S, const std::string& Text);
// Second word of the first line holding upper-cased Key + " " (tabs read as
// spaces); empty when no line does.
std::string GetListValueByKey(const std::vector<std::string>& List, const std::string& Key);

// Clears List and adds each line of a NUL-ended UTF-16 text as UTF-8. Lines
// break at LF, VT, FF, CR, CR LF, U+2028 and U+2029; a null Text gives none.
void WideTextToStrings(const char16_t* Text, std::vector<std::string>& List);

// Stream form: uint32 LE count of UTF-16 code units, then 2*count bytes of
// UTF-16LE. The writer throws EStreamError ("Stream write error").
void WriteWideStringToStream(const std::string& S, TByteStream& Stream);
// Fewer than 4 bytes left: throws EStreamError ("Stream read error") and
// leaves the stream as it was. A count whose units do not fit in the bytes
// left gives an empty S with the stream just behind the count.
void ReadWideStringFromStream(std::string& S, TByteStream& Stream);

}  // namespace kromel
