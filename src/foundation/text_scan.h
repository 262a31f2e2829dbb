// Scanning text without a parser: values after keys, JSON members, an XML
// path walker and element cut-outs, line and list helpers. Text is UTF-8;
// positions count from 1; an empty key is never found; case-insensitive
// comparisons fold ASCII letters only. W forms keep their names for callers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kromel {

// Value readers: the characters after the first Key up to a stop character.
// Empty when Key is not found.
std::string GetValueAfter(const std::string& Text, const std::string& Key);   // stops: blank LF & <
std::string GetPhraseAfter(const std::string& Text, const std::string& Key);  // stops: LF & <
// Stops at " LF & ' <; a backslash makes the next character literal.
std::string GetQuotedValueAfter(const std::string& Text, const std::string& Key);
// Stops at " LF <; JSON escapes: \" \\ \/ give the character, \n \t \r \b \f
// the control character, \uXXXX is kept as written for JSONUnescape.
std::string GetJSONStringAfter(const std::string& Text, const std::string& Key);
std::string GetNumberAfter(const std::string& Text, const std::string& Key);  // only - . 0-9
std::string GetLineAfter(const std::string& Text, const std::string& Key);    // stops: CR LF <
std::string GetLineAfterW(const std::string& Text, const std::string& Key);   // as above, key case ignored
std::string GetValueAfterCI(const std::string& Text, const std::string& Key); // stops: blank LF <
std::string GetAttributeValueAfter(const std::string& Text, const std::string& Key);  // stops: > LF " <
float GetFloatAfter(const std::string& Text, const std::string& Key);         // 0 when empty
// The N-th blank-separated word; LF or "<" ends the words.
std::string GetWordN(const std::string& Text, int32_t N);

// JSON members written without a blank after the colon.
std::string JSONGetString(const std::string& Text, const std::string& Name);
// An unquoted value (number, true, false, null) ends at ',', '}', ']' or
// white space; otherwise the string value, whole.
std::string JSONGetValue(const std::string& Text, const std::string& Name);
// Decodes \" \\ \/ \b \f \n \r \t and \uXXXX (surrogate pairs joined, lone
// halves become U+FFFD); other bytes pass as UTF-8; a backslash before any
// other character stays. A final backslash throws std::invalid_argument
// "Unexpected end of string".
std::string JSONUnescapeW(const std::string& S);
std::string JSONUnescape(const std::string& S);

// XML path walker. Path: ".root.child" for an element's text, or
// ".root.child:attr" for an attribute. N counts matches from 0; Count and
// Position (1-based, 0 = start) are shared through the walk. A closing tag
// that does not match gives "!Error!" (reported through ErrorMessageProc).
std::string XMLGetElementValueR(const std::string& XML, const std::string& Path, int32_t N, int32_t& Count,
                                int32_t& Position, const std::string& Prefix);
// The N-th match with "&apos;" and "&amp;" decoded.
std::string XMLGetElementValue(const std::string& XML, const std::string& Path, int32_t N);
int32_t XMLGetElementCount(const std::string& XML, const std::string& Path);
// Value of Name in an attribute text such as: a="1" b="2".
std::string XMLGetAttributeValue(const std::string& Attributes, const std::string& Name);
// Name of the first element: after "<" up to the first blank or ">".
std::string XMLGetHeader(const std::string& Text);
// From "<" + Tag through the ">" of the next "</" + name; empty when either
// is missing. Tag may carry attributes after a blank.
std::string XMLGetElement(const std::string& XML, const std::string& Tag);
// The N-th (from 0) such element; empty when there are fewer.
std::string XMLGetElementN(const std::string& XML, const std::string& Tag, int32_t N);
// Text without its first Name element; unchanged when it has none.
std::string XMLRemoveElement(const std::string& Text, const std::string& Name);
// "<Name>Value</Name>" + LF.
std::string XMLIntElement(const std::string& Name, int32_t Value);

// Lines and lists.
int32_t CountLineFeeds(const std::string& Text);  // LFs before the last character
std::string GetLineN(const std::string& Text, int32_t N);  // line N from 0, without CR/LF
// Deletes first lines until one holds Text or a single line is left.
void DeleteLinesBefore(std::vector<std::string>& Lines, const std::string& Text);
// For each line holding Key: the rest after it, cut before Terminator; a Key
// ending in "%" wants a digit right after the key.
void CollectValuesAfterKey(const std::vector<std::string>& Lines, std::vector<std::string>& Output,
                           const std::string& Key, const std::string& Terminator);
std::string FindLineContaining(const std::vector<std::string>& List, const std::string& Text);
// First item equal to Text, upper-cased and trimmed of codes <= 32; -1 if none.
int32_t IndexOfTextCI(const std::string& Text, const std::vector<std::string>& List);
// Natural order: "b9" before "b10", case ignored.
void SortStringsLogical(std::vector<std::string>& List);

// Small text operations; Text is returned unchanged when Key is not found.
std::string TextAfter(const std::string& Text, const std::string& Key);
std::string TextAfterKey(const std::string& Text, const std::string& Key);
std::string TextBefore(const std::string& Text, const std::string& Key);
std::string TextBeforeKey(const std::string& Text, const std::string& Key);
std::string TextAfterLastW(const std::string& Text, const std::string& Key);
std::string RemoveSuffixCI(const std::string& Text, const std::string& Suffix);
std::string RemoveSpaces(const std::string& Text);
std::string RemoveChar(const std::string& Text, char Ch);
int32_t CountChar(const std::string& Text, char Ch);
std::string LeadingNumber(const std::string& Text);  // leading digits and dots
// Breaks lines (CR LF) after ". " past Width, or after a blank past
// Width + 12, unless a "." follows closely.
std::string WrapTextW(const std::string& Text, int32_t Width);

}  // namespace kromel
