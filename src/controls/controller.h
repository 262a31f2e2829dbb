// The value-control model without widgets: the controller base with its
// integer and normalised values, controller number and parameter binding,
// the registry that saves and loads every control's value by number, and the
// isolation walkers. Widgets attach to these objects; nothing here draws.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/byte_stream.h"
#include "params/notify_event.h"
#include "params/parameters.h"

namespace kromel {

class TControllersArray;

using TControllerChangeEvent =
    std::function<void(void* Sender, int32_t ControllerNumber, float ControllerValue)>;

// A node of a window's control tree: a panel or a control. It owns none of
// its children.
class TControlNode {
public:
  explicit TControlNode(std::string Name = {}, std::string Caption = {});
  virtual ~TControlNode() = default;
  TControlNode(const TControlNode&) = delete;
  TControlNode& operator=(const TControlNode&) = delete;

  std::string Name;
  std::string Caption;
  int32_t Tag = 0;
  std::vector<TControlNode*> Children;

  void AddChild(TControlNode* Child) { Children.push_back(Child); }
  virtual std::string ClassName() const { return "TControlNode"; }
  // Sets the node's own isolate flag where it has one (a controller, the
  // curve editor); does nothing for a plain panel.
  virtual void ApplyIsolate(bool Value) { (void)Value; }
};

class TController : public TControlNode {
public:
  static constexpr int32_t MaxControllers = 1500;

  explicit TController(std::string Name = {}, std::string Caption = {});
  // Leaves every registry slot that still holds this control.
  ~TController() override;

  TNotifyEvent OnSilentChange;
  TControllerChangeEvent OnControllerChange;
  int32_t ControllersCount = 1;
  TControllersArray* ControllersArray = nullptr;
  int32_t DefaultValue = 0;
  int32_t DefaultValue2 = 0;
  bool Isolate = false;
  float LoadedValue = 0;
  int32_t ParameterLock = 0;
  TControlledParameter* Parameter = nullptr;

  std::string ClassName() const override { return "TController"; }
  void ApplyIsolate(bool Value) override { Isolate = Value; }

  virtual void ConnectToParameter(TControlledParameter* P);
  void DisconnectFromParameter();
  // The handler installed on the bound parameter.
  virtual void ParameterChange(void* Sender);

  virtual void SetDefaultValue(int32_t Value) { DefaultValue = Value; }
  virtual void SetDefaultValue2(int32_t Value) { DefaultValue2 = Value; }
  virtual int32_t GetControllerValue() { return -1; }
  virtual void SetControllerValue(int32_t Value) { (void)Value; }
  virtual float GetControllerValueS();
  virtual void SetControllerValueS(float Value);
  virtual void SetControllerValueSSilent(float Value) { (void)Value; }
  int32_t GetControllerNumber() const { return FControllerNumber; }
  virtual void SetControllerNumber(int32_t Value);
  virtual void SetControllersArray(TControllersArray* Registry);
  virtual float GetSubControllerValueS(int32_t Index) {
    (void)Index;
    return 0;
  }
  virtual void SetSubControllerValueS(int32_t Index, float Value) {
    (void)Index;
    (void)Value;
  }

  // Own flag, or the bound parameter's.
  bool GetIsolate() const;
  int32_t GetControllerOffset() const;

protected:
  // Writes the bound single or integer parameter under ParameterLock.
  void WriteParameterSingle(float Value);
  void WriteParameterInteger(int32_t Value);

private:
  int32_t FControllerNumber = 0;
};

// The registry of one window: slots 0..1499 by controller number.
class TControllersArray {
public:
  static constexpr int32_t SlotCount = TController::MaxControllers + 1;
  static constexpr int32_t MapIndexSize = 4096;

  TControllersArray();
  // Detaches every registered control.
  ~TControllersArray();
  TControllersArray(const TControllersArray&) = delete;
  TControllersArray& operator=(const TControllersArray&) = delete;

  const int32_t Offset = 0;
  // {former, current} numbers of controls that moved: a "CtrV" chunk with no
  // value at the current number, and none of the registry's controls at the
  // former one, gives the current number the former number's value.
  std::vector<std::pair<int32_t, int32_t>> FormerNumbers;
  std::array<TController*, SlotCount> Controllers{};
  std::array<int32_t, SlotCount> ControllerMap{};
  std::array<int32_t, MapIndexSize> ControllerMapIndex{};

  static bool ValidNumber(int32_t Number) { return Number >= 0 && Number < TController::MaxControllers; }
  // The control in slot Number, nullptr for an empty slot or a number
  // outside 0..1499.
  TController* At(int32_t Number) const;
  // The control that owns Number as a sub-value (the slot's own control
  // with Sub 0); nullptr when none does.
  TController* OwnerOf(int32_t Number, int32_t& Sub) const;

  void RegisterControls(TControlNode& Container);
  void SetControllerValueS(int32_t Number, float Value);
  void SetControllerValueSSilent(int32_t Number, float Value);
  void SetControllerValue(int32_t Number, int32_t Value);
  int32_t GetUsedCount() const;

  // The "CtrV" chunk.
  void SaveValuesToStream(TByteStream& Stream) const;
  // False, with the message and the stream back at its start, for a chunk
  // that is not "CtrV" or whose sizes do not fit; no value is applied then.
  bool LoadValuesFromStream(TByteStream& Stream);

  // The "MCtr" chunk of the external control map.
  void SaveControllerMapToStream(TByteStream& Stream) const;
  bool LoadControllerMapFromStream(TByteStream& Stream);
  void BuildControllerMapIndex();
  void ApplyMappedControl(int32_t External, int32_t Value);

  void DumpToText(std::string& Text) const;

private:
  float SavedValue(int32_t Number) const;
};

// Isolate = Value on the controls of Container and the curve editors among
// them; the levels below the direct children get False.
void SetControlsIsolate(TControlNode& Container, bool Value);
// Clears every isolate flag in the tree.
void ClearControlsIsolate(TControlNode& Container);

}  // namespace kromel
