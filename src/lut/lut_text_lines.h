// Shared by the LUT text readers and writers: line splitting, white-space
// words, strict number reading, the "#64BLOB" preset block and the check
// that a LUT can be written as a cube.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lut/lut.h"

namespace kromel {

// The caller's preset lines: absent until a reader meets "#64BLOB".
using TPresetLines = std::unique_ptr<std::vector<std::string>>;

// Lines split at CR LF, LF or CR; a NUL byte ends the text.
std::vector<std::string_view> SplitLutTextLines(std::string_view Text);
// Blanks, tabs, vertical tabs and form feeds.
bool IsLutTextBlank(char C);
std::string_view TrimLutTextBlanks(std::string_view S);
std::string_view TrimLutTextLeading(std::string_view S);
// Words separated by any run of white space.
void SplitLutTextWords(std::string_view Line, std::vector<std::string_view>& Words);
// A whole decimal integer with optional sign; false for anything else
// (including a value outside the 64-bit range).
bool ParseLutInteger(std::string_view S, int64_t& Value);
// A whole finite decimal number ("." mark, optional sign and exponent);
// false for anything else, NaN and infinities included.
bool ParseLutFloat(std::string_view S, float& Value);
// ASCII upper case.
std::string UpperLutText(std::string_view S);
// True for a word that starts a CUBE keyword line (a letter or "_").
bool StartsWithCubeKeyword(std::string_view Word);
// The line without its "#" comment and surrounding white space.
std::string_view LutTextDataPart(std::string_view Line);
// A CUBE node line's words as red, green and blue: three numbers, or, with
// OneForAll, one number for all three; false for any other count or a word
// that is not a number (V is then unspecified).
bool ParseCubeNodeWords(const std::vector<std::string_view>& Words, float V[3], bool OneForAll);
// False when Words is a CUBE domain line (DOMAIN_MIN, DOMAIN_MAX or
// RangeKey) giving anything but the unit domain; true for every other line.
bool CubeDomainLineIsUnit(const std::vector<std::string_view>& Words, std::string_view RangeKey);
// "\nLine 12: <text>" for a corrupt-file message (Index counts from 0; the
// text is cut at 80 characters).
std::string LutLineNote(std::size_t Index, std::string_view Line);

// Lines from First on: a line "#64BLOB" (any case, trailing blanks ignored)
// creates the list; after it every line longer than one character that
// starts with "#" is added without the "#".
void CollectPresetBlock(const std::vector<std::string_view>& Lines, std::size_t First,
                        TPresetLines& Preset);
// "#64BLOB" and one "#"-prefixed line per preset line, each ended by LineEnd.
void AppendPresetBlock(std::string& Text, const std::vector<std::string>& PresetLines,
                       const char* LineEnd);
// Comment as lines, every one starting with "#", each ended by LineEnd;
// CR, LF and CR LF inside it all break lines; trailing breaks are dropped.
void AppendCommentLines(std::string& Text, const std::string& Comment, const char* LineEnd);

// True for a cubic LUT of 2..256 nodes per axis with its R, G, B planes.
bool LutWritableAsCube(const T3DLut& Lut);

// The value a text LUT writes for a node: NaN as 0, infinities clamped to
// 0..1 (as the 3DL writer clamps every value); finite values unchanged.
float WritableLutValue(float V);
// One debug-log line when the LUT holds values that are not finite, which
// the writer of FileName replaces by WritableLutValue.
void LogNonFiniteLutValues(const T3DLut& Lut, const std::string& FileName);

// "0.500000", "-0.250000": v * 10^6 in double precision, halves to even;
// a value that is not finite is written as WritableLutValue gives it.
void AppendSixDecimals(std::string& Text, float V);

}  // namespace kromel
