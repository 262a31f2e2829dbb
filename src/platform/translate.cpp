#include "platform/translate.h"

#include <libintl.h>

namespace kromel {

std::string _(const char* Text) {
  if (Text == nullptr) return {};
  return dgettext(TextDomain, Text);
}

}  // namespace kromel
