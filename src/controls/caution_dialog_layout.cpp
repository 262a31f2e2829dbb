#include "controls/caution_dialog_layout.h"

#include <algorithm>

namespace kromel {

TCautionDialogLayout CautionDialogLayout(const std::string& Text) {
  const int32_t n = static_cast<int32_t>(std::count(Text.begin(), Text.end(), '\n'));
  return {12 * n + 145, 8, 12 * n + 119, 200};
}

}  // namespace kromel
