// The colour wheel controller: a square dot on a flat field, dragged to set
// X and Y and, with Shift, dragged vertically to set the brightness (model:
// TColorWheelControl, which maps values to pixels and back).
#pragma once
#include "controls/multi_value_controls.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_picture.h"

namespace kromel {

class TColorWheelController : public TControlWidget {
public:
  explicit TColorWheelController(QWidget* Parent = nullptr);
  explicit TColorWheelController(TColorWheelControl& Model, QWidget* Parent = nullptr);
  ~TColorWheelController() override;

  TColorWheelControl& Wheel() const { return static_cast<TColorWheelControl&>(Controller()); }
  std::string ClassName() const override { return "TColorWheelController"; }
  TGlyphPicture Background;
  void SetCaption(const std::string& Text);

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  bool MouseWheel(TShiftState, int32_t, int32_t, int32_t) override { return false; }
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void resizeEvent(QResizeEvent* Event) override;
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;

private:
  void Init();
};

}  // namespace kromel
