// The control base: a TVelWidget that owns its value model (a TController
// from controls/). The numeric component messages the controls send each
// other are plain method calls here, and the registry and isolation walks
// run over the widget tree.
#pragma once
#include <memory>

#include "controls/controller.h"
#include "widgets/vel_widget.h"

namespace kromel {

class TControlWidget : public TVelWidget {
public:
  explicit TControlWidget(std::unique_ptr<TController> Controller, QWidget* Parent = nullptr);
  // A widget over a model it does not own: a part of a composite control's
  // model, or one of the window's bound controls. Model outlives the widget.
  explicit TControlWidget(TController& Model, QWidget* Parent = nullptr);
  ~TControlWidget() override;

  TController& Controller() const { return *FModel; }
  // The class name of the control's model.
  std::string ClassName() const override { return FModel->ClassName(); }
  void SetIsolate(bool Value) override { FModel->ApplyIsolate(Value); }

  // $401: the normalised value WParam / 65535 (sent by the pop-up value edit).
  void CMSetValueS(int64_t WParam);
  // $402: takes the keyboard focus back.
  void CMSetFocus();
  // $403: the pop-up edit has closed; controls that open one override it.
  virtual void CMEditClosed() {}

private:
  std::unique_ptr<TController> FController;
  TController* FModel;
};

// The control model of a widget, nullptr for a widget that is no control.
TController* ControllerOf(QWidget* Widget);

// Registers every control under Container (child order, depth first) in
// Registry, as TControllersArray::RegisterControls does for a node tree.
void RegisterControls(TControllersArray& Registry, QWidget& Container);
// Isolate := Value on the direct children of Container; the levels below
// get False. ClearControlsIsolate gives False at every level.
void SetControlsIsolate(QWidget& Container, bool Value);
void ClearControlsIsolate(QWidget& Container);

// Every direct child widget of Container disabled / enabled; grandchildren
// keep their own state.
void DisableChildControls(QWidget& Container);
void EnableChildControls(QWidget& Container);

}  // namespace kromel
