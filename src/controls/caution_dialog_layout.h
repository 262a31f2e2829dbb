// Geometry of the caution dialog (a text with a "Don't show me again." box),
// for the widget that shows it.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

struct TCautionDialogLayout {
  int32_t Height;         // 12 n + 145 for a text of n line feeds
  int32_t CheckBoxLeft;   // 8
  int32_t CheckBoxTop;    // 12 n + 119
  int32_t CheckBoxWidth;  // 200
};

TCautionDialogLayout CautionDialogLayout(const std::string& Text);

}  // namespace kromel
