#include "foundation/text_tokens.h"

#include <cstring>
#include <limits>

#include "foundation/ascii_case.h"
#include "foundation/utf16.h"
#include "foundation/wide_string_list.h"

namespace kromel {

std::vector<std::string> SplitTextLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find('\n', Start);
    if (End == std::string::npos) End = Text.size();
    std::string Line = Text.substr(Start, End - Start);
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    Lines.push_back(std::move(Line));
    Start = End + 1;
  }
  return Lines;
}

namespace {

bool EqualAsciiCI(const char* A, const char* B, std::size_t N) {
  for (std::size_t I = 0; I < N; ++I)
    if (UpperAscii(A[I]) != UpperAscii(B[I])) return false;
  return true;
}

void TrimTrailingOf(std::string& S, const char* Set) {
  std::size_t N = S.size();
  while (N > 0 && std::strchr(Set, S[N - 1]) != nullptr && S[N - 1] != '\0') --N;
  S.resize(N);
}

void TrimLeadingOf(std::string& S, const char* Set) {
  std::size_t N = 0;
  while (N < S.size() && S[N] != '\0' && std::strchr(Set, S[N]) != nullptr) ++N;
  S.erase(0, N);
}

int32_t CountItems(const std::string& S, char Sep) { return 1 + CountCharOccurrences(S, Sep); }

// N times drop through the first separator (while one is left), then cut at
// the next one: past the end this gives the last item.
std::string ItemKindA(const std::string& S, char Sep, int32_t N) {
  std::size_t Start = 0;
  for (int32_t I = 0; I < N; ++I) {
    const std::size_t P = S.find(Sep, Start);
    if (P == std::string::npos) break;
    Start = P + 1;
  }
  const std::size_t End = S.find(Sep, Start);
  return S.substr(Start, End == std::string::npos ? std::string::npos : End - Start);
}

// As kind A over S + Sep: past the end this gives the empty text.
std::string ItemKindB(const std::string& S, char Sep, int32_t N) { return ItemKindA(S + Sep, Sep, N); }

// Tabs become spaces and every run of spaces one space.
std::string BlankRule(const std::string& S) {
  std::string R;
  R.reserve(S.size());
  for (char C : S) {
    if (C == '\t') C = ' ';
    if (C == ' ' && !R.empty() && R.back() == ' ') continue;
    R += C;
  }
  return R;
}

template <class Reader>
int32_t IndexOfItem(const std::string& S, const std::string& Item, int32_t Count, Reader Get) {
  if (S.empty() || Item.empty()) return -1;
  for (int32_t I = 0; I < Count; ++I)
    if (Get(S, I) == Item) return I;
  return -1;
}

// Byte length of S less its last UTF-8 character.
std::size_t WithoutLastChar(const std::string& S, std::size_t Len) {
  std::size_t N = Len;
  while (N > 0) {
    --N;
    if (!IsContinuationByte(S[N])) break;
  }
  return N;
}

std::size_t CharCount(const std::string& S, std::size_t Len) {
  std::size_t N = 0;
  for (std::size_t I = 0; I < Len; ++I)
    if (!IsContinuationByte(S[I])) ++N;
  return N;
}

}  // namespace

void TrimLeadingBlanks(std::string& S) { TrimLeadingOf(S, " \t"); }

std::string TrimBlanks(const std::string& S) {
  std::string R = S;
  TrimLeadingOf(R, " \t");
  TrimTrailingOf(R, " \t");
  return R;
}

void TrimLeadingSpacesShort(std::string& S) { TrimLeadingOf(S, " "); }
void TrimTrailingSpaces(std::string& S) { TrimTrailingOf(S, " "); }
void TrimTrailingSpacesW(std::string& S) { TrimTrailingOf(S, " "); }
void TrimTrailingSpacesShort(std::string& S) { TrimTrailingOf(S, " "); }

void TrimTrailingNulls(std::string& S) {
  std::size_t N = S.size();
  while (N > 0 && S[N - 1] == '\0') --N;
  S.resize(N);
}

void TrimTrailingSpacesAndUnderscores(std::string& S) { TrimTrailingOf(S, " _"); }
void TrimTrailingSpacesAndDots(std::string& S) { TrimTrailingOf(S, " ."); }
void TrimTrailingSpacesUnderscoresAndDots(std::string& S) { TrimTrailingOf(S, " _."); }
void TrimTrailingLineBreaks(std::string& S) { TrimTrailingOf(S, "\r\n"); }

