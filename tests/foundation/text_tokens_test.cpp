#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "foundation/byte_stream.h"
#include "foundation/text_tokens.h"
#include "foundation/wide_string_list.h"

using namespace kromel;

namespace {
std::string Trimmed(void (*Trim)(std::string&), std::string S) {
  Trim(S);
  return S;
}
}  // namespace

TEST(TextTokens, TrimsRemoveOnlyTheirCharacters) {
  EXPECT_EQ(TrimBlanks(" \tab \t"), "ab");
  EXPECT_EQ(TrimBlanks(" \t"), "");
  EXPECT_EQ(Trimmed(TrimLeadingBlanks, "\t a b "), "a b ");
  EXPECT_EQ(Trimmed(TrimLeadingSpacesShort, "\t a"), "\t a");
  EXPECT_EQ(Trimmed(TrimTrailingSpaces, "a \t  "), "a \t");
  EXPECT_EQ(Trimmed(TrimTrailingSpacesAndUnderscores, "name_ _"), "name");
  EXPECT_EQ(Trimmed(TrimTrailingSpacesAndDots, "a_. ."), "a_");
  EXPECT_EQ(Trimmed(TrimTrailingSpacesUnderscoresAndDots, "a-._ "), "a-");
  EXPECT_EQ(Trimmed(TrimTrailingLineBreaks, "a\r\n\n"), "a");
  EXPECT_EQ(Trimmed(TrimTrailingNulls, std::string("a \0\0", 4)), "a ");
  EXPECT_EQ(Trimmed(TrimTrailingSpaces, std::string("a\0", 2)), std::string("a\0", 2));
}

TEST(TextTokens, ReplaceAndSearch) {
  std::string S = "a-b-c";
  EXPECT_TRUE(ReplaceFirst(S, "-", "+"));
  EXPECT_EQ(S, "a+b-c");
  S = "abc";
  EXPECT_FALSE(ReplaceFirst(S, "x", "y"));
  EXPECT_FALSE(ReplaceFirst(S, "", "y"));
  EXPECT_EQ(S, "abc");
  EXPECT_EQ(SpacesToUnderscores("a b  c"), "a_b__c");
  EXPECT_EQ(EscapeSingleQuotes("it's"), "it''s");
  EXPECT_EQ(PosW("b", "abcb"), 2);
  EXPECT_EQ(PosW("", "abc"), 0);
  EXPECT_EQ(PosW("x", ""), 0);
  EXPECT_EQ(StringReplaceW("aaa", "a", "aa", true), "aaaaaa");
  EXPECT_EQ(StringReplaceW("aaa", "a", "aa", false), "aaaa");
  EXPECT_EQ(StringReplaceW("abc", "", "x", true), "abc");
  EXPECT_EQ(StringReplaceW("a//b//c", "//", "/", true), "a/b/c");
  EXPECT_EQ(CountCharOccurrences("a,b,,c", ','), 3);
  EXPECT_EQ(CountLines(""), 1);
  EXPECT_EQ(CountLines("a\nb\n"), 3);
}

TEST(TextTokens, CommonPrefixIgnoresAsciiCaseAndKeepsUtf8Whole) {
  EXPECT_EQ(CommonPrefix("abcd", "ABx"), "ab");
  EXPECT_EQ(CommonPrefix("abc", "xyz"), "a");
  EXPECT_EQ(CommonPrefix("", "xyz"), "");
  EXPECT_EQ(CommonPrefix("abc", "ab"), "ab");
  // "é" and "è" share their first byte: the prefix stops at a whole character.
  EXPECT_EQ(CommonPrefix("x\xC3\xA9", "x\xC3\xA8"), "x");
  EXPECT_EQ(CommonPrefix("\xC3\xA9z", "q"), "\xC3\xA9");
}

TEST(TextTokens, FindBytes) {
  EXPECT_EQ(FindBytes("abc", 3, "bc", 2), 1);  // a match ending at the last byte
  EXPECT_EQ(FindBytes("abc", 3, "cd", 2), -1);
  EXPECT_EQ(FindBytes("abc", 3, "", 0), 0);
  EXPECT_EQ(FindBytes("ab", 2, "abc", 3), -1);
  EXPECT_EQ(FindBytes("a\0b\0c", 5, "\0c", 2), 3);
  EXPECT_EQ(FindBytes(nullptr, 4, "a", 1), -1);
  EXPECT_EQ(FindBytes("abc", -1, "a", 1), -1);
}

