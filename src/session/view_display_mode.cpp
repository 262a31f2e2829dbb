#include "session/view_display_mode.h"

#include <cstddef>

namespace kromel {

const std::array<TSeparateChannelItem, 9>& SeparateChannelItems() {
  static const std::array<TSeparateChannelItem, 9> Items = {{
      {"SingleChannelRGB", "RGB Composite", "Ctrl+2", 0},
      {"SingleChannelRed", "Red", "Ctrl+3", 2},
      {"SingleChannelGreen", "Green", "Ctrl+4", 3},
      {"SingleChannelBlue", "Blue", "Ctrl+5", 4},
      {"SingleChannelAlpha", "Alpha channel", "Ctrl+6", 5},
      {"SingleChannelGrayscale", "Grayscale", "Ctrl+7", 6},
      {"SingleChannelBlacksWhites", "Blacks / Whites", "Ctrl+8", 7},
      {"SingleChannelCMYKBlack", "CMYK Black", "Ctrl+Shift+9", 8},
      {"SingleChannelFalsecolors", "False colors", "Ctrl+9", 9},
  }};
  return Items;
}

uint8_t DisplayModeOf(int32_t Item, bool ClipWarnings) {
  const auto& Items = SeparateChannelItems();
  if (Item <= 0 || Item >= int32_t(Items.size())) return ClipWarnings ? 1 : 0;
  return Items[std::size_t(Item)].Mode;
}

}  // namespace kromel
