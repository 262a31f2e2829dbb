#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <limits>
#include <locale>
#include <string>
#include <vector>

#include "foundation/date_time.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"

using namespace kromel;

namespace {

struct TTextCase {
  const char* Name;
  std::function<std::string()> Make;
  std::string Expected;
};

std::vector<TTextCase> TextCases() {
  return {
      {"D6(0.5)", [] { return FloatToStrD6(0.5); }, "0.500000"},
      {"D6(1)", [] { return FloatToStrD6(1); }, "1.000000"},
      {"D6(3000)", [] { return FloatToStrD6(3000); }, "3000.000000"},
      {"D6(1e10)", [] { return FloatToStrD6(1e10); }, "10000000000.000000"},
      {"D6(-2.5e-7)", [] { return FloatToStrD6(-2.5e-7); }, "0.000000"},
      {"D6(-0.25)", [] { return FloatToStrD6(-0.25); }, "-0.250000"},
      {"D8(1e-9)", [] { return FloatToStrD8(1e-9); }, "0.00000000"},
      {"D1(0)", [] { return FloatToStrD1(0); }, "0.0"},
      {"D1(0.25)", [] { return FloatToStrD1(0.25f); }, "0.2"},
      {"D1(0.35)", [] { return FloatToStrD1(0.35f); }, "0.4"},
      {"D1(0.15)", [] { return FloatToStrD1(0.15f); }, "0.2"},
      {"D1(-0.04)", [] { return FloatToStrD1(-0.04f); }, "0.0"},
      {"D1(-0.06)", [] { return FloatToStrD1(-0.06f); }, "-0.1"},
      {"D1Signed(0)", [] { return FloatToStrD1Signed(0); }, "+0.0"},
      {"D1Signed(-0.04)", [] { return FloatToStrD1Signed(-0.04f); }, "+0.0"},
      {"D1Signed(-0.06)", [] { return FloatToStrD1Signed(-0.06f); }, "-0.1"},
      {"D2(1.005)", [] { return FloatToStrD2(1.005f); }, "1.00"},
      {"D2(2.675)", [] { return FloatToStrD2(2.675f); }, "2.68"},
      {"D2(-0.05)", [] { return FloatToStrD2(-0.05f); }, "-0.05"},
      {"D2(50000000)", [] { return FloatToStrD2(50000000.0f); }, "50000000.00"},
      {"D2(1e8) general", [] { return FloatToStrD2(1e8f); }, "100000000"},
      {"D2(NaN) general", [] { return FloatToStrD2(std::numeric_limits<float>::quiet_NaN()); }, "Nan"},
      {"D2Plus(-0.001)", [] { return FloatToStrD2Plus(-0.001f); }, "+0.00"},
      {"D2Signed(-0.001)", [] { return FloatToStrD2Signed(-0.001f); }, "0.00"},
      {"D2Signed(1.5)", [] { return FloatToStrD2Signed(1.5f); }, "+1.50"},
      {"D3(-1.25)", [] { return FloatToStrD3(-1.25f); }, "-1.250"},
      {"D4(300000)", [] { return FloatToStrD4(300000.0f); }, "300000.0000"},
      {"D5(0.5)", [] { return FloatToStrD5(0.5f); }, "0.50000"},
      {"ZeroPad(7,3)", [] { return IntToStrZeroPad(7, 3); }, "007"},
      {"ZeroPad(-7,3)", [] { return IntToStrZeroPad(-7, 3); }, "-007"},
      {"ZeroPad(1234,3)", [] { return IntToStrZeroPad(1234, 3); }, "1234"},
      {"ZeroPad(0,0)", [] { return IntToStrZeroPad(0, 0); }, "0"},
      {"Int64ZeroPad(min)", [] { return Int64ToStrZeroPad(std::numeric_limits<int64_t>::min(), 2); },
       "-9223372036854775808"},
      {"Signed(0)", [] { return IntToStrSigned(0); }, " 0"},
      {"Signed(min)", [] { return IntToStrSigned(-2147483647 - 1); }, "-2147483648"},
      {"Signed(12)", [] { return IntToStrSigned(12); }, "+12"},
      {"Signed3(5)", [] { return IntToStrSigned3(5); }, " +5"},
      {"Signed3(0)", [] { return IntToStrSigned3(0); }, " +0"},
      {"Signed3(-12)", [] { return IntToStrSigned3(-12); }, "-12"},
      {"Pad3(-5)", [] { return IntToStrPad3(-5); }, " -5"},
      {"Pad4(12345)", [] { return IntToStrPad4(12345); }, "12345"},
      {"Grouped(1234567)", [] { return IntToStrGrouped(1234567); }, "1 234 567"},
      {"Grouped(-1000)", [] { return IntToStrGrouped(-1000); }, "-1 000"},
      {"Grouped(999)", [] { return IntToStrGrouped(999); }, "999"},
      {"Grouped(0)", [] { return IntToStrGrouped(0); }, "0"},
      {"AmpToDBText(0)", [] { return AmpToDBText(0); }, "Off"},
      {"AmpToDBText(1)", [] { return AmpToDBText(1); }, "0.0"},
      {"PanToStr(0)", [] { return PanToStr(0); }, "<C>"},
      {"PanToStr(-0.25)", [] { return PanToStr(-0.25f); }, "25 L"},
      {"PanToStr(0.001)", [] { return PanToStr(0.001f); }, "0 R"},
      {"Quarters(1)", [] { return QuartersToFraction(1); }, "1/4"},
      {"Quarters(0.5)", [] { return QuartersToFraction(0.5f); }, "1/8"},
      {"Quarters(1.5)", [] { return QuartersToFraction(1.5f); }, "3/8"},
      {"Quarters(4)", [] { return QuartersToFraction(4); }, "1/1"},
      {"Quarters(1/3)", [] { return QuartersToFraction(1.0f / 3); }, "1/12"},
      {"Quarters(0.3)", [] { return QuartersToFraction(0.3f); }, "4.8/64"},
      {"HexDump(AB)", [] { return StrToHexDump("AB"); }, "(1) 0041 0042"},
      {"HexDump()", [] { return StrToHexDump(""); }, "(1)"},
      {"LeadingZeros('  12')", [] { return LeadingSpacesToZeros("  12"); }, "0012"},
      {"LeadingZeros('1 2')", [] { return LeadingSpacesToZeros("1 2"); }, "1 2"},
      {"Bool", [] { return BoolToTrueFalse(true) + BoolToOnOff(false); }, "TrueOff"},
  };
}

void CheckAllTexts() {
  for (const auto& C : TextCases()) EXPECT_EQ(C.Make(), C.Expected) << C.Name;
}

}  // namespace

