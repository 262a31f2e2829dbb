#include "session/view_display_mode.h"

#include <cstddef>

#include "images/image32_display_mode.h"

namespace kromel {

const std::array<TSeparateChannelItem, 9>& SeparateChannelItems() {
  static const std::array<TSeparateChannelItem, 9> Items = {{
      {"SingleChannelRGB", "RGB Composite", "Ctrl+2", dmComposite},
      {"SingleChannelRed", "Red", "Ctrl+3", dmRed},
      {"SingleChannelGreen", "Green", "Ctrl+4", dmGreen},
      {"SingleChannelBlue", "Blue", "Ctrl+5", dmBlue},
      {"SingleChannelAlpha", "Alpha channel", "Ctrl+6", dmAlpha},
      {"SingleChannelGrayscale", "Grayscale", "Ctrl+7", dmLuminance},
      {"SingleChannelBlacksWhites", "Blacks / Whites", "Ctrl+8", dmExtremes},
      {"SingleChannelCMYKBlack", "CMYK Black", "Ctrl+Shift+9", dmMaxChannel},
      {"SingleChannelFalsecolors", "False colors", "Ctrl+9", dmFalseColor},
  }};
  return Items;
}

uint8_t DisplayModeOf(int32_t Item, bool ClipWarnings) {
  const auto& Items = SeparateChannelItems();
  if (Item <= 0 || Item >= int32_t(Items.size())) return ClipWarnings ? dmClipWarning : dmComposite;
  return Items[std::size_t(Item)].Mode;
}

}  // namespace kromel
