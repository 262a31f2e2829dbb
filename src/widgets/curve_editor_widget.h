// The curve editor on screen: a TVelWidget over a TCurveEditor, with the
// operation buttons, the two value edits and the value hint as children.
// Mouse, wheel, keys and focus go to the model; the model's picture is
// drawn into the widget's buffer.
#pragma once
#include <QLineEdit>
#include <QPushButton>
#include <vector>

#include "controls/curve_editor.h"
#include "widgets/vel_widget.h"

namespace kromel {

class TCurveEditorWidget : public TVelWidget {
public:
  explicit TCurveEditorWidget(QWidget* Parent = nullptr);
  ~TCurveEditorWidget() override;

  std::string ClassName() const override { return "TEnvelopeGraphBox"; }
  bool PublishesColor() const override { return true; }
  void SetColor(TColor Value) override;
  void SetRulerColor(TColor Value) override;
  void SetIsolate(bool Value) override { Model.SetIsolate(Value); }

  TCurveEditor Model;

  // Rebuilds the buttons after NumberOfButtons or Bipolar changed.
  void UpdateButtons() override;
  // A drag of dot Index that goes on with positions forwarded from another
  // control (ForwardMouseMove / ForwardLButtonUp).
  void StartDragDot(int32_t Index);

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  bool MouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void resizeEvent(QResizeEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void SyncEdits();
  bool FSyncing = false;
  QLineEdit* FPositionEdit;
  QLineEdit* FValueEdit;
  std::vector<QPushButton*> FButtons;
};

}  // namespace kromel
