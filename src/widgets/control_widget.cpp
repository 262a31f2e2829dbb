#include "widgets/control_widget.h"

namespace kromel {

TControlWidget::TControlWidget(std::unique_ptr<TController> Controller, QWidget* Parent)
    : TVelWidget(Parent), FController(std::move(Controller)) {
  if (!FController) FController = std::make_unique<TController>();
  FModel = FController.get();
  setFocusPolicy(Qt::StrongFocus);
}

TControlWidget::TControlWidget(TController& Model, QWidget* Parent)
    : TVelWidget(Parent), FModel(&Model) {
  setFocusPolicy(Qt::StrongFocus);
}

TControlWidget::~TControlWidget() = default;

void TControlWidget::CMSetValueS(int64_t WParam) {
  FModel->SetControllerValueS(float(double(WParam) / 65535.0));
  update();
}

void TControlWidget::CMSetFocus() { setFocus(Qt::OtherFocusReason); }

TController* ControllerOf(QWidget* Widget) {
  auto* C = dynamic_cast<TControlWidget*>(Widget);
  return C ? &C->Controller() : nullptr;
}

namespace {

template <class F>
void ForEachChildWidget(QWidget& Container, F Fn) {
  for (QObject* O : Container.children())
    if (auto* W = qobject_cast<QWidget*>(O); W && !W->isWindow()) Fn(*W);
}

void IsolateWalk(QWidget& Container, bool Value, bool DeeperValue) {
  ForEachChildWidget(Container, [&](QWidget& Child) {
    if (auto* V = dynamic_cast<TVelWidget*>(&Child)) V->SetIsolate(Value);
    IsolateWalk(Child, DeeperValue, DeeperValue);
  });
}

}  // namespace

void RegisterControls(TControllersArray& Registry, QWidget& Container) {
  ForEachChildWidget(Container, [&](QWidget& Child) {
    if (TController* C = ControllerOf(&Child)) C->SetControllersArray(&Registry);
    RegisterControls(Registry, Child);
  });
}

void SetControlsIsolate(QWidget& Container, bool Value) { IsolateWalk(Container, Value, false); }

void ClearControlsIsolate(QWidget& Container) { IsolateWalk(Container, false, false); }

void DisableChildControls(QWidget& Container) {
  ForEachChildWidget(Container, [](QWidget& Child) { Child.setEnabled(false); });
}

void EnableChildControls(QWidget& Container) {
  ForEachChildWidget(Container, [](QWidget& Child) { Child.setEnabled(true); });
}

}  // namespace kromel