TEST(NumberFormat, TextsAreExact) { CheckAllTexts(); }

TEST(NumberFormat, TextsIgnoreAGermanLocale) {
  const char* Old = std::setlocale(LC_ALL, nullptr);
  std::string Saved = Old ? Old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 not installed (scripts/setup makes it)";
  std::locale OldGlobal = std::locale::global(std::locale("de_DE.UTF-8"));
  CheckAllTexts();
  EXPECT_FLOAT_EQ(StrToFloatLeading("12.5 mm"), 12.5f);
  EXPECT_EQ(StrToFloatLeading("3,7"), 3.0f);
  std::locale::global(OldGlobal);
  std::setlocale(LC_ALL, Saved.c_str());
}

TEST(NumberFormat, LeadingNumberParsers) {
  EXPECT_FLOAT_EQ(StrToFloatLeading("12.5 mm"), 12.5f);
  EXPECT_EQ(StrToFloatLeading("3,7"), 3.0f);
  EXPECT_EQ(StrToFloatLeading("abc"), 0.0f);
  EXPECT_EQ(StrToFloatLeading(""), 0.0f);
  EXPECT_EQ(StrToFloatLeading("  -2.5e2x"), -250.0f);
  EXPECT_EQ(StrToFloatLeading("+1e"), 1.0f);
  EXPECT_EQ(StrToDoubleLeading("0.1"), 0.1);
  EXPECT_EQ(StrToIntLeading("12abc"), 12);
  EXPECT_EQ(StrToIntLeading(" -42"), -42);
  EXPECT_EQ(StrToIntLeading("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(StrToIntLeading("x1"), 0);
  // Beyond the 32-bit range the value saturates; no digit is dropped.
  EXPECT_EQ(StrToIntLeading("4000000000"), 2147483647);
  EXPECT_EQ(StrToIntLeading("2147483648x"), 2147483647);
  EXPECT_EQ(StrToIntLeading("-4000000000"), -2147483647 - 1);
  EXPECT_EQ(StrToIntLeading("99999999999999999999999"), 2147483647);
}

// Values no integer holds (NaN, 1e30) give defined texts: NaN as 0, the rest
// saturated, never an undefined float-to-integer cast.
TEST(NumberFormat, NonFiniteAndHugeValuesStayDefined) {
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(PanToStr(NaN), "0 R");
  EXPECT_EQ(PanToStr(1e30f), "9223372036854775807 R");
  EXPECT_EQ(PanToStr(-1e30f), "9223372036854775807 L");
  EXPECT_EQ(QuartersToFraction(1e30f), "9223372036854775807/1");
  EXPECT_EQ(RoundToInt64Saturated(-1e300), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(RoundToInt64Saturated(2.5), 2);
  int Y, Mo, D, H, Mi, S, Ms;
  DecodeDateTime(std::numeric_limits<double>::quiet_NaN(), Y, Mo, D, H, Mi, S, Ms);
  EXPECT_EQ((std::vector<int>{Y, Mo, D, H, Mi, S, Ms}),
            (std::vector<int>{1899, 12, 30, 0, 0, 0, 0}));
  DecodeDateTime(1e300, Y, Mo, D, H, Mi, S, Ms);
  EXPECT_GT(Y, 100000000);
}

TEST(NumberFormat, HexToInt) {
  struct {
    const char* Text;
    int64_t Value;
  } Cases[] = {{"ff", 255}, {"FFH", 255}, {"1Fh", 31}, {"$1F", 0},       {"0x1F", 0},
               {"G1", 0},   {"", 0},      {"H", 0},    {"FFFFFFFFFFFFFFFF", -1}};
  for (const auto& C : Cases) EXPECT_EQ(HexToInt(C.Text), C.Value) << C.Text;
}

TEST(NumberFormat, EvalIntegerSum) {
  struct {
    const char* Text;
    int32_t Value;
  } Cases[] = {{"10+5-3", 12}, {"10 +5 -3", 12}, {"-4+10", 6}, {"", 0},
               {"10*2", 0},    {"10 + 5", 15},   {"7", 7},     {"1-x+2", 3}};
  for (const auto& C : Cases) EXPECT_EQ(EvalIntegerSum(C.Text), C.Value) << C.Text;
}
