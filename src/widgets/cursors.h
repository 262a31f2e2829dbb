// The tool cursors: PNG pictures with their hot spots, carried as Qt
// resources and installed under indices 1 to 29 (0 and below are the
// standard cursors).
#pragma once
#include <QCursor>
#include <cstdint>

namespace kromel {

struct TCursorInfo {
  int32_t Index;
  const char* Name;
  int32_t Width, Height;
  int32_t HotX, HotY;
};

constexpr int32_t CustomCursorCount = 29;
// The table, in index order (entry i has Index i + 1).
const TCursorInfo* CursorTable();

// Loads every cursor into the table. A failure shows "Exception in reading
// cursors" and stops; the cursors loaded before it stay. False on failure.
bool LoadCursors();
// The cursor of an index: a loaded custom cursor for 1 to 29, the widget
// set's standard cursors for 0 and below (crHandPoint -21 ...), else the arrow.
QCursor CursorOf(int32_t Index);
// Sets the widget's cursor by index.
void SetCursorIndex(QWidget& Widget, int32_t Index);

}  // namespace kromel
