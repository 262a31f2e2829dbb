// The View menu's display modes of the preview: the items of "Show separate
// channels" with the "Show clip warnings" tick, and the mode they select.
#pragma once
#include <array>
#include <cstdint>

namespace kromel {

struct TSeparateChannelItem {
  const char* Name;      // the menu item's name
  const char* Caption;   // English caption (translated when shown)
  const char* Shortcut;  // key sequence text
  uint8_t Mode;          // display mode (the composite gives 0 or 1)
};

// In menu order: RGB Composite, Red, Green, Blue, Alpha channel,
// Grayscale, Blacks / Whites, CMYK Black, False colors.
const std::array<TSeparateChannelItem, 9>& SeparateChannelItems();

// The display mode of the ticked item (index into SeparateChannelItems;
// out of range counts as the composite): the composite gives 1 with clip
// warnings ticked, else 0.
uint8_t DisplayModeOf(int32_t Item, bool ClipWarnings);

}  // namespace kromel
