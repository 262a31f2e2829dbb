#include "params/parameters.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kromel {
namespace {

// Captures ErrorMessageProc for one test.
using TReportCapture = kromel::testing::TErrorCapture;
std::vector<std::string>& Reports = kromel::testing::CapturedErrors();

// A child whose reader always fails, as some composite kinds do.
class TFailingParameter : public TControlledParameter {
public:
  using TControlledParameter::TControlledParameter;
  int Loads = 0;
  void SaveToXML(std::string& Text) override { Text = "<" + Name + "></" + Name + ">\n"; }
  bool LoadFromXML(const std::string&) override {
    ++Loads;
    return false;
  }
};

TEST(ParameterText, SingleSixDecimalsUnderAnyLocale) {
  struct TCase {
    float Value;
    const char* Text;
  };
  const TCase Cases[] = {
      {0.5f, "0.500000"},          {-0.25f, "-0.250000"},       {12.3456789f, "12.345679"},
      {1e-7f, "0.000000"},         {-0.0000004f, "0.000000"},   {0.0f, "0.000000"},
      {2147.25f, "2147.250000"},   {-2147.25f, "-2147.250000"},
      // Beyond the old 32-bit range the text is still the value's own.
      {2147.5f, "2147.500000"},    {-2147.5f, "-2147.500000"},  {3000.5f, "3000.500000"},    {-65536.25f, "-65536.250000"}, {1e6f, "1000000.000000"},
  };
  const char* Locales[] = {"C", "de_DE.utf8"};
  for (const char* Name : Locales) {
    const char* Old = std::setlocale(LC_ALL, nullptr);
    const std::string Saved = Old != nullptr ? Old : "C";
    if (std::setlocale(LC_ALL, Name) == nullptr) continue;  // not installed here
    for (const TCase& C : Cases)
      EXPECT_EQ(ParameterSingleToText(C.Value), C.Text) << Name << " " << C.Value;
    std::setlocale(LC_ALL, Saved.c_str());
  }
}

TEST(ParameterText, SingleNotANumberOrInfinityGivesReadableText) {
  EXPECT_EQ(ParameterSingleToText(std::numeric_limits<float>::quiet_NaN()), "Nan");
  EXPECT_EQ(ParameterSingleToText(std::numeric_limits<float>::infinity()), "+Inf");
  EXPECT_EQ(ParameterSingleToText(-std::numeric_limits<float>::infinity()), "-Inf");
}

TEST(ParameterText, ScalarElementsRoundTrip) {
  TParameterList List;
  TControlledParameterSingle Exposure(&List, "Exposure", 0.5f);
  TControlledParameterInteger Mode(&List, "Mode", -7);
  std::string Text;
  Exposure.SaveToXML(Text);
  EXPECT_EQ(Text, "<Exposure>0.500000</Exposure>\n");
  Mode.SaveToXML(Text);
  EXPECT_EQ(Text, "<Mode>-7</Mode>\n");

  TControlledParameterSingle Copy(nullptr, "Exposure", 0);
  EXPECT_TRUE(Copy.LoadFromXML("<Exposure>-1.250000</Exposure>\n"));
  EXPECT_EQ(Copy.Value, -1.25f);
  EXPECT_TRUE(Copy.LoadFromXML("<Exposure>3000.500000</Exposure>\n"));
  EXPECT_EQ(Copy.Value, 3000.5f);
  // Missing or unparsable text gives 0 and True.
  EXPECT_TRUE(Copy.LoadFromXML(""));
  EXPECT_EQ(Copy.Value, 0.0f);
  Copy.SetValue(2);
  EXPECT_TRUE(Copy.LoadFromXML("<Exposure>abc</Exposure>"));
  EXPECT_EQ(Copy.Value, 0.0f);
  // Numbers beyond the Single range saturate, and what is written of them
  // reads back the same.
  for (const auto& [In, Out] : {std::pair<const char*, float>{"<Exposure>2e39</Exposure>", 3.4028235e38f},
                                {"<Exposure>-2.e200000</Exposure>", -3.4028235e38f},
                                {"<Exposure>1e-60</Exposure>", 0.0f}}) {
    EXPECT_TRUE(Copy.LoadFromXML(In));
    EXPECT_EQ(Copy.Value, Out) << In;
    Copy.SaveToXML(Text);
    TControlledParameterSingle Back(nullptr, "Exposure", 1);
    EXPECT_TRUE(Back.LoadFromXML(Text));
    EXPECT_EQ(Back.Value, Out) << Text;
  }
  // A backslash makes the next character ordinary and is dropped.
  TControlledParameterInteger Int(nullptr, "N", 0);
  EXPECT_TRUE(Int.LoadFromXML("<N>1\\23</N>"));
  EXPECT_EQ(Int.Value, 123);
}

TEST(ParameterChangeRule, Table) {
  struct TCase {
    const char* Name;
    float Start;
    float Set;
    int Calls;
  };
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  const TCase Cases[] = {
      {"equal value", 0.5f, 0.5f, 0},
      {"new value", 0.5f, 0.75f, 1},
      {"NaN over NaN", NaN, NaN, 1},
      {"NaN over a number", 0.5f, NaN, 1},
      {"number over NaN", NaN, 0.5f, 1},
      {"minus zero over zero", 0.0f, -0.0f, 0},
  };
  for (const TCase& C : Cases) {
    TControlledParameterSingle P(nullptr, "P", 0);
    P.SetValueSilent(C.Start);
    if (std::isnan(C.Start)) P.Value = C.Start;
    int Calls = 0;
    P.OnChange = [&](void* Sender) {
      EXPECT_EQ(Sender, &P);
      ++Calls;
    };
    P.SetValue(C.Set);
    EXPECT_EQ(Calls, C.Calls) << C.Name;
    EXPECT_EQ(P.ChangeDepth, 0) << C.Name;
  }
}

TEST(ParameterChangeRule, NestedSetStoresWithoutSecondNotification) {
  TControlledParameterSingle P(nullptr, "P", 0);
  int Calls = 0;
  P.OnChange = [&](void*) {
    ++Calls;
    P.SetValue(0.9f);  // from inside its own notification
  };
  P.SetValue(0.3f);
  EXPECT_EQ(Calls, 1);
  EXPECT_EQ(P.Value, 0.9f);
  EXPECT_EQ(P.ChangeDepth, 0);
  // A later change notifies again.
  P.SetValue(0.1f);
  EXPECT_EQ(Calls, 2);
}

TEST(ParameterChangeRule, SilentSetAndDefaults) {
  int Calls = 0;
  TControlledParameterSingle P(nullptr, "P", 0.25f);
  EXPECT_EQ(P.Value, 0.25f);
  EXPECT_EQ(P.DefaultValue, 0.25f);
  P.OnChange = [&](void*) { ++Calls; };
  P.SetValueSilent(0.75f);
  EXPECT_EQ(P.Value, 0.75f);
  EXPECT_EQ(Calls, 0);
}

TEST(ParameterChangeRule, IntegerAsBoolean) {
  TControlledParameterInteger P(nullptr, "Enabled", 5);
  int Calls = 0;
  P.OnChange = [&](void*) { ++Calls; };
  EXPECT_TRUE(P.GetAsBoolean());
  P.SetAsBoolean(true);
  EXPECT_EQ(P.Value, 1);
  EXPECT_EQ(Calls, 1);
  P.SetAsBoolean(true);
  EXPECT_EQ(Calls, 1);
  P.SetValue(-3);
  EXPECT_FALSE(P.GetAsBoolean());
}

TEST(ParameterChangeRule, LoadAlwaysNotifiesOnceMore) {
  struct TCase {
    float Held;
    int Calls;
  };
  for (const TCase& C : {TCase{0.5f, 1}, TCase{0.4f, 2}}) {
    TControlledParameterSingle P(nullptr, "Exposure", C.Held);
    int Calls = 0;
    P.OnChange = [&](void*) { ++Calls; };
    EXPECT_TRUE(P.LoadFromXML("<Exposure>0.500000</Exposure>"));
    EXPECT_EQ(Calls, C.Calls) << C.Held;
    EXPECT_EQ(P.Value, 0.5f);
  }
}

// A section with a single, an integer and a nested section.
class SectionTest : public ::testing::Test {
protected:
  TSectionPreset Basic{nullptr, "Basic"};
  TControlledParameterSingle* Exposure = new TControlledParameterSingle(&Basic.Children, "Exposure", 0.5f);
  TControlledParameterInteger* Mode = new TControlledParameterInteger(&Basic.Children, "Mode", 3);
  TSectionPreset* Inner = new TSectionPreset(&Basic.Children, "Inner");
  TControlledParameterSingle* Gain = new TControlledParameterSingle(&Inner->Children, "Gain", 1.5f);
};

TEST_F(SectionTest, WritesTaggedText) {
  EXPECT_EQ(Basic.GetXMLTag(), "tab section=\"Basic\"");
  std::string Text;
  Basic.SaveToXML(Text);
  EXPECT_EQ(Text,
            "<tab section=\"Basic\">\n"
            "<Exposure>0.500000</Exposure>\n"
            "<Mode>3</Mode>\n"
            "<tab section=\"Inner\">\n"
            "<Gain>1.500000</Gain>\n"
            "</tab>\n"
            "</tab>\n");
  Basic.SaveChildToXML(Text, Mode);
  EXPECT_EQ(Text, "<tab section=\"Basic\">\n<Mode>3</Mode>\n</tab>\n");
  EXPECT_EQ(Text.find('\r'), std::string::npos);
}

TEST_F(SectionTest, LoadsChildrenAndZeroesMissingScalars) {
  std::string Text;
  Basic.SaveToXML(Text);
  Exposure->SetValue(0);
  Mode->SetValue(0);
  Gain->SetValue(0);
  EXPECT_TRUE(Basic.LoadFromXML(Text));
  EXPECT_EQ(Exposure->Value, 0.5f);
  EXPECT_EQ(Mode->Value, 3);
  EXPECT_EQ(Gain->Value, 1.5f);

  // Without the Mode element and the nested section: the integer becomes 0,
  // the nested section is left alone.
  EXPECT_TRUE(Basic.LoadFromXML("<tab section=\"Basic\">\n<Exposure>0.250000</Exposure>\n</tab>\n"));
  EXPECT_EQ(Exposure->Value, 0.25f);
  EXPECT_EQ(Mode->Value, 0);
  EXPECT_EQ(Gain->Value, 1.5f);

  // An empty text changes nothing.
  EXPECT_TRUE(Basic.LoadFromXML(""));
  EXPECT_EQ(Exposure->Value, 0.25f);
}

TEST_F(SectionTest, FailingChildStopsLaterChildren) {
  TSectionPreset Section(nullptr, "S");
  auto* Failing = new TFailingParameter(&Section.Children, "Fails");
  auto* Later = new TControlledParameterSingle(&Section.Children, "Later", 0.5f);
  EXPECT_FALSE(Section.LoadFromXML("<tab section=\"S\">\n<Fails></Fails>\n<Later>0.750000</Later>\n</tab>\n"));
  EXPECT_EQ(Failing->Loads, 1);
  EXPECT_EQ(Later->Value, 0.5f);
}

// Values kept within a control's range: read limited, loaded limited, and
// limited in place below a section (isolated ones left alone).
TEST(ParameterRange, LimitedReadsLoadsAndSections) {
  TSectionPreset Section(nullptr, "S");
  auto* F = new TControlledParameterSingle(&Section.Children, "F", 0.25f);
  auto* N = new TControlledParameterInteger(&Section.Children, "N", 1);
  auto* Kept = new TControlledParameterInteger(&Section.Children, "Kept", 1);
  F->SetRange(0, 1);
  N->SetRange(0, 4);
  Kept->SetRange(0, 4);
  const float Inf = std::numeric_limits<float>::infinity();
  const struct {
    float In, Out;
  } Singles[] = {{0.5f, 0.5f}, {std::nanf(""), 0.25f}, {Inf, 1}, {-Inf, 0}, {1e30f, 1}, {-2, 0}};
  for (const auto& C : Singles) {
    F->Value = C.In;
    EXPECT_EQ(F->Limited(), C.Out) << C.In;
  }
  N->Value = 9;
  EXPECT_EQ(N->Limited(), 4);
  EXPECT_TRUE(F->LoadFromXML("<F>1e39</F>"));
  EXPECT_EQ(F->Value, 1.0f);
  EXPECT_TRUE(N->LoadFromXML("<N>-7</N>"));
  EXPECT_EQ(N->Value, 0);

  F->Value = std::nanf("");
  N->Value = 12;
  Kept->Value = 12;
  Kept->Isolate = true;
  int Notified = 0;
  N->OnChange = [&](void*) { ++Notified; };
  LimitParameterValues(Section);
  EXPECT_EQ(F->Value, 0.25f);
  EXPECT_EQ(N->Value, 4);
  EXPECT_EQ(Notified, 1);
  EXPECT_EQ(Kept->Value, 12);
  // Without a range a single keeps any finite value; an infinity saturates.
  TControlledParameterSingle Free(nullptr, "Free", 0);
  EXPECT_TRUE(Free.LoadFromXML("<Free>12.5</Free>"));
  EXPECT_EQ(Free.Value, 12.5f);
  EXPECT_TRUE(Free.LoadFromXML("<Free>-1e39</Free>"));
  EXPECT_EQ(Free.Value, -std::numeric_limits<float>::max());
}

TEST(ParameterOwnership, SectionDestroysChildrenOnceAndListsForget) {
  TReportCapture Capture;
  auto* Section = new TSectionPreset(nullptr, "S");
  auto* A = new TControlledParameterSingle(&Section->Children, "A", 0);
  new TControlledParameterSingle(&Section->Children, "B", 0);
  EXPECT_EQ(Section->GetCount(), 2);
  EXPECT_EQ(Section->GetChild(0), A);
  EXPECT_EQ(Section->GetChild(2), nullptr);
  delete A;  // its holder frees it first: it leaves the list
  EXPECT_EQ(Section->GetCount(), 1);
  delete Section;  // frees B only
  EXPECT_TRUE(Reports.empty());

  // A list that goes before its parameters leaves them no dangling owner.
  auto* List = new TParameterList;
  TControlledParameterInteger P(List, "P", 0);
  EXPECT_EQ(P.Owner, List);
  delete List;
  EXPECT_EQ(P.Owner, nullptr);
}

TEST(ParameterOwnership, UnregisteringAStrangerReports) {
  TReportCapture Capture;
  TParameterList List;
  TControlledParameterInteger P(nullptr, "Stranger", 0);
  List.UnregisterParameter(&P);
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0], "TParameterList.UnregisterParameter failed to find Stranger");
  EXPECT_EQ(List.Count(), 0);
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

