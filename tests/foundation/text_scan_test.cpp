#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "foundation/error_sink.h"
#include "foundation/message_hook.h"
#include "foundation/text_scan.h"

using namespace kromel;

namespace {

std::vector<std::string> GReported;
void RecordMessage(const std::string& Text) { GReported.push_back(Text); }

// Routes ErrorMessageProc into GReported for one test.
class ReportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Saved = ErrorMessageProc;
    ErrorMessageProc = RecordMessage;
    GReported.clear();
  }
  void TearDown() override { ErrorMessageProc = Saved; }
  TErrorMessageCallback Saved = nullptr;
};

using TReader = std::function<std::string(const std::string&, const std::string&)>;

struct TReaderCase {
  const char* What;
  TReader Read;
  std::string Text;
  std::string Key;
  std::string Expected;
};

}  // namespace

TEST(TextScan, ValueReadersStopCharactersAndEscapes) {
  const std::vector<TReaderCase> Cases = {
      {"absent key", GetValueAfter, "a=1", "b=", ""},
      {"empty key", GetValueAfter, "a=1", "", ""},
      {"option", GetValueAfter, "x /LUTSIZE: 33 /Q", "/LUTSIZE:", "33"},
      {"stops at &", GetValueAfter, "k=ab&c", "k=", "ab"},
      {"backslash ordinary", GetValueAfter, "k=a\\b<", "k=", "a\\b"},
      {"phrase keeps blanks", GetPhraseAfter, "t:  two words<x", "t:", "two words"},
      {"quoted after >", GetQuotedValueAfter, "<v>1.5</v>", ">", "1.5"},
      {"quoted no skip", GetQuotedValueAfter, "k= a\"", "k=", " a"},
      {"quoted escape", GetQuotedValueAfter, "n=\"a\\\"b\\\\c\"", "n=\"", "a\"b\\c"},
      {"quoted stops '", GetQuotedValueAfter, "n=it's", "n=", "it"},
      {"json escapes", GetJSONStringAfter, "\"s\":\"a\\\"b\\\\c\\/d\\u00e9\"", "\"s\":\"", "a\"b\\c/d\\u00e9"},
      {"json control escapes", GetJSONStringAfter, "\"s\":\"l1\\nl2\\tx\\r\"", "\"s\":\"", "l1\nl2\tx\r"},
      {"number", GetNumberAfter, "v:  -1.25e3", "v:", "-1.25"},
      {"line", GetLineAfter, "Title: A b\r\nnext", "Title:", "A b"},
      {"line W case", GetLineAfterW, "TITLE: \xC3\x89t\xC3\xA9<", "title:", "\xC3\x89t\xC3\xA9"},
      {"value CI keeps case", GetValueAfterCI, "Gamma: AbC d", "GAMMA:", "AbC"},
      {"value CI passes &", GetValueAfterCI, "q=a&b c", "Q=", "a&b"},
      {"attribute", GetAttributeValueAfter, "<a id=x1>", "id=", "x1"},
      {"attribute quote", GetAttributeValueAfter, "id=x1\"", "id=", "x1"},
  };
  for (const auto& C : Cases) EXPECT_EQ(C.Read(C.Text, C.Key), C.Expected) << C.What;
  EXPECT_FLOAT_EQ(GetFloatAfter("g= 2.2 x", "g="), 2.2f);
  EXPECT_EQ(GetFloatAfter("g=", "g="), 0.0f);
  EXPECT_EQ(GetFloatAfter("none", "g="), 0.0f);
}

TEST(TextScan, WordN) {
  EXPECT_EQ(GetWordN("  one two  three", 3), "three");
  EXPECT_EQ(GetWordN("one two", 1), "one");
  EXPECT_EQ(GetWordN("one\ntwo", 2), "");
  EXPECT_EQ(GetWordN("a<b c", 2), "");
  EXPECT_EQ(GetWordN("one", 0), "");
}

