#include "foundation/menu_model.h"

namespace kromel {

TMenuItem* TMenuItem::Items(int32_t Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<std::size_t>(Index)].get();
}

TMenuItem* TMenuItem::AddNew() {
  FItems.push_back(std::make_unique<TMenuItem>());
  FItems.back()->FParent = this;
  return FItems.back().get();
}

void TMenuItem::Remove(int32_t Index) {
  if (Index < 0 || Index >= Count()) return;
  FRemoved.push_back(std::move(FItems[static_cast<std::size_t>(Index)]));
  FItems.erase(FItems.begin() + Index);
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

}  // namespace kromel
