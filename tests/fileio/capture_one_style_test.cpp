#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "fileio/capture_one_style.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

TEST(CaptureOneStyle, LinesEscapedNamesAndFreshUUID) {
  const std::string A = CaptureOneStyleText("Look \"A\" & <B>.icc", "Look");
  const std::regex Expected(
      "<\\?xml version=\"1.0\"\\?>\n"
      "<SL Engine=\"1100\">\n"
      "<E K=\"ICCProfile\" V=\"Look &quot;A&quot; &amp; &lt;B&gt;.icc\" />\n"
      "<E K=\"Name\" V=\"Look\" />\n"
      "<E K=\"StyleSource\" V=\"Styles\" />\n"
      "<E K=\"UUID\" V=\"\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}\" />\n"
      "</SL>\n");
  EXPECT_TRUE(std::regex_match(A, Expected)) << A;
  EXPECT_NE(A, CaptureOneStyleText("Look \"A\" & <B>.icc", "Look"));

  testing::TTestTempDir Dir{"kromel_costyle"};
  const std::string File = Dir.File("Look.costyle");
  ASSERT_TRUE(SaveCaptureOneStyle(File, "Look.icc", "Look"));
  EXPECT_NE(testing::ReadText(File).find("V=\"Look.icc\""), std::string::npos);
}

}  // namespace
}  // namespace kromel
