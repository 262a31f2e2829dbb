// Mouse buttons and modifier bits as the value models take them (the values
// are those of the widget layer's button and shift-state types, so a widget
// hands its event over with a plain cast), and child bounds as the models
// lay them out.
#pragma once
#include <cstdint>

namespace kromel {

enum class TPressButton : int32_t { Left = 0, Right = 1, Middle = 2 };

using TModifiers = uint32_t;
constexpr TModifiers modShift = 1;
constexpr TModifiers modAlt = 2;
constexpr TModifiers modCtrl = 4;
constexpr TModifiers modDouble = 64;
constexpr TModifiers modMeta = 128;

// Ctrl, or the Command key that stands for it.
inline bool CtrlHeld(TModifiers M) { return (M & (modCtrl | modMeta)) != 0; }

// Left, top, width and height, as a widget's bounds are set.
struct TBounds {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TBounds&) const = default;
};

// Virtual key codes of the keys the controls handle.
constexpr uint16_t vkTab = 9;
constexpr uint16_t vkReturn = 13;
constexpr uint16_t vkEscape = 27;
constexpr uint16_t vkLeft = 37;
constexpr uint16_t vkUp = 38;
constexpr uint16_t vkRight = 39;
constexpr uint16_t vkDown = 40;
constexpr uint16_t vkAdd = 107;
constexpr uint16_t vkSubtract = 109;

}  // namespace kromel