TEST(TextScan, JSONMembers) {
  const std::string J =
      "{\"name\":\"Film, warm\",\"id\":42,\"size\":33,\"empty\":\"\",\"on\":true,\"x\": 7 ,"
      "\"list\":[1,2],\"last\":-0.5}";
  EXPECT_EQ(JSONGetString(J, "name"), "Film, warm");
  EXPECT_EQ(JSONGetValue(J, "name"), "Film, warm");  // a string keeps its commas
  EXPECT_EQ(JSONGetValue(J, "id"), "42");
  EXPECT_EQ(JSONGetValue(J, "empty"), "");
  EXPECT_EQ(JSONGetValue(J, "on"), "true");
  EXPECT_EQ(JSONGetValue(J, "x"), "7");
  EXPECT_EQ(JSONGetValue(J, "last"), "-0.5");  // the last member loses the "}"
  EXPECT_EQ(JSONGetValue("{\"a\":[3]}", "a"), "[3");
  EXPECT_EQ(JSONGetValue("{\"v\":1\n}", "v"), "1");
  EXPECT_EQ(JSONGetValue(J, "missing"), "");
}

TEST(TextScan, JSONUnescape) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"\\u00e9", "\xC3\xA9"},
      {"caf\xC3\xA9 \xE6\x97\xA5", "caf\xC3\xA9 \xE6\x97\xA5"},  // UTF-8 passes whole
      {"a\\nb\\tc\\rd", "a\nb\tc\rd"},
      {"\\\"q\\\" \\\\ \\/ \\b\\f", "\"q\" \\ / \b\f"},
      {"\\ud83c\\udfa8", "\xF0\x9F\x8E\xA8"},  // a surrogate pair is one character
      {"\\ud83c!", "\xEF\xBF\xBD!"},           // a lone half
      {"\\x", "\\x"},
      {"\\u12", "\\u12"},
      {"\\u00zz", "\\u00zz"},
      {"", ""},
  };
  for (const auto& [In, Out] : Cases) {
    EXPECT_EQ(JSONUnescapeW(In), Out) << In;
    EXPECT_EQ(JSONUnescape(In), Out) << In;
  }
  try {
    JSONUnescape("abc\\");
    FAIL() << "a final backslash must throw";
  } catch (const std::invalid_argument& E) {
    EXPECT_STREQ(E.what(), "Unexpected end of string");
  }
  // The string reader and the decoder together keep line breaks and accents.
  EXPECT_EQ(JSONUnescape(JSONGetString("{\"d\":\"l1\\nl2 \\u00e9\"}", "d")), "l1\nl2 \xC3\xA9");
}

namespace {
const std::string kLong(75, 'x');
const std::string kXml =
    "<?xml version=\"1.0\"?>\n"
    "<a>\n"
    "  <b id=\"first\" url=\"http://example.org/p/\">one</b>\n"
    "  <b id='q' other=\"2\">two &amp; &apos;three&apos;</b>\n"
    "  <!-- comment -->\n"
    "  <c><![CDATA[raw <text>]]></c>\n"
    "  <d/>\n"
    "  <e>" + kLong + "</e>\n"
    "  <f" + std::string(70, 'n') + ">long tag</f" + std::string(70, 'n') + ">\n"
    "</a>\n";
}  // namespace

TEST_F(ReportFixture, XMLWalker) {
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.b", 0), "one");
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.b", 1), "two & 'three'");
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.b", 2), "");
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.b:id", 0), "first");
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.b:url", 0), "http://example.org/p/");  // "/" inside quotes
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.b:other", 1), "2");
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.b:id", 1), "q");
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.c", 0), "raw <text>");  // CDATA may hold "<"
  EXPECT_EQ(XMLGetElementValue("<a><c><![CDATA[1 & 2]]></c></a>", ".a.c", 0), "1 & 2");
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.e", 0), kLong);  // longer than 60, whole
  EXPECT_EQ(XMLGetElementValue(kXml, ".?xml.a.f" + std::string(70, 'n'), 0), "long tag");
  EXPECT_EQ(XMLGetElementCount(kXml, ".?xml.a.b"), 2);
  EXPECT_EQ(XMLGetElementCount(kXml, ".?xml.a.b:id"), 2);
  EXPECT_EQ(XMLGetElementValue("<a><b>x</b></a>", ".a.b", 0), "x");
  EXPECT_EQ(XMLGetElementValue("<a><b k=\"v\"/></a>", ".a.b:k", 0), "v");
  EXPECT_TRUE(GReported.empty());

  int32_t Count = 0;
  int32_t Position = 0;
  EXPECT_EQ(XMLGetElementValueR("<a><b>1</b><b>2</b></a>", ".a.b", 1, Count, Position, ""), "2");
  EXPECT_EQ(Count, 1);
  EXPECT_GT(Position, 1);

  for (const std::string Bad : {"", "<a", "a>b</a>", "<>"}) EXPECT_EQ(XMLGetElementValue(Bad, ".a", 0), "") << Bad;
}

