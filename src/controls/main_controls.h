// The main window's value controls without widgets: one table of their
// definitions (controller number, stage Tag, range, design value, scale,
// bound parameter), the set of controls built from it and registered in the
// window's registry, and the binding to a preset in the window's order.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/controller.h"
#include "controls/multi_value_controls.h"
#include "controls/scroll_bar_controls.h"
#include "controls/switch_controls.h"

namespace kromel {

class TKromelPreset;

enum class TControlKind : int32_t {
  Switch,         // TGlyphSwitch tumbler (0 or 1)
  Selector,       // TGlyphSwitch selector or TVelComboBoxController
  Bar,            // TGlyphScrollBar
  CaptionedBar,   // TGlyphScrollBarWithCaption
  ColorPlate,     // TVelColorPlate
  ButtonSwitch,   // the enable switch of a radio group's button
  ColorWheel,     // TColorWheelController (three numbers)
  MultiRange      // TMultiRangeScrollBar (one number per dot)
};

struct TControlDef {
  const char* Name;
  TControlKind Kind;
  int32_t Number;  // controller number, 0 = not registered
  int32_t Tag;     // stage level for the invalidation
  int32_t Min;     // bars; dots of a multi-range bar
  int32_t Max;
  int32_t Value;   // design value: position, state, selector position, colour;
                   // the dot count of a multi-range bar
  int32_t Default; // reset value (shown terms for bars)
  float ValueScale;
  bool Reverse;
  const char* Items;      // selectors: ";"-separated captions
  int32_t ModesCount;     // selectors: positions used for the normalised value
  const char* Group;      // button switches: the radio group
  int32_t ButtonIndex;
  const char* Section;    // nullptr with Parameter set: the preset's root section
  const char* Parameter;  // nullptr: bound to nothing
};

// The main window's controls in binding order; the unbound registered ones
// follow. See main_control_table.cpp.
const std::vector<TControlDef>& MainControlTable();

// {former, current} controller numbers of controls that moved: a stored
// "CtrV" chunk without a value at the current number gives the one it holds
// at the former number.
const std::vector<std::pair<int32_t, int32_t>>& MainFormerNumbers();

// The radio groups whose buttons carry enable switches, with their items.
struct TRadioGroupDef {
  const char* Name;
  std::vector<std::string> Items;
};
const std::vector<TRadioGroupDef>& MainRadioGroupTable();

// Finds Section.Parameter below Root (Section nullptr: Root's own child).
TControlledParameter* FindPresetParameter(TSectionPreset& Root, const char* Section,
                                          const char* Parameter);

// The main window's control set: every control of the table, created with
// its design values, in one tree and registered in the window's registry.
class TMainWindowControls {
public:
  TMainWindowControls();
  ~TMainWindowControls();
  TMainWindowControls(const TMainWindowControls&) = delete;
  TMainWindowControls& operator=(const TMainWindowControls&) = delete;

  TControlNode Form;
  TControllersArray Controllers;
  // Called after each binding, with the control's definition (the window
  // hooks its follow-ups here: the hue bar's handler, rotated grids).
  std::function<void(const TControlDef&, TController&)> OnBound;

  // The control of a definition name, nullptr when there is none.
  TController* Find(const std::string& Name) const;
  TRadioGroupControl* FindGroup(const std::string& Name) const;
  template <class T>
  T* Get(const std::string& Name) const {
    return dynamic_cast<T*>(Find(Name));
  }

  // Binds every bound control of the table to its parameter of Preset in
  // table order; reports each parameter that is missing or of the wrong kind
  // and returns how many were.
  int32_t LinkControlsToPreset(TSectionPreset& Preset);

private:
  std::vector<std::unique_ptr<TController>> FOwned;
  std::vector<std::unique_ptr<TRadioGroupControl>> FGroups;
  std::map<std::string, TController*> FByName;
  bool Bind(const TControlDef& Def, TController& Control, TSectionPreset& Preset);
};

// A preset holding the values the window's controls push when they are
// bound: the headless default preset.
std::unique_ptr<TKromelPreset> CreateDefaultPreset();

}  // namespace kromel
