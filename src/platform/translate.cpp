#include "platform/translate.h"

#include <libintl.h>

#include "platform/language.h"

namespace kromel {

std::string _(const char* Text) {
  if (Text == nullptr) return {};
  // Once a language is chosen its catalogue answers (English without one).
  if (LanguageSelected()) {
    std::string T;
    return LookupTranslation(Text, T) ? T : std::string(Text);
  }
  return dgettext(TextDomain, Text);
}

}  // namespace kromel
