// Input values the curve and dot-grid editors take from their widgets: the
// widget set's shift-state bits and virtual key numbers.
#pragma once
#include <cstdint>

namespace kromel {

// Shift-state bits, numbered as the widget layer numbers them.
namespace EditShift {
constexpr uint32_t Shift = 1;
constexpr uint32_t Alt = 2;
constexpr uint32_t Ctrl = 4;
constexpr uint32_t Double = 64;  // the press is a double click
constexpr uint32_t Meta = 128;
}  // namespace EditShift

// Virtual keys.
namespace EditKey {
constexpr uint16_t Back = 8;
constexpr uint16_t Return = 13;
constexpr uint16_t PageUp = 33;
constexpr uint16_t PageDown = 34;
constexpr uint16_t Left = 37;
constexpr uint16_t Up = 38;
constexpr uint16_t Right = 39;
constexpr uint16_t Down = 40;
constexpr uint16_t Delete = 46;
constexpr uint16_t Add = 107;       // numeric pad +
constexpr uint16_t Subtract = 109;  // numeric pad -
}  // namespace EditKey

enum class TEditButton : int32_t { Left = 0, Right = 1, Middle = 2 };

}  // namespace kromel
