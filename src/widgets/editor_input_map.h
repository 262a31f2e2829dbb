// The widget layer's buttons and keys in the editors' own terms and back.
#pragma once
#include <cstdint>

#include "controls/editor_input.h"
#include "widgets/vel_widget.h"

namespace kromel {

inline TEditButton EditButtonOf(TMouseButton B) {
  return B == mbRight ? TEditButton::Right : B == mbMiddle ? TEditButton::Middle : TEditButton::Left;
}

inline TMouseButton MouseButtonOf(TEditButton B) {
  return B == TEditButton::Right ? mbRight : B == TEditButton::Middle ? mbMiddle : mbLeft;
}

// The plus and minus keys stand for the numeric pad's.
inline uint16_t PadKey(uint16_t Key) {
  if (Key == 187) return EditKey::Add;
  if (Key == 189) return EditKey::Subtract;
  return Key;
}

}  // namespace kromel
