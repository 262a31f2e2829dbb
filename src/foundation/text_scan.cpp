#include "foundation/text_scan.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "foundation/ascii_case.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/message_hook.h"
#include "foundation/number_format.h"
#include "foundation/text_tokens.h"
#include "foundation/utf16.h"

namespace kromel {

namespace {

bool Contains(const std::string& Text, const std::string& Key) {
  return !Key.empty() && Text.find(Key) != std::string::npos;
}

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

enum class TBackslash { Ordinary, Escape, Json };

// The common steps of the value readers.
template <class IsStop>
std::string ValueAfter(const std::string& Text, const std::string& Key, bool IgnoreCase, bool SkipSpaces,
                       TBackslash Backslash, IsStop Stop) {
  if (Key.empty()) return {};
  const std::size_t P = IgnoreCase ? UpperAscii(Text).find(UpperAscii(Key)) : Text.find(Key);
  if (P == std::string::npos) return {};
  std::size_t I = P + Key.size();
  const std::size_t N = Text.size();
  if (SkipSpaces)
    while (I < N && Text[I] == ' ') ++I;
  std::string R;
  while (I < N) {
    const char C = Text[I];
    if (Stop(C)) break;
    if (C == '\\' && Backslash != TBackslash::Ordinary) {
      if (I + 1 >= N) break;
      const char D = Text[I + 1];
      I += 2;
      if (Backslash == TBackslash::Json) {
        switch (D) {
          case 'u': R += "\\u"; continue;
          case 'n': R += '\n'; continue;
          case 't': R += '\t'; continue;
          case 'r': R += '\r'; continue;
          case 'b': R += '\b'; continue;
          case 'f': R += '\f'; continue;
          default: break;
        }
      }
      R += D;
      continue;
    }
    R += C;
    ++I;
  }
  return R;
}

template <std::size_t M>
auto StopsAt(const char (&Set)[M]) {
  return [&Set](char C) {
    for (std::size_t I = 0; I + 1 < M; ++I)
      if (C == Set[I]) return true;
    return false;
  };
}

int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

bool IsXmlBlank(char C) { return C == ' ' || C == '\t' || C == '\r' || C == '\n'; }

constexpr int kMaxXmlDepth = 1000;

struct TXmlWalk {
  const std::string& XML;
  const std::string& Path;
  std::string ElementPath;  // of an attribute path, else empty
  std::string AttributeName;
  int32_t N;
  int32_t& Count;
  std::size_t Pos;  // 0-based index of the walk
};

std::string WalkLevel(TXmlWalk& W, const std::string& Prefix, int Depth) {
  if (Depth > kMaxXmlDepth) throw std::runtime_error("XML nested too deeply");
  const std::string& X = W.XML;
  const std::size_t Len = X.size();
  std::string Result;
  // Rounds run while the 1-based position is below the length.
  while (W.Pos + 1 < Len && Result.empty()) {
    std::size_t I = W.Pos;
    std::string Pending;
    if (X[I] == '<' && X[I + 1] != '!') {
      ++I;
      bool Closing = false;
      if (I < Len && X[I] == '/') {
        Closing = true;
        ++I;
      }
      const std::size_t NameStart = I;
      while (I < Len && !IsXmlBlank(X[I]) && X[I] != '>' && X[I] != '/') ++I;
      const std::string Name = X.substr(NameStart, I - NameStart);
      // Attributes run to ">" or "/" outside quoted values.
      const std::size_t AttrStart = I;
      char Quote = 0;
      while (I < Len) {
        const char C = X[I];
        if (Quote != 0) {
          if (C == Quote) Quote = 0;
        } else if (C == '"' || C == '\'') {
          Quote = C;
        } else if (C == '>' || C == '/') {
          break;
        }
        ++I;
      }
      const std::string Attributes = X.substr(AttrStart, I - AttrStart);
      if (!W.ElementPath.empty() && Prefix + "." + Name == W.ElementPath) {
        if (W.Count == W.N) {
          Result = XMLGetAttributeValue(Attributes, W.AttributeName);
        } else {
          ++W.Count;
        }
      }
      bool EmptyElement = false;
      if (I < Len && X[I] == '/') {
        EmptyElement = true;
        ++I;
      }
      if (I < Len && X[I] == '>') ++I;
      W.Pos = I;
      if (!Result.empty()) return Result;
      if (Closing) {
        const std::string Tail = "." + Name;
        if (Prefix.size() < Tail.size() || Prefix.compare(Prefix.size() - Tail.size(), Tail.size(), Tail) != 0) {
          ErrorMessageProc("Error parsing XML: opened " + Prefix + " closed " + Name);
          return "!Error!";
        }
        return Result;
      }
      if (!EmptyElement) Pending = Name;
    } else {
      if (X[I] == '<') ++I;  // "<!": a comment, CDATA or declaration, read from the "!"
      const std::size_t PieceStart = I;
      const bool CData = X.compare(I, 8, "![CDATA[") == 0;
      const std::size_t CDataEnd = CData ? X.find("]]>", I + 8) : std::string::npos;
      if (CDataEnd != std::string::npos) {
        I = CDataEnd + 3;  // CDATA runs through "]]>", whatever it holds
      } else {
        while (I < Len && X[I] != '<') ++I;
      }
      std::string Piece = X.substr(PieceStart, I - PieceStart);
      W.Pos = I;
      if (CData) Piece = Piece.size() >= 11 ? Piece.substr(8, Piece.size() - 11) : "";
      if (W.Path == Prefix) {
        if (W.Count == W.N) {
          Result = Piece;
        } else {
          ++W.Count;
        }
      }
    }
    if (!Pending.empty()) Result = WalkLevel(W, Prefix + "." + Pending, Depth + 1);
  }
  return Result;
}

// Position just after the ">" that follows the first "</" + Name at or after
// From; npos when there is none.
std::size_t AfterClosingTag(const std::string& XML, const std::string& Name, std::size_t From) {
  const std::size_t Close = XML.find("</" + Name, From);
  if (Close == std::string::npos) return std::string::npos;
  const std::size_t Gt = XML.find('>', Close + 2 + Name.size());
  return Gt == std::string::npos ? std::string::npos : Gt + 1;
}

std::string TagName(const std::string& Tag) { return Tag.substr(0, Tag.find(' ')); }

std::string TrimControls(const std::string& S) {
  std::size_t B = 0;
  std::size_t E = S.size();
  while (B < E && static_cast<unsigned char>(S[B]) <= 32) ++B;
  while (E > B && static_cast<unsigned char>(S[E - 1]) <= 32) --E;
  return S.substr(B, E - B);
}

}  // namespace

std::string GetValueAfter(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, false, true, TBackslash::Ordinary, StopsAt(" \n&<"));
}

