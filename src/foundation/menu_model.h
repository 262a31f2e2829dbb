// A menu item without widgets: caption, tag, enabled state, click handler and
// child items. The window's menus mirror these items.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kromel {

class TMenuItem {
public:
  using TClickEvent = std::function<void(TMenuItem* Sender)>;

  explicit TMenuItem(std::string ACaption = {}) : Caption(std::move(ACaption)) {}
  TMenuItem(const TMenuItem&) = delete;
  TMenuItem& operator=(const TMenuItem&) = delete;

  TMenuItem* Parent() const { return FParent; }
  // Children shown in the menu.
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // nullptr when Index is outside 0..Count-1.
  TMenuItem* Items(int32_t Index) const;
  // Appends a new child owned by this item.
  TMenuItem* AddNew();
  // Takes the child at Index out of the menu; this item still owns it, so a
  // handler running on it stays valid.
  void Remove(int32_t Index);
  // Calls OnClick when the item is enabled and has a handler.
  void Click();

  std::string Caption;
  int32_t Tag = 0;
  bool Enabled = true;
  TClickEvent OnClick;

private:
  TMenuItem* FParent = nullptr;
  std::vector<std::unique_ptr<TMenuItem>> FItems;
  std::vector<std::unique_ptr<TMenuItem>> FRemoved;
};

}  // namespace kromel
