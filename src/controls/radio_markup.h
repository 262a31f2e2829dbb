// Radio group item markup, button layout and subtool menu entries: the
// Qt-free parts of the radio group.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kromel {

// One item of a radio group after its markup is read.
struct TRadioItemMarkup {
  // "|a|b": a tool with variants; Variants holds the non-empty parts.
  bool ToolGroup = false;
  std::vector<std::string> Variants;
  // "^": a tumbler drawn without a button face.
  bool WithoutButton = false;
  // Text after the first grave accent.
  bool HasHint = false;
  std::string Hint;
  // "[xN]": a secondary enable switch numbered N; the caption gets three
  // leading spaces to make room for it.
  bool HasSwitch = false;
  int32_t SwitchNumber = 0;
  std::string Caption;
};

TRadioItemMarkup ParseRadioItem(const std::string& Text);

// An entry of a stacked group's variant menu.
struct TSubtoolEntry {
  bool Blank = false;
  // The glyph pattern ("#..."), empty when the entry has no picture.
  std::string Picture;
  std::string Caption;
  std::string Hint;
};

TSubtoolEntry ParseSubtoolEntry(const std::string& Text);

struct TButtonPlace {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool Visible = false;
};

// The bounds of every item's button. Columns are filled top to bottom, then
// left to right; the last visible button reaches the right edge. Empty items
// are hidden. A stacked group places every button over the whole group
// (less a 14-pixel caption band) and shows only the selected one (or its
// complement when the index is negative).
std::vector<TButtonPlace> ArrangeRadioButtons(const std::vector<std::string>& Items, int32_t Columns,
                                              int32_t Width, int32_t Height, bool Stacked,
                                              bool HasCaption, int32_t ItemIndex);

// Number of items whose text is not empty.
int32_t VisibleItemCount(const std::vector<std::string>& Items);

// The selected index with the selected tool's variant: ItemIndex + 32 x
// ToolIndex when the selected button is a tool group.
int32_t ItemIndexWithSubtools(int32_t ItemIndex, bool SelectedIsToolGroup, int32_t ToolIndex);

// The button shown by a stacked group for an index (its complement when
// negative, -1 for none).
inline int32_t ShownIndex(int32_t ItemIndex) { return ItemIndex >= 0 ? ItemIndex : -ItemIndex - 1; }

}  // namespace kromel