std::string GetPhraseAfter(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, false, true, TBackslash::Ordinary, StopsAt("\n&<"));
}

std::string GetQuotedValueAfter(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, false, false, TBackslash::Escape, StopsAt("\"\n&'<"));
}

std::string GetJSONStringAfter(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, false, false, TBackslash::Json, StopsAt("\"\n<"));
}

std::string GetNumberAfter(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, false, true, TBackslash::Ordinary,
                    [](char C) { return !(IsDigit(C) || C == '-' || C == '.'); });
}

std::string GetLineAfter(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, false, true, TBackslash::Ordinary, StopsAt("\r\n<"));
}

std::string GetLineAfterW(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, true, true, TBackslash::Ordinary, StopsAt("\r\n<"));
}

std::string GetValueAfterCI(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, true, true, TBackslash::Ordinary, StopsAt(" \n<"));
}

std::string GetAttributeValueAfter(const std::string& Text, const std::string& Key) {
  return ValueAfter(Text, Key, false, true, TBackslash::Ordinary, StopsAt(">\n\"<"));
}

float GetFloatAfter(const std::string& Text, const std::string& Key) {
  std::string V = GetValueAfter(Text, Key);
  TrimLeadingBlanks(V);
  return V.empty() ? 0.0f : StrToFloatLeading(V);
}

std::string GetWordN(const std::string& Text, int32_t N) {
  std::string Word;
  std::size_t I = 0;
  for (int32_t Round = 0; Round < N; ++Round) {
    while (I < Text.size() && Text[I] == ' ') ++I;
    const std::size_t Start = I;
    while (I < Text.size() && Text[I] != ' ' && Text[I] != '\n' && Text[I] != '<') ++I;
    Word = Text.substr(Start, I - Start);
  }
  return Word;
}

std::string JSONGetString(const std::string& Text, const std::string& Name) {
  return GetJSONStringAfter(Text, "\"" + Name + "\":\"");
}

std::string JSONGetValue(const std::string& Text, const std::string& Name) {
  const std::string Raw = GetJSONStringAfter(Text, "\"" + Name + "\":");
  std::size_t B = 0;
  while (B < Raw.size() && IsXmlBlank(Raw[B])) ++B;
  std::size_t E = B;
  while (E < Raw.size() && Raw[E] != ',' && Raw[E] != '}' && Raw[E] != ']' && !IsXmlBlank(Raw[E])) ++E;
  if (E > B) return Raw.substr(B, E - B);
  return JSONGetString(Text, Name);
}