struct TItemCase {
  const char* Name;
  std::function<std::string(const std::string&, int32_t)> Get;
  std::string Text;
  int32_t N;
  std::string Expected;
};

TEST(TextTokens, ItemReadersKindAAndB) {
  const std::vector<TItemCase> Cases = {
      {"tab column", GetTabColumn, "a\tb\tc", 1, "b"},
      {"tab column past end", GetTabColumn, "a\tb\tc", 7, "c"},
      {"tab column negative", GetTabColumn, "a\tb\tc", -3, "a"},
      {"tab column W", GetTabColumnW, "\xC3\xA9\tb", 0, "\xC3\xA9"},
      {"tab item past end", GetTabItem, "a\tb\tc", 7, ""},
      {"tab item last", GetTabItem, "a\tb\tc", 2, "c"},
      {"bar item", GetBarItem, "a|b", 1, "b"},
      {"bar item past end", GetBarItem, "a|b", 2, ""},
      {"dash item", GetDashItem, "x-y-z", 2, "z"},
      {"comma trailing", GetCommaItem, "a,", 1, ""},
      {"comma past end", GetCommaItem, "a,b", 5, "b"},
      {"semicolon", GetSemicolonItem, "x;y;z", 1, "y"},
      {"semicolon W", GetSemicolonItemW, "x;y;z", 9, "z"},
      {"dot", GetDotItem, "1.2.3", 2, "3"},
      {"dot W", GetDotItemW, "1.2.3", 0, "1"},
      {"word blanks", GetWord, "a \t b", 1, "b"},
      {"word leading blank", GetWord, " a  b ", 0, ""},
      {"word past end", GetWord, "a b", 4, "b"},
  };
  for (const auto& C : Cases) EXPECT_EQ(C.Get(C.Text, C.N), C.Expected) << C.Name;
}

TEST(TextTokens, Counts) {
  EXPECT_EQ(CountCommaItems(""), 1);
  EXPECT_EQ(CountCommaItems("a,"), 2);
  EXPECT_EQ(CountTabColumns("a\tb\tc"), 3);
  EXPECT_EQ(CountTabItems("a\tb\tc"), 3);
  EXPECT_EQ(CountSemicolonItems(";"), 2);
  EXPECT_EQ(CountDotItems("a.b.c"), 3);
  EXPECT_EQ(CountBarItems("|a||b|"), 5);
  EXPECT_EQ(CountDashItems("a-b"), 2);
  EXPECT_EQ(CountWords(" a  b "), 4);
  EXPECT_EQ(CountWords("a\t\tb"), 2);
}