void ReplaceSpacesByUnderscores(std::string& S) {
  for (char& C : S)
    if (C == ' ') C = '_';
}

std::string SpacesToUnderscores(const std::string& S) {
  std::string R = S;
  ReplaceSpacesByUnderscores(R);
  return R;
}

std::string EscapeSingleQuotes(const std::string& S) {
  std::string R;
  R.reserve(S.size());
  for (char C : S) {
    R += C;
    if (C == '\'') R += C;
  }
  return R;
}

bool ReplaceFirst(std::string& S, const std::string& Pattern, const std::string& Replacement) {
  if (Pattern.empty()) return false;
  const std::size_t P = S.find(Pattern);
  if (P == std::string::npos) return false;
  S.replace(P, Pattern.size(), Replacement);
  return true;
}

int32_t PosW(const std::string& Pattern, const std::string& S) {
  if (Pattern.empty() || S.empty()) return 0;
  const std::size_t P = S.find(Pattern);
  if (P == std::string::npos || P >= static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return 0;
  return static_cast<int32_t>(P) + 1;
}

std::string StringReplaceW(const std::string& S, const std::string& OldPattern,
                           const std::string& NewPattern, bool ReplaceAll) {
  if (OldPattern.empty()) return S;
  std::string Result;
  std::size_t From = 0;
  while (From < S.size()) {
    const std::size_t P = S.find(OldPattern, From);
    if (P == std::string::npos) break;
    Result.append(S, From, P - From);
    Result += NewPattern;
    From = P + OldPattern.size();
    if (!ReplaceAll) break;
  }
  Result.append(S, From, std::string::npos);
  return Result;
}

std::string CommonPrefix(const std::string& S, const std::string& T) {
  std::size_t Len = S.size();
  while (CharCount(S, Len) >= 2 && (T.size() < Len || !EqualAsciiCI(S.data(), T.data(), Len)))
    Len = WithoutLastChar(S, Len);
  return S.substr(0, Len);
}

int64_t FindBytes(const void* Data, int64_t DataLength, const void* Pattern, int64_t PatternLength) {
  if (DataLength < 0 || PatternLength < 0 || PatternLength > DataLength) return -1;
  if (PatternLength == 0) return 0;
  if (Data == nullptr || Pattern == nullptr) return -1;
  const auto* D = static_cast<const unsigned char*>(Data);
  const auto* P = static_cast<const unsigned char*>(Pattern);
  for (int64_t I = 0; I <= DataLength - PatternLength; ++I)
    if (D[I] == P[0] && std::memcmp(D + I, P, static_cast<std::size_t>(PatternLength)) == 0) return I;
  return -1;
}

int32_t CountCharOccurrences(const std::string& S, char C) {
  int32_t N = 0;
  for (char X : S)
    if (X == C) ++N;
  return N;
}

int32_t CountLines(const std::string& S) { return 1 + CountCharOccurrences(S, '\n'); }

int32_t CountTabColumns(const std::string& S) { return CountItems(S, '\t'); }
int32_t CountTabItems(const std::string& S) { return CountItems(S, '\t'); }
int32_t CountCommaItems(const std::string& S) { return CountItems(S, ','); }
int32_t CountSemicolonItems(const std::string& S) { return CountItems(S, ';'); }
int32_t CountDotItems(const std::string& S) { return CountItems(S, '.'); }
int32_t CountBarItems(const std::string& S) { return CountItems(S, '|'); }
int32_t CountDashItems(const std::string& S) { return CountItems(S, '-'); }
int32_t CountWords(const std::string& S) { return CountItems(BlankRule(S), ' '); }

std::string GetTabColumn(const std::string& S, int32_t N) { return ItemKindA(S, '\t', N); }
std::string GetTabColumnW(const std::string& S, int32_t N) { return ItemKindA(S, '\t', N); }
std::string GetCommaItem(const std::string& S, int32_t N) { return ItemKindA(S, ',', N); }
std::string GetSemicolonItem(const std::string& S, int32_t N) { return ItemKindA(S, ';', N); }
std::string GetSemicolonItemW(const std::string& S, int32_t N) { return ItemKindA(S, ';', N); }
std::string GetDotItem(const std::string& S, int32_t N) { return ItemKindA(S, '.', N); }
std::string GetDotItemW(const std::string& S, int32_t N) { return ItemKindA(S, '.', N); }
std::string GetWord(const std::string& S, int32_t N) { return ItemKindA(BlankRule(S), ' ', N); }
std::string GetTabItem(const std::string& S, int32_t N) { return ItemKindB(S, '\t', N); }
std::string GetBarItem(const std::string& S, int32_t N) { return ItemKindB(S, '|', N); }
std::string GetDashItem(const std::string& S, int32_t N) { return ItemKindB(S, '-', N); }

std::vector<std::string> SplitBarList(const std::string& S) {
  std::vector<std::string> List;
  std::size_t Start = 0;
  while (Start <= S.size()) {
    std::size_t End = S.find('|', Start);
    if (End == std::string::npos) End = S.size();
    if (End > Start) List.push_back(S.substr(Start, End - Start));
    Start = End + 1;
  }
  return List;
}

std::unique_ptr<TWideStringList> SplitBarListW(const std::string& S) {
  auto List = std::make_unique<TWideStringList>();
  for (const std::string& Item : SplitBarList(S)) List->Add(Item);
  return List;
}

int32_t IndexOfSemicolonItem(const std::string& S, const std::string& Item) {
  return IndexOfItem(S, Item, CountSemicolonItems(S), GetSemicolonItem);
}

int32_t IndexOfDotItem(const std::string& S, const std::string& Item) {
  return IndexOfItem(S, Item, CountDotItems(S), GetDotItem);
}

int32_t IndexOfWord(const std::string& S, const std::string& Word) {
  return IndexOfItem(S, Word, CountWords(S), GetWord);
}

int32_t IndexOfSemicolonItemPrefix(const std::string& S, const std::string& Text) {
  if (S.empty() || Text.empty()) return -1;
  const int32_t Count = CountSemicolonItems(S);
  for (int32_t I = 0; I < Count; ++I) {
    const std::string Item = GetSemicolonItem(S, I);
    if (Item.size() >= Text.size() && EqualAsciiCI(Item.data(), Text.data(), Text.size())) return I;
  }
  return -1;
}

std::string GetListValueByKey(const std::vector<std::string>& List, const std::string& Key) {
  std::string Wanted;
  for (char C : Key) Wanted += UpperAscii(C);
  Wanted += ' ';
  for (std::string Line : List) {
    for (char& C : Line)
      if (C == '\t') C = ' ';
    if (Line.find(Wanted) != std::string::npos) return GetWord(Line, 1);
  }
  return {};
}

void WideTextToStrings(const char16_t* Text, std::vector<std::string>& List) {
  List.clear();
  if (Text == nullptr) return;
  auto IsBreak = [](char16_t U) {
    return U == 0 || U == 10 || U == 11 || U == 12 || U == 13 || U == 0x2028 || U == 0x2029;
  };
  const char16_t* P = Text;
  if (*P == 0) return;
  for (;;) {
    const char16_t* Start = P;
    while (!IsBreak(*P)) ++P;
    List.push_back(Utf16ToUtf8(std::u16string(Start, P)));
    if (*P == 0) return;
    const char16_t Break = *P++;
    if (Break == 13 && *P == 10) ++P;
    if (*P == 0) return;  // a break at the very end adds no empty line
  }
}

void WriteWideStringToStream(const std::string& S, TByteStream& Stream) {
  const std::u16string W = Utf8ToUtf16(S);
  if (W.size() > std::numeric_limits<uint32_t>::max()) throw EStreamError("Stream write error");
  const uint32_t Count = static_cast<uint32_t>(W.size());
  const unsigned char Head[4] = {static_cast<unsigned char>(Count), static_cast<unsigned char>(Count >> 8),
                                 static_cast<unsigned char>(Count >> 16), static_cast<unsigned char>(Count >> 24)};
  Stream.WriteBuffer(Head, 4);
  if (Count > 0) {
    const std::string Bytes = Utf16ToLEBytes(W);
    Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  }
}

void ReadWideStringFromStream(std::string& S, TByteStream& Stream) {
  unsigned char Head[4];
  Stream.ReadBuffer(Head, 4);
  const uint32_t Count = static_cast<uint32_t>(Head[0]) | (static_cast<uint32_t>(Head[1]) << 8) |
                         (static_cast<uint32_t>(Head[2]) << 16) | (static_cast<uint32_t>(Head[3]) << 24);
  const int64_t Bytes = 2 * static_cast<int64_t>(Count);
  if (Count == 0 || Bytes > Stream.Remaining()) {
    S.clear();
    return;
  }
  std::string Buffer(static_cast<std::size_t>(Bytes), '\0');
  Stream.ReadBuffer(Buffer.data(), Bytes);
  S = Utf16ToUtf8(LEBytesToUtf16(Buffer.data(), Buffer.size()));
}

}  // namespace kromel