std::string JSONUnescapeW(const std::string& S) {
  std::u16string Out;
  const std::size_t N = S.size();
  std::size_t I = 0;
  while (I < N) {
    if (S[I] != '\\') {
      std::size_t E = S.find('\\', I);
      if (E == std::string::npos) E = N;
      Out += Utf8ToUtf16(S.substr(I, E - I));
      I = E;
      continue;
    }
    if (I + 1 >= N) throw std::invalid_argument("Unexpected end of string");
    const char D = S[I + 1];
    char16_t Unit = 0;
    bool Known = true;
    switch (D) {
      case '\\': Unit = u'\\'; break;
      case '"': Unit = u'"'; break;
      case '/': Unit = u'/'; break;
      case 'b': Unit = u'\b'; break;
      case 'f': Unit = u'\f'; break;
      case 'n': Unit = u'\n'; break;
      case 'r': Unit = u'\r'; break;
      case 't': Unit = u'\t'; break;
      case 'u': {
        Known = I + 6 <= N;
        int V = 0;
        for (std::size_t K = I + 2; Known && K < I + 6; ++K) {
          const int H = HexValue(S[K]);
          if (H < 0) Known = false;
          V = V * 16 + H;
        }
        if (Known) {
          Out += static_cast<char16_t>(V);
          I += 6;
          continue;
        }
        break;
      }
      default: Known = false;
    }
    if (Known) {
      Out += Unit;
      I += 2;
    } else {
      Out += u'\\';  // an unknown escape keeps its backslash; the follower comes next
      ++I;
    }
  }
  return Utf16ToUtf8(Out);
}

std::string JSONUnescape(const std::string& S) { return JSONUnescapeW(S); }

std::string XMLGetElementValueR(const std::string& XML, const std::string& Path, int32_t N, int32_t& Count,
                                int32_t& Position, const std::string& Prefix) {
  TXmlWalk W{XML, Path, {}, {}, N, Count, 0};
  try {
    const std::size_t Colon = Path.find(':');
    if (Colon != std::string::npos) {
      W.ElementPath = Path.substr(0, Colon);
      W.AttributeName = Path.substr(Colon + 1);
    }
    if (XML.size() <= 2 || XML[0] != '<' || XML.find('>') == std::string::npos) return {};
    if (XML.size() >= static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) return {};
    if (Position <= 0) Position = 1;
    W.Pos = static_cast<std::size_t>(Position) - 1;
    std::string Result = WalkLevel(W, Prefix, 0);
    Position = static_cast<int32_t>(W.Pos + 1);
    return Result;
  } catch (const std::exception&) {
    Position = static_cast<int32_t>(W.Pos + 1);
    LogAppendTimestamped("Exceptions.log", "Exception in XMLGetElementValueR: " + XML);
    ErrorMessageProc("Exception in XMLGetElementValueR " + std::to_string(Position));
    return {};
  }
}

std::string XMLGetElementValue(const std::string& XML, const std::string& Path, int32_t N) {
  int32_t Count = 0;
  int32_t Position = 0;
  const std::string V = XMLGetElementValueR(XML, Path, N, Count, Position, "");
  return StringReplaceW(StringReplaceW(V, "&apos;", "'", true), "&amp;", "&", true);
}

int32_t XMLGetElementCount(const std::string& XML, const std::string& Path) {
  int32_t Count = 0;
  int32_t Position = 0;
  StopwatchStart();
  XMLGetElementValueR(XML, Path, -1, Count, Position, "");
  StopwatchLap();
  return Count;
}

std::string XMLGetAttributeValue(const std::string& Attributes, const std::string& Name) {
  std::string AttrName;
  std::string Value;
  char Quote = 0;  // the quote that opened the value being read
  for (char C : Attributes) {
    if (Quote != 0 ? C == Quote : (C == '"' || C == '\'')) {
      if (Quote != 0) {
        if (AttrName == Name) return Value;
        AttrName.clear();
        Value.clear();
        Quote = 0;
      } else {
        Quote = C;
      }
    } else if (Quote != 0) {
      Value += C;
    } else if (!IsXmlBlank(C) && C != '=') {
      AttrName += C;
    }
  }
  return {};
}

std::string XMLGetHeader(const std::string& Text) {
  try {
    if (Text.size() < 3 || Text[0] != '<') return {};
    const std::size_t Gt = Text.find('>');
    if (Gt == std::string::npos) return {};
    const std::size_t Blank = Text.find(' ');
    const std::size_t End = (Blank != std::string::npos && Blank < Gt) ? Blank : Gt;
    return Text.substr(1, End - 1);
  } catch (const std::exception&) {
    LogAppendTimestamped("Exceptions.log", "Exception in XMLGetHeader: " + Text);
    ErrorMessageProc("Exception in XMLGetHeader " + std::to_string(Text.size()));
    return {};
  }
}

