// The radio group: one glyph switch per item (a stacked nested group for a
// tool with variants, "|a|b"), laid out in columns, with the item markup
// of controls/radio_markup.h. Its model's value is the selected index.
#pragma once
#include <QMenu>
#include <QTimer>
#include <vector>

#include "controls/radio_markup.h"
#include "widgets/glyph_switch.h"

namespace kromel {

class TVelRadioGroup : public TControlWidget {
public:
  explicit TVelRadioGroup(QWidget* Parent = nullptr, std::string Name = {});
  ~TVelRadioGroup() override;

  TRadioGroupControl& Group() const { return static_cast<TRadioGroupControl&>(Controller()); }

  const std::vector<std::string>& Items() const { return FItems; }
  void SetItems(const std::vector<std::string>& Items);
  int32_t ItemIndex() const { return Group().ItemIndex; }
  void SetItemIndex(int32_t Value);
  bool State() const { return Group().State; }
  void SetState(bool Value) { Group().SetState(Value); }
  int32_t Columns() const { return FColumns; }
  void SetColumns(int32_t Value);
  bool Stacked() const { return FStacked; }
  void SetStacked(bool Value);
  void SetCaption(const std::string& Value);
  // While set, the item index is only stored and nothing is laid out.
  void SetLoading(bool Value);
  bool AllowAllOff = false;

  // Button i: a TGlyphSwitch or a stacked TVelRadioGroup.
  int32_t ButtonCount() const { return static_cast<int32_t>(FButtons.size()); }
  TControlWidget* Button(int32_t Index) const;
  TGlyphSwitch* SwitchButton(int32_t Index) const;
  TVelRadioGroup* ToolButton(int32_t Index) const;

  void SetButtonSwitchState(int32_t Index, bool Value);
  bool GetButtonSwitchState(int32_t Index) const;
  TGlyphSwitch* GetButtonSwitch(int32_t Index) const;
  bool GetButtonIsolate(int32_t Index) const;
  void SetButtonIsolate(int32_t Index, bool Value);
  void SetOnSwitchClick(TNotifyHandler Handler);
  void SetOnSwitchChange(TNotifyHandler Handler);

  int32_t GetVisibleItemCount() const { return VisibleItemCount(FItems); }
  int32_t ItemIndexWithSubtools() const;
  void NextSubtool();
  void ResetButtonGlyphs();

  void UpdateButtons() override;
  void ArrangeButtons();

  // The variant menu of a stacked group, rebuilt and shown after a press
  // held for 150 ms.
  QMenu& SubtoolMenu() { return FMenu; }
  void ShowSubtoolMenu();
  void MenuClick(int32_t Tag);
  QTimer& HoldTimer() { return FHoldTimer; }

  TNotifyHandler OnChange;
  TNotifyHandler OnClick;

protected:
  void Paint(TImage32& Canvas) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void ButtonClick(QWidget* Sender);
  TGlyphSwitch* AddSwitch(int32_t Index);
  void ApplySelection();
  void HookButton(TControlWidget* B);

  std::vector<std::string> FItems;
  std::vector<TControlWidget*> FButtons;
  int32_t FColumns = 1;
  bool FStacked = false;
  bool FUpdating = false;
  bool FLoading = false;
  int32_t FLastVisibleCount = 0;
  QTimer FHoldTimer;
  QMenu FMenu;
  TNotifyHandler FOnSwitchClick, FOnSwitchChange;
};

}  // namespace kromel