TEST_F(ReportFixture, XMLWalkerMismatchedTag) {
  EXPECT_EQ(XMLGetElementValue("<a><b>x</c></a>", ".a.z", 0), "!Error!");
  ASSERT_EQ(GReported.size(), 1u);
  EXPECT_EQ(GReported[0], "Error parsing XML: opened .a.b closed c");
}

TEST_F(ReportFixture, XMLWalkerRefusesRunawayNesting) {
  const auto Dir = std::filesystem::temp_directory_path() / ("kromel_k02_" + std::to_string(getpid()));
  std::filesystem::create_directories(Dir);
  const auto Old = std::filesystem::current_path();
  std::filesystem::current_path(Dir);
  std::string Deep;
  for (int I = 0; I < 5000; ++I) Deep += "<a>";
  EXPECT_EQ(XMLGetElementValue(Deep, ".a.b", 0), "");
  std::filesystem::current_path(Old);
  ASSERT_EQ(GReported.size(), 1u);
  EXPECT_EQ(GReported[0].rfind("Exception in XMLGetElementValueR ", 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(Dir / "Exceptions.log"));
  std::filesystem::remove_all(Dir);
}

TEST(TextScan, XMLCutOuts) {
  EXPECT_EQ(XMLGetAttributeValue(" a=\"1\" b = \"two words\"", "b"), "two words");
  EXPECT_EQ(XMLGetAttributeValue(" a=\"1\"", "A"), "");
  EXPECT_EQ(XMLGetAttributeValue(" a='it\"s' b=\"x'y\"", "b"), "x'y");
  EXPECT_EQ(XMLGetAttributeValue(" a=\"" + std::string(150, 'v') + "\"", "a"), std::string(150, 'v'));
  EXPECT_EQ(XMLGetHeader("<root>"), "root");
  EXPECT_EQ(XMLGetHeader("<root a=\"1\">"), "root");
  EXPECT_EQ(XMLGetHeader("<r>x y"), "r");
  EXPECT_EQ(XMLGetHeader("root>"), "");
  const std::string X = "<p><v n=\"1\">a</v><v n=\"2\">b</v></p>";
  EXPECT_EQ(XMLGetElement(X, "v n=\"2\""), "<v n=\"2\">b</v>");
  EXPECT_EQ(XMLGetElement(X, "w"), "");
  EXPECT_EQ(XMLGetElement("<v>open", "v"), "");
  EXPECT_EQ(XMLGetElementN(X, "v", 0), "<v n=\"1\">a</v>");
  EXPECT_EQ(XMLGetElementN(X, "v", 1), "<v n=\"2\">b</v>");
  EXPECT_EQ(XMLGetElementN(X, "v", 2), "");
  EXPECT_EQ(XMLRemoveElement(X, "v"), "<p><v n=\"2\">b</v></p>");
  EXPECT_EQ(XMLRemoveElement(X, "w"), X);
  EXPECT_EQ(XMLIntElement("Size", -33), "<Size>-33</Size>\n");
}

TEST(TextScan, LinesAndLists) {
  EXPECT_EQ(CountLineFeeds("a\nb"), 1);
  EXPECT_EQ(CountLineFeeds("a\nb\n"), 1);
  EXPECT_EQ(CountLineFeeds(""), 0);
  EXPECT_EQ(GetLineN("a\r\nbc", 1), "bc");  // the last character belongs to the line
  EXPECT_EQ(GetLineN("a\r\nbc\n", 0), "a");
  EXPECT_EQ(GetLineN("x", 0), "x");
  EXPECT_EQ(GetLineN("a\nb", 2), "");
  EXPECT_EQ(LeadingNumber("12.5"), "12.5");  // whole, last character included
  EXPECT_EQ(LeadingNumber("3.0a"), "3.0");
  EXPECT_EQ(LeadingNumber("x1"), "");

  std::vector<std::string> L = {"junk", "more", "BEGIN data", "x"};
  DeleteLinesBefore(L, "BEGIN");
  EXPECT_EQ(L, (std::vector<std::string>{"BEGIN data", "x"}));
  L = {"a", "b"};
  DeleteLinesBefore(L, "zzz");
  EXPECT_EQ(L, (std::vector<std::string>{"b"}));

  std::vector<std::string> Out;
  CollectValuesAfterKey({"R=10;x", "G=;", "B=7", "Q=1"}, Out, "=", ";");
  EXPECT_EQ(Out, (std::vector<std::string>{"10", "", "7", "1"}));  // cut after the empty test
  Out.clear();
  CollectValuesAfterKey({"P 5%", "P x", "P 12 b"}, Out, "P %", " ");
  EXPECT_EQ(Out, (std::vector<std::string>{"5%", "12"}));

  EXPECT_EQ(FindLineContaining({"ab", "cd", "xcd"}, "cd"), "cd");
  EXPECT_EQ(FindLineContaining({"ab"}, ""), "");
  EXPECT_EQ(IndexOfTextCI(" rec.709\t", {"sRGB", "REC.709 "}), 1);
  EXPECT_EQ(IndexOfTextCI("p3", {"sRGB"}), -1);
}

TEST(TextScan, SortStringsLogicalNaturalOrder) {
  std::vector<std::string> L = {"Channel 10 Tom", "channel 2 Kick", "Channel 1-2 OH", "b01", "b1",
                                "b10", "b9", "", "b"};
  SortStringsLogical(L);
  EXPECT_EQ(L, (std::vector<std::string>{"", "b", "b1", "b01", "b9", "b10", "Channel 1-2 OH",
                                         "channel 2 Kick", "Channel 10 Tom"}));
}

TEST(TextScan, SmallTextOperations) {
  EXPECT_EQ(TextAfter("key=val=x", "="), "val=x");
  EXPECT_EQ(TextAfterKey("abc", "z"), "abc");
  EXPECT_EQ(TextBefore("key=val", "="), "key");
  EXPECT_EQ(TextBeforeKey("abc", ""), "abc");
  EXPECT_EQ(TextAfterLastW("/a/b/c.png", "/"), "c.png");
  EXPECT_EQ(TextAfterLastW("abc", "/"), "abc");
  EXPECT_EQ(TextAfterLastW("a\xE2\x86\x92" "b\xE2\x86\x92" "c", "\xE2\x86\x92"), "c");  // "→" whole
  EXPECT_EQ(RemoveSuffixCI("photo.JPG", ".jpg"), "photo");
  EXPECT_EQ(RemoveSuffixCI("jpg", ".jpg"), "jpg");
  EXPECT_EQ(RemoveSpaces(" a b "), "ab");
  EXPECT_EQ(RemoveChar("a-b-c", '-'), "abc");
  EXPECT_EQ(CountChar("a-b-c", '-'), 2);
}

TEST(TextScan, WrapText) {
  EXPECT_EQ(WrapTextW("Short.", 20), "Short.");
  EXPECT_EQ(WrapTextW("One two. Three four. Five", 5), "One two. \r\nThree four. \r\nFive");
  // A "." close ahead holds the break back.
  EXPECT_EQ(WrapTextW("Aaaaaa. B. Cccc", 5), "Aaaaaa. B. \r\nCccc");
  // Past Width + 12 a blank breaks when no "." is near.
  EXPECT_EQ(WrapTextW("aaaa bbbb cccc dddd eeee", 2), "aaaa bbbb cccc \r\ndddd eeee");
  EXPECT_EQ(WrapTextW("\xC3\xA9t\xC3\xA9. Autre phrase.", 3), "\xC3\xA9t\xC3\xA9. \r\nAutre phrase.");
}
