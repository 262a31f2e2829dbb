// The control set's registration for a form designer: every control class
// on one palette page. The running program never registers anything; the
// table is kept for the tools that list the control set.
#pragma once
#include <string>
#include <vector>

namespace kromel {

struct TPaletteEntry {
  const char* Page;
  const char* ClassName;
};

// Every registered class with its page ("Controllers", "Vel", "GUI",
// "Freeware"), in registration order.
const std::vector<TPaletteEntry>& ControlPalette();
// The page of a class, empty when it is not registered.
std::string PalettePageOf(const std::string& ClassName);

}  // namespace kromel