std::string XMLGetElement(const std::string& XML, const std::string& Tag) {
  if (Tag.empty()) return {};
  const std::size_t Start = XML.find("<" + Tag);
  if (Start == std::string::npos) return {};
  const std::size_t End = AfterClosingTag(XML, TagName(Tag), Start);
  if (End == std::string::npos) return {};
  return XML.substr(Start, End - Start);
}

std::string XMLGetElementN(const std::string& XML, const std::string& Tag, int32_t N) {
  if (Tag.empty()) return {};
  std::string Rest = XML;
  for (int32_t Round = 0; Round < N; ++Round) {
    const std::size_t Start = Rest.find("<" + Tag);
    if (Start == std::string::npos) return {};
    const std::size_t End = AfterClosingTag(Rest, TagName(Tag), Start);
    if (End == std::string::npos) return {};
    Rest.erase(0, End);
  }
  return XMLGetElement(Rest, Tag);
}

std::string XMLRemoveElement(const std::string& Text, const std::string& Name) {
  if (Name.empty()) return Text;
  const std::size_t Start = Text.find("<" + Name);
  if (Start == std::string::npos) return Text;
  const std::size_t End = AfterClosingTag(Text, Name, Start);
  if (End == std::string::npos) return Text;
  return Text.substr(0, Start) + Text.substr(End);
}

std::string XMLIntElement(const std::string& Name, int32_t Value) {
  return "<" + Name + ">" + std::to_string(Value) + "</" + Name + ">\n";
}

int32_t CountLineFeeds(const std::string& Text) {
  if (Text.empty()) return 0;
  int32_t N = 0;
  for (std::size_t I = 0; I + 1 < Text.size(); ++I)
    if (Text[I] == '\n') ++N;
  return N;
}

std::string GetLineN(const std::string& Text, int32_t N) {
  if (N < 0) return {};
  std::size_t Start = 0;
  for (int32_t I = 0; I < N; ++I) {
    const std::size_t Lf = Text.find('\n', Start);
    if (Lf == std::string::npos) return {};
    Start = Lf + 1;
  }
  std::size_t End = Text.find('\n', Start);
  if (End == std::string::npos) End = Text.size();
  std::string Line;
  for (std::size_t I = Start; I < End; ++I)
    if (Text[I] != '\r') Line += Text[I];
  return Line;
}

void DeleteLinesBefore(std::vector<std::string>& Lines, const std::string& Text) {
  std::size_t First = 0;
  while (Lines.size() - First > 1 && !Contains(Lines[First], Text)) ++First;
  Lines.erase(Lines.begin(), Lines.begin() + static_cast<std::ptrdiff_t>(First));
}

void CollectValuesAfterKey(const std::vector<std::string>& Lines, std::vector<std::string>& Output,
                           const std::string& Key, const std::string& Terminator) {
  std::string K = Key;
  const bool WantDigit = !K.empty() && K.back() == '%';
  if (WantDigit) K.pop_back();
  if (K.empty()) return;
  for (const std::string& Line : Lines) {
    const std::size_t P = Line.find(K);
    if (P == std::string::npos) continue;
    std::string Value = Line.substr(P + K.size());
    if (Value.empty() || (WantDigit && !IsDigit(Value[0]))) continue;
    if (!Terminator.empty()) {
      const std::size_t T = Value.find(Terminator);
      if (T != std::string::npos) Value.resize(T);
    }
    Output.push_back(Value);
  }
}

std::string FindLineContaining(const std::vector<std::string>& List, const std::string& Text) {
  for (const std::string& Line : List)
    if (Contains(Line, Text)) return Line;
  return {};
}

int32_t IndexOfTextCI(const std::string& Text, const std::vector<std::string>& List) {
  const std::string Wanted = TrimControls(UpperAscii(Text));
  for (std::size_t I = 0; I < List.size(); ++I)
    if (TrimControls(UpperAscii(List[I])) == Wanted) return static_cast<int32_t>(I);
  return -1;
}

