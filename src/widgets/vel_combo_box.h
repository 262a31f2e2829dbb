// The combo box: a selector glyph switch whose items are the ";"-parts of
// its caption; a click opens a menu of them, the arrow keys and Home / End
// step through them.
#pragma once
#include <QMenu>

#include "widgets/glyph_switch.h"

namespace kromel {

class TVelComboBoxController : public TGlyphSwitch {
public:
  explicit TVelComboBoxController(QWidget* Parent = nullptr, std::string Name = {},
                                  std::string Items = {}, int32_t ModesCount = 2);

  TComboControl& Combo() const { return static_cast<TComboControl&>(Controller()); }
  int32_t ItemsCount() const { return Combo().ItemsCount(); }
  std::string GetItem(int32_t Index) const { return Combo().GetItem(Index); }

  // A different caption drops the pictures and the menu entries.
  void SetCaption(const std::string& Value) override;
  // Opens the item menu below the control (the position does not cycle).
  void Click() override;
  // The entry Tag of the item menu was chosen.
  void MenuClick(int32_t Tag);
  QMenu& ItemMenu() { return FMenu; }

protected:
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  bool event(QEvent* Event) override;

private:
  QMenu FMenu;
};

}  // namespace kromel
