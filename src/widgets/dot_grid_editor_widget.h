// The dot-grid editor on screen: a TVelWidget over a TDotGridEditor. Mouse,
// keys and focus go to the model; the model's picture is drawn into the
// widget's buffer.
#pragma once
#include "controls/dot_grid_editor.h"
#include "widgets/vel_widget.h"

namespace kromel {

class TDotGridEditorWidget : public TVelWidget {
public:
  explicit TDotGridEditorWidget(QWidget* Parent = nullptr);
  ~TDotGridEditorWidget() override;

  std::string ClassName() const override { return "TDisplacementGridBox"; }

  TDotGridEditor Model;

  // Tool drags whose later positions are forwarded from another control
  // (ForwardMouseMove / ForwardLButtonUp). StartDragDotNear answers the
  // dot's screen position.
  QPoint StartDragDotNear(int32_t X, int32_t Y);
  void BeginDotDrag(int32_t X, int32_t Y);

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void resizeEvent(QResizeEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;
};

}  // namespace kromel