namespace {

// Natural order: runs of digits compare by value (then by length, so "01"
// follows "1"), everything else by ASCII case-insensitive character.
bool LogicalLess(const std::string& A, const std::string& B) {
  auto IsDigit = [](char C) { return C >= '0' && C <= '9'; };
  std::size_t I = 0, J = 0;
  while (I < A.size() && J < B.size()) {
    if (IsDigit(A[I]) && IsDigit(B[J])) {
      std::size_t EI = I, EJ = J;
      while (EI < A.size() && IsDigit(A[EI])) ++EI;
      while (EJ < B.size() && IsDigit(B[EJ])) ++EJ;
      std::size_t ZI = I, ZJ = J;
      while (ZI + 1 < EI && A[ZI] == '0') ++ZI;
      while (ZJ + 1 < EJ && B[ZJ] == '0') ++ZJ;
      if (EI - ZI != EJ - ZJ) return EI - ZI < EJ - ZJ;
      const int C = A.compare(ZI, EI - ZI, B, ZJ, EJ - ZJ);
      if (C != 0) return C < 0;
      if (EI - I != EJ - J) return EI - I < EJ - J;
      I = EI;
      J = EJ;
      continue;
    }
    const char CA = UpperAscii(A[I]), CB = UpperAscii(B[J]);
    if (CA != CB) return static_cast<unsigned char>(CA) < static_cast<unsigned char>(CB);
    ++I;
    ++J;
  }
  return A.size() - I < B.size() - J;
}

}  // namespace

void SortStringsLogical(std::vector<std::string>& List) {
  std::stable_sort(List.begin(), List.end(), LogicalLess);
}

std::string TextAfter(const std::string& Text, const std::string& Key) {
  if (Key.empty()) return Text;
  const std::size_t P = Text.find(Key);
  return P == std::string::npos ? Text : Text.substr(P + Key.size());
}

std::string TextAfterKey(const std::string& Text, const std::string& Key) { return TextAfter(Text, Key); }

std::string TextBefore(const std::string& Text, const std::string& Key) {
  if (Key.empty()) return Text;
  const std::size_t P = Text.find(Key);
  return P == std::string::npos ? Text : Text.substr(0, P);
}

std::string TextBeforeKey(const std::string& Text, const std::string& Key) { return TextBefore(Text, Key); }

std::string TextAfterLastW(const std::string& Text, const std::string& Key) {
  if (Key.empty()) return Text;
  // Dropping through the first character (not byte) of the key keeps UTF-8 whole.
  std::size_t KeyChar = 1;
  while (KeyChar < Key.size() && (static_cast<unsigned char>(Key[KeyChar]) & 0xC0) == 0x80) ++KeyChar;
  std::size_t From = 0;
  for (std::size_t P = Text.find(Key); P != std::string::npos; P = Text.find(Key, From)) From = P + KeyChar;
  return Text.substr(From);
}

std::string RemoveSuffixCI(const std::string& Text, const std::string& Suffix) {
  if (Suffix.empty() || Text.size() < Suffix.size()) return Text;
  const std::size_t Start = Text.size() - Suffix.size();
  if (UpperAscii(Text.substr(Start)) == UpperAscii(Suffix)) return Text.substr(0, Start);
  return Text;
}

std::string RemoveSpaces(const std::string& Text) { return RemoveChar(Text, ' '); }

std::string RemoveChar(const std::string& Text, char Ch) {
  std::string R;
  R.reserve(Text.size());
  for (char C : Text)
    if (C != Ch) R += C;
  return R;
}

int32_t CountChar(const std::string& Text, char Ch) { return CountCharOccurrences(Text, Ch); }

std::string LeadingNumber(const std::string& Text) {
  std::size_t N = 0;
  while (N < Text.size() && (IsDigit(Text[N]) || Text[N] == '.')) ++N;
  return Text.substr(0, N);
}

std::string WrapTextW(const std::string& Text, int32_t Width) {
  const std::u16string T = Utf8ToUtf16(Text);
  const std::size_t W = Width < 0 ? 0 : static_cast<std::size_t>(Width);
  std::u16string Result;
  std::u16string Line;
  std::size_t NextDot = T.find(u'.');
  for (std::size_t I = 0; I < T.size(); ++I) {
    Line += T[I];
    // Distance (1-based) from the next character to the next "." after I.
    if (NextDot != std::u16string::npos && NextDot <= I) NextDot = T.find(u'.', I + 1);
    const std::size_t Ahead = NextDot == std::u16string::npos ? std::u16string::npos : NextDot - I;
    const std::size_t L = Line.size();
    const bool EndsSentence = L >= 2 && Line[L - 2] == u'.' && Line[L - 1] == u' ';
    const bool EndsBlank = Line[L - 1] == u' ';
    if ((L > W && EndsSentence && Ahead > 5) || (L > W + 12 && EndsBlank && Ahead > 10)) {
      Result += Line;
      Result += u"\r\n";
      Line.clear();
    }
  }
  Result += Line;
  return Utf16ToUtf8(Result);
}

}  // namespace kromel
