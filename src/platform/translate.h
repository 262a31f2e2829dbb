// Translation of user texts through GNU gettext (text domain "kromel").
#pragma once
#include <string>

namespace kromel {

constexpr const char* TextDomain = "kromel";

// The catalogue's text for Text in the user's language, or Text itself when
// no catalogue holds it.
std::string _(const char* Text);

}  // namespace kromel
