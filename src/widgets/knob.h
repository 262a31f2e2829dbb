// The knob: a pointer turning over a background picture (model:
// TKnobControl, which does the 400-pixel drag, the wheel steps and the
// pointer geometry).
#pragma once
#include "controls/knob.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_picture.h"

namespace kromel {

class TKnob : public TControlWidget {
public:
  explicit TKnob(QWidget* Parent = nullptr);
  explicit TKnob(TKnobControl& Model, QWidget* Parent = nullptr);
  ~TKnob() override;

  TKnobControl& Knob() const { return static_cast<TKnobControl&>(Controller()); }
  std::string ClassName() const override { return "TKnob"; }
  // The background picture; without one nothing is drawn over the colour.
  TGlyphPicture Glyph;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  bool MouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
  void Init();
};

}  // namespace kromel