TEST(TextTokens, ListsAndLookups) {
  EXPECT_EQ(SplitBarList("|a||b|"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(SplitBarList("").empty());
  auto W = SplitBarListW("Images|*.png;*.tif||\xE6\x97\xA5");
  ASSERT_EQ(W->GetCount(), 3);
  EXPECT_EQ(W->Get(1), "*.png;*.tif");
  EXPECT_EQ(W->Get(2), "\xE6\x97\xA5");

  EXPECT_EQ(IndexOfSemicolonItem("x;y;z", "y"), 1);
  EXPECT_EQ(IndexOfSemicolonItem("x;y;z", ""), -1);
  EXPECT_EQ(IndexOfSemicolonItem("", "y"), -1);
  EXPECT_EQ(IndexOfSemicolonItem("x;y;z", "Y"), -1);
  EXPECT_EQ(IndexOfSemicolonItemPrefix("Alpha;beta", "BE"), 1);
  EXPECT_EQ(IndexOfSemicolonItemPrefix("Alpha;beta", "betas"), -1);
  EXPECT_EQ(IndexOfDotItem("a.b.c", "c"), 2);
  EXPECT_EQ(IndexOfWord("one  two\tthree", "three"), 2);

  const std::vector<std::string> Lines = {"title x", "gamma 1.8", "  GAMMA 2.2", "LUT_SIZE\t33 17",
                                          "GAMMA 2.4"};
  EXPECT_EQ(GetListValueByKey(Lines, "lut_size"), "33");  // a tab counts as a blank
  EXPECT_EQ(GetListValueByKey(Lines, "gamma"), "GAMMA");  // a leading blank shifts the words
  EXPECT_EQ(GetListValueByKey(Lines, "missing"), "");
}

TEST(TextTokens, WideTextToStringsBreaks) {
  std::vector<std::string> L = {"old"};
  WideTextToStrings(u"a\r\nb\r\rc", L);
  EXPECT_EQ(L, (std::vector<std::string>{"a", "b", "", "c"}));
  WideTextToStrings(u"a\n\rb\x2028" u"c\x2029\v\f\xE9\n", L);
  EXPECT_EQ(L, (std::vector<std::string>{"a", "", "b", "c", "", "", "\xC3\xA9"}));
  WideTextToStrings(u"", L);
  EXPECT_TRUE(L.empty());
  L = {"x"};
  WideTextToStrings(nullptr, L);
  EXPECT_TRUE(L.empty());
}

TEST(TextTokens, WideStringStreamForm) {
  TMemoryStream Out;
  WriteWideStringToStream("", Out);
  EXPECT_EQ(Out.Bytes(), std::string(4, '\0'));
  WriteWideStringToStream("A\xC3\xA9\xF0\x9F\x8E\xA8", Out);  // A é 🎨: 4 code units
  EXPECT_EQ(Out.Bytes().substr(4), std::string("\x04\0\0\0A\0\xE9\0\x3C\xD8\xA8\xDF", 12));

  Out.SetPosition(0);
  std::string S = "x";
  ReadWideStringFromStream(S, Out);
  EXPECT_EQ(S, "");
  ReadWideStringFromStream(S, Out);
  EXPECT_EQ(S, "A\xC3\xA9\xF0\x9F\x8E\xA8");
  EXPECT_EQ(Out.Position(), Out.Size());
}

TEST(TextTokens, WideStringStreamFormRefusesShortData) {
  const std::string Six = std::string("\x03\0\0\0", 4) + std::string("a\0b\0c\0", 6);
  {  // an exact fit reads
    TMemoryStream In(Six);
    std::string S;
    ReadWideStringFromStream(S, In);
    EXPECT_EQ(S, "abc");
    EXPECT_EQ(In.Position(), 10);
  }
  {  // one byte short: empty, stream just behind the count
    TMemoryStream In(Six.substr(0, 9));
    std::string S = "keep";
    ReadWideStringFromStream(S, In);
    EXPECT_EQ(S, "");
    EXPECT_EQ(In.Position(), 4);
  }
  for (const char* Count : {"\xFF\xFF\xFF\xFF", "\x00\x00\x00\x80", "\x00\x00\x00\x40"}) {
    TMemoryStream In(std::string(Count, 4) + "ab");
    std::string S = "keep";
    ReadWideStringFromStream(S, In);
    EXPECT_EQ(S, "");
    EXPECT_EQ(In.Position(), 4);
  }
  {  // fewer than 4 bytes: read error, nothing moved
    TMemoryStream In(std::string("\x01\0", 2));
    std::string S = "keep";
    EXPECT_THROW(ReadWideStringFromStream(S, In), EStreamError);
    EXPECT_EQ(S, "keep");
    EXPECT_EQ(In.Position(), 0);
  }
}

TEST(ByteStream, MemoryStreamReadsWritesAndRefusesShortReads) {
  TMemoryStream M;
  M.WriteBuffer("abcdef", 6);
  EXPECT_EQ(M.Size(), 6);
  EXPECT_TRUE(M.SetPosition(2));
  EXPECT_FALSE(M.SetPosition(7));
  EXPECT_FALSE(M.SetPosition(-1));
  char B[8] = {};
  EXPECT_EQ(M.Read(B, 8), 4);
  EXPECT_EQ(std::string(B, 4), "cdef");
  EXPECT_EQ(M.Read(B, 8), 0);
  M.SetPosition(4);
  M.WriteBuffer("XYZ", 3);  // overwrites and grows
  EXPECT_EQ(M.Bytes(), "abcdXYZ");
  M.SetPosition(5);
  EXPECT_THROW(M.ReadBuffer(B, 3), EStreamError);
  EXPECT_EQ(M.Position(), 5);
  M.SetSize(2);
  EXPECT_EQ(M.Position(), 2);
  EXPECT_EQ(M.Remaining(), 0);
}
