#include <gtest/gtest.h>

#include <sstream>

#include "foundation/wide_string_utils.h"

using namespace kromel;

TEST(UTF7, EncodesAndDecodesTheTable) {
  struct Case {
    const char* Text;
    const char* Form;
  };
  const Case Cases[] = {
      {"A+B", "A+-B"},
      {"\xC2\xA3" "1", "+AKM-1"},                       // £1
      {"Hi Mom -\xE2\x98\xBA-!", "Hi Mom -+Jjo--!"},    // ☺
      {"a~b", "a+AH4-b"},
      {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "+ZeVnLIqe"},  // 日本語, no closing '-'
      {"a b", "a b"},
      {"", ""},
      {"+", "+-"},
      {"\xF0\x9F\x98\x80", "+2D3eAA"},                  // a surrogate pair
      {"x\\y", "x+AFw-y"},                              // "\" is in no direct set
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(WideStringToUTF7(C.Text), C.Form) << C.Text;
    EXPECT_EQ(UTF7ToWideString(C.Form), C.Text) << C.Form;
  }
  EXPECT_EQ(UTF7ToWideString("+ZeVnLIqe-"), "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
  EXPECT_EQ(UTF7ToWideString("+AKM-+AKM-"), "\xC2\xA3\xC2\xA3");
}

TEST(UTF7, RefusesMalformedForms) {
  for (const char* Bad : {"+", "++", "+!", "+AKN-", "a\xC3\xA9", "+AB-", "x+"}) {
    EXPECT_THROW(
        {
          try {
            UTF7ToWideString(Bad);
          } catch (const EUTF7Error& E) {
            EXPECT_STREQ(E.what(), "Invalid UTF7");
            throw;
          }
        },
        EUTF7Error)
        << Bad;
  }
}

TEST(UTF7, ConvertersStopWhenTheTargetIsFull) {
  const char16_t Src[] = u"\u00A3\u00A3";
  const char16_t* S = Src;
  char Out[3];
  char* T = Out;
  EXPECT_EQ(ConvertUCS2toUTF7(S, Src + 2, T, Out + 3, true, false), UTF7TargetFull);
  EXPECT_EQ(T, Out + 3);

  // Verbose closes every run with '-', even at the end.
  S = Src;
  char Big[16];
  T = Big;
  EXPECT_EQ(ConvertUCS2toUTF7(S, Src + 2, T, Big + 16, true, true), UTF7Done);
  EXPECT_EQ(std::string(Big, T), "+AKMAow-");
  // Without the optional set "!" is shifted.
  const char16_t Bang[] = u"!";
  S = Bang;
  T = Big;
  EXPECT_EQ(ConvertUCS2toUTF7(S, Bang + 1, T, Big + 16, false, false), UTF7Done);
  EXPECT_EQ(std::string(Big, T), "+ACE");

  const std::string Form = "+AKMAow-";
  const char* F = Form.data();
  char16_t One[1];
  char16_t* U = One;
  EXPECT_EQ(ConvertUTF7toUCS2(F, Form.data() + Form.size(), U, One + 1), UTF7TargetFull);
  EXPECT_EQ(One[0], u'\u00A3');
}

TEST(StreamBOM, DetectsAndConsumesMarks) {
  struct Case {
    std::string Bytes;
    TStreamBOM Kind;
    std::streamoff After;
  };
  const Case Cases[] = {
      {"\xFF\xFE" "A", bomUTF16LE, 2}, {"\xFE\xFF", bomUTF16BE, 2}, {"\xEF\xBB\xBF" "A", bomUTF8, 3},
      {"A", bomNone, 0},               {"ABC", bomNone, 0},         {"\xEF\xBB", bomNone, 0},
      {"", bomNone, 0},
  };
  for (const Case& C : Cases) {
    std::istringstream S(C.Bytes);
    EXPECT_EQ(DetectStreamBOM(S), C.Kind);
    EXPECT_EQ(static_cast<std::streamoff>(S.tellg()), C.After);
  }
  // From the current position, not the start.
  std::istringstream S("xx\xFF\xFE");
  S.seekg(2);
  EXPECT_EQ(DetectStreamBOM(S), bomUTF16LE);
}

TEST(WideStrings, SwapAndPos) {
  std::u16string T = u"\u0102\u0304";
  T += char16_t(0);
  T += u'\u0506';
  SwapWideCharBytes(T);
  EXPECT_EQ(T[0], u'\u0201');
  EXPECT_EQ(T[1], u'\u0403');
  EXPECT_EQ(T[3], u'\u0506');  // after the zero unit: untouched

  EXPECT_EQ(WidePos(u"b", u"abc"), 2);
  EXPECT_EQ(WidePos(u"", u"abc"), 0);
  EXPECT_EQ(WidePos(u"abcd", u"abc"), 0);
  EXPECT_EQ(WidePos(u"x", u"abc"), 0);
  EXPECT_EQ(WidePos(u"B", u"abc"), 0);
}
