#include <gtest/gtest.h>

#include "foundation/utf16.h"

using namespace kromel;

TEST(Utf16, RoundTripsAndRepairs) {
  const std::string Text = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5 \xF0\x9F\x8E\xA8";  // Grüße 日 🎨
  const std::u16string W = Utf8ToUtf16(Text);
  EXPECT_EQ(W.size(), 10u);  // the emoji is a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(W), Text);
  const std::string Bytes = Utf16ToLEBytes(u"Ab");
  EXPECT_EQ(Bytes, std::string("A\0b\0", 4));
  EXPECT_EQ(LEBytesToUtf16(Bytes.data(), Bytes.size()), u"Ab");
  EXPECT_EQ(LEBytesToUtf16("A\0b", 3), u"A");
  // Malformed input never throws and never loses the rest of the text.
  EXPECT_EQ(Utf8ToUtf16("a\xFFz"), u"a\uFFFDz");
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}