// A child named like the start of an earlier sibling ("Blend" after
// "BlendingMode") reads its own element, not the sibling's.
TEST(ParameterText, ChildElementsMatchWholeTagNames) {
  TSectionPreset Section(nullptr, "Master");
  auto* Mode = new TControlledParameterInteger(&Section.Children, "BlendingMode", 0);
  auto* Blend = new TControlledParameterSingle(&Section.Children, "Blend", 0.5f);
  auto* Inner = new TSectionPreset(&Section.Children, "Inner");
  auto* InnerValue = new TControlledParameterInteger(&Inner->Children, "Value", 0);
  Mode->SetValue(3);
  Blend->SetValue(0.75f);
  InnerValue->SetValue(9);
  std::string Text;
  Section.SaveToXML(Text);
  Mode->SetValue(0);
  Blend->SetValue(0);
  InnerValue->SetValue(0);
  ASSERT_TRUE(Section.LoadFromXML(Text));
  EXPECT_EQ(Mode->Value, 3);
  EXPECT_EQ(Blend->Value, 0.75f);
  EXPECT_EQ(InnerValue->Value, 9);

  EXPECT_EQ(GetParameterElement("<Blend2>1</Blend2>\n<Blend>2</Blend>\n", "Blend"),
            "<Blend>2</Blend>");
  EXPECT_EQ(GetParameterElement("<curve name=\"A\" points=\"1\">\n</curve>\n", "curve name=\"A\""),
            "<curve name=\"A\" points=\"1\">\n</curve>");
  EXPECT_EQ(GetParameterElement("<Blend>2", "Blend"), "");
  EXPECT_EQ(GetParameterElement("<Blend", "Blend"), "");
}

}  // namespace
}  // namespace kromel
